// The page's core tests (page_core.mjs) in another engine than Chromium:
//
//   ENGINE=firefox node --test page_engine_test.mjs    with FIREFOX and
//                                                      PUPPETEER
//   ENGINE=webkit xvfb-run -a node --test page_engine_test.mjs
//                                 with WEBKIT_DRIVER, WEBKIT_BROWSER and
//                                 SELENIUM
// and, for both, SITE and TRANSCRIPTS.
import { before, after } from 'node:test';
import { firefoxDriver, startServer, webkitDriver } from './driver.mjs';
import { coreTests } from './page_core.mjs';

const engine = process.env.ENGINE;
const driver = {};
let served;

before(async () => {
  served = await startServer(process.env.SITE);
  const made = engine === 'firefox'
    ? await firefoxDriver({ puppeteer: process.env.PUPPETEER, executable: process.env.FIREFOX })
    : await webkitDriver({ selenium: process.env.SELENIUM, executable: process.env.WEBKIT_DRIVER,
      browserBinary: process.env.WEBKIT_BROWSER });
  Object.assign(driver, made, { base: served.base });
});

after(async () => {
  await driver.close?.();
  served?.server.close();
});

coreTests(driver, { name: engine === 'firefox' ? 'Firefox' : 'WebKit', site: process.env.SITE,
  transcripts: process.env.TRANSCRIPTS });
