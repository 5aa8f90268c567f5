// The web page in headless Chromium: the core every engine must pass
// (page_core.mjs), then what is tried in Chromium alone: the first prompt
// served over HTTP, opened from disk and at a phone's size; no request that
// fails; a paste of 15,000 lines; a phone's keys, refits and swipes; the
// screen reader switch; and Hangul drawn on a machine whose only fonts are
// DejaVu.
//
//   node --test page_test.mjs     with SITE (the built site), TRANSCRIPTS
//                                 (tests/transcripts), CHROMIUM and
//                                 PLAYWRIGHT (web/node_modules/playwright-core)
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { cpSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { chromiumDriver, startServer } from './driver.mjs';
import { coreTests, endedStatus, open, output, screenLines, startDrawing, waitForScreen } from './page_core.mjs';

const site = process.env.SITE;
const driver = {};
let served;

before(async () => {
  served = await startServer(site);
  Object.assign(driver, await chromiumDriver({ playwright: process.env.PLAYWRIGHT, executable: process.env.CHROMIUM }),
    { base: served.base });
});

after(async () => {
  await driver.close?.();
  served?.server.close();
});

coreTests(driver, { name: 'Chromium', site, transcripts: process.env.TRANSCRIPTS });

const phone = { viewport: { width: 390, height: 844 }, isMobile: true, hasTouch: true };

test('the first prompt: served over HTTP with no request failing, opened from disk, and at a phone\'s size', async () => {
  const fromDisk = `${pathToFileURL(join(site, 'index.html'))}?program=varnel`;
  for (const [url, options] of [[`${served.base}?program=varnel`, {}], [fromDisk, {}], [served.base, phone]]) {
    const page = await open(driver, 'varnel', url, options);
    const columns = await page.evaluate(() => window.term.cols);
    assert.ok(columns >= 30, `${url}: ${columns} columns`);
    // The program sees the terminal's width: side 3 is placed in it.
    await page.type('1');
    await page.press('Enter');
    await waitForScreen(page, '한 변의 길이');
    await page.type('3');
    await page.press('Enter');
    await waitForScreen(page, 'menu_1_command_result');
    assert.match((await output(page)).toString('utf8'), /▲\r\x1b\[2C▲/, url);
    // The page says what the program is and leads to the README.
    assert.match(await page.evaluate(() => document.getElementById('about-varnel').textContent), /triangle/);
    assert.equal(await page.evaluate(() => document.querySelector('#about a').getAttribute('href')), 'README.txt');
    assert.deepEqual(await page.errors(), [], url);
    await page.close();
  }
  // Every request was answered: the favicon, the font's slices; and the
  // README the page links to is there.
  const page = await open(driver, 'pindle');
  assert.equal(await page.evaluate(() => fetch('README.txt').then((response) => response.status)), 200);
  await page.close();
  assert.deepEqual(served.missing, []);
});

test('a run ended before the program\'s script came never starts; the next one does, once, and each run after it has an instance of its own', async () => {
  // No service worker: its fetches would go round the held script.
  const page = await driver.browser.newPage({ serviceWorkers: 'block' });
  // Counts the program's instances: the script's factory, wrapped as it is
  // defined.
  await page.addInitScript(() => {
    let factory;
    window.instances = 0;
    Object.defineProperty(window, 'create_pindle', {
      configurable: true,
      get: () => factory,
      set: (create) => { factory = (options) => { window.instances += 1; return create(options); }; },
    });
  });
  let release;
  const held = new Promise((resolve) => { release = resolve; });
  await page.route('**/pindle.js', async (route) => { await held; await route.continue(); });
  await page.goto(`${driver.base}?program=pindle`, { waitUntil: 'domcontentloaded' });
  await page.waitForFunction(() => !!window.term);
  await page.keyboard.press('Control+C');
  await page.waitForFunction(() => document.getElementById('status').textContent.includes('status 130'));
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => document.getElementById('status').textContent.includes('running'));
  release();
  await page.waitForFunction(() => window.instances > 0);
  await page.evaluate(() => window.term.paste('1 0\n'));
  await page.waitForFunction(() => document.getElementById('status').textContent.includes('status 0'));
  assert.equal(await page.evaluate(() => window.instances), 1);
  // Run again: an instance of its own, not the one that has ended.
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => document.getElementById('status').textContent.includes('running'));
  await page.evaluate(() => window.term.paste('0\n'));
  await page.waitForFunction(() => document.getElementById('status').textContent.includes('status 0'));
  assert.equal(await page.evaluate(() => window.instances), 2);
  await page.close();
});

