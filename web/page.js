// The page: one of the two programs, compiled to WebAssembly, in an xterm.js
// terminal that behaves like a Linux terminal in canonical mode. This file
// only wires the parts: the terminal and what surrounds it, its line
// discipline (line_discipline.js), and each run of the program with an
// output pacer (output_pacer.js) of its own. The program's bytes reach the
// terminal untouched; the terminal turns each line feed into CR LF, as a
// terminal's output processing does.
//
// Classic scripts, not modules, so that the page also runs opened from disk.
// For tests: window.term is the terminal, and window.outputTap, an array
// where the address has a `tap` parameter (or a caller sets one), collects
// a copy of every block of output.
(function () {
  'use strict';

  var programs = ['varnel', 'pindle'];
  var parameters = new URLSearchParams(window.location.search);
  var requested = parameters.get('program');
  if (parameters.has('tap')) window.outputTap = [];
  var program = programs.indexOf(requested) >= 0 ? requested : 'varnel';
  document.title = program + ' · WebAssembly';
  document.getElementById('title').textContent = program + ': 한국어 콘솔 프로그램 / a Korean console program';
  document.getElementById('program-' + program).setAttribute('aria-current', 'page');
  document.getElementById('about-' + program).hidden = false;
  var statusLine = document.getElementById('status');
  var runAgainButton = document.getElementById('run-again');
  var terminalElement = document.getElementById('terminal');
  var touchDevice = window.matchMedia('(pointer: coarse)').matches;
  // On a phone the words fold away, leaving the terminal its room.
  if (window.matchMedia('(max-width: 600px)').matches) document.getElementById('about').open = false;

  // The program's own script, asked for by start.js as the page began to
  // load, and the first run's program made ready as it came. Whatever is
  // typed meanwhile waits for the program, as typing ahead at a terminal
  // does.
  // start.js may have failed before this script ran: once the page has
  // loaded, a start.js that set nothing is a failure. After a failure the
  // next run asks for the scripts again.
  function whenStarted(start, askedNow) {
    return new Promise(function (resolve, reject) {
      function settle() {
        if (window.programLoaded) resolve(window.programLoaded);
        else reject(new Error('start.js could not be loaded'));
      }
      if (window.programLoaded || (!askedNow && document.readyState === 'complete')) {
        settle();
        return;
      }
      start.addEventListener('load', settle);
      start.addEventListener('error', settle);
      if (!askedNow) window.addEventListener('load', settle);
    });
  }
  function loadAgain() {
    if (window.loadProgram) return window.loadProgram();
    var start = document.createElement('script');
    start.src = 'start.js';
    document.head.appendChild(start);
    return whenStarted(start, true);
  }
  var programLoaded = whenStarted(document.getElementById('start'), false);

  // The font that ships with the page, cut into slices by Unicode range.
  // The program starts at once in the device's fonts, and its first screen
  // is drawn before the font's style sheet is even asked for: matching 93
  // faces and loading slices would hold that screen back. Then, once the
  // slices the menu and the drawings need are loaded, the words and the
  // terminal take the page's font, and the terminal measures its cells
  // again. The rest come as they are drawn. Each slice is asked for by
  // itself: WebKit's document.fonts.load(font, text) leaves some of them
  // unloaded.
  var fontFamily = 'Nanum Gothic Coding';
  var deviceFonts = '"D2Coding", "NanumGothicCoding", "Noto Sans Mono CJK KR", ui-monospace, "DejaVu Sans Mono", ' +
    'monospace';
  var fontAskedFor = false;
  var fontLoaded;
  var fontReady = new Promise(function (resolve) { fontLoaded = resolve; });

  // Once, when a program first waits for typing: after the frame that
  // shows its first screen. A device that has the same font of its own
  // already draws the terminal in it: the page's copy would only cost its
  // download and a second drawing.
  function askForPageFont() {
    if (fontAskedFor) return;
    fontAskedFor = true;
    if (deviceHasFont('NanumGothicCoding')) return;
    requestAnimationFrame(function () {
      setTimeout(function () {
        var sheet = document.createElement('link');
        sheet.rel = 'stylesheet';
        sheet.href = 'fonts/nanum-gothic-coding.css';
        sheet.onload = function () { loadFontFor('W 메인 메뉴 작동중 △▲　').then(fontLoaded, fontLoaded); };
        document.head.appendChild(sheet);
      }, 0);
    });
  }

  // Whether the device has `family`: a sample drawn in it differs in width
  // from the generic family it would otherwise fall back to. Where it is
  // missing, the two widths are the same whatever the fallback.
  function deviceHasFont(family) {
    var context = document.createElement('canvas').getContext('2d');
    if (!context) return false;
    var sample = '메인 메뉴 작동중 W△▲';
    return ['monospace', 'serif'].some(function (generic) {
      context.font = '16px ' + generic;
      var fallbackWidth = context.measureText(sample).width;
      context.font = '16px "' + family + '", ' + generic;
      return context.measureText(sample).width !== fallbackWidth;
    });
  }

  function loadFontFor(text) {
    if (!document.fonts || typeof document.fonts.forEach !== 'function') return Promise.resolve();
    // WebKit lists a style sheet's faces only once styles are worked out.
    void document.documentElement.offsetHeight;
    var codes = Array.from(text, function (character) { return character.codePointAt(0); });
    var loads = [];
    document.fonts.forEach(function (face) {
      if (face.family.replace(/["']/g, '') !== fontFamily) return;
      var covers = face.unicodeRange.split(',').some(function (range) {
        var ends = range.trim().replace(/^U\+/i, '').split('-').map(function (end) { return parseInt(end, 16); });
        return codes.some(function (code) { return code >= ends[0] && code <= (ends.length > 1 ? ends[1] : ends[0]); });
      });
      if (covers) loads.push(face.load());
    });
    return Promise.all(loads);
  }

  var term = openTerminal();
  var current = null;

  // The terminal's line discipline outlives the runs, as a terminal's
  // does: Ctrl-S stays until Ctrl-Q, and what was typed past a run's end
  // waits for the next run. The page's own lines are held with the echo.
  var discipline = new LineDiscipline({
    echo: function (text) { term.write(text); },
    widthOf: widthOf(term),
    columns: function () { return term.cols; },
    // Ends the program where it stands: its pending read or write is never
    // answered, so it never runs again.
    signal: function (name) { if (current !== null) ended(current, name === 'QUIT' ? 131 : 130); },
    flow: function (stopped) { if (current !== null) current.pacer.pause(stopped); },
  });

  // A run: the program with an output pacer of its own, so that nothing of
  // its output reaches the next run.
  var runs = 0;
  function run() {
    // A line typed after a run's end starts the next run, as a command line
    // does at a shell; the button starts it without one.
    discipline.cancelRead();
    // Every run after the first says so on the screen: pindle shows
    // nothing of its own until it is typed at.
    runs += 1;
    if (runs > 1) discipline.print('[' + program + ': 새로 실행 / new run]\r\n');
    runAgainButton.classList.add('held-back');
    runAgainButton.disabled = true;
    statusLine.textContent = program + ' 실행 중 / running';
    var thisRun = { ended: false };
    thisRun.pacer = new OutputPacer(function (chunk, parsed) { term.write(chunk, parsed); });
    if (discipline.stopped) thisRun.pacer.pause(true);
    current = thisRun;
    term.focus();
    var host = {
      read: function (descriptor, count) {
        askForPageFont();
        return discipline.read(count);
      },
      write: function (descriptor, bytes) {
        var taken = thisRun.pacer.take(bytes);
        if (typeof taken === 'number') return handedOver(bytes, taken);
        return taken.then(function (count) { return handedOver(bytes, count); });
      },
      isTerminal: function (descriptor) { return descriptor === 1; },
      columns: function () { return term.cols; },
    };
    // What the pacer took goes to the terminal: the line discipline follows
    // the cursor by it, and a test's tap keeps a copy.
    function handedOver(bytes, count) {
      var output = bytes.subarray(0, count);
      discipline.wrote(output);
      if (!thisRun.ended && Array.isArray(window.outputTap)) window.outputTap.push(output.slice());
      return count;
    }
    // Standard error, a line at a time: the programs write it only for
    // arguments, which the page gives none.
    var printLine = function (line) { discipline.print(line + '\r\n'); };
    // A script that failed is asked for again by the next run.
    if (programLoaded === null) programLoaded = loadAgain();
    var loaded = programLoaded;
    loaded.then(function (nextProgram) {
      // A run ended (Ctrl-C) before the script came never starts.
      if (thisRun.ended) return null;
      return nextProgram()(host, [program], printLine);
    }).then(function (status) {
      ended(thisRun, status);
    }, function (error) {
      // The script came but its program would not start (or broke down): the
      // next run asks for the script again too.
      if (programLoaded === loaded) programLoaded = null;
      if (!thisRun.ended) discipline.print('\r\n' + String(error) + '\r\n');
      ended(thisRun, 70, String(error));
    });
  }

  // `failure` says why the program could not run, where it could not.
  function ended(thisRun, status, failure) {
    if (thisRun.ended) return;
    thisRun.ended = true;
    // The end lines start a line of their own: after Ctrl-C's echo, say,
    // not after a line the program ended itself.
    var lineOpen = discipline.columnInLine() !== 0;
    discipline.cancelRead();
    thisRun.pacer.stop();
    if (current === thisRun) current = null;
    statusLine.textContent = program + ' 끝남, 상태 ' + status + ' / ended with status ' + status +
      (failure ? ': ' + failure : '');
    // Two short lines, which fit a phone's terminal unbroken.
    discipline.print((lineOpen ? '\r\n' : '') + '[' + program + ': 상태 ' + status + ' / status ' + status + ']\r\n[Enter: 다시 실행 / run again]\r\n');
    runAgainButton.classList.remove('held-back');
    runAgainButton.disabled = false;
    discipline.nextLine().then(run);
  }

  // A change of width moves the cursor as xterm.js rewraps: once it has
  // parsed what it was given before, the discipline takes the cursor's
  // column from it.
  term.onResize(function () {
    var mark = discipline.mark();
    term.write('', function () { discipline.cursorWas(mark, term.buffer.active.cursorX); });
  });

  var typed = discipline.type.bind(discipline);
  term.onData(typed);
  runAgainButton.addEventListener('click', run);
  keepForOffline();
  setUpExtraKeys(term, typed);
  setUpScreenReaderSwitch(term);
  run();

  // Served over HTTP(S), a service worker (service_worker.js) keeps the
  // release's files, so that the page opens and runs without a network
  // after one visit; opened from disk, nothing changes. Once the page has
  // loaded, so that the first screen does not wait for it. When a new
  // release's worker is ready, the bar offers to reload into it.
  function keepForOffline() {
    if (!('serviceWorker' in navigator) || !/^https?:$/.test(window.location.protocol)) return;
    var newVersion = document.getElementById('new-version');
    function offer(registration) {
      newVersion.hidden = false;
      newVersion.addEventListener('click', function (event) {
        event.preventDefault();
        navigator.serviceWorker.addEventListener('controllerchange', function () { window.location.reload(); });
        registration.waiting.postMessage('take over');
      });
    }
    function register() {
      navigator.serviceWorker.register('service_worker.js').then(function (registration) {
        if (registration.waiting && navigator.serviceWorker.controller) offer(registration);
        registration.addEventListener('updatefound', function () {
          var next = registration.installing;
          next.addEventListener('statechange', function () {
            // The first worker has nothing to replace.
            if (next.state === 'installed' && navigator.serviceWorker.controller) offer(registration);
          });
        });
      }, function () {
        // Without a worker the page works as before, online.
      });
    }
    if (document.readyState === 'complete') register();
    else window.addEventListener('load', register);
  }

  function openTerminal() {
    var term = new Terminal({
      convertEol: true,
      cursorBlink: true,
      // 16 px: at 15, WebKitGTK drops the thin bottom edge of the font's "△".
      fontSize: 16,
      fontFamily: deviceFonts,
      screenReaderMode: rememberedScreenReaderMode(),
    });
    var fitAddon = new FitAddon.FitAddon();
    term.loadAddon(fitAddon);
    term.open(terminalElement);
    fitAddon.fit();
    fontReady.then(function () {
      term.options.fontFamily = '"' + fontFamily + '", ' + deviceFonts;
      fitAddon.fit();
    });
    // Refitted whenever its room changes: the window, the bar above when a
    // program ends, the words folding, a phone's keyboard.
    new ResizeObserver(function () { fitAddon.fit(); }).observe(terminalElement);
    scrollOnSwipes(term);
    window.term = term;
    return term;
  }

  // Columns xterm.js gives a text, from its own Unicode tables: what
  // Backspace must erase is what it drew.
  function widthOf(term) {
    var unicode = term._core && term._core.unicodeService;
    if (!unicode || typeof unicode.getStringCellWidth !== 'function') {
      throw new Error('this xterm.js does not tell the width of a character');
    }
    return function (text) { return unicode.getStringCellWidth(text); };
  }

  // A swipe scrolls the history by the rows it passed over.
  function scrollOnSwipes(term) {
    var lastY = null;
    var left = 0;
    terminalElement.addEventListener('touchstart', function (event) {
      if (event.touches.length === 1) lastY = event.touches[0].clientY;
    }, { passive: true });
    terminalElement.addEventListener('touchmove', function (event) {
      if (lastY === null || event.touches.length !== 1) return;
      var rowHeight = terminalElement.clientHeight / term.rows;
      left += (lastY - event.touches[0].clientY) / rowHeight;
      lastY = event.touches[0].clientY;
      var rows = Math.trunc(left);
      if (rows !== 0) {
        term.scrollLines(rows);
        left -= rows;
      }
      event.preventDefault();
    }, { passive: false });
    terminalElement.addEventListener('touchend', function () { lastY = null; left = 0; });
  }

  // On a touch device, a row of the keys a phone's keyboard lacks. A tap
  // sends the key and leaves the focus, and so the keyboard, in the terminal.
  function setUpExtraKeys(term, typed) {
    var row = document.getElementById('extra-keys');
    row.hidden = !touchDevice;
    var keys = { tab: '\t', 'ctrl-u': '\x15', 'ctrl-d': '\x04', 'ctrl-c': '\x03' };
    Array.prototype.forEach.call(row.querySelectorAll('button'), function (button) {
      button.addEventListener('pointerdown', function (event) { event.preventDefault(); });
      button.addEventListener('click', function () {
        typed(keys[button.dataset.key]);
        term.focus();
      });
    });
  }

  // xterm.js's screen reader mode, switched on the page and remembered.
  function rememberedScreenReaderMode() {
    try {
      return window.localStorage.getItem('screenReaderMode') === 'on';
    } catch (error) {
      return false;  // storage refused (some browsers from disk)
    }
  }

  function setUpScreenReaderSwitch(term) {
    var box = document.getElementById('screen-reader');
    box.checked = term.options.screenReaderMode;
    box.addEventListener('change', function () {
      term.options.screenReaderMode = box.checked;
      try {
        window.localStorage.setItem('screenReaderMode', box.checked ? 'on' : 'off');
      } catch (error) {
        // Not remembered, but on for this visit.
      }
    });
  }
})();
