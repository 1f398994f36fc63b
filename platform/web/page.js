// The page side of the web platform, put at the head of kelvarin.js. It turns the page's
// address into the program's command line, queues the DOM's input for the display, holds
// the canvas, Web Audio and the start prompt, and publishes what scripted runs look at as
// window.kelvarin.
//
// Address parameters, as the command line's options: fixed-step=MS, frames=N, capture=N:NAME
// (repeatable), script=TEXT (the script file's lines, newline-separated).

var KelvarinPage = (function () {
  'use strict';

  // Virtual keys of platform/keys.h, by the DOM's key names: the keys the program reads.
  // F11 and Alt+Enter stay in the page (full screen); Alt+F4 belongs to the browser.
  var VIRTUAL_KEYS = { Escape: 27, PageUp: 33, PageDown: 34, End: 35, Home: 36, ArrowUp: 38, ArrowDown: 40 };
  // DisplayEventKind of platform/display.h, in its order.
  var EVENT = { MouseMove: 0, Button: 1, Wheel: 2, Key: 3, Focus: 4, Visible: 5, Close: 6 };
  var BUTTON_LEFT = 1, BUTTON_RIGHT = 2;
  // A mouse wheel's notch scrolls this many CSS pixels in the browsers we know; trackpads
  // send fractions of it, gathered until a whole step is there.
  var WHEEL_STEP_PIXELS = 100;
  var WHEEL_STEP_LINES = 3;
  var SCRIPT_PATH = '/script.txt';
  var OPTIONS_WITH_VALUE = ['fixed-step', 'frames'];

  var events = [];
  var wheelPixels = 0;
  var started = false;        // the first gesture has been taken for the sound
  var swallowPointer = null;  // the pointer whose gesture started the sound: its release too
  var swallowKey = null;      // likewise the key
  var canvas = null, context = null;
  var frameCanvas = null, frameContext = null, frameImage = null;
  var enlarged = null, enlargedContext = null;

  var api = {
    captures: {},       // capture name: {width, height, pixels: Uint32Array of 0x00RRGGBB}
    frames: 0,          // frames presented so far
    firstFrameAt: null, // performance.now() of the first presented frame
    exitStatus: null,   // set when the program has ended
    messages: [],       // message boxes and standard error, oldest first
    // The audio context's state, and what each wave device opened so far has played: whether
    // it played a looping buffer (the tracker's ring), its loudest sample and its frames.
    audio: { state: 'none', devices: [] },
    started: false,
    // The last presented frame as RGBA bytes (an ImageData), or null before the first.
    frame: function () {
      return frameContext ? frameContext.getImageData(0, 0, frameCanvas.width, frameCanvas.height) : null;
    },
  };
  // A turn for the page that comes back as soon as its pending work is done: a message to
  // ourselves, which browsers do not hold back the way they slow down chains of timeouts.
  var wakeChannel = new MessageChannel(), waiting = [];
  wakeChannel.port1.onmessage = function () { waiting.shift()(); };

  function wait(ms) {
    return new Promise(function (resume) {
      if (ms > 0) {
        setTimeout(resume, ms);
      } else {
        waiting.push(resume);
        wakeChannel.port2.postMessage(0);
      }
    });
  }

  // Registered first, so that the gesture is taken before any other listener sees it, and
  // from the start, so that a click while the program still loads counts as well.
  window.addEventListener('pointerdown', onFirstPointer, true);
  window.addEventListener('keydown', onFirstKey, true);

  function element(id) { return document.getElementById(id); }

  function commandLine(search) {
    var params = new URLSearchParams(search);
    var args = [], script = null;
    params.forEach(function (value, name) {
      if (OPTIONS_WITH_VALUE.indexOf(name) >= 0 || name === 'capture') args.push('--' + name, value);
      else if (name === 'script') script = value;
    });
    if (script !== null) args.push('--script', SCRIPT_PATH);
    return { args: args, script: script, scriptPath: SCRIPT_PATH };
  }

  function note(text) {
    api.messages.push(text);
  }

  function showBox(title, text, lasting) {
    var box = document.createElement('div');
    box.className = 'box';
    var heading = document.createElement('strong');
    heading.textContent = title;
    var body = document.createElement('p');
    body.textContent = text;
    box.appendChild(heading);
    box.appendChild(body);
    if (!lasting) {
      var ok = document.createElement('button');
      ok.textContent = 'OK';
      ok.onclick = function () { box.remove(); };
      box.appendChild(ok);
    }
    element('boxes').appendChild(box);
  }

  function queue(kind, fields) {
    var e = { kind: kind, x: 0, y: 0, button: 0, steps: 0, key: -1, on: 0, repeat: 0, alt: 0 };
    for (var name in fields) e[name] = fields[name];
    events.push(e);
  }

  // A pointer position in the canvas's own pixels; outside the canvas while a button is held.
  function drawablePoint(e) {
    var rect = canvas.getBoundingClientRect();
    var sx = rect.width > 0 ? canvas.width / rect.width : 1;
    var sy = rect.height > 0 ? canvas.height / rect.height : 1;
    return { x: Math.floor((e.clientX - rect.left) * sx), y: Math.floor((e.clientY - rect.top) * sy) };
  }

  function displayButton(e) {
    return e.button === 0 ? BUTTON_LEFT : e.button === 2 ? BUTTON_RIGHT : 0;
  }

  function toggleFullScreen() {
    if (document.fullscreenElement) document.exitFullscreen().catch(function () {});
    else if (canvas) canvas.requestFullscreen().catch(function () {});
  }

  // Browsers hold sound back until the reader does something: the first click or key starts
  // it and does nothing else, so that it never also ends the intro.
  function takeGesture(e) {
    if (started) return false;
    started = api.started = true;
    var prompt = element('prompt');
    if (prompt) prompt.hidden = true;
    if (KelvarinAudio.context) KelvarinAudio.context.resume();
    e.preventDefault();
    e.stopImmediatePropagation();
    return true;
  }

  // Anywhere on the page, ahead of everything else.
  function onFirstPointer(e) {
    if (takeGesture(e)) swallowPointer = e.pointerId;
  }

  function onPointerDown(e) {
    var button = displayButton(e);
    if (!button) return;
    canvas.setPointerCapture(e.pointerId);
    var p = drawablePoint(e);
    queue(EVENT.Button, { x: p.x, y: p.y, button: button, on: 1 });
    e.preventDefault();
  }

  function onPointerUp(e) {
    if (swallowPointer === e.pointerId) {
      swallowPointer = null;
      return;
    }
    var button = displayButton(e);
    if (!button) return;
    var p = drawablePoint(e);
    queue(EVENT.Button, { x: p.x, y: p.y, button: button, on: 0 });
  }

  function onPointerMove(e) {
    var p = drawablePoint(e);
    queue(EVENT.MouseMove, { x: p.x, y: p.y });
  }

  function onWheel(e) {
    e.preventDefault();
    if (e.deltaMode === 1) wheelPixels -= e.deltaY / WHEEL_STEP_LINES * WHEEL_STEP_PIXELS;
    else if (e.deltaMode === 2) wheelPixels -= Math.sign(e.deltaY) * WHEEL_STEP_PIXELS;
    else wheelPixels -= e.deltaY;
    var steps = Math.trunc(wheelPixels / WHEEL_STEP_PIXELS);
    if (steps === 0) return;
    wheelPixels -= steps * WHEEL_STEP_PIXELS;
    queue(EVENT.Wheel, { steps: steps });
  }

  function onFirstKey(e) {
    if (takeGesture(e)) swallowKey = e.code;
  }

  function onKey(e) {
    var down = e.type === 'keydown';
    if (!down && swallowKey === e.code) {
      swallowKey = null;
      return;
    }
    // The browser's own full screen, asked for while the key still counts as a gesture.
    if (e.key === 'F11' || (e.key === 'Enter' && e.altKey)) {
      e.preventDefault();
      if (down && !e.repeat) toggleFullScreen();
      return;
    }
    var key = VIRTUAL_KEYS[e.key];
    if (key === undefined) return;
    e.preventDefault();
    queue(EVENT.Key, { key: key, on: down ? 1 : 0, repeat: e.repeat ? 1 : 0, alt: e.altKey ? 1 : 0 });
  }

  function onVisibility() {
    queue(EVENT.Visible, { on: document.hidden ? 0 : 1 });
  }

  function listen() {
    canvas.addEventListener('pointerdown', onPointerDown);
    canvas.addEventListener('pointerup', onPointerUp);
    canvas.addEventListener('pointermove', onPointerMove);
    canvas.addEventListener('wheel', onWheel, { passive: false });
    canvas.addEventListener('contextmenu', function (e) { e.preventDefault(); });
    window.addEventListener('keydown', onKey, true);
    window.addEventListener('keyup', onKey, true);
    document.addEventListener('visibilitychange', onVisibility);
  }

  // The canvas's pixels follow its size on the page, at the screen's own density.
  function fitCanvas() {
    var ratio = window.devicePixelRatio || 1;
    var w = Math.max(1, Math.round(canvas.clientWidth * ratio));
    var h = Math.max(1, Math.round(canvas.clientHeight * ratio));
    if (canvas.width !== w || canvas.height !== h) {
      canvas.width = w;
      canvas.height = h;
    }
  }

  function open(width, height) {
    canvas = element('screen');
    context = canvas && canvas.getContext('2d', { alpha: false });
    if (!context) return false;
    frameCanvas = document.createElement('canvas');
    frameCanvas.width = width;
    frameCanvas.height = height;
    frameContext = frameCanvas.getContext('2d');
    enlarged = document.createElement('canvas');
    enlargedContext = enlarged.getContext('2d');
    fitCanvas();
    listen();
    return true;
  }

  function close() {
    events.length = 0;
    if (document.fullscreenElement) document.exitFullscreen().catch(function () {});
  }

  function present(rows, width, height, factor, dx, dy, dw, dh) {
    // The top byte of a frame pixel means nothing; to the canvas it is opacity.
    var pixels = new Uint32Array(HEAPU8.buffer, rows, width * height);
    for (var i = 0; i < pixels.length; ++i) pixels[i] |= 0xFF000000;
    if (!frameImage || frameImage.data.buffer !== HEAPU8.buffer || frameImage.data.byteOffset !== rows)
      frameImage = new ImageData(new Uint8ClampedArray(HEAPU8.buffer, rows, width * height * 4), width, height);
    frameContext.putImageData(frameImage, 0, 0);
    var source = frameCanvas;
    if (factor > 1) {
      if (enlarged.width !== width * factor || enlarged.height !== height * factor) {
        enlarged.width = width * factor;
        enlarged.height = height * factor;
      }
      enlargedContext.imageSmoothingEnabled = false;
      enlargedContext.drawImage(frameCanvas, 0, 0, enlarged.width, enlarged.height);
      source = enlarged;
    }
    context.fillStyle = '#000';
    context.fillRect(0, 0, canvas.width, canvas.height);
    context.imageSmoothingEnabled = true;
    context.imageSmoothingQuality = 'low';   // linear
    context.drawImage(source, dx, dy, dw, dh);
    if (api.firstFrameAt === null) api.firstFrameAt = performance.now();
    ++api.frames;
  }

  function nextEvent(out) {
    var e = events.shift();
    if (!e) return false;
    HEAP32[(out >> 2) + 0] = e.kind;
    HEAP32[(out >> 2) + 1] = e.x;
    HEAP32[(out >> 2) + 2] = e.y;
    HEAP32[(out >> 2) + 3] = e.button;
    HEAP32[(out >> 2) + 4] = e.steps;
    HEAP32[(out >> 2) + 5] = e.key;
    HEAP32[(out >> 2) + 6] = e.on;
    HEAP32[(out >> 2) + 7] = e.repeat;
    HEAP32[(out >> 2) + 8] = e.alt;
    return true;
  }

  function keepCapture(name, pixels, width, height) {
    api.captures[name] = { width: width, height: height, pixels: new Uint32Array(HEAPU32.buffer, pixels, width * height).slice() };
  }

  function ended(status) {
    if (api.exitStatus !== null) return;
    api.exitStatus = status;
    KelvarinAudio.end();
    var prompt = element('prompt');
    if (prompt) prompt.hidden = true;
    if (status !== 0) showBox('The magazine stopped', api.messages.slice(-3).join('\n') || 'Exit status ' + status, true);
    else showBox('Thank you for reading', 'Reload the page to read the issue again.', true);
  }

  window.kelvarin = api;
  return {
    commandLine: commandLine, wait: wait, note: note, showBox: showBox, open: open, close: close,
    present: present, nextEvent: nextEvent, keepCapture: keepCapture,
    ended: ended, api: api,
    toggleFullScreen: toggleFullScreen,
    fullScreen: function (on) { if (!!document.fullscreenElement !== !!on) toggleFullScreen(); },
    hideCursor: function () { if (canvas) canvas.style.cursor = 'none'; },
    // Asked before every present, which then draws at the size given here.
    size: function () {
      if (!canvas) return [0, 0];
      fitCanvas();
      return [canvas.width, canvas.height];
    },
  };
})();

