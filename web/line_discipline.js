// A terminal's line discipline in canonical mode, as Linux's is with its
// default settings: typed characters in; their echo, and lines or the end
// of input for the program, out. It knows nothing of the page: the terminal
// is reached through the functions it is given, so that Node.js can test it.
// Like Linux's, it keeps the cursor's column itself, from its echo and from
// the program's output as the terminal is handed it: a terminal that parses
// later cannot tell it, since its cursor lags behind what it was given.
//
//   var discipline = new LineDiscipline({
//     echo: function (text) {},        shows text on the terminal
//     widthOf: function (text) {},     columns the terminal gives text (0 for
//                                      a combining mark)
//     columns: function () {},         the terminal's width
//     signal: function (name) {},      'INT' for Ctrl-C, 'QUIT' for Ctrl-\
//     flow: function (stopped) {},     (optional) Ctrl-S stopped the output
//                                      or Ctrl-Q restarted it
//   });
//   discipline.type(data)              what was typed or pasted
//   discipline.wrote(bytes)            the program's output (UTF-8), as it
//                                      goes to the terminal
//   discipline.print(text)             text of the terminal's own (not the
//                                      program's), held while output is stopped
//   discipline.read(count)             a promise of at most count bytes of one
//                                      line; empty at the end of input
//   discipline.nextLine()              a promise of the next whole line, read
//                                      as a shell reads its next command
//   discipline.cancelRead()            the waiting read is never answered (its
//                                      reader has ended); what was typed stays
//                                      for the next one
//   discipline.mark()                  where the cursor is now, for:
//   discipline.cursorWas(mark, column) the terminal's cursor column at the
//                                      mark, once it has parsed what it was
//                                      given by then (after a resize)
//
// One discipline outlives the programs that read from it, as a terminal's
// does: typed-ahead lines and Ctrl-S reach the next reader.
(function (global) {
  'use strict';

  // Like Linux's: a line holds 4095 bytes (UTF-8) before its newline.
  var longestLine = 4095;
  var tabWidth = 8;
  var encoder = new TextEncoder();

  // Where Ctrl-W stops: ASCII letters, digits and the underscore make a
  // word, and so does every other character but U+05C0 to U+05FF, as in
  // Linux, which tests the first byte of a character's UTF-8 as Latin-1.
  var wordCharacter = /^[A-Za-z0-9_]$|^[^\x00-\x7f\u05c0-\u05ff]$/u;

  function LineDiscipline(terminal) {
    this.terminal = terminal;
    // The line being typed: each entry a character with the combining marks
    // that followed it, and the columns its echo took.
    this.editing = [];
    this.editingLength = 0;
    // The cursor's column, counted from the start of its line on the screen
    // (a line longer than the terminal wraps), and the program's output
    // decoded across its writes.
    this.column = 0;
    this.lineBreaks = 0;
    this.decoder = new TextDecoder();
    // The output since its last line break, counted only once the column
    // is needed: in a long output each write's rest replaces the last one's.
    this.unseen = [];
    this.unseenLength = 0;
    // The start of an escape sequence that the end of a write cut short,
    // kept until its rest comes.
    this.pendingEscape = '';
    this.quoteNext = false;
    // The echo of what is being typed goes out once the keys typed at once
    // are through, and not while Ctrl-S has stopped the output (until
    // Ctrl-Q), as Linux's does. Each held piece says whether it is the
    // terminal's own text, which a signal keeps.
    this.typing = false;
    this.stopped = false;
    this.held = [];
    // Lines handed over but not yet read; an empty one is the end of input.
    this.handedOver = [];
    this.waitingRead = null;
  }

  // What the terminal is given moves the cursor: control characters as a
  // terminal takes them, the rest by their width; of escape sequences only
  // the horizontal moves count (the programs place cells so).
  var escapeSequence = /^\x1b\[([0-9;]*)([@-~])/;
  var escapeStart = /^\x1b(\[[0-9;]*)?$/;

  LineDiscipline.prototype.advance = function (text) {
    this.catchUp();
    text = this.pendingEscape + text;
    this.pendingEscape = '';
    for (var index = 0; index < text.length;) {
      var code = text.codePointAt(index);
      var character = String.fromCodePoint(code);
      index += character.length;
      if (code === 0x0a || code === 0x0d) {
        this.column = 0;
        this.lineBreaks += 1;
      } else if (code === 0x08) {
        this.column = Math.max(this.columnInLine() - 1, 0);
      } else if (code === 0x09) {
        this.column = this.tabStop();
      } else if (code === 0x1b) {
        var sequence = escapeSequence.exec(text.slice(index - 1, index + 31));
        if (sequence === null) {
          if (escapeStart.test(text.slice(index - 1))) {
            this.pendingEscape = text.slice(index - 1);
            return;
          }
          continue;
        }
        index += sequence[0].length - 1;
        this.moveBy(sequence[2], Math.max(parseInt(sequence[1], 10) || 1, 1));
      } else if (code >= 0x20 && code !== 0x7f) {
        var width = this.terminal.widthOf(character);
        // A wide character that does not fit in the last column wraps,
        // leaving that column empty.
        if (width === 2 && this.columnInLine() === Math.max(this.terminal.columns(), 1) - 1) this.column += 1;
        this.column += width;
      }
    }
  };

  LineDiscipline.prototype.moveBy = function (move, count) {
    var width = Math.max(this.terminal.columns(), 1);
    if (move === 'C') this.column = Math.min(this.columnInLine() + count, width - 1);
    else if (move === 'D') this.column = Math.max(this.columnInLine() - count, 0);
    else if (move === 'G') this.column = Math.min(count, width) - 1;
  };

  LineDiscipline.prototype.echo = function (text, own) {
    this.advance(text);
    this.held.push({ text: text, own: own === true });
    if (!this.typing) this.flushEcho();
  };

  LineDiscipline.prototype.print = function (text) {
    this.echo(text, true);
  };

  LineDiscipline.prototype.flushEcho = function () {
    if (this.stopped || this.held.length === 0) return;
    var text = this.held.map(function (piece) { return piece.text; }).join('');
    this.held = [];
    this.terminal.echo(text);
  };

  // Ctrl-Q also shows the echo so far of the keys typed with it.
  LineDiscipline.prototype.stopOutput = function (stopped) {
    var changed = this.stopped !== stopped;
    this.stopped = stopped;
    if (!stopped) this.flushEcho();
    if (changed && this.terminal.flow) this.terminal.flow(stopped);
  };

  // Only what follows the output's last line break tells the column, so a
  // long output is searched, not decoded whole. A long line is counted as
  // it comes, so that what is kept stays small.
  LineDiscipline.prototype.wrote = function (bytes) {
    var lastBreak = Math.max(bytes.lastIndexOf(0x0a), bytes.lastIndexOf(0x0d));
    if (lastBreak >= 0) {
      this.column = 0;
      this.lineBreaks += 1;
      this.pendingEscape = '';
      this.decoder = new TextDecoder();
      this.unseen = [];
      this.unseenLength = 0;
      bytes = bytes.subarray(lastBreak + 1);
    }
    if (bytes.length === 0) return;
    this.unseen.push(bytes.slice());
    this.unseenLength += bytes.length;
    if (this.unseenLength > 65536) this.catchUp();
  };

  LineDiscipline.prototype.catchUp = function () {
    if (this.unseen.length === 0) return;
    var unseen = this.unseen;
    this.unseen = [];
    this.unseenLength = 0;
    for (var piece of unseen) this.advance(this.decoder.decode(piece, { stream: true }));
  };

  LineDiscipline.prototype.type = function (data) {
    this.typing = true;
    for (var character of data) this.typeOne(character);
    this.typing = false;
    this.flushEcho();
  };

  LineDiscipline.prototype.typeOne = function (character) {
    if (this.quoteNext) {
      this.quoteNext = false;
      this.insert(character);
      return;
    }
    switch (character) {
      case '\r':
      case '\n':
        this.echo('\r\n');
        this.handOver(this.lineText() + '\n');
        return;
      case '\x7f':  // Backspace; Ctrl-H is no erase key, as at Linux's terminals
        this.eraseLast();
        return;
      case '\x15':  // Ctrl-U: the whole line
        while (this.editing.length > 0) this.eraseLast();
        return;
      case '\x17':  // Ctrl-W: the word before the cursor
        this.eraseWord();
        return;
      case '\x04':  // Ctrl-D: the line so far, or the end of input
        this.handOver(this.lineText());
        return;
      case '\x16':  // Ctrl-V: the next character is taken as it is
        this.quoteNext = true;
        this.echo('^\b');
        return;
      case '\x12':  // Ctrl-R: the line again, on a line of its own
        this.reprint();
        return;
      case '\x13':  // Ctrl-S
        this.stopOutput(true);
        return;
      case '\x11':  // Ctrl-Q
        this.stopOutput(false);
        return;
      case '\x03':  // Ctrl-C
        this.interrupt('^C', 'INT');
        return;
      case '\x1c':  // Ctrl-\
        this.interrupt('^\\', 'QUIT');
        return;
      case '\x1a':  // Ctrl-Z: no job control in a page, so nothing to stop
        return;
      default:
        this.insert(character);
    }
  };

  // How a typed character shows: control characters as ^X (Ctrl-V puts
  // them in the line), a tab as the move to the next tab stop.
  function echoOf(character) {
    var code = character.codePointAt(0);
    if (character === '\t' || (code >= 0x20 && code !== 0x7f)) return character;
    return '^' + String.fromCharCode(code ^ 0x40);
  }

  LineDiscipline.prototype.insert = function (character) {
    var length = encoder.encode(character).length;
    if (this.editingLength + length > longestLine) {
      this.echo('\x07');
      return;
    }
    var shown = echoOf(character);
    var width = character === '\t' ? null : this.terminal.widthOf(shown);
    var columns = width === null ? this.tabStop() - this.columnInLine() : width;
    var last = this.editing[this.editing.length - 1];
    // A combining mark joins the character before it, as on the screen; a
    // tab at the last column moves nowhere, but is a character of its own.
    if (width === 0 && last !== undefined) last.text += character;
    else this.editing.push({ text: character, columns: columns });
    this.editingLength += length;
    this.echo(shown);
  };

  // A terminal whose width changes rewraps some lines and not others (xterm.js
  // leaves the cursor's own line as it was): the column counts on from the
  // cursor the terminal shows, unless a line break has come since the mark.
  LineDiscipline.prototype.mark = function () {
    this.catchUp();
    return { column: this.column, lineBreaks: this.lineBreaks };
  };

  LineDiscipline.prototype.cursorWas = function (mark, column) {
    this.catchUp();
    if (mark.lineBreaks === this.lineBreaks) this.column += column - mark.column;
  };

  LineDiscipline.prototype.columnInLine = function () {
    this.catchUp();
    return this.column % Math.max(this.terminal.columns(), 1);
  };

  // Where a tab moves the cursor: the next multiple of eight, or the last
  // column.
  LineDiscipline.prototype.tabStop = function () {
    var at = this.columnInLine();
    return Math.min(at + tabWidth - at % tabWidth, Math.max(this.terminal.columns(), 1) - 1);
  };

  LineDiscipline.prototype.eraseLast = function () {
    var entry = this.editing.pop();
    if (entry === undefined) return;
    this.editingLength -= encoder.encode(entry.text).length;
    var columns = entry.columns;
    // A tab goes back the way it came; the rest are blanked.
    this.echo(entry.text === '\t' ? '\b'.repeat(columns)
      : '\b'.repeat(columns) + ' '.repeat(columns) + '\b'.repeat(columns));
  };

  LineDiscipline.prototype.eraseWord = function () {
    while (this.editing.length > 0 && !wordCharacter.test(this.lastCharacter())) this.eraseLast();
    while (this.editing.length > 0 && wordCharacter.test(this.lastCharacter())) this.eraseLast();
  };

  LineDiscipline.prototype.lastCharacter = function () {
    return Array.from(this.editing[this.editing.length - 1].text)[0];
  };

  LineDiscipline.prototype.lineText = function () {
    return this.editing.map(function (entry) { return entry.text; }).join('');
  };

  LineDiscipline.prototype.clearLine = function () {
    this.editing = [];
    this.editingLength = 0;
  };

  LineDiscipline.prototype.handOver = function (text) {
    this.handedOver.push(encoder.encode(text));
    this.clearLine();
    this.answerRead();
  };

  LineDiscipline.prototype.reprint = function () {
    var text = this.lineText();
    this.clearLine();
    this.echo('^R\r\n');
    for (var character of text) this.insert(character);
  };

  // A signal drops the echo not yet shown and restarts stopped output, as
  // Linux's does. The program gets the signal first, so that a write held
  // while the output was stopped ends with it, never answered.
  LineDiscipline.prototype.interrupt = function (shown, name) {
    this.held = this.held.filter(function (piece) { return piece.own; });
    var wasStopped = this.stopped;
    this.stopped = false;
    // Shown at once: the program ends at the signal.
    this.advance(shown);
    this.held.push({ text: shown, own: false });
    this.flushEcho();
    this.clearLine();
    this.handedOver = [];
    this.terminal.signal(name);
    if (wasStopped && this.terminal.flow) this.terminal.flow(false);
  };

  LineDiscipline.prototype.read = function (count) {
    var discipline = this;
    return new Promise(function (resolve) {
      discipline.waitingRead = { count: count, resolve: resolve };
      discipline.answerRead();
    });
  };

  // Ctrl-D's hand-overs on the way are passed by, as a shell passes them
  // while it gathers a command line.
  LineDiscipline.prototype.nextLine = function () {
    var discipline = this;
    return this.read(longestLine + 1).then(function (block) {
      return block[block.length - 1] === 0x0a ? block : discipline.nextLine();
    });
  };

  // A read takes at most one handed-over line, as a terminal's does.
  LineDiscipline.prototype.answerRead = function () {
    if (this.waitingRead === null || this.handedOver.length === 0) return;
    var block = this.handedOver[0];
    var count = this.waitingRead.count;
    if (block.length <= count) {
      this.handedOver.shift();
    } else {
      this.handedOver[0] = block.subarray(count);
      block = block.subarray(0, count);
    }
    var resolve = this.waitingRead.resolve;
    this.waitingRead = null;
    resolve(block);
  };

  LineDiscipline.prototype.cancelRead = function () {
    this.waitingRead = null;
  };

  if (typeof module === 'object' && module.exports) module.exports = LineDiscipline;
  else global.LineDiscipline = LineDiscipline;
})(this);
