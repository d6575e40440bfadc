// The page's own checks, beside the byte comparisons of page_run.mjs:
//   node page_checks.mjs <page URL> <native program> <texts> <large texts>
// the controls and their defaults, a failure report without a download, a
// UTF-8 text, the download's name, keyboard use, axe-core's findings, a
// large text (progress advances and the page answers while the worker
// runs), a text too large for the module, and the requests the page makes.
// <texts> holds sample.txt, generated.txt (Shift-JIS) and utf8.txt, <large
// texts> large.txt (some 100 MB) and huge.txt (over 4 GB, sparse). Exits
// non-zero on the first check that fails.
import { spawnSync } from 'node:child_process';
import { copyFileSync, mkdtempSync, readFileSync, rmSync, symlinkSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { AxePuppeteer } from '@axe-core/puppeteer';
import { chooseFile, connectBrowser, convert, downloadPdf, openPage, setControls } from './page_driver.mjs';

const [pageUrl, native, texts, largeTexts] = process.argv.slice(2);
const shiftJis = new TextDecoder('shift_jis');

function check(condition, what) {
  if (!condition) throw new Error(`check failed: ${what}`);
}

// The native program's run on `text` (a path) in a fresh folder, under the
// page's names (a path may hold "-", which would make it an option): its
// streams as the page shows them (decoded from Shift-JIS, without CR) and
// its PDF.
function nativeRun(args, text) {
  const folder = mkdtempSync(join(tmpdir(), 'quilnote-native-'));
  try {
    symlinkSync(resolve(text), join(folder, 'in.txt'));
    const run = spawnSync(native, [...args, 'in.txt', 'out.pdf'], { cwd: folder });
    let pdf = null;
    try { pdf = readFileSync(join(folder, 'out.pdf')); } catch { /* none written */ }
    return {
      status: run.status,
      statistics: shiftJis.decode(run.stdout).replace(/\r/g, ''),
      messages: shiftJis.decode(run.stderr).replace(/\r/g, ''),
      pdf,
    };
  } finally {
    rmSync(folder, { recursive: true, force: true });
  }
}

const contractValues = (page, id) =>
  page.$$eval(`#${id} option`, (options) => options.map((option) => option.value));

async function checkControls(page) {
  check((await contractValues(page, 'paper')).join(' ') === 'A4P A4L A3P A3L B5P B5L B4P B4L',
    '#paper offers A4P A4L A3P A3L B5P B5L B4P B4L');
  check((await contractValues(page, 'font')).join(' ') === 'h i m g', '#font offers h i m g');
  check((await contractValues(page, 'compression')).join(' ') === 'd m f n',
    '#compression offers d m f n');
  const state = await page.evaluate(() => {
    const value = (id) => document.getElementById(id).value;
    return {
      defaults: [value('paper'), value('font'), value('font-size'), value('h-margin'),
        value('v-margin'), value('compression')].join(' '),
      pageNumbers: document.getElementById('page-numbers').checked,
      convertDisabled: document.getElementById('convert').disabled,
      href: document.getElementById('download').getAttribute('href'),
      progress: document.getElementById('progress').tagName,
    };
  });
  check(state.defaults === 'A4P h 8 30 30 d' && !state.pageNumbers,
    `the command's defaults, not ${state.defaults}`);
  check(state.convertDisabled, '#convert is disabled until a file is chosen');
  check(state.href === null, '#download has no href before a run');
  check(state.progress === 'PROGRESS', '#progress is a <progress>');
  console.log('   controls: the test contract\'s values and the command\'s defaults');
}

// -fh0: the command's failure report, nothing to download; then a good run.
async function checkFailureReport(page) {
  await chooseFile(page, join(texts, 'sample.txt'));
  await setControls(page, { 'font-size': '0' });
  const shown = await convert(page);
  const expected = nativeRun(['-sA4P', '-fh0'], join(texts, 'sample.txt'));
  // The report names the error's address, which differs between builds.
  const form = /^Exception EDivByZero in module quilnote at [0-9A-F]{16}\.\nDivision by zero\.\n\n$/;
  check(shown.exitStatus === 1 && expected.status === 1, 'exit status 1 after -fh0');
  check(form.test(shown.messages), `a failure report, not ${JSON.stringify(shown.messages)}`);
  const address = /at [0-9A-F]{16}\./;
  check(shown.messages.replace(address, '') === expected.messages.replace(address, ''),
    'the failure report is the command\'s');
  check(shown.statistics === expected.statistics, 'the statistics before the failure');
  check(shown.href === null, 'no download after a failure report');
  await setControls(page, { 'font-size': '8' });
  const again = await convert(page);
  check(again.exitStatus === 0 && again.href !== null, 'a good run after a failed one');
  console.log('   -fh0: the command\'s failure report and no download; the next run converts');
}

async function checkUtf8(page) {
  const noteShown = () => page.$eval('#utf8-note', (note) => !note.hidden);
  await chooseFile(page, join(texts, 'utf8.txt'));
  await page.waitForFunction(() => !document.getElementById('utf8-note').hidden);
  const recipe = await page.$eval('#utf8-note', (note) => note.textContent);
  check(recipe.includes('iconv -f UTF-8 -t CP932//TRANSLIT'), 'the note shows the recipe');
  await chooseFile(page, join(texts, 'generated.txt'));
  await page.waitForFunction(() => document.getElementById('utf8-note').hidden);
  check(!(await noteShown()), 'no UTF-8 note for a Shift-JIS text');
  console.log('   UTF-8 text: the page says so and shows the recipe; Shift-JIS text: no note');
}

async function checkDownloadName(browser, page) {
  const folder = mkdtempSync(join(tmpdir(), 'quilnote-names-'));
  try {
    for (const [name, pdfName] of [['notes.txt', 'notes.pdf'], ['my-notes.txt', 'my-notes.pdf'],
      ['README', 'README.pdf']]) {
      copyFileSync(join(texts, 'sample.txt'), join(folder, name));
      await chooseFile(page, join(folder, name));
      const shown = await convert(page);
      check(shown.downloadName === pdfName, `${name} is offered as ${pdfName}`);
      const pdf = await downloadPdf(browser, page);
      check(pdf.name === pdfName, `${name} is saved as ${pdfName}, not ${pdf.name}`);
    }
  } finally {
    rmSync(folder, { recursive: true, force: true });
  }
  console.log('   downloads: notes.txt as notes.pdf, my-notes.txt as my-notes.pdf');
}

// A file dropped on the zone is chosen as one from the chooser is; the PDF
// opens in the browser from the same bytes as the download.
async function checkDrop(page) {
  await page.evaluate(() => {
    const dropped = new DataTransfer();
    dropped.items.add(new File(['dropped\r\n'], 'dropped.txt', { type: 'text/plain' }));
    document.getElementById('drop-zone').dispatchEvent(
      new DragEvent('drop', { dataTransfer: dropped, bubbles: true, cancelable: true }));
  });
  await page.waitForFunction(() => !document.getElementById('convert').disabled);
  const shown = await convert(page);
  check(shown.exitStatus === 0 && shown.downloadName === 'dropped.pdf', 'a dropped file converts');
  const open = await page.$eval('#open-pdf', (link) => link.getAttribute('href'));
  check(open === shown.href, 'the PDF opens in the browser from the download\'s bytes');
  console.log('   drop zone: a dropped file converts; the PDF opens in the browser too');
}

// Tab reaches every control in order, with a visible focus, and Enter on
// #convert converts.
async function checkKeyboard(page) {
  await chooseFile(page, join(texts, 'sample.txt'));
  await page.evaluate(() => document.activeElement && document.activeElement.blur());
  const reached = [];
  for (let i = 0; i < 20; i++) {
    await page.keyboard.press('Tab');
    const focused = await page.evaluate(() => {
      const element = document.activeElement;
      const style = getComputedStyle(element);
      return { id: element.id, outline: style.outlineStyle, width: style.outlineWidth };
    });
    if (!focused.id) continue;
    if (reached.some((seen) => seen.id === focused.id)) break;
    reached.push(focused);
  }
  const order = reached.map((element) => element.id).join(' ');
  const expected = 'text-file paper font font-size h-margin v-margin compression page-numbers convert';
  check(order.startsWith(expected), `Tab reaches ${expected}, not ${order}`);
  for (const element of reached) {
    if (element.id === 'text-file') continue;  // its button draws its own focus ring
    check(element.outline !== 'none' && element.width !== '0px', `visible focus on #${element.id}`);
  }
  await page.focus('#convert');
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => !document.getElementById('convert').disabled &&
    document.getElementById('status').dataset.exitStatus === '0');
  await page.focus('#download');
  check(await page.evaluate(() => document.activeElement.id === 'download'),
    'the download link takes the focus');
  console.log(`   keyboard: Tab reaches ${order}; Enter converts`);
}