// The program's main, started by hand: it sleeps through Asyncify, and only an asynchronous
// call learns when it has really returned, and with what.
function kelvarinRunMain(args) {
  var all = ['kelvarin'].concat(args);
  var argv = _malloc((all.length + 1) * 4);
  all.forEach(function (arg, i) {
    var size = lengthBytesUTF8(arg) + 1, text = _malloc(size);
    stringToUTF8(arg, text, size);
    HEAP32[(argv >> 2) + i] = text;
  });
  HEAP32[(argv >> 2) + all.length] = 0;
  return ccall('main', 'number', ['number', 'number'], [all.length, argv], { async: true });
}

(function () {
  var line = KelvarinPage.commandLine(location.search);
  Module.noInitialRun = true;
  Module.onRuntimeInitialized = function () {
    kelvarinRunMain(line.args).then(function (status) {
      try {
        exit(status);
      } catch (e) {
        if (!(e instanceof ExitStatus)) throw e;
      }
    });
  };
  // Every end passes here: a return from main as well as exit() from anywhere in the program.
  Module.quit = function (status, toThrow) {
    KelvarinPage.ended(status);
    throw toThrow;
  };
  Module.preRun = [function () {
    if (line.script !== null) FS.writeFile(line.scriptPath, line.script);
  }];
  Module.print = function (text) { console.log(text); };
  Module.printErr = function (text) {
    console.error(text);
    KelvarinPage.note(text);
  };
  // Ending the program unwinds it by throwing; where it sleeps in a promise, the throw
  // reaches the page as a rejection that is no fault.
  window.addEventListener('unhandledrejection', function (e) {
    if (e.reason instanceof ExitStatus) e.preventDefault();
  });
  Module.onAbort = function (what) {
    KelvarinPage.note(String(what));
    KelvarinPage.ended(-1);
  };
})();

