// The page's host: sizes the canvas, paces the frames, copies what each frame
// touched onto the canvas, and follows visibility, resizes, full screen and
// the cursor. Appended to emscripten's output, after createVorpiModule.
(function () {
  'use strict';

  // A frame may run this much before its deadline, so that animation frames
  // a display shows a hair early still make it; the grid keeps the average.
  const earlyMs = 4;
  const resizeSettleMs = 250;
  const cursorIdleMs = 3000;
  const maxSeed = 4294967295;
  // The most device pixels the view asks for; a larger window gets a lower scale.
  const maxPixels = 8192 * 8192;

  const params = new URLSearchParams(location.search);
  // Test mode: no animation frames; a test runs frames with vorpiPage.step(n).
  const paced = params.has('test');
  const canvas = document.getElementById('screen');
  const context = canvas.getContext('2d');
  const info = document.getElementById('info');
  const fpsText = document.getElementById('fps');

  let wasm = null;
  let host = 0;
  let seed = 0;
  let image = null;
  let cssSize = null;
  let scale = 1;
  let frameRequest = 0;
  let interval = 0; // the view's frame interval, in milliseconds
  let origin = -1;
  let index = 0;
  let framesShown = 0;

  let failed = false;
  function fail(text) {
    failed = true;
    cancelAnimationFrame(frameRequest);
    frameRequest = 0;
    const message = document.getElementById('message');
    message.textContent = text;
    message.hidden = false;
    canvas.hidden = true;
    info.hidden = true;
    document.title = 'vorpi: ' + text;
  }

  function chooseSeed() {
    const text = params.get('seed');
    if (text === null) {
      const random = new Uint32Array(1);
      crypto.getRandomValues(random);
      return { seed: random[0], chosen: true };
    }
    const value = /^[0-9]{1,10}$/.test(text) ? Number(text) : NaN;
    if (!(value <= maxSeed))
      return { error: 'The seed must be a whole number from 0 to ' + maxSeed + ', not "' + text + '".' };
    return { seed: value, chosen: false };
  }

  function windowSize() {
    return { width: Math.max(1, Math.round(innerWidth)), height: Math.max(1, Math.round(innerHeight)) };
  }

  // A new view for the window as it is now: the CSS size as its area, the device pixel ratio as its scale.
  function startView() {
    const size = windowSize();
    const ratio = window.devicePixelRatio > 0 ? window.devicePixelRatio : 1;
    const fitting = Math.min(ratio, Math.sqrt(maxPixels / (size.width * size.height)));
    let created = 0;
    try {
      created = wasm._vorpi_create(size.width, size.height, fitting, seed);
    } catch (error) {
      // Out of memory: the wasm code stops for good.
      fail('vorpi ran out of memory for a window of ' + size.width + 'x' + size.height + ' pixels.');
      return false;
    }
    if (!created) {
      fail('vorpi cannot draw in a window of ' + size.width + 'x' + size.height + ' pixels.');
      return false;
    }
    if (host)
      wasm._vorpi_destroy(host);
    host = created;
    cssSize = size;
    scale = ratio;
    interval = 1000 * wasm._vorpi_frame_interval(host);
    canvas.width = wasm._vorpi_width(host);
    canvas.height = wasm._vorpi_height(host);
    canvas.style.width = size.width + 'px';
    canvas.style.height = size.height + 'px';
    image = null;
    context.putImageData(pixels(), 0, 0);
    followVisibility();
    return true;
  }

  // The wasm canvas as an ImageData over the heap, made again when the heap grows.
  function pixels() {
    const buffer = wasm.HEAPU8.buffer;
    if (!image || image.data.buffer !== buffer) {
      const length = canvas.width * canvas.height * 4;
      const data = new Uint8ClampedArray(buffer, wasm._vorpi_pixels(host), length);
      image = new ImageData(data, canvas.width, canvas.height);
    }
    return image;
  }

  function runFrame() {
    wasm._vorpi_frame(host);
    ++framesShown;
    const count = wasm._vorpi_touched_count(host);
    if (count === 0)
      return;
    const areas = new Int32Array(wasm.HEAP32.buffer, wasm._vorpi_touched_areas(host), count * 4);
    const source = pixels();
    for (let i = 0; i < areas.length; i += 4)
      context.putImageData(source, 0, 0, areas[i], areas[i + 1], areas[i + 2], areas[i + 3]);
  }

  // Frames on a grid of deadlines laid from the first animation frame after a
  // start, never more than one per deadline and no catching up after a stall.
  function tick(now) {
    frameRequest = 0;
    if (origin < 0) {
      origin = now;
      index = 0;
    }
    if (now >= origin + index * interval - earlyMs) {
      runFrame();
      index = Math.max(index + 1, Math.floor((now - origin) / interval));
      while (origin + index * interval - earlyMs <= now)
        ++index;
    }
    requestFrame();
  }

  function requestFrame() {
    if (!paced && !failed && !frameRequest && !document.hidden)
      frameRequest = requestAnimationFrame(tick);
  }

  function followVisibility() {
    wasm._vorpi_set_animating(host, document.hidden ? 0 : 1);
    if (document.hidden) {
      cancelAnimationFrame(frameRequest);
      frameRequest = 0;
    } else {
      origin = -1;
      requestFrame();
    }
  }

  let resizeTimer = 0;
  function resized() {
    clearTimeout(resizeTimer);
    resizeTimer = setTimeout(() => {
      const size = windowSize();
      if (size.width !== cssSize.width || size.height !== cssSize.height || window.devicePixelRatio !== scale)
        startView();
    }, resizeSettleMs);
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

  function showSeed(chosen) {
    const link = document.createElement('a');
    const repeat = new URL(location.href);
    repeat.searchParams.set('seed', String(seed));
    link.href = repeat.href;
    link.textContent = chosen ? 'repeat this run' : 'link to this run';
    info.replaceChildren('seed ' + seed + ' \u00b7 ', link);
    info.hidden = false;
  }

  function showFrameRate() {
    let last = framesShown;
    let lastTime = performance.now();
    fpsText.hidden = false;
    setInterval(() => {
      const now = performance.now();
      fpsText.textContent = ((framesShown - last) * 1000 / (now - lastTime)).toFixed(1) + ' fps';
      last = framesShown;
      lastTime = now;
    }, 1000);
  }

  function start(module) {
    wasm = module;
    if (!startView())
      return;
    document.addEventListener('visibilitychange', followVisibility);
    addEventListener('resize', resized);
    addEventListener('dblclick', toggleFullScreen);
    addEventListener('keydown', (event) => {
      if ((event.key === 'f' || event.key === 'F') && !event.ctrlKey && !event.metaKey && !event.altKey)
        toggleFullScreen();
    });
    addEventListener('pointermove', showCursor);
    addEventListener('pointerdown', showCursor);
    showCursor();
    if (params.has('fps'))
      showFrameRate();
    window.vorpiPage = {
      seed: () => seed,
      frames: () => wasm._vorpi_frames_run(host),
      // The wasm canvas, for comparing with what the page shows.
      pixels: () => new Uint8Array(pixels().data),
    };
    if (paced) {
      window.vorpiPage.step = (count) => {
        for (let i = 0; i < count; ++i)
          runFrame();
        return wasm._vorpi_frames_run(host);
      };
      window.vorpiPage.module = wasm;
    }
    document.title = 'vorpi';
  }

  const choice = chooseSeed();
  if (choice.error) {
    fail(choice.error);
  } else if (typeof WebAssembly !== 'object') {
    fail('This browser cannot run WebAssembly, which vorpi needs.');
  } else {
    seed = choice.seed;
    showSeed(choice.chosen);
    const hint = location.protocol === 'file:' ? ' Browsers load it only for a page served over HTTP, for example by ' +
      '"python3 -m http.server" in the folder of this page.' : '';
    createVorpiModule().then(start, (error) => fail('vorpi could not load its WebAssembly code (' + error + ').' + hint));
  }
})();
