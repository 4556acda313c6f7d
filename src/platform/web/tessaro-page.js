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
    Minus: 12, Equal: 13, NumpadSubtract: 14, NumpadAdd: 15, BracketLeft: 16, BracketRight: 17, KeyA: 18,
  };
  const REQUEST_FULLSCREEN = 1, REQUEST_CLOSE_BOX = 2;
  const modifiers = (event) => (event.ctrlKey ? 1 : 0) | (event.altKey ? 2 : 0) | (event.metaKey ? 4 : 0);
  const screen = document.getElementById("screen");
  const boxCanvas = document.getElementById("box");
  const veil = document.getElementById("veil");
  const screenPainter = paintScreenAside() || paintScreenHere();
  const boxContext = boxCanvas.getContext("2d");
  const $ = (id) => document.getElementById(id);

  // --- the page's own words, in the reader's language: Japanese, or English for everyone else ---
  const japanese = /^ja\b/i.test((navigator.languages && navigator.languages[0]) || navigator.language || "");
  const WORDS = {
    loading: ["読み込んでいます…", "Loading…"],
    start: ["タップするか、キーを押すと始まります", "Tap, click or press a key to start"],
    ended: ["物語はおしまいです。", "The story has ended."],
    again: ["もう一度読む", "Play again"],
    soundHeld: ["♪ タップで音が出ます", "♪ Tap for sound"],
    failed: ["物語を読み込めませんでした: ", "The story could not be loaded: "],
    screen: ["物語の画面", "The story's screen"],
    menu: ["メニュー", "Menu"],
    fullscreen: ["全画面", "Fullscreen"],
    mute: ["消音", "Mute"],
    backlog: ["読み返す", "Backlog"],
    skip: ["スキップ", "Skip"],
    auto: ["オート（自動でページを送る）", "Auto (pages turn by themselves)"],
    volume: ["音量", "Volume"],
    quieter: ["−", "−"],
    louder: ["+", "+"],
    speed: ["文字の速さ", "Text speed"],
    slow: ["ゆっくり", "Slow"],
    normal: ["ふつう", "Normal"],
    fast: ["はやい", "Fast"],
    instant: ["すぐ", "Instant"],
    help: ["タップ: ページを送る。答えは一度のタップで⇒を動かし、もう一度で決める。" +
           "下へなぞる: 読み返す（なぞって戻る、右ボタンかEscで閉じる）。スキップは次のタップまで。",
           "Tap: next page. On an answer, one tap moves the ⇒ and a second tap chooses it. " +
           "Drag down: the backlog (drag to scroll it; tap the menu's Backlog again or Escape to close). Skip runs until your next tap."],
  };
  const words = (name) => WORDS[name][japanese ? 0 : 1];
  document.documentElement.lang = japanese ? "ja" : "en";
  for (const element of document.querySelectorAll("[data-words]")) element.textContent = words(element.dataset.words);
  for (const element of document.querySelectorAll("[data-label]")) element.setAttribute("aria-label", words(element.dataset.label));

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
    boxesShown: 0,
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

  // --- the canvas: scaled by whole numbers to fit the page on a desktop; on a phone (a touch
  // screen) it fills the screen's width, or its height held sideways, each picture pixel drawn
  // nearest-neighbour in device pixels (at most one device pixel uneven) ---
  const phone = window.matchMedia("(pointer: coarse)");
  function fit() {
    const ratio = window.devicePixelRatio || 1;
    const room = Math.min(window.innerWidth * ratio / page.imageWidth, window.innerHeight * ratio / page.imageHeight);
    page.scale = phone.matches ? Math.max(1, room) : Math.max(1, Math.floor(room));
    // Whole device pixels: the browser places the canvas on them, and nearest-neighbour does the rest.
    const cssWidth = Math.floor(page.imageWidth * page.scale) / ratio, cssHeight = Math.floor(page.imageHeight * page.scale) / ratio;
    screen.style.width = cssWidth + "px";
    screen.style.height = cssHeight + "px";
    if (page.boxOpen) placeBox();
  }
  phone.addEventListener("change", fit);
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

  // Fullscreen, held the way the reader holds the phone where the browser lets the page lock it.
  function toggleFullscreen() {
    if (document.fullscreenElement) { document.exitFullscreen().catch(() => {}); return; }
    const requested = document.documentElement.requestFullscreen();
    if (!requested) return;
    requested.then(() => {
      const orientation = window.screen.orientation;
      if (orientation && orientation.lock) orientation.lock(orientation.type.startsWith("portrait") ? "portrait" : "landscape").catch(() => {});
    }, () => {});
  }
  document.addEventListener("fullscreenchange", () => { fit(); page.wake(); });

  window.addEventListener("keydown", (event) => {
    if (!page.started) { start(event); return; }
    page.skipping = false;  // a key ends the menu's skipping (Ctrl held is the keyboard's own)
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
    if (!menu.hidden) { showMenu(false); return; }  // a click beside the open menu closes it
    if (stopSkipping()) return;  // the click that ends skipping is only that
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
  // A finger: a tap when it lifts where it landed (the browser counts only the lift as a gesture
  // that may start sound), told to the program as a tap at that point of the picture: what it
  // does there is the program's rule. A finger drawn up or down is the wheel, a notch every
  // DRAG_NOTCH CSS pixels (down: the backlog, and back through it). Two fingers are the reader's
  // pinch-zoom, and neither.
  const DRAG_NOTCH = 24, TAP_SLOP = 10;
  let touchedAt = null, dragged = 0, notched = 0;
  document.addEventListener("touchstart", (event) => {
    if (event.target.closest && event.target.closest("button, #menu")) return;  // buttons and the menu take their own taps
    const touch = event.changedTouches[0];
    touchedAt = event.touches.length === 1 ? [touch.clientX, touch.clientY] : null;
    dragged = notched = 0;
    if (page.started && page.boxOpen && touchedAt) boxPointer(2, touch.clientX, touch.clientY);
  }, { passive: true });
  document.addEventListener("touchmove", (event) => {
    if (!touchedAt || event.touches.length !== 1 || !page.started || page.boxOpen) { touchedAt = null; return; }
    const touch = event.changedTouches[0];
    const dx = touch.clientX - touchedAt[0], dy = touch.clientY - touchedAt[1];
    dragged = Math.max(dragged, Math.hypot(dx, dy));
    const notches = Math.trunc(dy / DRAG_NOTCH);
    for (; notched < notches; notched++) tell("Wheel", 1);
    for (; notched > notches; notched--) tell("Wheel", -1);
    page.wake();
  }, { passive: true });
  document.addEventListener("touchend", (event) => {
    if (event.target.closest && event.target.closest("button, #menu")) return;
    if (event.cancelable) event.preventDefault();  // no mouse events made up after it
    const touch = event.changedTouches[0];
    const tapped = touchedAt !== null && event.touches.length === 0 && dragged < TAP_SLOP;
    touchedAt = null;
    if (!tapped) return;
    if (!page.started) { start(event); return; }
    if (page.boxOpen) { boxPointer(3, touch.clientX, touch.clientY); return; }
    if (!menu.hidden) { showMenu(false); return; }
    if (stopSkipping()) return;
    const at = imagePoint(screen, touch.clientX, touch.clientY, page.imageWidth, page.imageHeight);
    if (at) tell("Tap", at[0], at[1]);
    page.wake();
  }, { passive: false });
  document.addEventListener("mousedown", (event) => {
    if (!page.started && event.target !== screen) start(event);
  });

  // --- the reader's menu: what a keyboard gives (fullscreen, mute, the backlog, skip, auto mode,
  // the volume) and the text speed, for a reader with only a tap. Each item is the same key or option as on the
  // desktop, handed to the program as that ---
  const menuButton = $("menu-button"), menu = $("menu");
  function showMenu(open) {
    if (open) showTextSpeed();
    menu.hidden = !open;
    menuButton.setAttribute("aria-expanded", open ? "true" : "false");
  }
  menuButton.addEventListener("click", (event) => { event.preventDefault(); showMenu(menu.hidden); });
  function stopSkipping() {
    if (!page.skipping) return false;
    page.skipping = false;
    tell("KeyUp", READER_KEYS.ControlLeft);
    return true;
  }
  // The text speed is the program's, kept with its other settings (the [ and ] keys change it
  // too): the menu sets it there and shows what it is whenever it opens.
  function showTextSpeed() {
    const index = page.started ? Module._WebTextSpeed() : -1;
    for (const b of menu.querySelectorAll("[data-speed]")) b.setAttribute("aria-checked", String(Number(b.dataset.speed) === index));
  }
  function setTextSpeed(index) {
    if (page.started) Module._WebSetTextSpeed(index);
    showTextSpeed();
  }
  menu.addEventListener("click", (event) => {
    const item = event.target.closest("button");
    if (!item) return;
    event.preventDefault();
    if (item.dataset.speed !== undefined) { setTextSpeed(Number(item.dataset.speed)); return; }
    showMenu(false);
    screen.focus();
    switch (item.dataset.do) {
      case "fullscreen": toggleFullscreen(); break;
      // The keys themselves, pressed and let go, as the desktop's are.
      case "mute": tell("KeyDown", READER_KEYS.KeyM, 0, 0); tell("KeyUp", READER_KEYS.KeyM); break;
      case "backlog": tell("KeyDown", READER_KEYS.PageUp, 0, 0); tell("KeyUp", READER_KEYS.PageUp); break;
      case "skip": page.skipping = true; tell("KeyDown", READER_KEYS.ControlLeft, 0, 0); break;
      case "auto": tell("KeyDown", READER_KEYS.KeyA, 0, 0); tell("KeyUp", READER_KEYS.KeyA); break;
      case "quieter": tell("KeyDown", READER_KEYS.Minus, 0, 0); tell("KeyUp", READER_KEYS.Minus); break;
      case "louder": tell("KeyDown", READER_KEYS.Equal, 0, 0); tell("KeyUp", READER_KEYS.Equal); break;
    }
    page.wake();
  });

  // --- our message box, modal over the canvas ---
  // At the picture's scale where it fits; where it does not (a box wider than a narrow phone), as
  // large as fits whole, with a margin.
  function placeBox() {
    const ratio = window.devicePixelRatio || 1;
    const margin = 8;
    const fits = Math.min((window.innerWidth - 2 * margin) * ratio / boxCanvas.width,
                          (window.innerHeight - 2 * margin) * ratio / boxCanvas.height);
    const scale = Math.min(page.scale, fits);
    boxCanvas.style.width = Math.floor(boxCanvas.width * scale) / ratio + "px";
    boxCanvas.style.height = Math.floor(boxCanvas.height * scale) / ratio + "px";
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
      page.boxesShown++;  // for the tests: a box closed by a key already on its way was shown all the same
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
  // The browser lets a page sound only after an input it counts as the reader's gesture (a click,
  // a tap's end, most keys but not Escape). The context is made, and the synthesizer set up in it,
  // while the page waits for the first gesture (it stays silent until then); the story may start
  // on an input the browser does not count: then the context waits, a mark says so, and every
  // later gesture tries again until it runs.
  function prepareAudio() {
    const AudioContextClass = window.AudioContext || window.webkitAudioContext;
    if (!AudioContextClass) return;
    const ctx = new AudioContextClass();
    const out = ctx.createGain();
    const meter = ctx.createAnalyser();
    meter.fftSize = 2048;
    out.gain.value = page.volume;
    out.connect(ctx.destination);
    out.connect(meter);
    page.audio = { ctx, out, meter, synth: null, queue: Promise.resolve(), midi: null, tempo: null, atEnd: false,
                   playing: false, poll: 0, effect: null, effectNumber: 0, restTimer: 0, heldTimer: 0,
                   playAskedAt: 0, inStep: true, hiddenAt: 0 };
    ctx.addEventListener("statechange", () => { showSoundHeld(); bringMusicInStep(); });
    page.audio.queue = startSynth(page.audio).catch((error) => {
      console.warn("tessaro: music is silent:", error);
      page.audio.synth = null;
    }).then(() => { bringMusicInStep(); rest(); });
  }
  const soundWanted = (audio) => audio.playing || !!audio.effect;
  // The audio device runs only while something sounds: a running context costs the page's main
  // thread a few per cent even in silence. It rests a moment after the last sound, so that what
  // still rings out (released notes, an effect's end) is heard to its end. Nothing sounds while
  // the page is hidden.
  function wakeAudio() {
    const audio = page.audio;
    clearTimeout(audio.restTimer);
    if (document.hidden) return;
    if (audio.ctx.state !== "running") audio.ctx.resume().catch(() => {});
    // If the browser still holds it back a moment later, the reader is told.
    clearTimeout(audio.heldTimer);
    audio.heldTimer = setTimeout(showSoundHeld, 400);
  }
  function rest() {
    const audio = page.audio;
    clearTimeout(audio.restTimer);
    audio.restTimer = setTimeout(() => {
      if (!soundWanted(audio)) audio.ctx.suspend().catch(() => {});
    }, 1500);
  }
  // The mark, shown while something should sound and the browser holds the context back.
  function showSoundHeld() {
    const audio = page.audio;
    const held = !!audio && page.running && soundWanted(audio) && !document.hidden && audio.ctx.state !== "running";
    $("sound-held").hidden = !held;
  }
  page.soundHeld = () => !$("sound-held").hidden;
  function tryToSound() {
    const audio = page.audio;
    if (!audio || document.hidden || audio.ctx.state === "running" || !soundWanted(audio)) return;
    audio.ctx.resume().then(showSoundHeld, () => {});
  }
  // Every input the browser may count as a gesture tries again, before the page handles it.
  for (const type of ["keydown", "mousedown", "pointerup", "touchend", "click"])
    window.addEventListener(type, tryToSound, { capture: true });
  $("sound-held").addEventListener("click", (event) => { event.preventDefault(); tryToSound(); });
  // A background tab is silent; the music goes on from where it was when the page shows again.
  document.addEventListener("visibilitychange", () => {
    const audio = page.audio;
    if (!audio) return;
    if (document.hidden) {
      audio.hiddenAt = performance.now();
      audio.ctx.suspend().catch(() => {});
    } else {
      // Time away does not count as time the music should have played.
      if (audio.hiddenAt && !audio.inStep) audio.playAskedAt += performance.now() - audio.hiddenAt;
      audio.hiddenAt = 0;
      if (soundWanted(audio)) wakeAudio();
    }
    showSoundHeld();
  });

  // Music that should have been playing while the context waited (for the reader's gesture, or
  // for the soundfont) starts from where it has got to, not from its beginning.
  function bringMusicInStep() {
    const audio = page.audio;
    if (!audio || !audio.playing || audio.inStep || !audio.synth || audio.ctx.state !== "running") return;
    audio.inStep = true;
    const late = performance.now() - audio.playAskedAt;
    if (late < 200 || !audio.tempo) return;
    music(async (synth) => {
      const [tick, total] = await Promise.all([synth.retrievePlayerCurrentTick(), synth.retrievePlayerTotalTicks()]);
      const length = audio.tempo.msAt(total);
      if (!(length > 0)) return;
      synth.seekPlayer(audio.tempo.tickAt((audio.tempo.msAt(tick) + late) % length));
    });
  }
  // A standard MIDI file's tempo map: milliseconds at a tick, and the tick at a millisecond.
  function tempoMap(bytes) {
    const data = new Uint8Array(bytes);
    const word = (at) => (data[at] << 8) | data[at + 1];
    const long = (at) => ((data[at] << 24) >>> 0) + (data[at + 1] << 16) + (data[at + 2] << 8) + data[at + 3];
    const division = word(12);
    if (division & 0x8000) {  // SMPTE: a fixed number of ticks a second
      const perMs = (256 - (division >> 8)) * (division & 0xff) / 1000;
      return { msAt: (tick) => tick / perMs, tickAt: (ms) => Math.floor(ms * perMs) };
    }
    const changes = [];
    let at = 8 + long(4);
    while (at + 8 <= data.length) {
      const end = Math.min(data.length, at + 8 + long(at + 4));
      if (String.fromCharCode(data[at], data[at + 1], data[at + 2], data[at + 3]) === "MTrk") {
        let p = at + 8, tick = 0, status = 0;
        const vlq = () => { let v = 0, b; do { b = data[p++]; v = v * 128 + (b & 0x7f); } while (b & 0x80 && p < end); return v; };
        while (p < end) {
          tick += vlq();
          let s = data[p];
          if (s & 0x80) p++; else s = status;
          if (s === 0xff) {
            const type = data[p++], length = vlq();
            if (type === 0x51 && length === 3) changes.push([tick, (data[p] << 16) | (data[p + 1] << 8) | data[p + 2]]);
            p += length;
          } else if (s === 0xf0 || s === 0xf7) { p += vlq(); }
          else { status = s; p += (s & 0xf0) === 0xc0 || (s & 0xf0) === 0xd0 ? 1 : 2; }
        }
      }
      at = end;
    }
    changes.sort((x, y) => x[0] - y[0]);
    // Segments: [first tick, ms at it, microseconds a beat].
    const segments = [[0, 0, 500000]];
    for (const [tick, tempo] of changes) {
      const last = segments[segments.length - 1];
      segments.push([tick, last[1] + (tick - last[0]) * last[2] / division / 1000, tempo]);
    }
    const msAt = (tick) => {
      let s = segments[0];
      for (const x of segments) if (x[0] <= tick) s = x;
      return s[1] + (tick - s[0]) * s[2] / division / 1000;
    };
    const tickAt = (ms) => {
      let s = segments[0];
      for (const x of segments) if (x[1] <= ms) s = x;
      return Math.floor(s[0] + (ms - s[1]) * 1000 * division / s[2]);
    };
    return { msAt, tickAt };
  }
  page.tempoMap = tempoMap;  // for the tests
  function loadScript(src) {
    return new Promise((resolve, reject) => {
      const script = document.createElement("script");
      script.src = src;
      script.onload = resolve;
      script.onerror = () => reject(new Error(src + " did not load"));
      document.body.appendChild(script);
    });
  }
  // The synthesizer comes after the story's first text: its code and the soundfont are fetched
  // in the background, and music asked for meanwhile starts, in step, when they are in.
  async function startSynth(audio) {
    if (!files.soundFont) throw new Error("the story has no music, so no soundfont came with it");
    if (!audio.ctx.audioWorklet) throw new Error("no AudioWorklet here");
    if (!window.JSSynth) await loadScript("js-synthesizer.min.js");
    await audio.ctx.audioWorklet.addModule("libfluidsynth.js");
    await audio.ctx.audioWorklet.addModule("js-synthesizer.worklet.min.js");
    const synth = new JSSynth.AudioWorkletNodeSynthesizer();
    // The same loudness as the desktop's synthesizer.
    synth.init(audio.ctx.sampleRate, { initialGain: 2.5 });
    const node = synth.createAudioNode(audio.ctx);
    node.connect(audio.out);
    await synth.loadSFont(await files.soundFont);
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
    if (length > 0) {
      audio.midi = Module.HEAPU8.slice(bytes, bytes + length).buffer;
      try { audio.tempo = tempoMap(audio.midi); } catch (e) { audio.tempo = null; }
    }
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
    audio.playing = true;
    // Heard from now on, or, if the sound is held back now, brought in step when it comes.
    audio.playAskedAt = performance.now();
    audio.inStep = audio.ctx.state === "running" && !!audio.synth;
    wakeAudio();
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

  // --- what is kept for the reader between visits (the program's Kept places): the settings once
  // for the site, the bookmarks for the page's own folder, so that two stories published on one
  // site keep apart. Storage that is switched off or full costs the bookmark, never the story. ---
  const KEPT_BOOKMARKS = 0;
  function keptPrefix(place) {
    if (place !== KEPT_BOOKMARKS) return "tessaro:settings:";
    return "tessaro:bookmarks:" + location.pathname.replace(/[^/]*$/, "") + ":";
  }
  page.keptPlace = (place) => "localStorage " + keptPrefix(place);
  page.keptRead = function (place, name) {
    try { return window.localStorage.getItem(keptPrefix(place) + name); } catch (error) { return null; }
  };
  page.keptWrite = function (place, name, text) {
    try { window.localStorage.setItem(keptPrefix(place) + name, text); return ""; } catch (error) { return String(error.message || error); }
  };
  page.keptForget = function (place, name) {
    try {
      const prefix = keptPrefix(place);
      if (name) { window.localStorage.removeItem(prefix + name); return; }
      const all = [];
      for (let i = 0; i < window.localStorage.length; ++i) {
        const key = window.localStorage.key(i);
        if (key.startsWith(prefix)) all.push(key);
      }
      for (const key of all) window.localStorage.removeItem(key);
    } catch (error) { /* nothing kept, nothing to forget */ }
  };

  // --- what a screen reader reads: each page's text and each question, as the story shows them
  // (the canvas itself is one labelled picture) ---
  page.announce = function (text) {
    $("story-text").textContent = text;
  };

  // --- the end ---
  page.storyEnded = function (status) {
    page.running = false;
    if (page.audio) { page.musicClose(); if (page.audio.effect) try { page.audio.effect.stop(); } catch (e) {} }
    page.endStatus = status;
    showMenu(false);
    menuButton.hidden = true;
    veil.hidden = false;
    $("ended").hidden = false;
  };
  $("again").addEventListener("click", () => location.reload());

  // --- loading: what the first page needs first (the scenario files, the font, the first
  // picture), then the first gesture; the rest comes in the background in the order the story
  // names it, and the program waits for a file still on its way (WebPlatform) ---
  const files = { soundFont: null };   // the soundfont's bytes to come (a promise), if the story has one
  const coming = new Map();            // lower-case story path → the path, while it is on its way
  let programReady = false, filesReady = false, arrived = [];

  function start(event) {
    if (page.started || !programReady || !filesReady) return;
    if (event && event.cancelable) event.preventDefault();
    page.started = true;
    veil.hidden = true;
    $("prompt").hidden = true;
    if (page.audio) page.audio.ctx.resume().catch(() => {});
    screen.focus();
    Module._WebFocus(1);  // the page has the reader's gesture, and so the focus
    page.running = true;
    page.startedAt = performance.now();
    menuButton.hidden = false;
    setTimeout(() => Module.callMain([]), 0);
  }
  function readyToStart() {
    if (!programReady || !filesReady) return;
    if (!page.audio) prepareAudio();
    $("loading").hidden = true;
    $("prompt").hidden = false;
    page.loadedAt = performance.now();
    // Tests and the benchmark may start without a gesture: ?autostart
    if (/[?&]autostart\b/.test(location.search)) start(null);
  }

  const storyUrl = (p) => "story/" + p.split("/").map(encodeURIComponent).join("/");
  async function get(url, counted) {
    const response = await fetch(url);
    if (!response.ok) throw new Error(url + ": " + response.status);
    const reader = response.body.getReader();
    const parts = [];
    for (;;) {
      const { done: end, value } = await reader.read();
      if (end) break;
      parts.push(value);
      if (counted) counted(value.length);
    }
    const all = new Uint8Array(parts.reduce((n, p) => n + p.length, 0));
    let at = 0;
    for (const p of parts) { all.set(p, at); at += p.length; }
    return all;
  }
  // The pictures, music and effects in the order the scenario files name them (L, B and W with
  // their two digits, read past the two-byte characters of CP932), then anything never named.
  function storyOrder(manifest, scenarios) {
    const byName = new Map(manifest.files.map((f) => [f.path.toLowerCase(), f]));
    const named = [];
    const kinds = { L: ["picture/pic", ".bmp"], B: ["bgm/bgm", ".mid"], W: ["wave/wave", ".wav"] };
    for (const [, bytes] of scenarios) {
      let text = "";
      for (let i = 0; i < bytes.length; i++) {
        const b = bytes[i];
        if ((b >= 0x81 && b <= 0x9f) || (b >= 0xe0 && b <= 0xfc)) { i++; text += " "; }
        else text += b < 0x80 ? String.fromCharCode(b) : " ";
      }
      for (const m of text.matchAll(/([LBW])([0-9]{2})/g)) {
        const file = byName.get(kinds[m[1]][0] + m[2] + kinds[m[1]][1]);
        if (file && !named.includes(file)) named.push(file);
      }
    }
    const rest = manifest.files.filter((f) => !named.includes(f) && !/^data\//i.test(f.path));
    return named.concat(rest);
  }
  function arrive(path, bytes) {
    arrived.push([path, bytes]);
    coming.delete(path.toLowerCase());
    installFiles();
    page.wake();  // the program may be waiting for this one
  }
  // 1 while the story's file (as the program names it, "/story\Picture\Pic01.bmp") is on its way.
  page.fileComing = function (name) {
    const path = name.replace(/\\/g, "/").replace(/^\/story\//, "").toLowerCase();
    return coming.has(path) ? 1 : 0;
  };

  async function fetchStory() {
    const manifest = await (await fetch("manifest.json")).json();
    const scenarioFiles = manifest.files.filter((f) => /^data\//i.test(f.path));
    for (const f of manifest.files) coming.set(f.path.toLowerCase(), f.path);
    if (manifest.soundFont) {
      files.soundFont = new Promise((resolve, reject) => { files.gotSoundFont = { resolve, reject }; });
      files.soundFont.catch(() => {});
    }
    // First the scenario files and the font, then the first picture the story shows.
    let done = 0, total = scenarioFiles.reduce((sum, f) => sum + f.size, 0) + manifest.font.size;
    const fill = $("bar-fill");
    const counted = (n) => { done += n; fill.style.width = Math.min(100, 100 * done / Math.max(1, total)) + "%"; };
    const [scenarios, font] = await Promise.all([
      Promise.all(scenarioFiles.map((f) => get(storyUrl(f.path), counted).then((bytes) => [f.path, bytes]))),
      get(manifest.font.path, counted),
    ]);
    scenarios.sort((x, y) => (x[0] < y[0] ? -1 : 1));
    const order = storyOrder(manifest, scenarios);
    // The first picture, and the first piece of music (a few kilobytes, which the story's opening
    // usually starts: waiting for it would hold the first text back).
    const first = [order.find((f) => /^picture\//i.test(f.path)), order.find((f) => /^bgm\//i.test(f.path))].filter(Boolean);
    total += first.reduce((sum, f) => sum + f.size, 0);
    for (const [path, bytes] of await Promise.all(first.map((f) => get(storyUrl(f.path), counted).then((b) => [f.path, b]))))
      arrive(path, bytes);
    arrived.push(["\0font", font]);
    for (const [path, bytes] of scenarios) arrive(path, bytes);
    filesReady = true;
    installFiles();
    readyToStart();
    // The rest once the program is in too (they would share the network with it), one file at a
    // time so that the next one the story needs comes soonest; the soundfont just before the
    // first piece of music.
    await programIn;
    const queue = order.filter((f) => !first.includes(f));
    if (manifest.soundFont) {
      const firstMusic = queue.findIndex((f) => /^bgm\//i.test(f.path));
      queue.splice(firstMusic < 0 ? queue.length : firstMusic, 0, { soundFont: manifest.soundFont });
    }
    for (const f of queue) {
      try {
        if (f.soundFont) files.gotSoundFont.resolve((await get(f.soundFont.path)).buffer);
        else arrive(f.path, await get(storyUrl(f.path)));
      } catch (error) {
        // The program reports a missing picture by its name; music and effects stay silent.
        console.warn("tessaro:", error.message);
        if (f.soundFont) files.gotSoundFont.reject(error);
        else { coming.delete(f.path.toLowerCase()); page.wake(); }
      }
    }
    page.allLoadedAt = performance.now();
    // Everything is here: from now on the site can be kept for reading offline (sw.js).
    if ("serviceWorker" in navigator && window.isSecureContext)
      navigator.serviceWorker.register("sw.js").catch((error) => console.warn("tessaro: no offline copy:", error.message));
  }

  let programArrived;
  const programIn = new Promise((resolve) => { programArrived = resolve; });
  window.Module = {
    page,
    noInitialRun: true,
    print: (text) => console.log(text),
    printErr: (text) => console.error(text),
    onRuntimeInitialized: () => { programReady = true; programArrived(); installFiles(); readyToStart(); },
  };
  function installFiles() {
    if (!programReady) return;
    Module.FS.mkdirTree("/story");
    for (const [path, bytes] of arrived) {
      if (path === "\0font") { Module.FS.writeFile("/ipag.ttf", bytes); continue; }
      const full = "/story/" + path;
      Module.FS.mkdirTree(full.substring(0, full.lastIndexOf("/")));
      Module.FS.writeFile(full, bytes);
    }
    arrived = [];
  }
  fetchStory().catch((error) => {
    if (filesReady) return;
    $("loading-text").textContent = words("failed") + error.message;
    console.error("tessaro:", error);
  });
  fit();
  const script = document.createElement("script");
  script.src = "tessaro.js";
  document.body.appendChild(script);
})();