test('a start-up that fails says why in the status line and on the screen, and the next run tries again', async () => {
  const script = readFileSync(join(site, 'pindle.js'), 'latin1');
  // The module code with a name the early start uses renamed, as another
  // Emscripten might, the early start's own code left as it is.
  const early = [script.indexOf('var inlineWasmNamesFound'), script.indexOf('var moduleOverrides')];
  const renamed = (name) => [script.slice(0, early[0]), script.slice(...early), script.slice(early[1])]
    .map((part, index) => (index === 1 ? part : part.replaceAll(name, `${name}Renamed`))).join('');
  // What is served in place of a script, and what the page says; null
  // where the program must run all the same.
  const cases = [
    ['pindle.js', { status: 404 }, 'pindle.js could not be loaded'],
    ['pindle.js', { body: script.replace('base64,AGFzbQEA', 'base64,AAAAAAAA') }, 'CompileError'],
    ['pindle.js', { body: 'var nothing;' }, 'pindle.js holds no program'],
    ['start.js', { status: 404 }, 'start.js could not be loaded'],
    // Module code whose names are not those the early start knows.
    ['pindle.js', { body: renamed('tryParseAsDataURI') }, null],
    ['pindle.js', { body: renamed('readyPromiseReject') }, null],
    ['pindle.js', { body: renamed('wasmBinaryFile') }, null],
  ];
  for (const [file, answer, said] of cases) {
    // No service worker, which would keep the broken script for the retry.
    const page = await driver.browser.newPage({ serviceWorkers: 'block' });
    let broken = true;
    await page.route(`**/${file}`, (route) => (broken
      ? route.fulfill({ contentType: 'text/javascript', body: '', ...answer }) : route.continue()));
    await page.goto(`${driver.base}?program=pindle`);
    const status = () => page.evaluate(() => document.getElementById('status').textContent);
    const shows = (text) => page.waitForFunction((wanted) => {
      const buffer = window.term.buffer.active;
      for (let row = 0; row < buffer.length; row++) if (buffer.getLine(row).translateToString().includes(wanted)) return true;
      return false;
    }, text);
    if (said !== null) {
      await page.waitForFunction(() => document.getElementById('status').textContent.includes('status 70'));
      assert.match(await status(), new RegExp(said), file);
      await shows(said);
      broken = false;
      await page.evaluate(() => window.term.paste('\r'));
    }
    await page.waitForFunction(() => document.getElementById('status').textContent.includes('running'));
    await page.evaluate(() => window.term.paste('1 0\n'));
    await page.waitForFunction(() => document.getElementById('status').textContent.includes('status 0'));
    await shows('1번');
    await page.close();
  }
});

test('a paste across lines: the screen shows the line the program gets', async () => {
  const page = await open(driver, 'pindle');
  // Each line as the program reads it; the screen's last typed line.
  for (const [pasted, line, shown] of [['3\r\tx\x7f\x7fy\r', 'y', 'y'], ['3\rab\t\x7f\x7f2\r', 'a2', 'a2']]) {
    await page.evaluate(() => { window.outputTap = []; });
    await page.evaluate((text) => window.term.paste(text), pasted);
    await waitForScreen(page, line === 'y' ? 'y' : 'a2');
    const lines = await screenLines(page);
    const typed = lines.filter((text) => text.trim() === shown);
    assert.equal(typed.length, 1, `${JSON.stringify(pasted)}: ${JSON.stringify(lines)}`);
    assert.equal(typed[0].trimEnd(), shown, 'the line starts at the first column');
  }
  await page.close();
});

