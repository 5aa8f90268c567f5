// The web page's figures, in headless Chromium on this machine:
// - the gzipped weight of everything varnel's page loads but the font, and
//   the bytes of the font's slices the first menu loads;
// - the time from navigation to varnel's first menu on the screen, and to
//   the same menu on a floor page (the site's xterm.js and fit addon with
//   the page's options, writing the menu's bytes at once), taking turns;
// - how long side 1000 in all four orientations takes to be on the screen,
//   typed at the page, against writing the same bytes straight into the
//   same terminal with term.write: in one write, and in 64 KiB pieces
//   written as they come, as from a server;
// - the longest gap between animation frames while that drawing is typed;
// - the time from Ctrl-C, on a drawing of side 100000, to the status line
//   saying the program ended.
// - Lighthouse's four scores for both programs' pages, with its default
//   settings, from the median of LIGHTHOUSE_RUNS runs (web/'s npm packages
//   pin Lighthouse).
// Times are the best of RUNS, taking turns; each ends at the first
// animation frame after the terminal has taken the last byte in. The site
// is served gzipped, as a web server would.
//
//   node bench/web.mjs [SITE] [RUNS]     (default build-web/site, 5 runs)
//
// Needs the site (bash web/build.sh), Debian's chromium and web/'s npm
// packages (npm ci in web/).
import { execFile, execFileSync } from 'node:child_process';
import { promisify } from 'node:util';
import { createRequire } from 'node:module';
import { readFileSync } from 'node:fs';
import { createServer } from 'node:http';
import { dirname, extname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { gzipSync } from 'node:zlib';

const root = resolve(dirname(fileURLToPath(import.meta.url)), '..');
const site = resolve(process.argv[2] || join(root, 'build-web/site'));
const runs = Number(process.argv[3] || 5);
const { chromium } = createRequire(join(root, 'web/'))('playwright-core');

const pageFiles = ['index.html', 'start.js', 'page.css', 'xterm.css', 'xterm.js', 'addon-fit.js', 'line_discipline.js',
  'output_pacer.js', 'page.js', 'varnel.js', 'favicon.svg', 'manifest.webmanifest', 'service_worker.js'];
const gzipped = (file) => gzipSync(readFileSync(join(site, file)), { level: 9 }).length;
const weight = pageFiles.reduce((sum, file) => sum + gzipped(file), 0);
const fontFaces = gzipped('fonts/nanum-gothic-coding.css');

const types = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.svg': 'image/svg+xml',
  '.webmanifest': 'application/manifest+json' };
// The floor: a page of the site's own xterm.js and fit addon with the
// page's terminal options, writing the first menu's bytes at once, with
// nothing else to load or run.
const menuOutput = execFileSync(process.execPath, [join(site, 'varnel.js')], { input: '' });
const menuEnd = Buffer.from('[0]프로그램 종료\n');
const menu = menuOutput.subarray(0, menuOutput.indexOf(menuEnd) + menuEnd.length);
const pageScript = readFileSync(join(site, 'page.js'), 'utf8');
const terminalOptions = `{ convertEol: true, cursorBlink: true, fontSize: 16, fontFamily: ${
  /var deviceFonts = ([^;]*);/s.exec(pageScript)[1]} }`;
const floorPage = `<!DOCTYPE html><html lang="ko"><head><meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1"><title>floor</title>
<link rel="stylesheet" href="xterm.css"><style>html, body { height: 100%; margin: 0; } #terminal { height: 100%; }</style>
</head><body><div id="terminal"></div><script src="xterm.js"></script><script src="addon-fit.js"></script>
<script>
var term = new Terminal(${terminalOptions});
var fitAddon = new FitAddon.FitAddon();
term.loadAddon(fitAddon);
term.open(document.getElementById('terminal'));
fitAddon.fit();
window.term = term;
term.write(new TextEncoder().encode(${JSON.stringify(menu.toString('utf8'))}));
</script></body></html>`;

let fontBytes = 0;
const server = createServer((request, response) => {
  if (request.url === '/floor.html') {
    response.writeHead(200, { 'Content-Type': 'text/html', 'Content-Encoding': 'gzip' }).end(gzipSync(floorPage));
    return;
  }
  const path = join(site, new URL(request.url, 'http://localhost').pathname);
  try {
    const body = readFileSync(path);
    if (path.endsWith('.woff2')) fontBytes += body.length;
    // Compressed as any web server compresses text.
    const compress = /gzip/.test(request.headers['accept-encoding'] || '') && !path.endsWith('.woff2');
    response.writeHead(200, { 'Content-Type': types[extname(path)] || 'application/octet-stream',
      ...(compress ? { 'Content-Encoding': 'gzip' } : {}) }).end(compress ? gzipSync(body) : body);
  } catch {
    response.writeHead(404).end();
  }
});
await new Promise((done) => server.listen(0, '127.0.0.1', done));
const url = `http://127.0.0.1:${server.address().port}/index.html`;
const chromiumFlags = ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];
const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', args: chromiumFlags });

