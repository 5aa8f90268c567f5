// The page: one of the two programs, compiled to WebAssembly, in an xterm.js
// terminal that behaves like a Linux terminal in canonical mode. The
// program's bytes reach the terminal untouched; the terminal turns each line
// feed into CR LF, as a terminal's output processing does.
//
// A classic script, not a module, so that the page also runs opened from
// disk. For tests: window.term is the terminal, and window.outputTap, where
// a caller sets it to an array, collects a copy of every block of output.
(function () {
  'use strict';

  var programs = ['varnel', 'pindle'];
  var requested = new URLSearchParams(window.location.search).get('program');
  var program = programs.indexOf(requested) >= 0 ? requested : 'varnel';
  document.title = program + ' · WebAssembly';
  document.getElementById('program-' + program).setAttribute('aria-current', 'page');
  var statusLine = document.getElementById('status');
  var runAgainButton = document.getElementById('run-again');

  var term = new Terminal({
    convertEol: true,
    cursorBlink: true,
    fontSize: 15,
    // Korean monospace fonts first, as the device has them.
    fontFamily: '"D2Coding", "NanumGothicCoding", "Nanum Gothic Coding", "Noto Sans Mono CJK KR", ' +
      '"Noto Sans CJK KR", "Source Han Sans K", "NanumGothic", "Malgun Gothic", "Apple SD Gothic Neo", ' +
      'ui-monospace, "DejaVu Sans Mono", monospace',
  });
  var fitAddon = new FitAddon.FitAddon();
  term.loadAddon(fitAddon);
  term.open(document.getElementById('terminal'));
  fitAddon.fit();
  window.addEventListener('resize', function () { fitAddon.fit(); });
  window.term = term;
  term.focus();

  var encoder = new TextEncoder();

  // Columns a typed character takes, for Backspace: two for East Asian wide
  // and full-width characters, as xterm.js draws them; control characters
  // echo as two (^X).
  function columnsOf(character) {
    var code = character.codePointAt(0);
    if (code < 0x20 || code === 0x7f) return 2;
    var wide = (code >= 0x1100 && code <= 0x115f) || (code >= 0x2e80 && code <= 0x303e) ||
      (code >= 0x3040 && code <= 0xa4cf) || (code >= 0xac00 && code <= 0xd7a3) ||
      (code >= 0xf900 && code <= 0xfaff) || (code >= 0xfe30 && code <= 0xfe4f) ||
      (code >= 0xff00 && code <= 0xff60) || (code >= 0xffe0 && code <= 0xffe6) ||
      (code >= 0x1f300 && code <= 0x1f64f) || (code >= 0x1f900 && code <= 0x1f9ff) ||
      (code >= 0x20000 && code <= 0x3fffd);
    return wide ? 2 : 1;
  }

  function erase(character) {
    var columns = columnsOf(character);
    term.write('\b'.repeat(columns) + ' '.repeat(columns) + '\b'.repeat(columns));
  }

  // The line discipline: the line being typed, echoed and editable, and the
  // lines handed over but not yet read. An empty block is the end of input
  // (Ctrl-D at the start of a line), read once.
  var editing = [];
  var handedOver = [];
  var waitingRead = null;
  var session = null;

  // Output not yet taken in by the terminal: the chunk being filled, the
  // count of bytes staged or written but not yet parsed, and the program's
  // wait for them to drain. Larger chunks let the terminal parse more at a
  // time; the program's own blocks are 64 KiB.
  var chunkSize = 1 << 20;
  var highWater = 4 << 20;
  var lowWater = 1 << 20;
  var staged = null;
  var stagedLength = 0;
  var unwritten = 0;
  var whenDrained = null;

  function stage(bytes) {
    for (var taken = 0; taken < bytes.length;) {
      if (staged === null) {
        staged = new Uint8Array(chunkSize);
        stagedLength = 0;
        // Written at the latest once the program waits or ends.
        queueMicrotask(flushStaged);
      }
      var count = Math.min(bytes.length - taken, chunkSize - stagedLength);
      staged.set(bytes.subarray(taken, taken + count), stagedLength);
      stagedLength += count;
      taken += count;
      unwritten += count;
      if (stagedLength === chunkSize) flushStaged();
    }
  }

  function flushStaged() {
    if (staged === null) return;
    var chunk = staged.subarray(0, stagedLength);
    staged = null;
    term.write(chunk, function () {
      unwritten -= chunk.length;
      if (whenDrained !== null && unwritten <= lowWater) {
        var resume = whenDrained;
        whenDrained = null;
        resume();
      }
    });
  }

  function handOver(text) {
    handedOver.push(encoder.encode(text));
    editing = [];
    answerRead();
  }

  // A read takes at most one handed-over line, as a terminal's does.
  function answerRead() {
    if (waitingRead === null || handedOver.length === 0) return;
    var block = handedOver[0];
    var count = waitingRead.count;
    if (block.length <= count) {
      handedOver.shift();
    } else {
      handedOver[0] = block.subarray(count);
      block = block.subarray(0, count);
    }
    var resolve = waitingRead.resolve;
    waitingRead = null;
    resolve(block);
  }

  function typed(character) {
    switch (character) {
      case '\r':
      case '\n':
        term.write('\r\n');
        handOver(editing.join('') + '\n');
        break;
      case '\x7f':
      case '\b':
        if (editing.length > 0) erase(editing.pop());
        break;
      case '\x15':  // Ctrl-U
        while (editing.length > 0) erase(editing.pop());
        break;
      case '\x04':  // Ctrl-D: the line so far, or the end of input
        handOver(editing.join(''));
        break;
      case '\x03':  // Ctrl-C
        term.write('^C\r\n');
        interrupt();
        break;
      default: {
        var code = character.codePointAt(0);
        editing.push(character);
        term.write(code < 0x20 || code === 0x7f ? '^' + String.fromCharCode(code ^ 0x40) : character);
      }
    }
  }

  term.onData(function (data) {
    if (session === null) {
      if (data.indexOf('\r') >= 0) run();
      return;
    }
    for (var character of data) {
      if (session === null) break;
      typed(character);
    }
  });

  // Ends the running program where it stands: its pending read or write is
  // never answered, so it never runs again.
  function interrupt() {
    if (session === null) return;
    session.interrupted = true;
    waitingRead = null;
    whenDrained = null;
    staged = null;
    ended(130);
  }

  function ended(status) {
    session = null;
    editing = [];
    handedOver = [];
    statusLine.textContent = program + ' 끝남, 상태 ' + status + ' / ended with status ' + status;
    term.write('\r\n[' + program + ': 상태 ' + status + ' / status ' + status + '; Enter: 다시 실행 / run again]\r\n');
    runAgainButton.hidden = false;
    runAgainButton.focus();
  }

  function host(current) {
    return {
      read: function (descriptor, count) {
        return new Promise(function (resolve) {
          if (current.interrupted) return;
          waitingRead = { count: count, resolve: resolve };
          answerRead();
        });
      },
      // Output goes to the terminal in chunks of up to chunkSize, paced by
      // its write callbacks: once it holds more than highWater not yet
      // taken in, the program waits until it is down to lowWater. Memory
      // stays bounded and the page keeps answering, however long the drawing.
      write: function (descriptor, bytes) {
        if (current.interrupted) return new Promise(function () {});
        if (Array.isArray(window.outputTap)) window.outputTap.push(bytes.slice());
        stage(bytes);
        if (unwritten <= highWater) return bytes.length;
        flushStaged();
        return new Promise(function (resolve) {
          whenDrained = function () {
            if (!current.interrupted) resolve(bytes.length);
          };
        });
      },
      isTerminal: function (descriptor) { return descriptor === 1; },
      columns: function () { return term.cols; },
    };
  }

  function run() {
    runAgainButton.hidden = true;
    statusLine.textContent = program + ' 실행 중 / running';
    var current = { interrupted: false };
    session = current;
    editing = [];
    handedOver = [];
    waitingRead = null;
    term.focus();
    programLoaded.then(function () {
      return window['create_' + program]({
        host: host(current),
        // Standard error, a line at a time: the programs write it only for
        // arguments, which the page gives none.
        printErr: function (line) { term.write(line + '\r\n'); },
        print: function (line) { term.write(line + '\r\n'); },
        preRun: [function (module) { module.ENV.TERM = 'xterm-256color'; }],
      });
    }).then(function (module) {
      var argv = module._malloc(8);
      module.HEAPU32[argv >> 2] = module.allocateUTF8(program);
      module.HEAPU32[(argv >> 2) + 1] = 0;
      return module.ccall('main', 'number', ['number', 'number'], [1, argv], { async: true });
    }).then(function (status) {
      if (session === current) ended(status);
    }, function (error) {
      if (session === current) {
        term.write('\r\n' + String(error) + '\r\n');
        ended(70);
      }
    });
  }

  runAgainButton.addEventListener('click', run);

  // The program's own script, loaded as a classic script so that a page
  // opened from disk can load it too. Whatever is typed meanwhile waits for
  // the program, as typing ahead at a terminal does.
  var programLoaded = new Promise(function (resolve, reject) {
    var script = document.createElement('script');
    script.src = program + '.js';
    script.onload = resolve;
    script.onerror = function () { reject(new Error(program + '.js could not be loaded')); };
    document.body.appendChild(script);
  });
  run();
})();
