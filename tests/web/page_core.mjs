// What every browser engine must do with the page, typed at as a person
// would: every typeable transcript, the triangle's cells on xterm.js's
// screen, the line discipline's keys, and Ctrl-C. Each engine's test file
// hands in a driver of its own (driver.mjs) and registers these tests.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { readFileSync, readdirSync, existsSync } from 'node:fs';
import { join } from 'node:path';

// The screen's lines, as xterm.js holds them.
export function screenLines(page) {
  return page.evaluate(() => {
    const buffer = window.term.buffer.active;
    const lines = [];
    for (let row = 0; row < buffer.length; row++) lines.push(buffer.getLine(row).translateToString(true));
    return lines;
  });
}

// A row and the rows its line wraps onto are read as one: text at the
// last column (^C after a drawing, say) may go on in the next row.
export function waitForScreen(page, text, timeout = 30000) {
  return page.waitFor((wanted) => {
    const buffer = window.term && window.term.buffer.active;
    let line = '';
    for (let row = 0; buffer && row < buffer.length; row++) {
      const wraps = (buffer.getLine(row + 1) || {}).isWrapped;
      line += buffer.getLine(row).translateToString(!wraps);
      if (wraps) continue;
      if (line.includes(wanted)) return true;
      line = '';
    }
    return false;
  }, text, timeout);
}

// A page running `program`, its output collected before the terminal from
// the start (the page's `tap` parameter).
export async function open(driver, program, url = `${driver.base}?program=${program}`, options = {}) {
  const page = await driver.open(`${url}${url.includes('?') ? '&' : '?'}tap`, options);
  // pindle shows nothing before it is typed at.
  if (program === 'varnel') await waitForScreen(page, '[0]프로그램 종료');
  await page.waitFor(() => !!window.term && document.getElementById('status').textContent.includes('running'));
  return page;
}

export async function endedStatus(page, timeout = 30000) {
  await page.waitFor(() => document.getElementById('status').textContent.includes('ended with status'), null, timeout);
  const text = await page.evaluate(() => document.getElementById('status').textContent);
  // The run's last output may still wait in xterm.js's write queue: an
  // empty write's callback comes once all before it is parsed.
  await page.evaluate(() => new Promise((resolve) => window.term.write('', resolve)));
  return Number(text.match(/ended with status (\d+)/)[1]);
}

export async function output(page) {
  const blocks = await page.evaluate(() => window.outputTap.map((block) => Array.from(block)));
  return Buffer.from(blocks.flat());
}

// Asks varnel's triangle tool for `side` and waits until more than a
// megabyte of the drawing is out.
export async function startDrawing(page, side) {
  await page.type('1');
  await page.press('Enter');
  // The side's own prompt: the menu says "입력해주세요." too.
  await waitForScreen(page, '한 변의 길이');
  await page.type(String(side));
  await page.press('Enter');
  await page.waitFor(() => window.outputTap.reduce((sum, block) => sum + block.length, 0) > 1e6);
}

const cursorX = (page) => page.evaluate(() => window.term.buffer.active.cursorX);

