"""The web page in headless Chromium. Usage: test_page.py SITE_FOLDER VORPI_RENDER
[unittest arguments]; exits 77 when there is no site (scripts/build-web makes it).
Most cases load the page stepped (browser.open's default): a known count of
frames, run by vorpiPage.step(n), makes pixels repeatable."""

import base64
import gzip
import os
import re
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.parse

from browser import Browser, Site

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, '..', '..', 'reference'))
import vorpi_reference as model  # noqa: E402

SITE = VORPI_RENDER = None

# Whether the canvas as the page shows it equals the wasm canvas, and the frames run.
CANVAS_STATE = '''(() => {
  const canvas = document.getElementById("screen");
  const shown = canvas.getContext("2d").getImageData(0, 0, canvas.width, canvas.height).data;
  const wasm = vorpiPage.pixels();
  const equal = shown.length === wasm.length && shown.every((value, i) => value === wasm[i]);
  return { equal, frames: vorpiPage.frames() };
})()'''

# The calls of the page's own view over its next %d frames: six doubles a call, a kind (0 for
# a colour, 1 for a stroke) and five values. JSON gives every double back exactly.
RECORD_FRAMES = '''(count => Array.from({ length: count }, () => {
  const wasm = vorpiPage.module, calls = wasm._vorpi_record_frame(vorpiPage.host);
  return Array.from(new Float64Array(wasm.HEAPU8.buffer, wasm._vorpi_recorded_calls(vorpiPage.host), 6 * calls));
}))(%d)'''

# A PNG (base64) decoded by the page: its size, and how many of its pixels differ from the wasm
# canvas; for a screenshot, outside the seed line and the partial last row or column of a
# window that is not a whole number of device pixels.
PNG_AGAINST_WASM = '''(async (png, screenshot) => {
  const image = new Image();
  image.src = "data:image/png;base64," + png;
  await image.decode();
  const context = new OffscreenCanvas(image.width, image.height).getContext("2d");
  context.drawImage(image, 0, 0);
  const screen = context.getImageData(0, 0, image.width, image.height).data, wasm = vorpiPage.pixels();
  const info = document.getElementById("info").getBoundingClientRect(), scale = devicePixelRatio;
  const skipped = (x, y) => screenshot && (x >= Math.floor(innerWidth * scale) || y >= Math.floor(innerHeight * scale) ||
    x / scale > info.left - 1 && x / scale < info.right + 1 && y / scale > info.top - 1 && y / scale < info.bottom + 1);
  let differing = 0;
  for (let y = 0; y < image.height; ++y)
    for (let x = 0; x < image.width; ++x) {
      const i = 4 * (y * image.width + x);
      if (!skipped(x, y) && (screen[i] !== wasm[i] || screen[i + 1] !== wasm[i + 1] || screen[i + 2] !== wasm[i + 2]))
        ++differing;
    }
  return { width: image.width, height: image.height, differing };
})("%s", %s)'''

SET_HIDDEN = '''(hidden => {
  Object.defineProperty(document, "hidden", { configurable: true, get: () => hidden });
  document.dispatchEvent(new Event("visibilitychange"));
})(%s)'''

NO_SIMD = 'WebAssembly.validate = () => false; window.vorpiStepped = true'


def device(side, ratio):
    return int(side * ratio + 0.5)


def seed_cases():
    """The seed texts every host's front end must read alike (tests/support/HostInputCases.hpp)."""
    with open(os.path.join(HERE, '..', '..', 'support', 'HostInputCases.hpp')) as header:
        table = header.read().split('seedCases')[1].split('};')[0]
    return [(text, int(seed) if seed else None) for text, seed in re.findall(r'\{ "([^"]*)", (\d*)\{?\}? \}', table)]


class PageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.site = Site(SITE)
        cls.browser = Browser()

    @classmethod
    def tearDownClass(cls):
        cls.browser.close()
        cls.site.close()

    def open(self, query, width=480, height=270, ratio=1, **options):
        self.browser.resize(width, height, ratio)
        self.browser.open(self.site.url + query, **options)

    def state(self):
        return self.browser.evaluate(CANVAS_STATE)

    def step(self, frames):
        return self.browser.evaluate('vorpiPage.step(%d)' % frames)

    def reshape(self, width, height, ratio=1, canvas=None, drawn=True):
        """Resizes the window and waits until the page draws a canvas of that many device pixels, or says it cannot."""
        self.browser.resize(width, height, ratio)
        self.browser.wait_for('document.title === "vorpi: vorpi cannot draw in a window of %dx%d pixels."' % (
            width, height) if not drawn else '(c => [c.width, c.height].join() === "%d,%d")(document.getElementById('
            '"screen")) && document.title === "vorpi"' % (canvas or (device(width, ratio), device(height, ratio))))

    def against_wasm(self, png, screenshot=True):
        return self.browser.evaluate(PNG_AGAINST_WASM % (png, 'true' if screenshot else 'false'))

    def test_a_new_ratio_alone_gives_a_sharp_canvas_with_no_seam(self):
        self.open('?seed=7')
        self.step(30)
        for ratio in (2, 2.625, 1.75, 1):
            with self.subTest(ratio=ratio):
                self.reshape(480, 270, ratio)
                self.step(30)
                self.assertTrue(self.state()['equal'], 'the canvas differs from the wasm canvas')
                # The screen's device pixels, one for one with the canvas's (which reshape waited for).
                screen = self.against_wasm(self.browser.send('Page.captureScreenshot', format='png')['data'])
                self.assertEqual((screen['width'], screen['height']), (device(480, ratio), device(270, ratio)))
                self.assertEqual(screen['differing'], 0, 'screen pixels differ from the wasm canvas')

    def test_both_builds_draw_the_native_programs_pixels(self):
        with tempfile.TemporaryDirectory() as folder:
            png = os.path.join(folder, 'native.png')
            subprocess.run([VORPI_RENDER, '--quiet', '--seed', '7', '--size', '480x270', '--frames', '90',
                            '--output', png], check=True, timeout=60)
            with open(png, 'rb') as file:
                native = base64.b64encode(file.read()).decode()
        for build, prelude in (('simd', 'window.vorpiStepped = true'), ('scalar', NO_SIMD)):
            with self.subTest(build=build):
                self.open('?seed=7', prelude=prelude)
                self.assertEqual(self.browser.evaluate('vorpiPage.build'), build)
                self.step(90)
                self.assertEqual(self.against_wasm(native, screenshot=False)['differing'], 0)

    def test_without_a_seed_the_page_picks_one_and_links_to_its_run(self):
        self.open('')
        first = self.page_trace(45)
        seed = self.browser.evaluate('vorpiPage.seed()')
        self.assertIn('seed %d' % seed, self.browser.evaluate('document.getElementById("info").textContent'))
        self.browser.open(self.browser.evaluate('document.querySelector("#info a").href'))
        self.assertEqual((self.browser.evaluate('vorpiPage.seed()'), self.page_trace(45)), (seed, first))

    def test_frames_come_30_a_second_only_while_shown(self):
        # Paced by animation frames; ?test does nothing outside the tests.
        self.open('?seed=1&fps&test', prelude='')
        start = self.browser.evaluate('[performance.now(), vorpiPage.frames()]')
        time.sleep(4)
        stop = self.browser.evaluate('[performance.now(), vorpiPage.frames()]')
        self.assertLess(abs((stop[1] - start[1]) * 1000 / (stop[0] - start[0]) - 30), 2)
        self.assertRegex(self.browser.evaluate('document.getElementById("fps").textContent'), r'^[0-9.]+ fps$')
        self.browser.evaluate(SET_HIDDEN % 'true')
        stopped = self.browser.evaluate('vorpiPage.frames()')
        time.sleep(0.5)
        self.assertEqual(self.browser.evaluate('vorpiPage.frames()'), stopped)
        self.browser.evaluate(SET_HIDDEN % 'false')
        self.browser.wait_for('vorpiPage.frames() > %d' % (stopped + 3), timeout=10)

    def test_a_reshape_draws_on_from_the_same_random_streams(self):
        runs = (  # seed, then the shapes the window takes: CSS width, height, ratio, frames
            (1, ((1920, 1080, 1, 300),)),
            (42, ((100, 60, 1, 150), (333, 777, 1, 150))),
            (4294967295, ((333, 777, 1, 100), (333, 777, 2, 100))),
        )
        for seed, shapes in runs:
            with self.subTest(seed=seed, shapes=shapes):
                self.open('?seed=%d' % seed, *shapes[0][:3])
                sources, page, expected = model.Sources(seed), [], []
                for width, height, ratio, frames in shapes:
                    self.reshape(width, height, ratio)
                    page += self.page_trace(frames)
                    scene = model.Scene(sources, float(width), float(height))
                    for _ in range(frames):
                        expected.append([])
                        scene.update()
                        scene.render(expected[-1])
                self.assertEqual(self.state()['frames'], len(expected))
                for number, (page_calls, model_calls) in enumerate(zip(page, expected), 1):
                    self.assertEqual(page_calls, model_calls, 'the drawing departs at frame %d' % number)

    def page_trace(self, frames):
        """The page's next frames as lines of vorpi-render's trace."""
        trace = []
        while len(trace) < frames:
            for values in self.browser.evaluate(RECORD_FRAMES % min(50, frames - len(trace))):
                trace.append([('stroke ' if values[i] else 'color ') + ' '.join(
                    model.g17(v) for v in values[i + 1:i + (6 if values[i] else 5)]) for i in range(0, len(values), 6)])
        return trace

    def test_too_large_a_window_draws_at_a_lower_scale_and_an_undrawable_one_recovers(self):
        self.open('?seed=5')
        self.step(10)
        steps = (  # CSS width, height, ratio, the canvas it draws or None where it says it cannot, frames after 5 more
            (16000, 9000, 1, (10922, 6144), 15),
            (40000, 1, 1, None, 15),
            (300, 500, 2, (600, 1000), 20),
            (40000, 1, 1, None, 20),
            (640, 360, 1.5, (960, 540), 25),
        )
        for width, height, ratio, canvas, frames in steps:
            with self.subTest(size=(width, height, ratio)):
                self.reshape(width, height, ratio, canvas, drawn=canvas is not None)
                self.assertEqual(self.step(5), frames)
                self.assertTrue(canvas is None or canvas[0] > 2000 or self.state()['equal'])

    def test_failures_are_told_in_plain_words(self):
        refused = "vorpi cannot start: invalid seed '%s': expected a whole number from 0 to 4294967295."
        cases = [('?seed=' + urllib.parse.quote(text, safe='+'), (), '', refused % text if seed is None else seed)
                 for text, seed in seed_cases()] + [
            ('?seed=1', ('vorpi.wasm',), '', 'could not load its WebAssembly code'),
            ('?seed=1', ('vorpi.js',), '', 'could not load its code'),
            ('?seed=1', (), 'delete window.WebAssembly', 'cannot run WebAssembly'),
            ('file://' + os.path.abspath(os.path.join(SITE, 'index.html')), (), '', 'served over HTTP'),
        ]
        for query, missing, prelude, expected in cases:
            with self.subTest(query=query, missing=missing, prelude=prelude):
                with Site(SITE, missing) as site:
                    self.browser.open(query if query.startswith('file:') else site.url + query, prelude=prelude)
                if isinstance(expected, int):
                    self.assertEqual(self.browser.evaluate('vorpiPage.seed()'), expected)
                else:
                    self.assertIn(expected, self.browser.evaluate('document.getElementById("message").textContent'))
                    self.assertFalse(self.browser.evaluate('!!window.vorpiPage'))

    def test_the_page_edges(self):
        self.browser.resize(200, 150)
        with Site(SITE) as site:
            self.browser.open(site.url + '?seed=4294967295')
        self.assertEqual(site.errors, [], 'a fresh load asked for a file the site does not have')
        # In a tiny window the seed line stays small; it shows while its link has the keyboard's focus.
        info = self.browser.evaluate('(r => r.width * r.height)(document.getElementById("info").getBoundingClientRect())')
        self.assertLess(info / (200 * 150), 0.08)
        self.browser.evaluate('document.body.classList.add("idle")')
        self.browser.send('Input.dispatchKeyEvent', type='keyDown', key='Tab', code='Tab', windowsVirtualKeyCode=9)
        self.browser.wait_for('getComputedStyle(document.getElementById("info")).opacity === "1" && '
                              'getComputedStyle(document.activeElement).outlineStyle === "solid"', timeout=3)

        # With reduced motion: a still picture after a short run, said on the page.
        self.browser.resize(640, 360)
        self.browser.send('Emulation.setEmulatedMedia', features=[{'name': 'prefers-reduced-motion', 'value': 'reduce'}])
        self.browser.open(self.site.url + '?seed=9', prelude='')
        self.browser.wait_for('vorpiPage.frames() > 0')
        time.sleep(0.3)
        self.assertEqual(self.state()['frames'], 150)
        self.assertTrue(self.state()['equal'])
        self.assertFalse(self.browser.evaluate('document.getElementById("still").hidden'))
        self.browser.send('Emulation.setEmulatedMedia', features=[])

        for build in ('vorpi.js', 'vorpi.wasm', 'vorpi-scalar.js', 'vorpi-scalar.wasm'):
            with open(os.path.join(SITE, build), 'rb') as file:
                self.assertLessEqual(len(gzip.compress(file.read(), 9)), 40 * 1024, build)


if __name__ == '__main__':
    SITE, VORPI_RENDER = sys.argv[1], sys.argv[2]
    if not os.path.exists(os.path.join(SITE, 'vorpi.wasm')):
        print('skipped: no site in %s; scripts/build-web makes it' % SITE)
        sys.exit(77)
    unittest.main(argv=sys.argv[:1] + sys.argv[3:])
