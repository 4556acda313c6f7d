// The page Tessaro plays in: it fetches the story's files (named by manifest.json) into the
// program's file system with a loading bar, waits for the reader's first click, tap or key (the
// browser lets sound start only after one), then runs the program. The program calls back into
// Module.page for everything a window gives it: the canvas, keys and pointer, sleeping, its
// message box, music (FluidSynth in an AudioWorklet, through js-synthesizer) and sound effects.
"use strict";

(function () {
  // The reader's keys by event.code, as ReaderKey (system/ReaderInput.h) numbers them; what they
  // mean is decided in the program. What it asks the page to do: InputRequest's numbers.
  const READER_KEYS = {
    Space: 0, Enter: 1, NumpadEnter: 2, ArrowUp: 3, ArrowDown: 4, PageUp: 5, PageDown: 6, Home: 7,
    Escape: 8, KeyM: 9, F11: 10, ControlLeft: 11, ControlRight: 11,
  };
  const REQUEST_FULLSCREEN = 1, REQUEST_CLOSE_BOX = 2;
  const modifiers = (event) => (event.ctrlKey ? 1 : 0) | (event.altKey ? 2 : 0) | (event.metaKey ? 4 : 0);
  const screen = document.getElementById("screen");
  const boxCanvas = document.getElementById("box");
  const veil = document.getElementById("veil");
  const screenPainter = paintScreenAside() || paintScreenHere();
  const boxContext = boxCanvas.getContext("2d");
  const $ = (id) => document.getElementById(id);

  const page = {
    started: false,
    running: false,
    wakeUp: null,
    timer: 0,
    boxOpen: false,
    boxEvents: [],
    imageWidth: 304,
    imageHeight: 304,
    scale: 1,
    audio: null,
    volume: 1,
    // Figures the tests and the benchmark read.
    firstCharacterAt: 0,
    frames: 0,
  };
  window.TessaroPage = page;

  // --- the canvas: painted in a worker where the browser can, so that a changed rectangle (the
  // page wait's ▲ ten times a second) costs the page's own thread one message, not a frame of the
  // whole document; painted here where it cannot ---
  function paintScreenAside() {
    if (!screen.transferControlToOffscreen || !window.Worker) return null;
    // The worker's few lines travel inside this file, so that the page has no file more to fetch.
    function painter() {
      let canvas = null, context = null;
      onmessage = (event) => {
        const m = event.data;
        if (m.canvas) { canvas = m.canvas; context = canvas.getContext("2d"); }
        if (m.size) { canvas.width = m.size[0]; canvas.height = m.size[1]; }
        if (m.pixels) context.putImageData(new ImageData(new Uint8ClampedArray(m.pixels), m.w, m.h), m.x, m.y);
        if (m.read !== undefined)
          postMessage({ read: m.read, pixels: context.getImageData(0, 0, canvas.width, canvas.height).data });
      };
    }
    let worker, canvas;
    try {
      worker = new Worker(URL.createObjectURL(new Blob([`(${painter})()`], { type: "text/javascript" })));
      canvas = screen.transferControlToOffscreen();
      worker.postMessage({ canvas }, [canvas]);
    } catch (error) {
      if (worker) worker.terminate();
      return null;
    }
    const reads = new Map();
    let readNumber = 0;
    worker.onmessage = (event) => {
      const done = reads.get(event.data.read);
      reads.delete(event.data.read);
      if (done) done(event.data.pixels);
    };
    return {
      aside: true,
      resize: (width, height) => worker.postMessage({ size: [width, height] }),
      paint: (pixels, x, y, w, h) => worker.postMessage({ pixels: pixels.buffer, x, y, w, h }, [pixels.buffer]),
      // In order after every paint posted before it.
      read: () => new Promise((done) => { reads.set(++readNumber, done); worker.postMessage({ read: readNumber }); }),
    };
  }
  function paintScreenHere() {
    const context = screen.getContext("2d");
    return {
      aside: false,
      resize: (width, height) => { screen.width = width; screen.height = height; },
      paint: (pixels, x, y, w, h) => context.putImageData(new ImageData(pixels, w, h), x, y),
      read: async () => context.getImageData(0, 0, screen.width, screen.height).data,
    };
  }
  page.screenPaintedAside = screenPainter.aside;
  // What the canvas shows, as RGBA bytes (the tests compare it with the Linux build's pixels).
  page.readPixels = (id = "screen") => {
    if (id === "screen") return screenPainter.read();
    const c = document.getElementById(id);
    return Promise.resolve(c.getContext("2d").getImageData(0, 0, c.width, c.height).data);
  };

  // --- the canvas, scaled by whole numbers to fit the page ---
  function fit() {
    const ratio = window.devicePixelRatio || 1;
    const room = Math.min(window.innerWidth * ratio / page.imageWidth, window.innerHeight * ratio / page.imageHeight);
    page.scale = Math.max(1, Math.floor(room));
    const cssWidth = page.imageWidth * page.scale / ratio, cssHeight = page.imageHeight * page.scale / ratio;
    screen.style.width = cssWidth + "px";
    screen.style.height = cssHeight + "px";
    if (page.boxOpen) placeBox();
  }
  window.addEventListener("resize", () => { fit(); page.wake(); });
  window.addEventListener("orientationchange", fit);

  page.openWindow = function (width, height) {
    page.imageWidth = width;
    page.imageHeight = height;
    screenPainter.resize(width, height);
    fit();
  };

  page.show = function (rgba, width, height, x, y, w, h) {
    // Only the rectangle that changed is copied out of the program's memory.
    const pixels = new Uint8ClampedArray(w * h * 4);
    const heap = Module.HEAPU8;
    for (let row = 0; row < h; row++) {
      const from = rgba + ((y + row) * width + x) * 4;
      pixels.set(heap.subarray(from, from + w * 4), row * w * 4);
    }
    screenPainter.paint(pixels, x, y, w, h);
    page.frames++;
    if (!page.firstFrameAt) page.firstFrameAt = performance.now();
    // For the benchmark: when the first character of the box was drawn (a glyph-sized change in
    // the box's text rows), and, when asked, when every frame was.
    if (!page.firstCharacterAt && y >= 212 && w <= 16 && h <= 24) page.firstCharacterAt = performance.now();
    if (page.frameTimes) page.frameTimes.push(performance.now());
  };

  // --- sleeping: the program's waits end at their deadline or when the page has news ---
  page.sleep = function (ms, wakeUp) {
    page.wakeUp = wakeUp;
    // Timers count whole milliseconds and drop the fraction: one that fired a fraction early would
    // make the program sleep again for nothing, and nested that soon the browser holds it 4 ms.
    page.timer = setTimeout(page.wake, Math.max(0, Math.ceil(ms)));
  };
  page.wake = function () {
    const wakeUp = page.wakeUp;
    if (!wakeUp) return;
    page.wakeUp = null;
    clearTimeout(page.timer);
    wakeUp();
  };

  // --- keys and pointer: told to the program's reader input (platform/web/WebInput), which
  // decides what they mean by the same rules as on the desktop. Only once the program runs:
  // before the start, the first gesture starts it and counts for nothing. ---
  const tell = (name, ...args) => (page.started ? Module["_Web" + name](...args) : 0);
  function imagePoint(canvas, clientX, clientY, width, height) {
    const r = canvas.getBoundingClientRect();
    const x = Math.floor((clientX - r.left) * width / r.width);
    const y = Math.floor((clientY - r.top) * height / r.height);
    return x >= 0 && y >= 0 && x < width && y < height ? [x, y] : null;
  }

  function toggleFullscreen() {
    if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
    else document.documentElement.requestFullscreen().catch(() => {});
  }
  document.addEventListener("fullscreenchange", () => { fit(); page.wake(); });

  window.addEventListener("keydown", (event) => {
    if (!page.started) { start(event); return; }
    const key = READER_KEYS[event.code];
    // With the box open no key goes to the page behind it.
    if (key === undefined && !page.boxOpen) return;
    event.preventDefault();
    if (key === undefined) return;
    const request = tell(page.boxOpen ? "KeyInBox" : "KeyDown", key, modifiers(event), event.repeat ? 1 : 0);
    if (request === REQUEST_FULLSCREEN) toggleFullscreen();
    if (request === REQUEST_CLOSE_BOX) page.boxEvents.push([1, 0, 0]);
    page.wake();
  });
  window.addEventListener("keyup", (event) => {
    const key = READER_KEYS[event.code];
    if (key === undefined) return;
    tell("KeyUp", key);
    page.wake();
  });
  window.addEventListener("blur", () => tell("Focus", 0));
  window.addEventListener("focus", () => tell("Focus", 1));

  // A press in the page is told before the focus it brings, so that the click that brings the
  // page back is known for what it is.
  function click(button, clientX, clientY) {
    const at = imagePoint(screen, clientX, clientY, page.imageWidth, page.imageHeight);
    tell("Click", button, at ? 1 : 0, at ? at[0] : 0, at ? at[1] : 0);
    tell("Focus", 1);
    page.wake();
  }
  screen.addEventListener("mousedown", (event) => {
    if (!page.started) { start(event); return; }
    if (page.boxOpen || (event.button !== 0 && event.button !== 2)) return;
    click(event.button === 0 ? 0 : 1, event.clientX, event.clientY);
  });
  // The right button is the reader's (it closes the backlog), not the browser's menu.
  screen.addEventListener("contextmenu", (event) => event.preventDefault());
  screen.addEventListener("mousemove", (event) => {
    if (!page.started || page.boxOpen) return;
    const at = imagePoint(screen, event.clientX, event.clientY, page.imageWidth, page.imageHeight);
    if (at) { tell("PointerAt", at[0], at[1]); page.wake(); }
  });
  screen.addEventListener("wheel", (event) => {
    event.preventDefault();
    if (!page.started || page.boxOpen) return;
    tell("Wheel", event.deltaY < 0 ? 1 : event.deltaY > 0 ? -1 : 0);
    page.wake();
  }, { passive: false });
  // A tap is a click where it lands: Space, and on an answer, that answer.
  document.addEventListener("touchstart", (event) => {
    if (event.target.closest && event.target.closest("button")) return;  // "Play again" takes its tap
    event.preventDefault();
    const touch = event.changedTouches[0];
    if (!page.started) { start(event); return; }
    if (page.boxOpen) { boxPointer(2, touch.clientX, touch.clientY); return; }
    click(0, touch.clientX, touch.clientY);
  }, { passive: false });
  document.addEventListener("touchend", (event) => {
    if (event.target.closest && event.target.closest("button")) return;
    event.preventDefault();
    const touch = event.changedTouches[0];
    if (page.boxOpen) boxPointer(3, touch.clientX, touch.clientY);
  }, { passive: false });
  document.addEventListener("mousedown", (event) => {
    if (!page.started && event.target !== screen) start(event);
  });

  // --- our message box, modal over the canvas ---
  function placeBox() {
    const ratio = window.devicePixelRatio || 1;
    boxCanvas.style.width = boxCanvas.width * page.scale / ratio + "px";
    boxCanvas.style.height = boxCanvas.height * page.scale / ratio + "px";
  }
  function boxPointer(kind, clientX, clientY) {
    const at = imagePoint(boxCanvas, clientX, clientY, boxCanvas.width, boxCanvas.height) || [-1, -1];
    page.boxEvents.push([kind, at[0], at[1]]);
    page.wake();
  }
  boxCanvas.addEventListener("mousedown", (event) => { if (event.button === 0) boxPointer(2, event.clientX, event.clientY); });
  window.addEventListener("mouseup", (event) => { if (page.boxOpen && event.button === 0) boxPointer(3, event.clientX, event.clientY); });
  page.showBox = function (rgba, width, height) {
    boxCanvas.width = width;
    boxCanvas.height = height;
    const pixels = new Uint8ClampedArray(Module.HEAPU8.buffer, rgba, width * height * 4);
    boxContext.putImageData(new ImageData(pixels.slice(), width, height), 0, 0);
    if (!page.boxOpen) {
      page.boxOpen = true;
      page.boxEvents = [];
      screen.style.filter = "brightness(0.8)";
      boxCanvas.hidden = false;
    }
    placeBox();
    boxCanvas.focus();
  };
  page.takeBoxEvent = function (xy) {
    const event = page.boxEvents.shift();
    if (!event) return 0;
    Module.HEAP32[xy >> 2] = event[1];
    Module.HEAP32[(xy >> 2) + 1] = event[2];
    return event[0];
  };
  page.hideBox = function () {
    page.boxOpen = false;
    boxCanvas.hidden = true;
    screen.style.filter = "";
  };

  // --- sound: one context, the synthesizer and the effects into one meter the tests read ---
  function startAudio() {
    const AudioContextClass = window.AudioContext || window.webkitAudioContext;
    if (!AudioContextClass) return;
    const ctx = new AudioContextClass();
    const out = ctx.createGain();
    const meter = ctx.createAnalyser();
    meter.fftSize = 2048;
    out.gain.value = page.volume;
    out.connect(ctx.destination);
    out.connect(meter);
    page.audio = { ctx, out, meter, synth: null, queue: Promise.resolve(), midi: null, atEnd: false,
                   playing: false, poll: 0, effect: null, effectNumber: 0, restTimer: 0 };
    ctx.resume().catch(() => {});
    page.audio.queue = startSynth(page.audio).catch((error) => {
      console.warn("tessaro: music is silent:", error);
      page.audio.synth = null;
    }).then(() => rest());
  }
  // The audio device runs only while something sounds: a running context costs the page's main
  // thread a few per cent even in silence. It rests a moment after the last sound, so that what
  // still rings out (released notes, an effect's end) is heard to its end.
  function wakeAudio() {
    const audio = page.audio;
    clearTimeout(audio.restTimer);
    if (audio.ctx.state === "suspended") audio.ctx.resume().catch(() => {});
  }
  function rest() {
    const audio = page.audio;
    clearTimeout(audio.restTimer);
    audio.restTimer = setTimeout(() => {
      if (!audio.playing && !audio.effect) audio.ctx.suspend().catch(() => {});
    }, 1500);
  }
  async function startSynth(audio) {
    if (!files.soundFont) throw new Error("the story has no music, so no soundfont came with it");
    if (!window.JSSynth || !audio.ctx.audioWorklet) throw new Error("no AudioWorklet here");
    await audio.ctx.audioWorklet.addModule("libfluidsynth.js");
    await audio.ctx.audioWorklet.addModule("js-synthesizer.worklet.min.js");
    const synth = new JSSynth.AudioWorkletNodeSynthesizer();
    // The same loudness as the desktop's synthesizer.
    synth.init(audio.ctx.sampleRate, { initialGain: 2.5 });
    const node = synth.createAudioNode(audio.ctx);
    node.connect(audio.out);
    await synth.loadSFont(files.soundFont);
    audio.synth = synth;
  }
  // Music commands run in order on the synthesizer (each waits for the one before); the answers
  // the program gets are the states kept here, at once.
  function music(step) {
    const audio = page.audio;
    if (!audio) return;
    audio.queue = audio.queue.then(() => (audio.synth ? step(audio.synth) : null)).catch(() => {});
  }
  function watchEnd(on) {
    const audio = page.audio;
    clearInterval(audio.poll);
    audio.poll = 0;
    if (!on) return;
    audio.poll = setInterval(() => {
      music(async (synth) => {
        const [tick, total] = await Promise.all([synth.retrievePlayerCurrentTick(), synth.retrievePlayerTotalTicks()]);
        if (audio.playing && total > 0 && tick >= total) {
          audio.atEnd = true;
          audio.playing = false;
          watchEnd(false);
          rest();
        }
      });
    }, 250);
  }
  page.musicLoad = function (bytes, length) {
    const audio = page.audio;
    if (!audio) return;
    if (length > 0) audio.midi = Module.HEAPU8.slice(bytes, bytes + length).buffer;
    audio.atEnd = false;
    audio.playing = false;
    watchEnd(false);
    const midi = audio.midi;
    music(async (synth) => {
      synth.stopPlayer();
      await synth.resetPlayer();
      await synth.addSMFDataToPlayer(midi.slice(0));
    });
  };
  page.musicPlay = function (fromStart) {
    const audio = page.audio;
    if (!audio || !audio.midi) return;
    if (fromStart) page.musicLoad(0, 0);
    wakeAudio();
    audio.playing = true;
    music((synth) => synth.playPlayer());
    watchEnd(true);
  };
  page.musicStop = function () {
    const audio = page.audio;
    if (!audio) return;
    audio.playing = false;
    watchEnd(false);
    music((synth) => synth.stopPlayer());
    rest();
  };
  page.musicClose = function () {
    const audio = page.audio;
    if (!audio) return;
    audio.playing = false;
    audio.atEnd = false;
    audio.midi = null;
    watchEnd(false);
    music(async (synth) => { synth.stopPlayer(); await synth.resetPlayer(); });
    rest();
  };
  page.musicAtEnd = () => (page.audio && page.audio.atEnd ? 1 : 0);

  // Each new effect cuts the one still playing, even one still being decoded.
  page.playEffect = function (bytes, length) {
    const audio = page.audio;
    if (!audio) return;
    const number = ++audio.effectNumber;
    if (audio.effect) { try { audio.effect.stop(); } catch (e) {} audio.effect = null; }
    wakeAudio();
    const data = Module.HEAPU8.slice(bytes, bytes + length).buffer;
    audio.ctx.decodeAudioData(data).then((buffer) => {
      if (number !== audio.effectNumber) return;
      const source = audio.ctx.createBufferSource();
      source.buffer = buffer;
      source.connect(audio.out);
      source.onended = () => {
        if (audio.effect !== source) return;
        audio.effect = null;
        rest();
      };
      source.start();
      audio.effect = source;
    }, () => rest());
  };
  // Music and effects together, 0 to 100: the program's volume and its mute. What was heard
  // before goes on from where it is.
  page.setVolume = function (percent) {
    page.volume = percent / 100;
    if (page.audio) page.audio.out.gain.value = page.volume;
  };
  // The loudest sample of what was heard in the last few hundredths of a second.
  page.audioPeak = function () {
    if (!page.audio) return 0;
    const samples = new Float32Array(page.audio.meter.fftSize);
    page.audio.meter.getFloatTimeDomainData(samples);
    let peak = 0;
    for (const s of samples) peak = Math.max(peak, Math.abs(s));
    return peak;
  };

  // --- the end ---
  page.storyEnded = function (status) {
    page.running = false;
    if (page.audio) { page.musicClose(); if (page.audio.effect) try { page.audio.effect.stop(); } catch (e) {} }
    page.endStatus = status;
    veil.hidden = false;
    $("ended").hidden = false;
  };
  $("again").addEventListener("click", () => location.reload());

  // --- loading, then the first gesture ---
  const files = { soundFont: null };
  let programReady = false, filesReady = false;

  function start(event) {
    if (page.started || !programReady || !filesReady) return;
    if (event) event.preventDefault();
    page.started = true;
    veil.hidden = true;
    $("prompt").hidden = true;
    startAudio();
    screen.focus();
    Module._WebFocus(1);  // the page has the reader's gesture, and so the focus
    page.running = true;
    page.startedAt = performance.now();
    setTimeout(() => Module.callMain([]), 0);
  }
  function readyToStart() {
    if (!programReady || !filesReady) return;
    $("loading").hidden = true;
    $("prompt").hidden = false;
    page.loadedAt = performance.now();
    // Tests and the benchmark may start without a gesture: ?autostart
    if (/[?&]autostart\b/.test(location.search)) start(null);
  }

  async function fetchAll() {
    const manifest = await (await fetch("manifest.json")).json();
    // A story without music may come without the soundfont.
    const soundFont = manifest.soundFont || null;
    const total = manifest.files.reduce((sum, f) => sum + f.size, 0) + manifest.font.size + (soundFont ? soundFont.size : 0);
    let done = 0;
    const fill = $("bar-fill");
    async function get(url) {
      const response = await fetch(url);
      if (!response.ok) throw new Error(url + ": " + response.status);
      const reader = response.body.getReader();
      const parts = [];
      for (;;) {
        const { done: end, value } = await reader.read();
        if (end) break;
        parts.push(value);
        done += value.length;
        fill.style.width = Math.min(100, 100 * done / Math.max(1, total)) + "%";
      }
      const all = new Uint8Array(parts.reduce((n, p) => n + p.length, 0));
      let at = 0;
      for (const p of parts) { all.set(p, at); at += p.length; }
      return all;
    }
    const got = await Promise.all([
      ...manifest.files.map((f) => get("story/" + f.path.split("/").map(encodeURIComponent).join("/")).then((bytes) => [f.path, bytes])),
      get(manifest.font.path).then((bytes) => ["\0font", bytes]),
      ...(soundFont ? [get(soundFont.path).then((bytes) => ["\0soundfont", bytes])] : []),
    ]);
    return got;
  }

  window.Module = {
    page,
    noInitialRun: true,
    print: (text) => console.log(text),
    printErr: (text) => console.error(text),
    onRuntimeInitialized: () => { programReady = true; Module.installFiles(); readyToStart(); },
  };
  let fetched = null;
  Module.installFiles = function () {
    if (!fetched || !programReady) return;
    for (const [path, bytes] of fetched) {
      if (path === "\0font") { Module.FS.writeFile("/ipag.ttf", bytes); continue; }
      if (path === "\0soundfont") { files.soundFont = bytes.buffer; continue; }
      const full = "/story/" + path;
      Module.FS.mkdirTree(full.substring(0, full.lastIndexOf("/")));
      Module.FS.writeFile(full, bytes);
    }
    Module.FS.mkdirTree("/story");
    fetched = null;
    filesReady = true;
  };
  fetchAll().then((got) => { fetched = got; Module.installFiles(); readyToStart(); }, (error) => {
    $("loading-text").textContent = "The story could not be loaded: " + error.message;
    console.error("tessaro:", error);
  });
  fit();
  const script = document.createElement("script");
  script.src = "tessaro.js";
  document.body.appendChild(script);
})();
