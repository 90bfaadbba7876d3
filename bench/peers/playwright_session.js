// One submission session with Playwright driving the system's Chromium, for
// comparison with Larkspur's Qt WebEngine session: load the add-URL page,
// fill its form, press its first submit button, wait for the answer page and
// classify it. Every session has a browser context of its own (its own
// cookies and cache, a renderer of its own), as every Larkspur session has
// an off-the-record profile of its own.
//
//   node playwright_session.js FORM_URL FIELDS_JSON RUNS LIVE_URL LIVE_FIELDS_JSON
//
// Prints "peer" (what it is), "launch_ms", "first_ms" (the first session, not counted) and
// "median_ms" (median of RUNS sessions). Then, for the memory figure, it
// prints "live-start", opens five sessions at once on LIVE_URL (a form whose
// answer is never classified, so they stay open at their answer page),
// prints "live" when all five show their answer, and closes them and the
// browser when a line arrives on standard input ("closed" once done).
//
// CHROMIUM names the browser program (default /usr/bin/chromium). The
// browser is kept off the network beyond the local farm: no background
// requests, component updates, sync or first-run work, and, should anything
// still try, host names resolve to nothing and every address but the loopback
// goes to a proxy on a closed local port.

'use strict';

const { chromium } = require('playwright-core');
const readline = require('readline');

const SUCCESS_WORDS = ['SUCCESSFUL', 'THANK', 'THANKS', 'THANK YOU FOR', 'SUBMITTED'];
const QUIET_FLAGS = [
  '--disable-background-networking',
  '--disable-component-update',
  '--no-first-run',
  '--disable-sync',
  '--metrics-recording-only',
  '--disable-default-apps',
  '--disable-gpu',
];
const LOCAL_ONLY_FLAGS = [
  '--host-resolver-rules=MAP * ~NOTFOUND, EXCLUDE 127.0.0.1',
  '--proxy-server=http://127.0.0.1:9',
];

async function openAndSubmit(browser, url, fields) {
  const context = await browser.newContext();
  const page = await context.newPage();
  await page.goto(url, { waitUntil: 'load' });
  for (const [name, value] of Object.entries(fields)) {
    await page.fill(`form [name="${name}"]`, value);
  }
  await Promise.all([
    page.waitForNavigation({ waitUntil: 'load' }),
    page.locator('form input[type=submit], form button[type=submit]').first().click(),
  ]);
  const text = ((await page.title()) + '\n' + (await page.innerText('body'))).toUpperCase();
  return { context, success: SUCCESS_WORDS.some((word) => text.includes(word)) };
}

async function session(browser, url, fields) {
  const { context, success } = await openAndSubmit(browser, url, fields);
  await context.close();
  return success;
}

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.floor(sorted.length / 2)];
}

function nextLine() {
  const input = readline.createInterface({ input: process.stdin });
  return new Promise((resolve) => {
    input.once('line', () => { input.close(); resolve(); });
    input.once('close', resolve);
  });
}

async function main() {
  if (process.argv.length !== 7) {
    process.stderr.write('usage: node playwright_session.js FORM_URL FIELDS_JSON RUNS LIVE_URL LIVE_FIELDS_JSON\n');
    return 2;
  }
  const [url, fieldsJson, runsText, liveUrl, liveFieldsJson] = process.argv.slice(2);
  const fields = JSON.parse(fieldsJson);
  const liveFields = JSON.parse(liveFieldsJson);
  const runs = Number.parseInt(runsText, 10);

  let start = performance.now();
  const browser = await chromium.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: [...QUIET_FLAGS, ...LOCAL_ONLY_FLAGS],
  });
  const launchMs = performance.now() - start;
  const { version } = require('playwright-core/package.json');
  console.log(`peer Playwright ${version} driving Chromium ${browser.version()}`);
  console.log(`launch_ms ${launchMs.toFixed(3)}`);

  start = performance.now();
  if (!(await session(browser, url, fields))) throw new Error('the answer was not classified as a success');
  console.log(`first_ms ${(performance.now() - start).toFixed(3)}`);

  const times = [];
  for (let i = 0; i < runs; ++i) {
    start = performance.now();
    if (!(await session(browser, url, fields))) throw new Error('the answer was not classified as a success');
    times.push(performance.now() - start);
  }
  console.log(`median_ms ${median(times).toFixed(3)}`);

  console.log('live-start');
  const live = await Promise.all(Array.from({ length: 5 }, () => openAndSubmit(browser, liveUrl, liveFields)));
  console.log('live');
  await nextLine();
  await Promise.all(live.map(({ context }) => context.close()));
  await browser.close();
  console.log('closed');
  return 0;
}

main().then(
  (code) => { process.exitCode = code; },
  (error) => { process.stderr.write(`playwright: ${error.message}\n`); process.exitCode = 1; },
);
