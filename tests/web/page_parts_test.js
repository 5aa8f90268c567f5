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

// A terminal 80 columns wide on which the program wrote `prompt` (UTF-8)
// before anything is typed: wide and full-width characters take two
// columns, combining marks none.
function terminal(prompt = '') {
  const shown = { echo: '', signals: [] };
  const discipline = new LineDiscipline({
    echo: (text) => { shown.echo += text; },
    widthOf: (text) => Array.from(text).reduce((sum, character) => sum +
      (/[\u0300-\u036f]/.test(character) ? 0 : /[\u1100-\u115f\uac00-\ud7a3\ufe30-\ufe6f]/.test(character) ? 2 : 1), 0),
    columns: () => 80,
    signal: (name) => shown.signals.push(name),
  });
  discipline.wrote(Buffer.from(prompt));
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
    ['\x16\x03\r', '\x03\n', '^\b^C\r\n'],
    ['\x1a5\r', '5\n', '5\r\n'],
    // What a ^X echo takes is erased, not what the raw character would.
    ['\x16\x01\x7f\r', '\n', '^\b^A\b\b  \b\b\r\n'],
    // Digits are word characters for Ctrl-W; a letter with its marks is
    // one character of the line's 4095.
    ['ab 12\x17\r', 'ab \n', 'ab 12\b \b\b \b\r\n'],
    ['e\u0301\u0301\x7f' + '7'.repeat(4095) + '\r', '7'.repeat(4095) + '\n',
      'e\u0301\u0301\b \b' + '7'.repeat(4095) + '\r\n'],
    // A paste: after its Enter the line starts at column 0, wherever the
    // terminal's cursor is yet; the tab erased is 8 columns, then 6.
    ['ab\r\tx\x7f\x7fy\r', 'ab\n', 'ab\r\n\tx\b \b\b\b\b\b\b\b\b\by\r\n'],
    ['abc\rde\t\x7f\x7fz\r', 'abc\n', 'abc\r\nde\t\b\b\b\b\b\b\b \bz\r\n'],
    // A tab at the last column moves nowhere, and Backspace takes it alone.
    ['a'.repeat(76) + '\t\x7f\r', 'a'.repeat(76) + '\n', 'a'.repeat(76) + '\t\r\n'],
  ];
  for (const [typed, line, echo] of rows) {
    await t.test(JSON.stringify(typed), async () => {
      const { discipline, shown } = terminal('abc');
      const read = lineOf(discipline);
      discipline.type(typed);
      assert.equal(await read, line);
      assert.equal(shown.echo, echo);
    });
  }
});

test('a tab stop counts from where the program\'s output left the cursor', async () => {
  // program's output, typed, echo
  const rows = [
    ['12345', '\t\x7f', '\t\b\b\b'],
    ['선택: ', '\t\x7f', '\t\b\b'],
    ['menu\n[1] ', '\t\x7f', '\t\b\b\b\b'],
    // The programs' cell moves: back to the line's start, then forward.
    ['▲\r\x1b[2C▲\n> ', '\t\x7f', '\t\b\b\b\b\b\b'],
    ['\r\x1b[13C', '\t\x7f', '\t\b\b\b'],
    ['a\tb\x1b[10G', 'x\t\x7f', 'x\t\b\b\b\b\b\b'],
    // A move forward stops at the last column, as the terminal's does.
    ['\x1b[200C', '\t\x7f', '\t'],
    // A wide character that does not fit in the last column wraps whole.
    ['a'.repeat(79) + '가', '\t\x7f', '\t\b\b\b\b\b\b'],
  ];
  for (const [prompt, typed, echo] of rows) {
    const { discipline, shown } = terminal(prompt);
    discipline.type(typed);
    assert.equal(shown.echo, echo, JSON.stringify(prompt));
  }
  // A character or an escape sequence split between two writes is counted
  // once it is whole.
  for (const [output, cut, echo] of [['가나', 4, '\t\b\b\b\b'], ['\r\x1b[13C', 4, '\t\b\b\b']]) {
    const { discipline, shown } = terminal();
    const bytes = Buffer.from(output);
    discipline.wrote(bytes.subarray(0, cut));
    discipline.wrote(bytes.subarray(cut));
    discipline.type('\t\x7f');
    assert.equal(shown.echo, echo, JSON.stringify(output));
  }
});

