// The page's side of the comparison with Linux's line discipline
// (line_discipline_linux.py), under Node.js with @xterm/headless, the page's
// terminal without a browser, for widths and screens.
//
//   node line_discipline_cases.js type     stdin: [{keys: [KEY...]}...];
//                                          stdout: [{reads, echo, echoed,
//                                          logged}...], each read in hex,
//                                          "shell HEX" for the line that
//                                          started a run, or "signal NAME";
//                                          after each key, the echo's length
//                                          and the reads logged so far. A
//                                          key "\0resize N" sets the width
//   node line_discipline_cases.js screen   stdin: [{echo, resizes}...] (echo
//                                          latin-1 text of UTF-8 bytes,
//                                          resizes [[OFFSET, N]...]); stdout:
//                                          [{lines, cursor}...], the screen
//                                          each echo leaves
//
// WEB names the web/ folder (its line_discipline.js and node_modules).
'use strict';
const path = require('node:path');

const web = process.env.WEB;
const LineDiscipline = require(path.join(web, 'line_discipline.js'));
const { Terminal } = require(path.join(web, 'node_modules/@xterm/headless'));

const newTerminal = () => new Terminal({ cols: 80, rows: 100, scrollback: 1000, convertEol: true,
  allowProposedApi: true });
const widths = newTerminal()._core.unicodeService;

const settle = () => new Promise((resolve) => setImmediate(resolve));

const hex = (block) => Buffer.from(block).toString('hex');

// Each key typed by itself, and the reader given its turn after each: a
// paste is one key of many characters. Runs as on the page: a reader ends
// at the end of its input or at a signal, and the next whole line starts
// the next one.
async function typeCase(keys) {
  const reads = [];
  let echo = '';
  let run = null;
  // The screen as the page's would be, for the cursor after a resize.
  const screen = newTerminal();
  const resizes = [];
  const discipline = new LineDiscipline({
    echo: (text) => {
      echo += text;
      screen.write(text);
    },
    widthOf: (text) => widths.getStringCellWidth(text),
    columns: () => screen.cols,
    signal: (name) => run && endRun(`signal ${name}`),
  });
  async function startRun(started) {
    const thisRun = run = { ended: false };
    if (started) reads.push(started);
    for (let block = null; block === null || block.length > 0;) {
      block = await discipline.read(65536);
      if (thisRun.ended) return;
      reads.push(hex(block));
    }
    endRun();
  }
  function endRun(why) {
    if (why) reads.push(why);
    run.ended = true;
    run = null;
    discipline.cancelRead();
    discipline.nextLine().then((line) => startRun(`shell ${hex(line)}`));
  }
  startRun();
  const echoed = [];
  const logged = [];
  for (const key of keys) {
    if (key.startsWith('\0resize ')) {
      // Once the screen shows the echo so far, as at a person's resize.
      const parsed = () => new Promise((resolve) => screen.write('', resolve));
      await parsed();
      const mark = discipline.mark();
      screen.resize(Number(key.split(' ')[1]), screen.rows);
      resizes.push([Buffer.byteLength(echo, 'utf8'), screen.cols]);
      await parsed();
      discipline.cursorWas(mark, screen.buffer.active.cursorX);
    } else {
      discipline.type(key);
    }
    await settle();
    echoed.push(Buffer.byteLength(echo, 'utf8'));
    logged.push(reads.length);
  }
  if (run) run.ended = true;
  discipline.cancelRead();
  screen.dispose();
  return { reads, echo: Buffer.from(echo, 'utf8').toString('latin1'), echoed, logged, resizes };
}

async function screenOf({ echo, resizes }) {
  const terminal = newTerminal();
  const bytes = Buffer.from(echo, 'latin1');
  let offset = 0;
  for (const [at, columns] of resizes) {
    await new Promise((resolve) => terminal.write(bytes.subarray(offset, at), resolve));
    terminal.resize(columns, terminal.rows);
    offset = at;
  }
  return new Promise((resolve) => terminal.write(bytes.subarray(offset), () => {
    const buffer = terminal.buffer.active;
    const lines = [];
    for (let row = 0; row < buffer.length; row++) lines.push(buffer.getLine(row).translateToString(true));
    while (lines.length > 0 && lines[lines.length - 1] === '') lines.pop();
    resolve({ lines, cursor: [buffer.cursorX, buffer.baseY + buffer.cursorY] });
    terminal.dispose();
  }));
}

async function main() {
  const chunks = [];
  for await (const chunk of process.stdin) chunks.push(chunk);
  const input = JSON.parse(Buffer.concat(chunks).toString('utf8'));
  const results = [];
  for (const item of input) results.push(process.argv[2] === 'type' ? await typeCase(item.keys) : await screenOf(item));
  process.stdout.write(JSON.stringify(results));
}

main().catch((error) => {
  console.error(error);
  process.exitCode = 1;
});
