// Makes docs/session.png, the README's picture: varnel on the web page in
// headless Chromium, a real run of the menu, a triangle turned once and a
// comparison. Needs the site (bash web/build.sh), Debian's chromium and
// fonts-nanum, and web/'s npm packages.
//
//   node docs/screenshot.mjs [SITE]     (default build-web/site)
import { createRequire } from 'node:module';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

const root = resolve(dirname(fileURLToPath(import.meta.url)), '..');
const site = resolve(process.argv[2] || join(root, 'build-web/site'));
const { chromium } = createRequire(join(root, 'web/'))('playwright-core');

const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync'],
});
const page = await browser.newPage({ viewport: { width: 720, height: 880 }, deviceScaleFactor: 1 });
await page.goto(`${pathToFileURL(join(site, 'index.html'))}?program=varnel`);
const shows = (text) => page.waitForFunction((wanted) => {
  const buffer = window.term.buffer.active;
  for (let row = 0; row < buffer.length; row++) {
    if (buffer.getLine(row).translateToString(true).includes(wanted)) return true;
  }
  return false;
}, text);
await shows('[0]프로그램 종료');
for (const [line, then] of [['1', '(양의 정수)'], ['4', 'result : 0'], ['l', 'result : 1'], ['x', 'menu_1'],
  ['2', 'a : '], ['3.5', 'b : '], ['-1', 'c : '], ['2', '계속 하시겠습니까?']]) {
  await page.keyboard.type(line);
  await page.keyboard.press('Enter');
  await shows(then);
}
// The page's font, which comes once the first screen is out, on a machine
// without NanumGothicCoding of its own (the page asks for it by then).
await page.waitForFunction(() => window.term.options.fontFamily.startsWith('"Nanum Gothic Coding"') ||
  !document.querySelector('link[href$="nanum-gothic-coding.css"]'));
await page.waitForTimeout(300);
await page.screenshot({ path: join(root, 'docs/session.png') });
await browser.close();
