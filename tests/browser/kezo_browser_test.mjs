// The Linux KEZO as a real browser meets it: headless Chromium, pointed at the proxy,
// visits a web site of the test's own and must see the tip line and the toolbar in its
// pages, links with banned words gone, pictures hidden in no-picture mode, and the block
// page once the toolbar's "屏蔽此网站" has blocked the site; a page that forges the
// toolbar's "trust this site" command must leave its site filtered. Screenshots of a
// filtered page, a page without pictures and the block page are written to the output
// folder.
//
//   node kezo_browser_test.mjs --kezo BINARY --program-folder FOLDER --out FOLDER
//
// Chromium is /usr/bin/chromium or $KEZO_CHROMIUM. A missing browser fails the test;
// KEZO_SKIP_BROWSER_TEST=1 skips it (exit code 77).
//
// Where the system allows it, the test runs in a network namespace of its own that has
// nothing but loopback (unshare and ip; as root, or in a user namespace otherwise): whatever
// the browser or KEZO would fetch beyond the test's own servers (the browser's update and
// time checks among them) fails at once, and nothing leaves the machine.
import { spawnSync } from 'node:child_process';
import { existsSync, mkdirSync, readFileSync, writeFileSync } from 'node:fs';
import { join, resolve } from 'node:path';
import { Chromium } from './chromium.mjs';
import { KezoProcess } from './kezo_process.mjs';
import { OriginServer, kBannedLinkText, kPictureSize, kPlainLinkText } from './origin_server.mjs';

const kSkipCode = 77;
const kTimeLimitSeconds = 150;
// Not on the shipped white list (which names localhost and 127.0.0.1), so its pages are
// filtered; Linux answers on every address of 127.0.0.0/8.
const kOriginHost = '127.0.0.2';

const options = {};
for (let i = 2; i + 1 < process.argv.length; i += 2) options[process.argv[i].replace(/^--/, '')] = process.argv[i + 1];
if (process.env.KEZO_SKIP_BROWSER_TEST === '1') {
  console.log('browser test skipped: KEZO_SKIP_BROWSER_TEST=1');
  process.exit(kSkipCode);
}
for (const name of ['kezo', 'program-folder', 'out']) {
  if (!options[name]) {
    console.error(`usage: node kezo_browser_test.mjs --kezo BINARY --program-folder FOLDER --out FOLDER (--${name} is missing)`);
    process.exit(2);
  }
}
const chromiumPath = process.env.KEZO_CHROMIUM || '/usr/bin/chromium';
if (!existsSync(chromiumPath)) {
  console.error(`browser test: no Chromium at ${chromiumPath}; scripts/setup installs Debian's chromium ` +
    '(KEZO_CHROMIUM names another; KEZO_SKIP_BROWSER_TEST=1 skips this test)');
  process.exit(1);
}
if (process.env.KEZO_BROWSER_TEST_ISOLATED !== '1') {
  const namespace = ['--net', ...(process.getuid() === 0 ? [] : ['--map-root-user'])];
  const bringUpLoopback = ['sh', '-c', 'ip link set lo up && exec "$@"', 'sh'];
  // A container may forbid new namespaces; the test then runs in the machine's network,
  // which changes nothing it checks.
  const probe = spawnSync('unshare', [...namespace, ...bringUpLoopback, 'true'], { stdio: 'ignore' });
  if (probe.status === 0) {
    const result = spawnSync('unshare', [...namespace, ...bringUpLoopback, process.execPath, ...process.argv.slice(1)],
      { stdio: 'inherit', env: { ...process.env, KEZO_BROWSER_TEST_ISOLATED: '1' } });
    process.exit(result.status ?? 1);
  }
  console.error('browser test: no network namespace may be made here; running in the machine\'s network');
}

const outFolder = resolve(options.out);
const programFolder = resolve(options['program-folder']);
mkdirSync(outFolder, { recursive: true });

setTimeout(() => {
  console.error(`browser test: not finished within ${kTimeLimitSeconds} s`);
  process.exit(1);
}, kTimeLimitSeconds * 1000);

// The entries of a shipped plain list: UTF-8 after a byte-order mark, CR LF line ends.
function listEntries(path) {
  return readFileSync(path, 'utf8').replace(/^\uFEFF/, '').split(/\r?\n/).filter((line) => line !== '');
}

