// One small interface over three ways of driving a browser, so that the
// page's core tests run the same in each engine:
//   Chromium   Debian's chromium, by playwright-core
//   Firefox    Debian's firefox-esr, by puppeteer-core over WebDriver BiDi
//   WebKit     Debian's webkit2gtk-driver (WebKitWebDriver), by
//              selenium-webdriver; it needs a display (run under xvfb-run)
//
// startServer(site, headers) serves the site on a loopback port of its own,
// with the given response headers; a
// driver's open(url, options) gives a page with evaluate(fn, arg),
// waitFor(fn, arg, timeout), type(text), press(key), sleep(ms), errors()
// and close(). Keys: Enter, Backspace, Tab, Control+C/D/U/W.
import { createServer } from 'node:http';
import { existsSync, readFileSync } from 'node:fs';
import { extname, join } from 'node:path';
import { createRequire } from 'node:module';

const types = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.svg': 'image/svg+xml',
  '.webmanifest': 'application/manifest+json',
  '.woff2': 'font/woff2', '.txt': 'text/plain; charset=utf-8' };

// The site over HTTP from this process; every request it could not answer
// is kept in `missing`.
export async function startServer(site, headers = {}) {
  const missing = [];
  const server = createServer((request, response) => {
    const path = join(site, decodeURIComponent(new URL(request.url, 'http://localhost').pathname));
    if (!path.startsWith(site) || !existsSync(path)) {
      missing.push(request.url);
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { 'Content-Type': types[extname(path)] || 'application/octet-stream', ...headers });
    response.end(readFileSync(path));
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return { server, missing, base: `http://127.0.0.1:${server.address().port}/index.html` };
}

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// waitFor by polling evaluate, for the drivers that have no wait of their own.
async function poll(page, fn, arg, timeout = 30000) {
  const deadline = Date.now() + timeout;
  for (;;) {
    if (await page.evaluate(fn, arg)) return;
    if (Date.now() > deadline) throw new Error(`timed out after ${timeout} ms waiting for ${fn}`);
    await sleep(50);
  }
}

const chromiumArguments = ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];

export async function chromiumDriver({ playwright, executable, environment }) {
  const { chromium } = createRequire(import.meta.url)(playwright);
  const browser = await chromium.launch({ executablePath: executable, args: chromiumArguments, env: environment });
  return {
    name: 'Chromium',
    typesKorean: true,
    browser,
    async open(url, options = {}) {
      const page = await browser.newPage({ viewport: { width: 1000, height: 800 }, ...options });
      const errors = [];
      page.on('pageerror', (error) => errors.push(error.message));
      await page.goto(url);
      return {
        raw: page,
        evaluate: (fn, arg) => page.evaluate(fn, arg),
        waitFor: (fn, arg, timeout = 30000) => page.waitForFunction(fn, arg, { timeout }),
        type: (text) => page.keyboard.type(text),
        press: (key) => page.keyboard.press(key),
        sleep,
        errors: async () => errors,
        close: () => page.close(),
      };
    },
    close: () => browser.close(),
  };
}

export async function firefoxDriver({ puppeteer, executable }) {
  const browser = await createRequire(import.meta.url)(puppeteer).launch({
    browser: 'firefox', executablePath: executable, headless: true, protocol: 'webDriverBiDi',
    // A few seconds on a quiet machine; the default 30 s is too near on a
    // busy one.
    timeout: 300000,
  });
  return {
    name: 'Firefox',
    typesKorean: true,
    async open(url) {
      const page = await browser.newPage();
      await page.setViewport({ width: 1000, height: 800 });
      const errors = [];
      page.on('pageerror', (error) => errors.push(error.message));
      await page.goto(url);
      const driven = {
        evaluate: (fn, arg) => page.evaluate(fn, arg),
        waitFor: (fn, arg, timeout) => poll(driven, fn, arg, timeout),
        type: (text) => page.keyboard.type(text),
        async press(key) {
          const [modifier, name] = key.includes('+') ? key.split('+') : [null, key];
          if (modifier) await page.keyboard.down(modifier);
          await page.keyboard.press(modifier ? name.toLowerCase() : name);
          if (modifier) await page.keyboard.up(modifier);
        },
        sleep,
        errors: async () => errors,
        close: () => page.close(),
      };
      return driven;
    },
    close: () => browser.close(),
  };
}

export async function webkitDriver({ selenium, executable, browserBinary }) {
  const require = createRequire(import.meta.url);
  const { Builder, Capabilities, Key } = require(selenium);
  const remote = require(`${selenium}/remote`);
  const service = new remote.DriverService.Builder(executable).setHostname('127.0.0.1')
    .addArguments('--host=127.0.0.1').build();
  const address = await service.start(60000);
  const keys = { Enter: Key.ENTER, Backspace: Key.BACK_SPACE, Tab: Key.TAB };
  // One browser for all pages, each page a fresh load of the page: starting
  // a browser a page was slow and, on a busy machine, once never answered.
  const capabilities = new Capabilities({ browserName: 'MiniBrowser',
    'webkitgtk:browserOptions': { binary: browserBinary, args: ['--automation'] } });
  const session = await within(new Builder().usingServer(address).withCapabilities(capabilities).build(),
    'starting MiniBrowser');
  await within(session.manage().window().setRect({ width: 1000, height: 800 }), 'sizing the window');
  // Each command fails after two minutes instead of waiting for ever.
  const command = (what, make) => within(make(), what);
  return {
    name: 'WebKit',
    typesKorean: false,
    async open(url) {
      await command(`loading ${url}`, () => session.get(url));
      // Errors the page did not catch, gathered by the page itself.
      await command('watching for errors', () => session.executeScript(`window.pageErrors = [];
        window.addEventListener('error', (event) => window.pageErrors.push(String(event.message)));`));
      const driven = {
        evaluate: (fn, arg) => command('a script', () => session.executeScript(`return (${fn}).apply(null, arguments)`,
          arg)),
        waitFor: (fn, arg, timeout) => poll(driven, fn, arg, timeout),
        type: (text) => (text === '' ? undefined : command('typing', () => session.actions().sendKeys(text).perform())),
        press: (key) => command(`pressing ${key}`, () => (key.startsWith('Control+')
          ? session.actions().keyDown(Key.CONTROL).sendKeys(key.slice(-1).toLowerCase()).keyUp(Key.CONTROL).perform()
          : session.actions().sendKeys(keys[key]).perform())),
        sleep,
        errors: () => command('reading errors', () => session.executeScript('return window.pageErrors || []')),
        // The program ends with the page.
        close: () => command('leaving the page', () => session.get('about:blank')),
      };
      return driven;
    },
    async close() {
      await within(session.quit(), 'closing MiniBrowser').catch(() => {});
      await service.kill();
    },
  };
}

// A promise that fails after two minutes, saying what it was.
function within(promise, what, ms = 120000) {
  let timer;
  const late = new Promise((_, reject) => {
    timer = setTimeout(() => reject(new Error(`no answer after ${ms / 1000} s: ${what}`)), ms);
  });
  return Promise.race([promise, late]).finally(() => clearTimeout(timer));
}
