// The page's line discipline and output pacer under Node.js, with a
// terminal of the test's own making.
//
//   node --test page_parts_test.js     with WEB (the web/ folder)
'use strict';
const { test } = require('node:test');
const assert = require('node:assert/strict');
const path = require('node:path');

const LineDiscipline = require(path.join(process.env.WEB, 'line_discipline.js'));
const OutputPacer = require(path.join(process.env.WEB, 'output_pacer.js'));

// A terminal 80 columns wide whose cursor starts at `column`: wide and
// full-width characters take two columns, combining marks none.
function terminal(column = 0) {
  const shown = { echo: '', signals: [] };
  const discipline = new LineDiscipline({
    echo: (text) => { shown.echo += text; },
    widthOf: (text) => Array.from(text).reduce((sum, character) => sum +
      (/[\u0300-\u036f]/.test(character) ? 0 : /[\u1100-\u115f\uac00-\ud7a3\ufe30-\ufe6f]/.test(character) ? 2 : 1), 0),
    column: () => column,
    columns: () => 80,
    signal: (name) => shown.signals.push(name),
  });
  return { discipline, shown };
}

async function lineOf(discipline) {
  return Buffer.from(await discipline.read(8192)).toString('utf8');
}

test('the keys of a Linux terminal with default settings', async (t) => {
  // typed, the line handed over, and what the screen was sent
  const rows = [
    ['ab\x7fc\r', 'ac\n', 'ab\b \bc\r\n'],
    ['가\x7f나\r', '나\n', '가\b\b  \b\b나\r\n'],
    // A combining accent goes with its letter: one column back, not two.
    ['e\u0301\x7fx\r', 'x\n', 'e\u0301\b \bx\r\n'],
    ['\ufe50\x7f\r', '\n', '\ufe50\b\b  \b\b\r\n'],
    ['junk\x15ok\r', 'ok\n', 'junk\b \b\b \b\b \b\b \bok\r\n'],
    // A tab moves to the next tab stop, and Backspace comes back the same way.
    ['ab\t\x7fc\r', 'abc\n', 'ab\t\b\b\bc\r\n'],
    ['one two  \x17\r', 'one \n', 'one two  \b \b\b \b\b \b\b \b\b \b\r\n'],
    ['a-b\x17\x17\r', '\n', 'a-b\b \b\b \b\b \b\r\n'],
    // Ctrl-V takes the next key as it is, shown as ^X.
    ['\x16\x03\r', '\x03\n', '^C\r\n'],
    ['\x1a5\r', '5\n', '5\r\n'],
  ];
  for (const [typed, line, echo] of rows) {
    await t.test(JSON.stringify(typed), async () => {
      const { discipline, shown } = terminal(3);
      const read = lineOf(discipline);
      discipline.type(typed);
      assert.equal(await read, line);
      assert.equal(shown.echo, echo);
    });
  }
});

test('a tab stop counts from where the line started on the screen', async () => {
  const { discipline, shown } = terminal(5);
  discipline.type('\t\x7f');
  assert.equal(shown.echo, '\t\b\b\b');
});

test('a line holds 4095 characters before its newline; more rings the bell', async () => {
  const { discipline, shown } = terminal();
  const read = lineOf(discipline);
  discipline.type('7'.repeat(4100) + '\r');
  assert.equal(await read, '7'.repeat(4095) + '\n');
  assert.equal(shown.echo, '7'.repeat(4095) + '\x07'.repeat(5) + '\r\n');
});

test('Ctrl-D: the line so far, or the end of input at the start of a line; reads take one line at most', async () => {
  const { discipline } = terminal();
  discipline.type('12\x04');
  assert.equal(await lineOf(discipline), '12');
  discipline.type('\x04');
  assert.equal(await lineOf(discipline), '');
  discipline.type('1\r2\r');
  assert.equal(Buffer.from(await discipline.read(1)).toString(), '1');
  assert.equal(await lineOf(discipline), '\n');
  assert.equal(await lineOf(discipline), '2\n');
});