// The wave devices' side in the page: one audio context, and per device a script node that
// plays what the device passes on. A device of real time pulls it as the node asks for sound;
// one of fixed time pushes it at each frame, and what would wait longer than half a second is
// dropped, as on the desktop.
var KelvarinAudio = (function () {
  'use strict';

  var RATE = 44100;
  var NODE_FRAMES = 2048;
  var QUEUE_LIMIT = RATE / 2;
  var streams = new Map();   // device address: its stream

  var audio = { context: null };

  function context() {
    if (audio.context) return audio.context;
    var Context = window.AudioContext || window.webkitAudioContext;
    if (!Context) return null;
    try {
      audio.context = new Context({ sampleRate: RATE });
    } catch (e) {
      return null;
    }
    if (KelvarinPage.api.started) audio.context.resume();
    KelvarinPage.api.audio.state = audio.context.state;
    audio.context.onstatechange = function () { KelvarinPage.api.audio.state = audio.context.state; };
    return audio.context;
  }

  function fill(stream, out) {
    var n = out.length;
    // A node may still be asked for sound after its device closed: it gets silence.
    if (stream.pull && streams.get(stream.device) === stream) Module._wave_page_pull(stream.device, n);
    var left = out.getChannelData(0), right = out.getChannelData(1), at = 0;
    while (at < n && stream.chunks.length) {
      var c = stream.chunks[0], take = Math.min(n - at, c.left.length - c.offset);
      left.set(c.left.subarray(c.offset, c.offset + take), at);
      right.set(c.right.subarray(c.offset, c.offset + take), at);
      at += take;
      c.offset += take;
      stream.frames -= take;
      if (c.offset === c.left.length) stream.chunks.shift();
    }
    left.fill(0, at);
    right.fill(0, at);
  }

  audio.open = function (device, pull) {
    var ctx = context();
    if (!ctx && pull) return false;
    var stream = { device: device, pull: pull, chunks: [], frames: 0, node: null, delivery: null,
                   stats: { looping: false, peak: 0, frames: 0 } };
    KelvarinPage.api.audio.devices.push(stream.stats);
    if (ctx) {
      stream.node = ctx.createScriptProcessor(NODE_FRAMES, 0, 2);
      stream.node.onaudioprocess = function (e) { fill(stream, e.outputBuffer); };
      stream.node.connect(ctx.destination);
    }
    streams.set(device, stream);
    return true;
  };

  audio.played = function (device, samples, frames, looping) {
    var stream = streams.get(device);
    if (!stream) return;
    var pcm = new Int16Array(HEAP16.buffer, samples, frames * 2);
    var peak = stream.stats.peak;
    for (var i = 0; i < pcm.length; ++i) peak = Math.max(peak, Math.abs(pcm[i]));
    stream.stats.peak = peak;
    stream.stats.frames += frames;
    if (looping) stream.stats.looping = true;
    if (!stream.node || (!stream.pull && stream.frames >= QUEUE_LIMIT)) return;
    var left = new Float32Array(frames), right = new Float32Array(frames);
    for (var f = 0; f < frames; ++f) {
      left[f] = pcm[2 * f] / 32768;
      right[f] = pcm[2 * f + 1] / 32768;
    }
    stream.chunks.push({ left: left, right: right, offset: 0 });
    stream.frames += frames;
  };

  audio.deliverSoon = function (device) {
    var stream = streams.get(device);
    if (!stream || stream.delivery !== null) return;
    stream.delivery = setTimeout(function () {
      stream.delivery = null;
      if (streams.get(device) === stream) Module._wave_page_deliver(device);
    }, 0);
  };

  audio.clear = function (device) {
    var stream = streams.get(device);
    if (!stream) return;
    stream.chunks = [];
    stream.frames = 0;
  };

  audio.close = function (device) {
    var stream = streams.get(device);
    if (!stream) return;
    if (stream.node) stream.node.disconnect();
    if (stream.delivery !== null) clearTimeout(stream.delivery);
    streams.delete(device);
  };

  // The program has ended: nothing may call into it any more.
  audio.end = function () {
    streams.forEach(function (stream, device) { audio.close(device); });
    if (audio.context) audio.context.close();
  };

  return audio;
})();
