// A terminal's line discipline in canonical mode, as Linux's is with its
// default settings: typed characters in; their echo, and lines or the end
// of input for the program, out. It knows nothing of the page: the terminal
// is reached through the functions it is given, so that Node.js can test it.
//
//   var discipline = new LineDiscipline({
//     echo: function (text) {},        shows text on the terminal
//     widthOf: function (text) {},     columns the terminal gives text (0 for
//                                      a combining mark)
//     column: function () {},          the cursor's column now
//     columns: function () {},         the terminal's width
//     signal: function (name) {},      'INT' for Ctrl-C, 'QUIT' for Ctrl-\
//   });
//   discipline.type(data)              what was typed or pasted
//   discipline.read(count)             a promise of at most count bytes of one
//                                      line; empty at the end of input
//   discipline.close()                 no read is answered any more
(function (global) {
  'use strict';

  // Like Linux's: a line holds 4095 characters before its newline.
  var longestLine = 4095;
  var tabWidth = 8;
  var encoder = new TextEncoder();

  // Where Ctrl-W stops: letters, digits and the underscore make a word.
  var wordCharacter = /^[\p{L}\p{N}_]$/u;

  function LineDiscipline(terminal) {
    this.terminal = terminal;
    // The line being typed: each entry a character with the combining marks
    // that followed it, and the columns its echo took.
    this.editing = [];
    this.editingLength = 0;
    this.startColumn = 0;
    this.quoteNext = false;
    // Lines handed over but not yet read; an empty one is the end of input.
    this.handedOver = [];
    this.waitingRead = null;
    this.closed = false;
  }

  LineDiscipline.prototype.type = function (data) {
    for (var character of data) {
      if (this.closed) return;
      this.typeOne(character);
    }
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
        this.terminal.echo('\r\n');
        this.handOver(this.lineText() + '\n');
        return;
      case '\x7f':
      case '\b':
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
    if (this.editingLength >= longestLine) {
      this.terminal.echo('\x07');
      return;
    }
    if (this.editing.length === 0) this.startColumn = this.terminal.column();
    var shown = echoOf(character);
    var columns = character === '\t' ? tabWidth - this.columnNow() % tabWidth : this.terminal.widthOf(shown);
    var last = this.editing[this.editing.length - 1];
    // A combining mark joins the character before it, as on the screen.
    if (columns === 0 && last !== undefined) last.text += character;
    else this.editing.push({ text: character, columns: columns });
    this.editingLength += 1;
    this.terminal.echo(shown);
  };

  // The cursor's column, as the echo so far has moved it from the start.
  LineDiscipline.prototype.columnNow = function () {
    var column = this.startColumn;
    for (var entry of this.editing) column += entry.columns;
    return column % Math.max(this.terminal.columns(), 1);
  };

  LineDiscipline.prototype.eraseLast = function () {
    var entry = this.editing.pop();
    if (entry === undefined) return;
    this.editingLength -= Array.from(entry.text).length;
    var columns = entry.columns;
    // A tab goes back the way it came; the rest are blanked.
    this.terminal.echo(entry.text === '\t' ? '\b'.repeat(columns)
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

  LineDiscipline.prototype.interrupt = function (shown, name) {
    this.terminal.echo(shown + '\r\n');
    this.clearLine();
    this.handedOver = [];
    this.terminal.signal(name);
  };

  LineDiscipline.prototype.read = function (count) {
    var discipline = this;
    return new Promise(function (resolve) {
      if (discipline.closed) return;
      discipline.waitingRead = { count: count, resolve: resolve };
      discipline.answerRead();
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

  LineDiscipline.prototype.close = function () {
    this.closed = true;
    this.waitingRead = null;
    this.handedOver = [];
    this.clearLine();
  };

  if (typeof module === 'object' && module.exports) module.exports = LineDiscipline;
  else global.LineDiscipline = LineDiscipline;
})(this);