async function checkAxe(page, when) {
  const results = await new AxePuppeteer(page).analyze();
  const serious = results.violations.filter((v) => v.impact === 'serious' || v.impact === 'critical');
  for (const violation of serious) {
    console.error(`axe (${when}): ${violation.impact} ${violation.id}: ${violation.help}`);
    for (const node of violation.nodes) console.error(`    ${node.target.join(' ')}`);
  }
  check(serious.length === 0, `no serious or critical axe-core finding ${when}`);
  const minor = results.violations.map((v) => `${v.id} (${v.impact})`);
  console.log(`   axe-core ${when}: no serious or critical finding` +
    (minor.length ? `; minor: ${minor.join(', ')}` : ''));
}

// While a large text converts: the bar shows, advances, and the page
// answers; the PDF is the command's.
async function checkLargeText(browser, page) {
  const text = join(largeTexts, 'large.txt');
  await chooseFile(page, text);
  await setControls(page, { compression: 'f' });
  await page.click('#convert');
  const seen = [];
  let slowest = 0;
  let visible = false;
  for (;;) {
    const asked = performance.now();
    const state = await page.evaluate(() => ({
      done: !document.getElementById('convert').disabled,
      value: document.getElementById('progress').value,
      max: document.getElementById('progress').max,
      visible: !document.getElementById('progress-area').hidden,
    }));
    slowest = Math.max(slowest, performance.now() - asked);
    if (state.done) break;
    visible ||= state.visible;
    if (!seen.length || seen[seen.length - 1] !== state.value) seen.push(state.value);
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
  const started = seen.length;
  check(visible, 'the progress bar shows during a long run');
  check(started >= 3 && seen.every((value, i) => i === 0 || value > seen[i - 1]),
    `progress advances: ${seen.join(' ')}`);
  check(slowest < 1000, `the page answers within a second while converting (${slowest.toFixed(0)} ms)`);
  const shown = await page.evaluate(() => document.getElementById('status').dataset.exitStatus);
  check(shown === '0', 'the large text converts');
  const pdf = await downloadPdf(browser, page);
  const expected = nativeRun(['-cf'], text);
  check(expected.status === 0 && expected.pdf.equals(pdf.bytes),
    'the large text\'s PDF is the command\'s');
  console.log(`   large text: progress ${seen.slice(0, 6).join(' ')} ... (${started} steps), ` +
    `slowest answer ${slowest.toFixed(0)} ms, PDF identical (${pdf.bytes.length} bytes)`);
}

// More than the module can ever hold: the command's out-of-memory report,
// from a module that keeps running, and nothing to save.
async function checkTooLarge(page) {
  await chooseFile(page, join(largeTexts, 'huge.txt'));
  const shown = await convert(page);
  const form = /^Exception EOutOfMemory in module quilnote at [0-9A-F]{16}\.\nOut of memory\.\n\n$/;
  check(shown.exitStatus === 1 && form.test(shown.messages),
    `the out-of-memory report, not ${JSON.stringify(shown.messages)}`);
  check(shown.href === null, 'no download after running out of memory');
  console.log('   a text over 4 GB: the command\'s out-of-memory report, no download');
}

const browser = await connectBrowser();
const requests = [];
try {
  const page = await openPage(browser, pageUrl, (request) => requests.push(request.url()));
  await checkControls(page);
  await checkAxe(page, 'before a run');
  await checkFailureReport(page);
  await checkUtf8(page);
  await checkDownloadName(browser, page);
  await checkDrop(page);
  await checkKeyboard(page);
  await checkAxe(page, 'with a PDF to save');
  await checkLargeText(browser, page);
  await checkTooLarge(page);
  await page.close();
} finally {
  await browser.disconnect();
}
// The page itself, and Blob URLs of the page's own making: nothing else.
const others = requests.filter((url) => url !== pageUrl && !url.startsWith('blob:'));
check(others.length === 0, `requests besides the page: ${others.join(' ')}`);
console.log(`   requests: the page itself only (${requests.length} in all, Blob URLs included)`);