test('a line holds 4095 bytes before its newline; more rings the bell', async () => {
  // typed, the line, the bells
  for (const [typed, line, bells] of [['7'.repeat(4100), '7'.repeat(4095), 5], ['가'.repeat(1400), '가'.repeat(1365), 35]]) {
    const { discipline, shown } = terminal();
    const read = discipline.read(65536);
    discipline.type(typed + '\r');
    assert.equal(Buffer.from(await read).toString('utf8'), line + '\n');
    assert.equal(shown.echo, line + '\x07'.repeat(bells) + '\r\n');
  }
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

test('Ctrl-C and Ctrl-\\ signal the program and drop what was typed; a read given up is never answered', async () => {
  const { discipline, shown } = terminal();
  discipline.type('1\rabc');
  discipline.type('\x03');
  discipline.type('\x1c');
  assert.deepEqual(shown.signals, ['INT', 'QUIT']);
  assert.ok(shown.echo.endsWith('abc^C^\\'), JSON.stringify(shown.echo));
  discipline.type('2\r');
  assert.equal(await lineOf(discipline), '2\n');
  let answered = false;
  discipline.read(10).then(() => { answered = true; });
  discipline.cancelRead();
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
  const pacer = new OutputPacer(screen.write, { chunkSize: 8, highWater: 64, lowWater: 16, sliceTime: Infinity });
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
  const pacer = new OutputPacer(screen.write, { chunkSize: 10, highWater: 30, lowWater: 10, sliceTime: Infinity });
  const block = new Uint8Array(10);
  for (let written = 0; written < 30; written += 10) assert.equal(pacer.take(block), 10);
  let resumed = false;
  const held = pacer.take(block);
  assert.equal(typeof held.then, 'function', 'a write past the high water mark must wait');
  held.then((count) => { resumed = count; });
  assert.equal(pacer.unparsed, 30, 'a held write is not taken yet');
  screen.parseOne();
  await new Promise(setImmediate);
  assert.equal(resumed, false, 'resumed with 20 bytes unparsed, above the low water mark');
  screen.parseOne();
  await new Promise(setImmediate);
  assert.equal(resumed, 10);
  await Promise.resolve();
  assert.equal(pacer.unparsed, 20);
  while (screen.pending.length > 0) screen.parseOne();
  assert.equal(pacer.unparsed, 0);
});

test('a write of any size takes at most what fits under the high water mark', async () => {
  // chunk, high water, what one write of 1000 bytes takes, and the most
  // ever gathered or unparsed
  for (const [chunkSize, highWater, taken] of [[10, 30, 30], [64, 30, 30], [8, 100, 100]]) {
    const screen = slowTerminal();
    const pacer = new OutputPacer(screen.write, { chunkSize, highWater, lowWater: 5, sliceTime: Infinity });
    assert.equal(pacer.take(new Uint8Array(1000)), taken);
    assert.ok(pacer.unparsed + pacer.gatheredLength <= highWater);
    assert.equal(typeof pacer.take(new Uint8Array(1000)).then, 'function', 'no room left: the program waits');
  }
});

test('a terminal that reports a chunk parsed at once never holds the program; a program that has run ' +
  'for its slice goes on in a task of its own; chunks grow to the terminal\'s pace', async () => {
  const instant = (chunk, parsed) => parsed();
  const pacer = new OutputPacer(instant, { chunkSize: 100, highWater: 10, lowWater: 5, sliceTime: Infinity });
  assert.equal(pacer.take(new Uint8Array(10)), 10);
  const answer = await Promise.race([pacer.take(new Uint8Array(5)),
    new Promise((resolve) => setTimeout(() => resolve('held'), 1000))]);
  assert.equal(answer, 5);
  assert.equal(pacer.unparsed, 0);
  const sliced = new OutputPacer(instant, { sliceTime: 5 });
  sliced.chunkTime = 1000;  // grows unless a chunk took a second
  assert.equal(sliced.take(new Uint8Array(3)), 3);
  for (const started = performance.now(); performance.now() - started < 6;);
  const later = sliced.take(new Uint8Array(4));
  assert.equal(typeof later.then, 'function');
  assert.equal(await later, 4);
  assert.equal(sliced.take(new Uint8Array(16 << 10)), 16 << 10);
  assert.ok(sliced.chunkSize > 16 << 10, `${sliced.chunkSize}`);
});

test('a prompt after a large output is handed over at once, however much waits unparsed', async () => {
  const screen = slowTerminal();
  const pacer = new OutputPacer(screen.write, { sliceTime: Infinity });
  assert.equal(pacer.take(new Uint8Array(1 << 20)), 1 << 20);
  const prompt = new TextEncoder().encode('선택: ');
  assert.equal(pacer.take(prompt), prompt.length);
  await Promise.resolve();
  assert.deepEqual([...screen.chunks[screen.chunks.length - 1]], [...prompt]);
  assert.equal(pacer.unparsed, (1 << 20) + prompt.length);
});

test('many small writes, each handed over before the terminal parses any, hold only their own bytes', async () => {
  const screen = slowTerminal();
  const pacer = new OutputPacer(screen.write, { sliceTime: Infinity });
  for (let line = 0; line < 1000; line++) {
    pacer.take(new TextEncoder().encode('1,2,0 중 하나만 입력해주세요... :(\n'));
    await Promise.resolve();
  }
  const held = screen.chunks.reduce((sum, chunk) => sum + chunk.buffer.byteLength, 0);
  assert.ok(held < 100000, `${held} bytes held for 1000 short lines`);
});

test('Ctrl-S holds the echo, the output and the program until Ctrl-Q', async () => {
  const screen = slowTerminal();
  const pacer = new OutputPacer(screen.write, { chunkSize: 10, highWater: 100, lowWater: 10, sliceTime: Infinity });
  const { discipline, shown } = terminal();
  discipline.terminal.flow = (stopped) => pacer.pause(stopped);
  assert.equal(pacer.take(new Uint8Array(3)), 3);
  discipline.type('a');
  discipline.type('\x13');
  discipline.type('b');
  let taken = null;
  pacer.take(new Uint8Array(4)).then((count) => { taken = count; });
  await new Promise((resolve) => setTimeout(resolve, 10));
  assert.equal(shown.echo, 'a');
  assert.equal(taken, null, 'the program waits while the output is stopped');
  assert.equal(screen.chunks.length, 0, 'nothing is handed to the terminal while the output is stopped');
  discipline.type('\x11');
  await new Promise((resolve) => setTimeout(resolve, 10));
  assert.equal(shown.echo, 'ab');
  assert.equal(taken, 4);
  assert.equal(Buffer.concat(screen.chunks.map((chunk) => Buffer.from(chunk))).length, 7);
  // Ctrl-C while stopped ends the program (as the page's signal does) and
  // then restarts the output: the held write is never answered.
  discipline.terminal.signal = () => pacer.stop();
  let heldAtSignal = null;
  discipline.type('\x13');
  pacer.take(new Uint8Array(5)).then((count) => { heldAtSignal = count; });
  discipline.type('\x03');
  await new Promise((resolve) => setTimeout(resolve, 10));
  assert.equal(heldAtSignal, null, 'the write held when the program was interrupted is answered');
  assert.equal(discipline.stopped, false);
  // The terminal's own lines held while stopped outlive a signal; the echo
  // does not.
  discipline.type('\x13');
  discipline.print('[ended]');
  discipline.type('x\x03');
  assert.ok(shown.echo.endsWith('[ended]^C'), JSON.stringify(shown.echo));
});

test('a stopped pacer drops what it gathered and never answers a held write', async () => {
  const screen = slowTerminal();
  const pacer = new OutputPacer(screen.write, { chunkSize: 10, highWater: 10, lowWater: 5, sliceTime: Infinity });
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
  assert.equal(screen.chunks.length, 1);
});