// Records, at each animation frame, when the screen first shows `text`.
function watchFor(text) {
  window.seenAt = null;
  const look = () => {
    const buffer = window.term ? window.term.buffer.active : null;
    for (let row = buffer ? buffer.length - 1 : -1; buffer && row >= Math.max(0, buffer.length - 60); row--) {
      if (buffer.getLine(row).translateToString(true).includes(text)) {
        window.seenAt = performance.now();
        return;
      }
    }
    requestAnimationFrame(look);
  };
  requestAnimationFrame(look);
}

// The bytes of the drawing, as a pipe gets them from the same program under
// Node.js: side 1000 is wider than the window, so the page gets them too.
const drawing = execFileSync(process.execPath, [join(site, 'varnel.js')], { input: '1\n1000\nl\nl\nl\n', maxBuffer: 1 << 26 });
const drawn = drawing.subarray(drawing.indexOf(Buffer.from('0˚\n')));

async function freshPage(address = url) {
  const page = await browser.newPage({ viewport: { width: 1000, height: 800 } });
  await page.addInitScript(watchFor, '[0]프로그램 종료');
  await page.goto(address);
  await page.waitForFunction(() => window.seenAt !== null, null, { timeout: 20000 });
  return page;
}

const firstMenu = [];
const floorMenu = [];
const fontsForFirstMenu = [];
const longestGap = [];
const stopped = [];
const typed = [];
const straight = [];
const straightInChunks = [];
for (let run = 0; run < runs; run++) {
  // The program, on a fresh page: side 1000 typed ahead at its prompt.
  fontBytes = 0;
  let page = await freshPage();
  firstMenu.push(await page.evaluate(() => window.seenAt));
  fontsForFirstMenu.push(fontBytes);
  const floor = await freshPage(url.replace('index.html', 'floor.html'));
  floorMenu.push(await floor.evaluate(() => window.seenAt));
  await floor.close();
  await page.evaluate(() => window.term.input('1\r', true));
  await page.waitForFunction(() => window.term.buffer.active.getLine(window.term.buffer.active.baseY +
    window.term.buffer.active.cursorY - 1).translateToString(true).includes('(양의 정수)'));
  await page.evaluate((watch) => {
    (0, eval)(`(${watch})`)('menu_1_command_result : 3');
    window.startedAt = performance.now();
    // Every animation frame's time while it draws.
    window.frames = [];
    const frame = (time) => {
      window.frames.push(time);
      if (window.seenAt === null) requestAnimationFrame(frame);
    };
    requestAnimationFrame(frame);
    window.term.input('1000\rl\rl\rl\r', true);
  }, watchFor.toString());
  await page.waitForFunction(() => window.seenAt !== null, null, { timeout: 120000, polling: 100 });
  typed.push(await page.evaluate(() => window.seenAt - window.startedAt));
  longestGap.push(await page.evaluate(() => Math.max(...window.frames.slice(1).map((time, at) => time - window.frames[at]))));
  // Ctrl-C on side 100000, once more than a megabyte is out.
  await page.evaluate(() => window.term.input('x\r1\r100000\r', true));
  await page.waitForFunction(() => window.term.buffer.active.length > 900 &&
    window.term.buffer.active.getLine(window.term.buffer.active.length - 2).translateToString(true).includes('▲'));
  stopped.push(await page.evaluate(() => new Promise((done) => {
    const status = document.getElementById('status');
    const started = performance.now();
    new MutationObserver(() => {
      if (status.textContent.includes('130')) done(performance.now() - started);
    }).observe(status, { childList: true, characterData: true, subtree: true });
    window.term.input('\x03', true);
  })));
  await page.close();

  // The same bytes, straight into the terminal of another fresh page: in
  // one write, and in 64 KiB pieces, as a server's come.
  for (const [times, chunk] of [[straight, 0], [straightInChunks, 64 << 10]]) {
    page = await freshPage();
    times.push(await page.evaluate(([base64, size]) => {
      const data = Uint8Array.from(atob(base64), (character) => character.charCodeAt(0));
      const started = performance.now();
      return new Promise((done) => {
        const chunks = [];
        for (let at = 0; at < data.length; at += size || data.length) chunks.push(data.subarray(at, at + (size || data.length)));
        let left = chunks.length;
        for (const piece of chunks) {
          window.term.write(piece, () => {
            left -= 1;
            if (left === 0) requestAnimationFrame(() => done(performance.now() - started));
          });
        }
      });
    }, [drawn.toString('base64'), chunk]));
    await page.close();
  }
}
await browser.close();

