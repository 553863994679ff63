#!/usr/bin/env python3
"""The web page's costs against the native program's, measured side by side in
one run in headless Chromium: rendering a frame, the first frame at two sizes,
and how long a settled resize holds the animation up.

Usage: bench/web-page.py [SITE [VORPI_RENDER [ROUNDS]]]
(defaults build-web/site, build/src/hosts/render/vorpi-render, 5)."""

import os
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, 'tests', 'hosts', 'web'))
from browser import Browser, Site  # noqa: E402

SITE = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, 'build-web', 'site')
RENDER = sys.argv[2] if len(sys.argv) > 2 else os.path.join(ROOT, 'build', 'src', 'hosts', 'render', 'vorpi-render')
ROUNDS = int(sys.argv[3]) if len(sys.argv) > 3 else 5
FRAMES = 300
STEPPED = 'window.vorpiStepped = true'
BUILDS = {'simd': STEPPED, 'scalar': 'WebAssembly.validate = () => false; ' + STEPPED}

# Milliseconds a frame of the page's own view takes over its first FRAMES
# frames: the wasm frame with its copy of the touched areas, or with putImageData too.
PAGE_FRAMES = '''(put => {
  const start = performance.now();
  for (let i = 0; i < %(frames)d; ++i)
    put ? vorpiPage.step(1) : vorpiPage.module._vorpi_step(vorpiPage.host);
  return (performance.now() - start) / %(frames)d;
})(%%s)''' % {'frames': FRAMES}


# The time between the last frame of the old view and the first of the new
# one when the window changes shape, as animation frames see them run (an
# animation frame's own time stamp is its display refresh's, however late it runs).
RESHAPE_PAUSE = '''new Promise(done => {
  const canvas = document.getElementById("screen"), width = canvas.width;
  let frames = vorpiPage.frames(), last = 0;
  const watch = () => {
    const now = performance.now();
    if (vorpiPage.frames() !== frames) {
      if (canvas.width !== width)
        return done(now - last);
      frames = vorpiPage.frames();
      last = now;
    }
    requestAnimationFrame(watch);
  };
  requestAnimationFrame(watch);
})'''


def native_frame_ms(folder):
    """vorpi-render's time a frame: a FRAMES-frame run less a one-frame run (start-up and the PNG)."""
    def run(frames):
        start = time.perf_counter()
        subprocess.run([RENDER, '--quiet', '--seed', '1', '--size', '1920x1080', '--frames', str(frames),
                        '--output', os.path.join(folder, 'frame.png')], check=True)
        return time.perf_counter() - start
    return (run(FRAMES) - run(1)) * 1000 / (FRAMES - 1)


def first_frame_ms(browser, site, width, height, ratio):
    browser.resize(width, height, ratio)
    browser.open(site.url + '?seed=1', prelude='')
    return browser.wait_for('(m => m && m.startTime)(performance.getEntriesByName("vorpi-first-frame")[0])')


def main():
    results = {}
    browser = Browser()
    try:
        with Site(SITE) as site, tempfile.TemporaryDirectory() as folder:
            for _ in range(ROUNDS):
                results.setdefault('native frame', []).append(native_frame_ms(folder))
                browser.resize(1920, 1080)
                for build, prelude in BUILDS.items():
                    for put, name in (('false', 'page frame (%s)'), ('true', 'page frame and putImageData (%s)')):
                        browser.open(site.url + '?seed=1', prelude=prelude)
                        results.setdefault(name % build, []).append(browser.evaluate(PAGE_FRAMES % put, timeout=120))
                for width, height, ratio in ((2560, 1440, 2), (1920, 1080, 1)):
                    name = 'first frame at %dx%d@%g' % (width, height, ratio)
                    results.setdefault(name, []).append(first_frame_ms(browser, site, width, height, ratio))
                browser.evaluate('window.pause = null; ' + RESHAPE_PAUSE + '.then(pause => window.pause = pause); 0')
                browser.resize(2560, 1440, 2)
                results.setdefault('pause of a resize from 1920x1080@1 to 2560x1440@2', []).append(
                    browser.wait_for('window.pause', timeout=20))
    finally:
        browser.close()
    native = statistics.median(results['native frame'])
    for name, values in results.items():
        median = statistics.median(values)
        versus = ' (%.2fx native)' % (median / native) if name.startswith('page frame') else ''
        print('%-52s median %8.2f ms%s   [%s]' % (name, median, versus, ', '.join('%.2f' % v for v in values)))
    small, large = (statistics.median(results['first frame at %s' % size]) for size in ('1920x1080@1', '2560x1440@2'))
    print('first frame at 2560x1440@2 takes %.2fx the time at 1920x1080@1' % (large / small))


if __name__ == '__main__':
    main()