// The title of the block page, which the proxy sends as the whole reply; its non-ASCII
// characters are written as character references.
function blockPageTitle() {
  const page = readFileSync(join(programFolder, 'www', '404.htm'), 'latin1');
  const title = /<title>([^<]*)<\/title>/.exec(page)[1];
  return title.replace(/&#x([0-9a-f]+);/gi, (_, hex) => String.fromCodePoint(parseInt(hex, 16)));
}

let failures = 0;
let passed = 0;
let failed = 0;
function expect(condition, message) {
  if (condition) return;
  failures += 1;
  console.log(`  FAIL: ${message}`);
}

// Runs `body` with KEZO (with the [Setup] values `settings`), the origin server and a
// browser page; reports an error thrown by it as a failure, and ends all three.
async function session(title, settings, body) {
  console.log(`== ${title}`);
  const failuresBefore = failures;
  let kezo = null;
  let origin = null;
  let browser = null;
  try {
    kezo = await KezoProcess.start({ kezo: resolve(options.kezo), programFolder, workRoot: outFolder, settings });
    origin = await OriginServer.start(kOriginHost);
    browser = await Chromium.launch({ executable: chromiumPath, proxy: `127.0.0.1:${kezo.proxyPort}` });
    const page = await browser.newPage();
    await body({ kezo, origin, page });
    expect(page.errors.length === 0, `the page script ran without errors: ${page.errors.join('; ')}`);
  } catch (error) {
    failures += 1;
    console.log(`  FAIL: ${error.stack || error}`);
  } finally {
    if (browser) await browser.close();
    if (origin) await origin.close();
    if (kezo) {
      const { code, signal } = await kezo.stop({ keep: failures > failuresBefore });
      expect(code === 0, `KEZO quits cleanly on SIGTERM (exit ${code}, signal ${signal})`);
      if (failures > failuresBefore) console.log(`  KEZO's folder: ${kezo.root}\n  KEZO said:\n${kezo.output}`);
    }
  }
  if (failures === failuresBefore) passed += 1;
  else failed += 1;
  console.log(failures === failuresBefore ? '   passed' : '   failed');
}

// Loads `path` of the origin and waits for the page script to have read /param.js.
async function openFilteredPage(page, origin, path) {
  await page.goto(origin.url(path));
  await page.waitFor(`typeof kezo_data === 'object' && typeof kezo_data.do_filter === 'function' &&
                      !document.querySelector('script[src$="/param.js"]')`, 'the page script and /param.js');
}

function pageState(page) {
  return page.evaluate(`(() => {
    const shown = (node) => !!node && getComputedStyle(node).display !== 'none' && node.getBoundingClientRect().height > 0;
    const tip = document.getElementById('kezo-tip');
    const bar = document.getElementById('kezo-bar');
    const picture = document.getElementById('picture');
    return {
      tip: tip ? tip.innerText.replace(/\\u00D7$/, '').trim() : null,
      tipShown: shown(tip),
      barShown: shown(bar),
      links: [...document.querySelectorAll('a')].map((a) => a.innerText.trim()),
      noImg: kezo_data.no_img,
      pictureVisibility: picture ? getComputedStyle(picture).visibility : null,
      pictureWidth: picture ? picture.naturalWidth : null,
    };
  })()`);
}

const tips = listEntries(join(programFolder, 'Data', 'xiu_shen_tips.txt'));

await session('a filtered page: tip line, toolbar, banned link removed; 屏蔽此网站 blocks the site', {}, async ({ origin, page }) => {
  await openFilteredPage(page, origin, '/index.html');
  const state = await pageState(page);
  expect(state.tipShown && tips.includes(state.tip), `the tip line shows a sentence of the tip list (${JSON.stringify(state.tip)})`);
  expect(state.barShown, 'the toolbar is shown');
  expect(state.links.includes(kPlainLinkText), `the plain link stays (${state.links})`);
  expect(!state.links.some((text) => text.includes(kBannedLinkText)), `the banned link is gone (${state.links})`);
  expect(state.noImg === '0' && state.pictureVisibility === 'visible' && state.pictureWidth === kPictureSize.width,
    `pictures are shown (${JSON.stringify(state)})`);
  writeFileSync(join(outFolder, 'filtered_page.png'), await page.screenshot());

  // Chromium may still ask for the favicon of the page it showed before the click; that
  // request was judged before the site was blocked.
  const pageRequests = () => origin.requests.filter((url) => url !== '/favicon.ico');
  const asked = pageRequests().length;
  await page.hover('#kezo-bar .kezo-tab');
  await page.click('#kezo-bar [data-kezo-command="black"]');
  const title = blockPageTitle();
  await page.waitFor(`document.title === ${JSON.stringify(title)}`, 'the block page after the reload');
  writeFileSync(join(outFolder, 'blocked_page.png'), await page.screenshot());
  await page.goto(origin.url('/news.html'));
  expect(await page.evaluate('document.title') === title, 'another page of the site gets the block page');
  expect(pageRequests().length === asked, `the blocked site is not asked again (${pageRequests().slice(asked)})`);
});

await session('a page that forges 信任此网站 (an <img> and a fetch of .white) leaves its site filtered', {}, async ({ kezo, origin, page }) => {
  await page.goto(origin.url(`/forgery.html?control=${kezo.controlPort}`));
  await page.waitFor('window.forgeryDone === true', 'the forged commands to have ended');
  await openFilteredPage(page, origin, '/news.html');
  const state = await pageState(page);
  expect(state.tipShown && state.barShown, 'the next page of the site still gets the tip line and the toolbar');
  expect(!state.links.some((text) => text.includes(kBannedLinkText)), `its banned link is still removed (${state.links})`);
});

await session('no-picture mode (NonePicture 1): /param.js says so and the pictures are hidden', { NonePicture: 1 }, async ({ origin, page }) => {
  await openFilteredPage(page, origin, '/index.html');
  await page.waitFor(`(() => { const p = document.getElementById('picture'); return p && p.complete; })()`, 'the picture');
  const state = await pageState(page);
  expect(state.noImg === '1', `/param.js gives no_img '1' (${state.noImg})`);
  expect(state.pictureVisibility === 'hidden', `the page script hides the picture (${state.pictureVisibility})`);
  expect(state.pictureWidth === 1, `the proxy sent the blank picture instead (width ${state.pictureWidth})`);
  expect(state.tipShown && state.barShown, 'the tip line and the toolbar are still there');
  writeFileSync(join(outFolder, 'no_picture_page.png'), await page.screenshot());
});

console.log(`screenshots: ${outFolder}`);
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 ? 0 : 1);