// Lighthouse with its default settings (a mid-range phone on a slow 4G
// network, simulated) on both programs' pages, served as above. One run
// varies by several points (headless Chromium now and then paints its first
// frame a second late), so each page is audited LIGHTHOUSE_RUNS times (5 by
// default) and the run Lighthouse's own computeMedianRun picks (median first
// contentful paint and time to interactive) is reported, with the spread
// of the performance scores.
const lighthouse = join(root, 'web/node_modules/.bin/lighthouse');
const { computeMedianRun } = await import(join(root, 'web/node_modules/lighthouse/core/lib/median-run.js'));
const lighthouseRuns = Number(process.env.LIGHTHOUSE_RUNS || 5);
const scores = {};
for (const program of (process.env.NO_LIGHTHOUSE ? [] : ["varnel", "pindle"])) {
  const reports = [];
  for (let run = 0; run < lighthouseRuns; run++) {
    // Run beside this process's server, which must go on answering.
    const { stdout } = await promisify(execFile)(lighthouse, [`${url}?program=${program}`, '--chrome-path=/usr/bin/chromium',
      `--chrome-flags=--headless=new ${chromiumFlags.join(' ')}`, '--output=json', '--quiet'], { maxBuffer: 1 << 28 });
    reports.push(JSON.parse(stdout));
  }
  const report = computeMedianRun(reports);
  scores[program] = Object.fromEntries(Object.entries(report.categories).map(([name, category]) =>
    [name, Math.round(category.score * 100)]));
  for (const audit of ['first-contentful-paint', 'largest-contentful-paint', 'total-blocking-time', 'speed-index']) {
    scores[program][audit] = report.audits[audit].displayValue;
  }
  // Each run's score with the moment its first frame came: headless
  // Chromium sometimes holds it back a second while the page is idle, and
  // a run so hit is told apart from one that is slow.
  scores[program][`performance of the ${reports.length} runs (observed first paint)`] = reports.map((each) =>
    `${Math.round(each.categories.performance.score * 100)} (${
      Math.round(each.audits.metrics.details.items[0].observedFirstPaint)} ms)`).join(', ');
}
server.close();

const best = (times) => Math.min(...times);
const ms = (time) => `${time.toFixed(0)} ms`;
console.log(`varnel's page but the font, gzipped (${pageFiles.join(', ')}): ${weight} bytes (${(weight / 1000).toFixed(1)} KB)`);
console.log(`the font's CSS, gzipped: ${fontFaces} bytes; its slices the first menu loads: ${fontsForFirstMenu[0]} bytes (${(fontsForFirstMenu[0] / 1000).toFixed(1)} KB)`);
console.log(`navigation to the first menu: best ${ms(best(firstMenu))} of ${firstMenu.map(ms).join(', ')}`);
console.log(`  the floor (xterm.js writing the menu at once): best ${ms(best(floorMenu))} of ${floorMenu.map(ms).join(', ')}`);
console.log(`  ratio of the best, page to floor: ${(best(firstMenu) / best(floorMenu)).toFixed(2)} (target at most 1.15)`);
// The best of a few runs moves with one lucky floor page; the medians
// show whether the gap itself moved.
const median = (times) => [...times].sort((a, b) => a - b)[Math.floor(times.length / 2)];
console.log(`  ratio of the medians: ${(median(firstMenu) / median(floorMenu)).toFixed(2)} (${ms(median(firstMenu))} and ${ms(median(floorMenu))})`);
console.log(`side 1000, four orientations (${drawn.length} bytes):`);
console.log(`  typed at the page:      best ${ms(best(typed))} of ${typed.map(ms).join(', ')}`);
console.log(`  term.write of the same: best ${ms(best(straight))} of ${straight.map(ms).join(', ')}`);
console.log(`  term.write in 64 KiB:   best ${ms(best(straightInChunks))} of ${straightInChunks.map(ms).join(', ')}`);
console.log(`  ratio of the best, typed to one term.write: ${(best(typed) / best(straight)).toFixed(2)}`);
console.log(`  ratio of the best, typed to 64 KiB writes:  ${(best(typed) / best(straightInChunks)).toFixed(2)}`);
console.log(`  longest gap between animation frames while typed: best ${ms(best(longestGap))} of ${longestGap.map(ms).join(', ')}`);
console.log(`Ctrl-C on side 100000 to the status line: best ${ms(best(stopped))} of ${stopped.map(ms).join(', ')}`);
for (const [program, figures] of Object.entries(scores)) {
  console.log(`Lighthouse, ${program}'s page: ${Object.entries(figures).map(([name, value]) => `${name} ${value}`).join(', ')}`);
}