// The moves that place the cell after a triangle cell (CR, ESC [ n C) taken
// out: the bytes a pipe gets.
function withoutPlacing(bytes) {
  return Buffer.from(bytes.toString('utf8').replace(/(?<=[△▲])\r\x1b\[\d+C/g, ''), 'utf8');
}

// Types a whole input, then ends it as a person would: a last line without
// Enter is handed over by one Ctrl-D; the next ends the input.
async function typeLines(page, input) {
  for (const line of input.split(/(?<=\n)/)) {
    await page.type(line.endsWith('\n') ? line.slice(0, -1) : line);
    if (line.endsWith('\n')) await page.press('Enter');
  }
  await page.press('Control+D');
  if (input !== '' && !input.endsWith('\n')) await page.press('Control+D');
}

export function coreTests(driver, { name, site, transcripts }) {
  for (const program of ['varnel', 'pindle']) {
    test(`${name}: every typeable ${program} transcript, typed into the page, prints its output and status`,
      async () => {
        const directory = join(transcripts, program);
        const names = readdirSync(directory).filter((file) => file.endsWith('.in')).map((file) => file.slice(0, -3));
        let typed = 0;
        for (const name of names.sort()) {
          const input = readFileSync(join(directory, `${name}.in`), 'utf8');
          // Arguments are no dialogue; control bytes are no keys; Korean is
          // typed only where the driver's keyboard can.
          if (existsSync(join(directory, `${name}.args`)) || /[\x00-\x09\x0b-\x1f\x7f]/.test(input) ||
              (!driver.typesKorean && /[^\x00-\x7f]/.test(input)) || input.length > 2000) {
            continue;
          }
          const page = await open(driver, program);
          await typeLines(page, input);
          const status = await endedStatus(page);
          const expectedStatus = existsSync(join(directory, `${name}.status`))
            ? Number(readFileSync(join(directory, `${name}.status`), 'utf8')) : 0;
          assert.equal(status, expectedStatus, name);
          // At a terminal the program ends a line it left open.
          const expected = readFileSync(join(directory, `${name}.out`), 'utf8');
          assert.equal(withoutPlacing(await output(page)).toString('utf8'),
            expected === '' || expected.endsWith('\n') ? expected : `${expected}\n`, name);
          assert.deepEqual(await page.errors(), [], name);
          await page.close();
          typed += 1;
        }
        assert.ok(typed > 5, `only ${typed} transcripts typed`);
      });
  }

  test(`${name}: every triangle cell of sides 1 to 12, four orientations, starts on an even column`, async () => {
    let lines = '1\n';
    for (let side = 1; side <= 12; side++) lines += `${side}\nl\nl\nl\n${side < 12 ? 'R' : 'x'}\n`;
    lines += '0\n';
    // The same dialogue into a pipe, by the same program under Node.js.
    const plain = execFileSync(process.execPath, [join(site, 'varnel.js')], { input: lines }).toString('utf8')
      .split('\n').filter((line) => line !== '' && /^[△▲　]+$/.test(line));
    const page = await open(driver, 'varnel');
    await typeLines(page, lines);
    assert.equal(await endedStatus(page), 0);
    const rows = await page.evaluate(() => {
      const buffer = window.term.buffer.active;
      const found = [];
      for (let row = 0; row < buffer.length; row++) {
        const line = buffer.getLine(row);
        const cells = [];
        for (let column = 0; column < line.length; column++) {
          const chars = line.getCell(column).getChars();
          if (chars !== '' && chars !== ' ') cells.push([column, chars]);
        }
        if (cells.length > 0 && cells.every(([, chars]) => '△▲　'.includes(chars))) found.push(cells);
      }
      return found;
    });
    assert.equal(rows.length, plain.length);
    rows.forEach((cells, index) => {
      // Every cell on its own two columns, as the pipe's drawing has them.
      const byColumn = new Map(cells.map(([column, chars]) => [column, chars]));
      const shown = Array.from(plain[index], (_, cell) => byColumn.get(2 * cell) ?? '?').join('');
      assert.equal(shown, plain[index], `row ${index + 1}`);
      assert.ok(cells.every(([column]) => column % 2 === 0), `row ${index + 1}: ${JSON.stringify(cells)}`);
    });
    await page.close();
  });

  test(`${name}: the keys of a Linux terminal: Backspace by xterm.js's widths, Tab, Ctrl-W, Ctrl-U, Ctrl-D, ` +
    'and running again', async () => {
    const page = await open(driver, 'pindle');
    // Text an input method hands over (a Korean letter, a small comma that
    // xterm.js draws two columns wide, a letter and its combining accent):
    // Backspace erases the columns xterm.js drew for it, and no more.
    for (const [text, columns] of [['가', 2], ['\ufe50', 2], ['e\u0301', 1]]) {
      await page.evaluate((typed) => window.term.paste(typed), text);
      await page.waitFor((wanted) => window.term.buffer.active.cursorX === wanted, columns);
      await page.press('Backspace');
      await page.waitFor(() => window.term.buffer.active.cursorX === 0);
      assert.equal((await screenLines(page))[0].trim(), '', text);
    }
    // Ctrl-U then erases all of them, leaving nothing behind.
    await page.evaluate(() => window.term.paste('가\ufe50e\u0301x'));
    await page.press('Control+U');
    await page.waitFor(() => window.term.buffer.active.cursorX === 0);
    assert.equal((await screenLines(page))[0].trim(), '');
    // Tab moves to the next tab stop, and Backspace comes back over it.
    await page.type('1');
    await page.press('Tab');
    await page.waitFor(() => window.term.buffer.active.cursorX === 8);
    await page.press('Backspace');
    await page.waitFor(() => window.term.buffer.active.cursorX === 1);
    // Ctrl-W erases the word before the cursor.
    await page.type(' 7 x9');
    await page.press('Control+W');
    await page.waitFor(() => window.term.buffer.active.cursorX === 4);
    await page.press('Enter');
    await waitForScreen(page, '1번');
    // The line handed over was "1 7 ": 1번, then the complaint for 7.
    await waitForScreen(page, ':(');
    // Ctrl-D after part of a line hands that part over, and the program
    // goes on: "2" may go on with more digits, so it waits for them.
    await page.type('2');
    await page.press('Control+D');
    await page.sleep(300);
    assert.equal(await page.evaluate(() => document.getElementById('status').textContent), 'pindle 실행 중 / running');
    // Ctrl-D at the start of a line ends the input once.
    await page.press('Control+D');
    assert.equal(await endedStatus(page), 0);
    assert.equal((await output(page)).toString('utf8'), '1번\n1,2,0 중 하나만 입력해주세요... :(\n2번\n');
    // Enter runs the program again, with no reload; its input starts afresh.
    await page.evaluate(() => { window.outputTap = []; });
    await page.press('Enter');
    await page.waitFor(() => document.getElementById('status').textContent.includes('running'));
    await waitForScreen(page, '[pindle: 새로 실행 / new run]');
    await page.evaluate(() => window.term.paste('2 0\n'));
    assert.equal(await endedStatus(page), 0);
    assert.equal((await output(page)).toString('utf8'), '2번\n프로그램이 종료되었습니다~ :)\n\n\n');
    assert.equal(await cursorX(page), 0);
    // Ctrl-S holds the program across a run's end, and the lines typed
    // ahead start the next run and reach it, as at a shell.
    const answered = (count) => page.waitFor((wanted) => Array.from({ length: window.term.buffer.active.length },
      (_, row) => window.term.buffer.active.getLine(row).translateToString(true)).filter((line) => line === '1번').length === wanted,
    count);
    await page.press('Enter');
    await page.evaluate(() => window.term.paste('1\r'));
    await answered(2);
    // typed while stopped, answers before and after Ctrl-Q; the second
    // row's run ends while stopped and leaves the next one stopped
    for (const [typed, before, after] of [['1\r\x04\r1\r', 2, 4], ['\x04\r1\r', 4, 5]]) {
      await page.evaluate(() => window.term.paste('\x13'));
      await page.evaluate((keys) => window.term.paste(keys), typed);
      await page.sleep(300);
      await answered(before);
      await page.evaluate(() => window.term.paste('\x11'));
      await answered(after);
    }
    await page.close();
  });

  test(`${name}: Ctrl-C stops a drawing of side 100000: status 130, ^C shown, no output after it; the ` +
    'terminal is never handed more than it can parse soon', async () => {
    const page = await open(driver, 'varnel');
    // Flow control: what the terminal was handed and has not yet parsed
    // stays within the pacer's high water mark (4 MiB) and a chunk (1 MiB).
    await page.evaluate(() => {
      const write = window.term.write.bind(window.term);
      window.flow = { handed: 0, parsed: 0, most: 0 };
      window.term.write = (data, parsed) => {
        const length = data.length;
        window.flow.handed += length;
        window.flow.most = Math.max(window.flow.most, window.flow.handed - window.flow.parsed);
        write(data, () => {
          window.flow.parsed += length;
          if (parsed) parsed();
        });
      };
    });
    await startDrawing(page, 100000);
    await page.sleep(500);
    await page.press('Control+C');
    // It stops within a frame or two; how soon is a benchmark figure. A
    // drawing that went on would take minutes.
    assert.equal(await endedStatus(page, 10000), 130);
    await waitForScreen(page, '^C');
    const written = await page.evaluate(() => window.outputTap.length);
    await page.sleep(300);
    assert.equal(await page.evaluate(() => window.outputTap.length), written);
    const flow = await page.evaluate(() => window.flow);
    assert.ok(flow.handed > 1 << 20 && flow.most <= 5 << 20, `${flow.most} bytes unparsed at once`);
    await page.close();
  });
}