test('served with the strictest Content-Security-Policy docs/web.md gives, the page runs, lines up, is installable, runs offline after one visit and offers a new release', async () => {
  const policy = readFileSync(join(process.env.DOCS, 'web.md'), 'utf8').match(/^Content-Security-Policy: (.*)$/m)[1];
  // A copy of the site, to which a new release comes.
  const copy = mkdtempSync(join(tmpdir(), 'site-'));
  cpSync(site, copy, { recursive: true });
  const strict = await startServer(copy, { 'Content-Security-Policy': policy });
  try {
    const page = await driver.browser.newPage();
    await page.addInitScript(() => {
      window.violations = [];
      document.addEventListener('securitypolicyviolation',
        (event) => window.violations.push(`${event.violatedDirective} ${event.blockedURI.slice(0, 40)}`));
    });
    await page.goto(`${strict.base}?program=varnel&tap`);
    await page.waitForFunction(() => !!window.term && document.getElementById('status').textContent.includes('running'));
    const wrapped = { raw: page, evaluate: (fn, arg) => page.evaluate(fn, arg),
      waitFor: (fn, arg, timeout = 30000) => page.waitForFunction(fn, arg, { timeout }) };
    await waitForScreen(wrapped, '[0]프로그램 종료');
    await page.keyboard.type('1\n3\n');
    await waitForScreen(wrapped, 'menu_1_command_result');
    assert.match((await output(wrapped)).toString('utf8'), /▲\r\x1b\[2C▲/);
    // The cells xterm.js measured are the cells it draws: its own style
    // element was let in.
    const grid = await page.evaluate(() => {
      const row = document.querySelector('.xterm-rows > div');
      const cell = window.term._core._renderService.dimensions.css.cell;
      return { rowHeight: row.getBoundingClientRect().height, cellHeight: cell.height };
    });
    assert.ok(Math.abs(grid.rowHeight - grid.cellHeight) < 0.5, JSON.stringify(grid));
    // Installable, and after this one visit both programs open and answer
    // with the network off.
    const session = await page.context().newCDPSession(page);
    // A test's browser context is an incognito one, which no page can change.
    const { installabilityErrors } = await session.send('Page.getInstallabilityErrors');
    assert.deepEqual(installabilityErrors.filter((error) => error.errorId !== 'in-incognito'), []);
    await page.waitForFunction(() => !!navigator.serviceWorker.controller);
    await page.context().setOffline(true);
    for (const [program, typed, answer] of [['varnel', '', '[0]프로그램 종료'], ['pindle', '1\n', '1번']]) {
      await page.goto(`${strict.base}?program=${program}&tap`);
      await page.waitForFunction(() => !!window.term && document.getElementById('status').textContent.includes('running'));
      await page.evaluate((text) => window.term.paste(text), typed);
      await waitForScreen(wrapped, answer);
    }
    // A new release: the bar offers it, and taking it leaves its files alone.
    await page.context().setOffline(false);
    const worker = join(copy, 'service_worker.js');
    writeFileSync(worker, readFileSync(worker, 'utf8').replace(/var release = '([^']*)'/, "var release = '$1-next'"));
    await page.reload();
    await page.waitForFunction(() => !document.getElementById('new-version').hidden);
    await Promise.all([page.waitForNavigation(), page.click('#new-version')]);
    await page.waitForFunction(() => !!navigator.serviceWorker.controller);
    assert.deepEqual((await page.evaluate(() => caches.keys())).map((name) => name.endsWith('-next')), [true]);
    assert.deepEqual(await page.evaluate(() => window.violations), []);
    await page.close();
  } finally {
    strict.server.close();
    rmSync(copy, { recursive: true, force: true });
  }
});

test('a paste of 15,000 lines runs to its end with bounded memory and no write error', async () => {
  const page = await open(driver, 'pindle');
  await page.evaluate(() => window.term.paste('3\n'.repeat(15000) + '0\n'));
  assert.equal(await endedStatus(page, 300000), 0);
  const printed = (await output(page)).toString('utf8');
  assert.equal(printed.split(':(\n').length - 1, 15000);
  assert.ok(printed.endsWith('프로그램이 종료되었습니다~ :)\n\n\n'));
  // Held in JavaScript's heap: far below what a copy of 1 MiB for each
  // handed-over line would need (15 GB).
  const heap = await page.evaluate(() => performance.memory.usedJSHeapSize);
  assert.ok(heap < 256 << 20, `${heap} bytes of heap`);
  await page.close();
});

test('a phone: the keys a soft keyboard lacks, the last line always in view, swipes that scroll', async () => {
  const page = await open(driver, 'varnel', `${driver.base}?program=varnel`, phone);
  const inView = () => page.evaluate(() => {
    const bottom = (element) => element.getBoundingClientRect().bottom;
    const cursorRow = document.querySelectorAll('.xterm-rows > div')[window.term.buffer.active.cursorY];
    return bottom(window.term.element) <= window.innerHeight + 1 && bottom(cursorRow) <= window.innerHeight + 1;
  });
  // The words fold away, and unfolded they leave the terminal refitted.
  assert.equal(await page.evaluate(() => document.getElementById('about').open), false);
  const rowsFolded = await page.evaluate(() => window.term.rows);
  await page.raw.click('#about summary');
  await page.waitFor((rows) => window.term.rows < rows, rowsFolded);
  assert.ok(await inView());
  const rowsOpen = await page.evaluate(() => window.term.rows);
  await page.raw.click('#about summary');
  await page.waitFor((rows) => window.term.rows > rows, rowsOpen);
  // A tap on Ctrl-C stops a long drawing and leaves the focus, and so the
  // soft keyboard, in the terminal.
  assert.equal(await page.evaluate(() => document.getElementById('extra-keys').hidden), false);
  await page.raw.tap('#terminal');
  await startDrawing(page, 20000);
  const header = await page.evaluate(() => document.querySelector('header').getBoundingClientRect().height);
  await page.raw.tap('#extra-keys [data-key="ctrl-c"]');
  assert.equal(await endedStatus(page, 10000), 130);
  assert.equal(await page.evaluate(() => document.activeElement.classList.contains('xterm-helper-textarea')), true);
  // The bar keeps its height as the run ends, and the line that says so is
  // on the screen.
  assert.equal(await page.evaluate(() => document.querySelector('header').getBoundingClientRect().height), header);
  await waitForScreen(page, 'run again]');
  assert.ok(await inView());
  // A swipe down the terminal scrolls its history back.
  const before = await page.evaluate(() => window.term.buffer.active.viewportY);
  await page.evaluate(() => {
    const target = document.getElementById('terminal');
    const touch = (y) => [new Touch({ identifier: 1, target, clientX: 100, clientY: y })];
    target.dispatchEvent(new TouchEvent('touchstart', { touches: touch(200), bubbles: true }));
    target.dispatchEvent(new TouchEvent('touchmove', { touches: touch(500), bubbles: true, cancelable: true }));
    target.dispatchEvent(new TouchEvent('touchend', { touches: [], bubbles: true }));
  });
  assert.ok(await page.evaluate(() => window.term.buffer.active.viewportY) < before - 5);
  await page.close();
});

test('the screen reader switch: the output in the accessibility tree, remembered for the next visit', async () => {
  const page = await open(driver, 'varnel');
  assert.equal(await page.evaluate(() => window.term.options.screenReaderMode), false);
  await page.raw.click('#screen-reader');
  await page.waitFor(() => {
    const tree = document.querySelector('.xterm-accessibility-tree');
    return tree !== null && tree.textContent.includes('메인 메뉴');
  });
  await page.raw.reload();
  await page.waitFor(() => !!window.term && document.getElementById('status').textContent.includes('running'));
  assert.equal(await page.evaluate(() => window.term.options.screenReaderMode), true);
  assert.equal(await page.evaluate(() => document.getElementById('screen-reader').checked), true);
  await page.raw.click('#screen-reader');
  await page.close();
});

// Font configurations of this test's own: DejaVu alone, where the page
// brings its font; and with Debian's Nanum fonts, where the device's own
// NanumGothicCoding draws the terminal and the page asks for no font.
for (const [fonts, folders] of [['DejaVu as the only fonts', ['dejavu']], ['the device\'s own NanumGothicCoding', ['dejavu', 'nanum']]]) {
  test(`with ${fonts}, the menu's Hangul is drawn, opened from disk`, async () => {
    const folder = mkdtempSync(join(tmpdir(), 'fonts-'));
    writeFileSync(join(folder, 'fonts.conf'), `<?xml version="1.0"?><!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig>${folders.map((name) => `<dir>/usr/share/fonts/truetype/${name}</dir>`).join('')}<cachedir>${folder}/cache</cachedir></fontconfig>\n`);
    const driver = await chromiumDriver({ playwright: process.env.PLAYWRIGHT, executable: process.env.CHROMIUM,
      environment: { ...process.env, FONTCONFIG_FILE: join(folder, 'fonts.conf') } });
    try {
      const page = await open(driver, 'varnel', `${pathToFileURL(join(site, 'index.html'))}?program=varnel`);
      const withNanum = folders.includes('nanum');
      if (withNanum) {
        // Frames and a task after the first read, by which the page would
        // have asked for its font.
        await page.evaluate(() => new Promise((resolve) =>
          requestAnimationFrame(() => setTimeout(() => requestAnimationFrame(() => setTimeout(resolve, 100)), 0))));
        assert.equal(await page.evaluate(() => !!document.querySelector('link[href$="nanum-gothic-coding.css"]')), false,
          'the page asked for its font on a device that has it');
      } else {
        // The page's font comes once the first screen is out.
        await page.waitFor(() => window.term.options.fontFamily.startsWith('"Nanum Gothic Coding"'));
      }
      // Two syllables that are boxes look the same, drawn ones differ.
      const drawn = await page.evaluate((family) => {
        const pixels = (text, drawnIn = family) => {
          const canvas = document.createElement('canvas');
          canvas.width = 40;
          canvas.height = 40;
          const context = canvas.getContext('2d');
          context.font = `30px ${drawnIn}`;
          context.fillText(text, 2, 32);
          return Array.from(context.getImageData(0, 0, 40, 40).data).join();
        };
        return {
          terminal: pixels('메') !== pixels('인'),
          dejaVu: pixels('메', '"DejaVu Sans"') !== pixels('인', '"DejaVu Sans"'),
          menu: window.term.buffer.active.getLine(2).translateToString(true),
        };
      }, withNanum ? '"NanumGothicCoding"' : '"Nanum Gothic Coding"');
      // With DejaVu alone Hangul has no font but the page's.
      assert.equal(drawn.dejaVu, withNanum, 'Hangul found a font the configuration does not name');
      assert.equal(drawn.terminal, true, 'the terminal\'s font draws no Hangul');
      assert.match(drawn.menu, /메인 메뉴/);
      if (process.env.SCREENSHOTS) await page.raw.screenshot({ path: join(process.env.SCREENSHOTS, `fonts-${folders.join('-')}.png`) });
      await page.close();
    } finally {
      await driver.close();
      rmSync(folder, { recursive: true, force: true });
    }
  });
}
