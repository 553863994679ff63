// The page's host: reads the seed, follows the window's shape, visibility,
// reduced motion, full screen and the cursor, asks the wasm side when a frame
// is due, and puts what each frame touched on the canvas. Appended to
// emscripten's output, after createVorpiModule.
(function () {
  'use strict';

  const cursorIdleMs = 3000;
  // With reduced motion the page shows the picture after this many frames, still.
  const stillFrames = 150;

  // Set only by the tests, before the page's scripts run: the page then runs
  // no animation frames of its own and a test runs them with vorpiPage.step(n).
  const stepped = window.vorpiStepped === true;
  const build = /scalar/.test(document.currentScript ? document.currentScript.src : '') ? 'scalar' : 'simd';
  const canvas = document.getElementById('screen');
  // An opaque canvas starts black, as a picture does: nothing to put at the start.
  const context = canvas.getContext('2d', { alpha: false });
  const info = document.getElementById('info');
  const message = document.getElementById('message');
  const reducedMotion = matchMedia('(prefers-reduced-motion: reduce)');

  let wasm = null;
  let host = 0;
  let seed = 0;
  let stopped = false; // for good: a bad address, no WebAssembly, a fault in the code
  let drawn = false; // the canvas holds a picture of the window's shape
  let frameRequest = 0;
  let framesShown = 0;
  let observed = null; // the window's box as the ResizeObserver last gave it
  let shapeTimer = 0;

  function say(text) {
    message.textContent = text;
    message.hidden = !text;
    document.title = text ? 'vorpi: ' + text : 'vorpi';
  }

  function fail(text) {
    stopped = true;
    show(false);
    info.hidden = true;
    say(text);
  }

  // Runs a call into the wasm code; a fault there (out of memory, say) stops the page.
  function guarded(call) {
    try {
      call();
    } catch (error) {
      fail('vorpi stopped: ' + error.message);
    }
  }

  function show(picture) {
    drawn = picture;
    canvas.style.visibility = drawn ? '' : 'hidden';
    follow();
  }

  // Animates while there is a picture, the page is shown and motion is welcome.
  function follow() {
    const animating = drawn && !stopped && !document.hidden && !reducedMotion.matches;
    if (host && !stopped)
      wasm._vorpi_set_animating(host, animating ? 1 : 0);
    document.getElementById('still').hidden = !reducedMotion.matches;
    if (animating) {
      requestFrame();
    } else {
      cancelAnimationFrame(frameRequest);
      frameRequest = 0;
    }
  }

  function requestFrame() {
    if (!stepped && !stopped && !frameRequest)
      frameRequest = requestAnimationFrame(tick);
  }

  function tick(now) {
    frameRequest = 0;
    runDueFrame(now);
    requestFrame();
  }

  function runDueFrame(now) {
    guarded(() => {
      if (wasm._vorpi_tick(host, now))
        present();
    });
  }

  // Puts what the wasm side copied out (a frame's touched areas, or the whole canvas) on the canvas.
  function present() {
    const count = wasm._vorpi_copied_count(host);
    const areas = new Int32Array(wasm.HEAP32.buffer, wasm._vorpi_copied_areas(host), 4 * count);
    let at = wasm._vorpi_copied_bytes(host);
    for (let i = 0; i < areas.length; i += 4) {
      const width = areas[i + 2], height = areas[i + 3], length = 4 * width * height;
      const pixels = new Uint8ClampedArray(wasm.HEAPU8.buffer, at, length);
      context.putImageData(new ImageData(pixels, width, height), areas[i], areas[i + 1]);
      at += length;
    }
    if (++framesShown === 1)
      performance.mark('vorpi-first-frame');
  }

  // With reduced motion: the picture after a short run, still.
  function showStill() {
    wasm._vorpi_set_animating(host, 1);
    for (let i = 0; i < stillFrames; ++i)
      wasm._vorpi_step(host);
    wasm._vorpi_set_animating(host, 0);
    wasm._vorpi_copy_whole(host);
    present();
  }

  function ratio() {
    return window.devicePixelRatio > 0 ? window.devicePixelRatio : 1;
  }

  // The window in device pixels: the observer's count where it agrees with
  // the ratio (under DevTools' emulated ratios it stays at CSS pixels), the
  // CSS size times the ratio otherwise.
  function deviceSize() {
    const css = observed ? observed.css : [innerWidth, innerHeight];
    const wanted = css.map((side) => Math.round(side * ratio()));
    const device = observed && observed.device;
    return device && device.every((side, i) => Math.abs(side - wanted[i]) <= 1) ? device : wanted;
  }

  // Notes the window's shape; the wasm side says when it has settled.
  function shapeChanged() {
    clearTimeout(shapeTimer);
    if (stopped)
      return;
    const [width, height] = deviceSize();
    const wait = wasm._vorpi_note_shape(host, width, height, ratio(), performance.now());
    if (wait > 0)
      shapeTimer = setTimeout(shapeChanged, wait);
    else if (wait === 0)
      guarded(takeShape);
  }

  // A new picture, or a new view on the same random sources, for the settled shape.
  function takeShape() {
    const outcome = wasm._vorpi_take_shape(host);
    if (outcome === 0) {
      // Even at the same size this clears the canvas to opaque black, as the new view starts.
      canvas.width = wasm._vorpi_width(host);
      canvas.height = wasm._vorpi_height(host);
      // As many CSS pixels as make the canvas's device pixels, so that a
      // fractional ratio stretches no last row or column. What scale is left
      // comes from rounding CSS lengths (to 1/64 px): nearest-pixel sampling
      // keeps the picture sharp, except for a canvas held under the pixel cap,
      // which the browser stretches over the window.
      const scale = wasm._vorpi_scale(host);
      canvas.style.width = canvas.width / scale + 'px';
      canvas.style.height = canvas.height / scale + 'px';
      canvas.style.imageRendering = scale === ratio() ? 'pixelated' : '';
      say('');
      show(true);
      if (reducedMotion.matches)
        showStill();
      else if (!stepped)
        runDueFrame(performance.now()); // the first frame now, not after the browser has drawn a black canvas
    } else {
      const size = Math.round(innerWidth) + 'x' + Math.round(innerHeight);
      say(outcome === 1 ? 'vorpi cannot draw in a window of ' + size + ' pixels.'
        : 'vorpi has not enough memory for a window of ' + size + ' pixels.');
      show(false);
    }
    if (!window.vorpiPage)
      offerToTests();
  }

  function watchShape() {
    if (typeof ResizeObserver !== 'function') {
      addEventListener('resize', shapeChanged);
      shapeChanged();
    } else {
      const observer = new ResizeObserver((entries) => {
        const entry = entries[entries.length - 1];
        const box = entry.contentBoxSize && entry.contentBoxSize[0];
        const device = entry.devicePixelContentBoxSize && entry.devicePixelContentBoxSize[0];
        observed = {
          css: box ? [box.inlineSize, box.blockSize] : [entry.contentRect.width, entry.contentRect.height],
          device: device ? [device.inlineSize, device.blockSize] : null,
        };
        shapeChanged();
      });
      const root = document.documentElement;
      try {
        observer.observe(root, { box: 'device-pixel-content-box' });
      } catch (error) {
        observer.observe(root);
      }
    }
    watchRatio();
  }

  // A new devicePixelRatio (another screen, a zoom) fires no resize.
  function watchRatio() {
    matchMedia('(resolution: ' + ratio() + 'dppx)').addEventListener('change', () => {
      watchRatio();
      shapeChanged();
    }, { once: true });
  }

  // The seed as written in the address: URLSearchParams would read "+5" as " 5".
  function writtenSeed() {
    for (const part of location.search.slice(1).split('&')) {
      const equals = part.indexOf('=');
      if ((equals < 0 ? part : part.slice(0, equals)) !== 'seed')
        continue;
      const value = equals < 0 ? '' : part.slice(equals + 1);
      try {
        return decodeURIComponent(value);
      } catch (error) {
        return value;
      }
    }
    return null;
  }

  function textAt(pointer) {
    const end = wasm.HEAPU8.indexOf(0, pointer);
    return new TextDecoder().decode(wasm.HEAPU8.subarray(pointer, end));
  }

  // The seed from the address, read as every host reads one, or a fresh one; null when refused.
  function chooseSeed() {
    const written = writtenSeed();
    if (written === null) {
      const random = new Uint32Array(1);
      crypto.getRandomValues(random);
      return { seed: random[0], chosen: true };
    }
    const bytes = new TextEncoder().encode(written);
    wasm.HEAPU8.set(bytes, wasm._vorpi_text(bytes.length));
    const value = wasm._vorpi_read_seed();
    if (value >= 0)
      return { seed: value, chosen: false };
    fail('vorpi cannot start: ' + textAt(wasm._vorpi_text_read()) + '.');
    return null;
  }

  function showSeed(chosen) {
    const link = document.getElementById('seed');
    const repeat = new URL(location.href);
    repeat.searchParams.set('seed', String(seed));
    link.href = repeat.href;
    link.textContent = 'seed ' + seed;
    link.title = chosen ? 'repeat this run' : 'link to this run';
    info.hidden = false;
  }

  function toggleFullScreen() {
    const root = document.documentElement;
    if (document.fullscreenElement)
      document.exitFullscreen();
    else if (root.requestFullscreen)
      root.requestFullscreen().catch(() => {});
    else if (root.webkitRequestFullscreen)
      root.webkitRequestFullscreen();
  }

  let cursorTimer = 0;
  function showCursor() {
    document.body.classList.remove('idle');
    clearTimeout(cursorTimer);
    cursorTimer = setTimeout(() => document.body.classList.add('idle'), cursorIdleMs);
  }

  function showFrameRate() {
    const text = document.getElementById('fps');
    let last = framesShown;
    let lastTime = performance.now();
    text.hidden = false;
    setInterval(() => {
      const now = performance.now();
      text.textContent = ((framesShown - last) * 1000 / (now - lastTime)).toFixed(1) + ' fps';
      last = framesShown;
      lastTime = now;
    }, 1000);
  }

  function offerToTests() {
    window.vorpiPage = {
      seed: () => seed,
      build,
      frames: () => wasm._vorpi_frames_run(host),
      // The wasm canvas in ImageData's byte order, for comparing with what the page shows.
      pixels() {
        wasm._vorpi_copy_whole(host);
        const length = 4 * wasm._vorpi_width(host) * wasm._vorpi_height(host);
        return new Uint8Array(wasm.HEAPU8.buffer, wasm._vorpi_copied_bytes(host), length).slice();
      },
    };
    if (stepped)
      Object.assign(window.vorpiPage, {
        module: wasm,
        host,
        step(count) {
          for (let i = 0; i < count; ++i) {
            wasm._vorpi_step(host);
            present();
          }
          return wasm._vorpi_frames_run(host);
        },
      });
  }

  function start(module) {
    wasm = module;
    const choice = chooseSeed();
    if (!choice)
      return;
    seed = choice.seed;
    host = wasm._vorpi_create(seed);
    showSeed(choice.chosen);
    watchShape();
    document.addEventListener('visibilitychange', follow);
    reducedMotion.addEventListener('change', follow);
    addEventListener('dblclick', toggleFullScreen);
    addEventListener('keydown', (event) => {
      if ((event.key === 'f' || event.key === 'F') && !event.ctrlKey && !event.metaKey && !event.altKey)
        toggleFullScreen();
    });
    addEventListener('pointermove', showCursor);
    addEventListener('pointerdown', showCursor);
    showCursor();
    if (new URLSearchParams(location.search).has('fps'))
      showFrameRate();
  }

  if (typeof WebAssembly !== 'object') {
    fail('This browser cannot run WebAssembly, which vorpi needs.');
  } else {
    const hint = location.protocol === 'file:' ? ' Browsers load it only for a page served over HTTP, for example by ' +
      '"python3 -m http.server" in the folder of this page.' : '';
    createVorpiModule().then(start, (error) => fail('vorpi could not load its WebAssembly code (' + error + ').' + hint));
  }
})();
