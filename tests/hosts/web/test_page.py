"""The web page in headless Chromium, served from a local port.

Usage: test_page.py SITE_FOLDER VORPI_RENDER [unittest arguments]; exits 77 when
there is no site (scripts/build-web makes it).
Most cases load the page with ?test, where the page runs no animation frames
of its own and the test runs them with vorpiPage.step(n): headless virtual
time runs timers, not animation frames, and a known count makes pixels repeatable.
"""

import base64
import gzip
import os
import struct
import subprocess
import sys
import time
import unittest

from browser import Browser, Site

SITE = VORPI_RENDER = None

# FNV-1a over the canvas as the page shows it, and whether it equals the wasm canvas.
CANVAS_STATE = '''(() => {
  const canvas = document.getElementById("screen");
  const shown = canvas.getContext("2d").getImageData(0, 0, canvas.width, canvas.height).data;
  const wasm = vorpiPage.pixels();
  let hash = 0x811c9dc5, equal = shown.length === wasm.length;
  for (let i = 0; i < shown.length; ++i) {
    hash = Math.imul(hash ^ shown[i], 16777619) >>> 0;
    if (shown[i] !== wasm[i]) equal = false;
  }
  return { hash, equal, width: canvas.width, height: canvas.height, frames: vorpiPage.frames() };
})()'''

# Runs %d frames of traceHost into recordings; each frame's calls as base64 doubles.
RECORD_FRAMES = '''(count => {
  const wasm = vorpiPage.module, frames = [];
  for (let i = 0; i < count; ++i) {
    const calls = wasm._vorpi_record_frame(traceHost);
    const bytes = new Uint8Array(wasm.HEAPU8.buffer, wasm._vorpi_recorded_calls(traceHost), calls * 48);
    let text = "";
    for (let j = 0; j < bytes.length; j += 8192)
      text += String.fromCharCode.apply(null, bytes.subarray(j, j + 8192));
    frames.push(btoa(text));
  }
  return frames;
})(%d)'''
TRACE_FRAMES = 300

# A screenshot (base64 PNG) decoded by the page: its size, how many colours it
# shows, and how many of its pixels differ from the wasm canvas outside the seed line.
SCREEN_AGAINST_WASM = '''(async shot => {
  const image = new Image();
  image.src = "data:image/png;base64," + shot;
  await image.decode();
  const context = new OffscreenCanvas(image.width, image.height).getContext("2d");
  context.drawImage(image, 0, 0);
  const screen = context.getImageData(0, 0, image.width, image.height).data, wasm = vorpiPage.pixels();
  const info = document.getElementById("info").getBoundingClientRect(), scale = image.width / innerWidth;
  const colours = new Set();
  let differing = 0;
  for (let y = 0; y < image.height; ++y)
    for (let x = 0; x < image.width; ++x) {
      const i = 4 * (y * image.width + x);
      colours.add(screen[i] << 16 | screen[i + 1] << 8 | screen[i + 2]);
      const onInfo = x / scale > info.left - 1 && x / scale < info.right + 1 && y / scale > info.top - 1 && y / scale < info.bottom + 1;
      if (!onInfo && (screen[i] !== wasm[i] || screen[i + 1] !== wasm[i + 1] || screen[i + 2] !== wasm[i + 2]))
        ++differing;
    }
  return { width: image.width, height: image.height, colours: colours.size, differing };
})("%s")'''

SET_HIDDEN = '''(hidden => {
  Object.defineProperty(document, "hidden", { configurable: true, get: () => hidden });
  Object.defineProperty(document, "visibilityState", { configurable: true, get: () => hidden ? "hidden" : "visible" });
  document.dispatchEvent(new Event("visibilitychange"));
})(%s)'''


def native_trace(seed, width, height, frames):
    """vorpi-render's trace as frames of (call, five values), a colour padded with 0."""
    output = subprocess.run([VORPI_RENDER, '--quiet', '--seed', str(seed), '--size', '%dx%d' % (width, height),
                             '--frames', str(frames), '--trace', '-'],
                            stdout=subprocess.PIPE, check=True, timeout=60, text=True).stdout
    trace = []
    for line in output.splitlines():
        call, *values = line.split()
        if call == 'frame':
            trace.append([])
        else:
            trace[-1].append((call, tuple(float(value) for value in values) + (0.0,) * (5 - len(values))))
    return trace


class PageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.site = Site(SITE)
        cls.browser = Browser(480, 270)

    @classmethod
    def tearDownClass(cls):
        cls.browser.close()
        cls.site.close()

    def open(self, query, width=480, height=270, scale=1):
        self.browser.resize(width, height, scale)
        self.browser.open(self.site.url + query)

    def state(self):
        return self.browser.evaluate(CANVAS_STATE)

    def step(self, frames):
        return self.browser.evaluate('vorpiPage.step(%d)' % frames)

    def test_page_shows_the_wasm_canvas_at_device_pixels(self):
        for scale in (1, 2, 1.5):
            with self.subTest(scale=scale):
                self.open('?test&seed=7', 480, 270, scale)
                self.step(90)
                state = self.state()
                self.assertEqual((state['width'], state['height']), (round(480 * scale), round(270 * scale)))
                self.assertTrue(state['equal'], 'the canvas differs from the wasm canvas')

                shot = self.browser.send('Page.captureScreenshot', format='png')['data']
                screen = self.browser.evaluate(SCREEN_AGAINST_WASM % shot)
                self.assertEqual((screen['width'], screen['height']), (state['width'], state['height']))
                self.assertGreater(screen['colours'], 1000, 'the page shows few colours: no creatures drawn')
                self.assertEqual(screen['differing'], 0, 'screen pixels differ from the wasm canvas')

    def test_the_seed_decides_the_pixels(self):
        def pixels_after(query, frames=45):
            self.open(query)
            self.step(frames)
            return self.state()['hash']

        self.assertEqual(pixels_after('?test&seed=7'), pixels_after('?test&seed=7'))
        self.assertNotEqual(pixels_after('?test&seed=7'), pixels_after('?test&seed=8'))
        self.assertNotEqual(pixels_after('?test&seed=7', 45), pixels_after('?test&seed=7', 46))

        # Without a seed the page picks one, and its link repeats the run.
        first = pixels_after('?test')
        link = self.browser.evaluate('document.querySelector("#info a").href')
        self.assertRegex(link, r'[?&]seed=[0-9]+')
        self.assertIn('seed ' + link.split('seed=')[1].split('&')[0], self.browser.evaluate(
            'document.getElementById("info").textContent'))
        self.browser.open(link)
        self.step(45)
        self.assertEqual(self.state()['hash'], first)

    def test_hidden_page_runs_no_frames_and_resumes_the_same_scene(self):
        self.open('?test&seed=3')
        self.step(20)
        before = self.state()
        self.browser.evaluate(SET_HIDDEN % 'true')
        self.step(20)
        self.assertEqual(self.state(), before)
        self.browser.evaluate(SET_HIDDEN % 'false')
        self.step(20)
        resumed = self.state()
        self.assertEqual(resumed['frames'], 40)

        self.open('?test&seed=3')
        self.step(40)
        self.assertEqual(self.state()['hash'], resumed['hash'], 'the scene did not go on where it stopped')

        # Paced by animation frames, a hidden page asks for none.
        self.open('?seed=3')
        self.browser.wait_for('vorpiPage.frames() > 3', timeout=10)
        self.browser.evaluate(SET_HIDDEN % 'true')
        stopped = self.browser.evaluate('vorpiPage.frames()')
        time.sleep(0.5)
        self.assertEqual(self.browser.evaluate('vorpiPage.frames()'), stopped)
        self.browser.evaluate(SET_HIDDEN % 'false')
        self.browser.wait_for('vorpiPage.frames() > %d' % (stopped + 3), timeout=10)

    def test_a_settled_resize_starts_a_view_of_the_new_size(self):
        for width, height, scale in ((640, 360, 1), (300, 500, 2)):
            with self.subTest(size=(width, height, scale)):
                self.open('?test&seed=5')
                self.step(10)
                self.browser.resize(width, height, scale)
                self.browser.wait_for('document.getElementById("screen").width === %d' % (width * scale), timeout=10)
                state = self.state()
                self.assertEqual((state['width'], state['height'], state['frames']),
                                 (width * scale, height * scale, 0))
                self.step(30)
                state = self.state()
                self.assertTrue(state['equal'])
                self.assertEqual(state['frames'], 30)

    def test_runs_at_30_frames_a_second_and_never_faster_than_32(self):
        self.open('?seed=1&fps')
        samples = []
        end = time.monotonic() + 4
        while time.monotonic() < end:
            samples.append(self.browser.evaluate('[performance.now(), vorpiPage.frames()]'))
            time.sleep(0.1)
        (start, first), (stop, last) = samples[0], samples[-1]
        rate = (last - first) * 1000 / (stop - start)
        self.assertLess(abs(rate - 30), 2, 'ran at %.1f frames a second' % rate)
        for i, (since, frames) in enumerate(samples):
            later = [(t, f) for t, f in samples[i:] if t - since >= 1000]
            if later:
                t, f = later[0]
                self.assertLessEqual((f - frames) * 1000 / (t - since), 32)
        self.assertRegex(self.browser.evaluate('document.getElementById("fps").textContent'), r'^[0-9.]+ fps$')

    def test_drawing_calls_equal_the_native_trace(self):
        # emscripten's sin, cos and atan2 differ from glibc's in the last bit for
        # some inputs; over these runs no drawing call came out different.
        for seed, width, height in ((1, 1920, 1080), (42, 100, 60), (4294967295, 333, 777)):
            with self.subTest(seed=seed, size=(width, height)):
                native = native_trace(seed, width, height, TRACE_FRAMES)
                self.open('?test&seed=1')
                page = self.page_trace(seed, width, height, TRACE_FRAMES)
                self.assertEqual(len(page), len(native))
                for number, (page_calls, native_calls) in enumerate(zip(page, native), 1):
                    self.assertEqual(page_calls, native_calls, 'the drawing departs at frame %d' % number)

    def page_trace(self, seed, width, height, frames):
        """The calls of a new view's frames, made in the page by its own wasm code."""
        self.browser.evaluate('window.traceHost = vorpiPage.module._vorpi_create(%d, %d, 1, %d)' % (width, height, seed))
        trace = []
        for _ in range(0, frames, 50):
            for chunk in self.browser.evaluate(RECORD_FRAMES % min(50, frames - len(trace))):
                raw = base64.b64decode(chunk)
                values = struct.unpack('<%dd' % (len(raw) // 8), raw)
                trace.append([(('color', 'stroke')[int(values[i])], values[i + 1:i + 6]) for i in range(0, len(values), 6)])
        self.browser.evaluate('vorpiPage.module._vorpi_destroy(traceHost)')
        return trace

    def test_views_are_made_only_for_sizes_the_canvas_can_hold(self):
        self.open('?test&seed=1')
        cases = (  # CSS width, height, scale: the device pixels, or None where refused
            (1, 1, 1, (1, 1)),
            (100, 50, 1.5, (150, 75)),
            (8192, 8192, 1, (8192, 8192)),
            (0, 10, 1, None),
            (10, -5, 1, None),
            (10, 10, 0, None),
            (10, 10, -2, None),
            (10, 10, 'NaN', None),
            (10, 10, 'Infinity', None),
            (16385, 1, 1, None),
            (8193, 8192, 1, None),
            (10, 10, 0.01, None),
        )
        for width, height, scale, device in cases:
            with self.subTest(size=(width, height, scale)):
                made = self.browser.evaluate('''(() => {
                  const wasm = vorpiPage.module, view = wasm._vorpi_create(%s, %s, %s, 1);
                  const made = view ? [wasm._vorpi_width(view), wasm._vorpi_height(view)] : null;
                  wasm._vorpi_destroy(view);
                  return made;
                })()''' % (width, height, scale))
                self.assertEqual(made, list(device) if device else None)

    def test_failures_are_told_in_plain_words(self):
        page_file = 'file://' + os.path.abspath(os.path.join(SITE, 'index.html'))
        cases = (
            ('?seed=abc', (), '', 'The seed must be a whole number'),
            ('?seed=4294967296', (), '', 'The seed must be a whole number'),
            ('?seed=1', ('vorpi.wasm',), '', 'could not load its WebAssembly code'),
            ('?seed=1', ('vorpi.js',), '', 'could not load its code'),
            ('?seed=1', (), 'delete window.WebAssembly', 'cannot run WebAssembly'),
            (page_file, (), '', 'served over HTTP'),
        )
        for query, missing, prelude, message in cases:
            with self.subTest(query=query, missing=missing, prelude=prelude):
                site = Site(SITE, missing)
                script = None
                try:
                    if prelude:
                        script = self.browser.send('Page.addScriptToEvaluateOnNewDocument', source=prelude)
                    url = query if query.startswith('file:') else site.url + query
                    self.browser.open(url, ready='!document.getElementById("message").hidden')
                    self.assertIn(message, self.browser.evaluate('document.getElementById("message").textContent'))
                    self.assertFalse(self.browser.evaluate('!!window.vorpiPage'))
                finally:
                    if script:
                        self.browser.send('Page.removeScriptToEvaluateOnNewDocument', identifier=script['identifier'])
                    site.close()

    def test_site_is_three_small_files(self):
        self.assertEqual(sorted(os.listdir(SITE)), ['index.html', 'vorpi.js', 'vorpi.wasm'])
        compressed = 0
        for name in ('vorpi.js', 'vorpi.wasm'):
            with open(os.path.join(SITE, name), 'rb') as file:
                compressed += len(gzip.compress(file.read(), 9))
        self.assertLessEqual(compressed, 100 * 1024)


if __name__ == '__main__':
    SITE, VORPI_RENDER = sys.argv[1], sys.argv[2]
    if not os.path.exists(os.path.join(SITE, 'vorpi.wasm')):
        print('skipped: no site in %s; scripts/build-web makes it' % SITE)
        sys.exit(77)
    unittest.main(argv=sys.argv[:1] + sys.argv[3:])