test('Ctrl-C and Ctrl-\\ signal the program and drop what was typed; a closed discipline answers nothing', async () => {
  const { discipline, shown } = terminal();
  discipline.type('1\rabc\x03');
  discipline.type('\x1c');
  assert.deepEqual(shown.signals, ['INT', 'QUIT']);
  assert.ok(shown.echo.endsWith('abc^C\r\n^\\\r\n'));
  discipline.type('2\r');
  assert.equal(await lineOf(discipline), '2\n');
  discipline.close();
  let answered = false;
  discipline.read(10).then(() => { answered = true; });
  discipline.type('3\r');
  await new Promise((resolve) => setTimeout(resolve, 20));
  assert.equal(answered, false);
});

// A terminal that parses a chunk only when the test says so.
function slowTerminal() {
  const terminal = { chunks: [], pending: [], parsedBytes: 0 };
  terminal.write = (chunk, parsed) => {
    terminal.chunks.push(chunk);
    terminal.pending.push(() => { terminal.parsedBytes += chunk.length; parsed(); });
  };
  terminal.parseOne = () => terminal.pending.shift()();
  return terminal;
}

test('the pacer hands over exact copies of what was written, in order', async () => {
  const screen = slowTerminal();
  const pacer = new OutputPacer(screen.write, { chunkSize: 8, highWater: 64, lowWater: 16 });
  const memory = new Uint8Array(20).map((_, index) => index);
  assert.equal(pacer.take(memory.subarray(0, 5)), 5);
  assert.equal(pacer.take(memory.subarray(5, 20)), 15);
  memory.fill(99);  // the program's memory, reused once the write returned
  await Promise.resolve();
  const handed = Buffer.concat(screen.chunks.map((chunk) => Buffer.from(chunk)));
  assert.deepEqual([...handed], Array.from({ length: 20 }, (_, index) => index));
  assert.ok(screen.chunks.every((chunk) => chunk.length <= 8 && chunk.buffer.byteLength === chunk.length),
    'each chunk is a copy of its own bytes, not a view of a larger buffer');
  assert.equal(pacer.unparsed, 20);
  while (screen.pending.length > 0) screen.parseOne();
  assert.equal(pacer.unparsed, 0);
});

test('past the high water mark the program waits until the terminal is down to the low one', async () => {
  const screen = slowTerminal();
  const pacer = new OutputPacer(screen.write, { chunkSize: 10, highWater: 30, lowWater: 10 });
  const block = new Uint8Array(10);
  for (let written = 0; written < 30; written += 10) assert.equal(pacer.take(block), 10);
  let resumed = false;
  const held = pacer.take(block);
  assert.equal(typeof held.then, 'function', 'a write past the high water mark must wait');
  held.then(() => { resumed = true; });
  assert.equal(pacer.unparsed, 40);
  screen.parseOne();
  screen.parseOne();
  await Promise.resolve();
  assert.equal(resumed, false, 'resumed with 20 bytes unparsed, above the low water mark');
  screen.parseOne();
  await Promise.resolve();
  assert.equal(resumed, true);
  assert.equal(pacer.unparsed, 10);
  screen.parseOne();
  assert.equal(pacer.unparsed, 0);
});

test('many small writes, each handed over before the terminal parses any, hold only their own bytes', async () => {
  const screen = slowTerminal();
  const pacer = new OutputPacer(screen.write);
  for (let line = 0; line < 1000; line++) {
    pacer.take(new TextEncoder().encode('1,2,0 중 하나만 입력해주세요... :(\n'));
    await Promise.resolve();
  }
  const held = screen.chunks.reduce((sum, chunk) => sum + chunk.buffer.byteLength, 0);
  assert.ok(held < 100000, `${held} bytes held for 1000 short lines`);
});

test('a stopped pacer drops what it gathered and never answers a held write', async () => {
  const screen = slowTerminal();
  const pacer = new OutputPacer(screen.write, { chunkSize: 10, highWater: 10, lowWater: 5 });
  pacer.take(new Uint8Array(10));
  let answered = false;
  pacer.take(new Uint8Array(10)).then(() => { answered = true; });
  pacer.stop();
  while (screen.pending.length > 0) screen.parseOne();
  let later = false;
  pacer.take(new Uint8Array(1)).then(() => { later = true; });
  await new Promise((resolve) => setTimeout(resolve, 10));
  assert.equal(answered, false);
  assert.equal(later, false);
  assert.equal(screen.chunks.length, 2);
});
