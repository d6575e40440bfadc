// The page's own checks, beside the byte comparisons of page_run.mjs, each
// on a fresh page:
//   node page_checks.mjs <page URL> <native program> <texts> <large texts>
// the controls and their defaults, the field and room checks, the encoding
// found and the preview, a batch of three, nothing stale, what is hidden,
// remembered options, the download's name, keyboard use, axe-core's
// findings, a large text (progress advances and the page answers while the
// workers run), Cancel, a text too large for the module, and the requests
// the page makes. <texts> holds sample.txt, generated.txt (Shift-JIS) and
// utf8.txt, <large texts> large.txt (some 100 MB) and huge.txt (over 4 GB,
// sparse). Exits non-zero when a check fails.
import { spawnSync } from 'node:child_process';
import { copyFileSync, mkdtempSync, readFileSync, rmSync, symlinkSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { after, test } from 'node:test';
import { AxePuppeteer } from '@axe-core/puppeteer';
import {
  chooseFile, connectBrowser, convert, downloadPdf, openPage, releaseBrowser, setControls,
} from './page_driver.mjs';

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

// Whether the element `selector` names is drawn: a missing one is not.
const shown = (page, selector) => page.evaluate((wanted) => {
  const element = document.querySelector(wanted);
  return Boolean(element && element.checkVisibility());
}, selector);

const browser = await connectBrowser();
const requests = [];
let page = null;
// Every check on a fresh page, without console errors.
const fresh = async () => {
  if (page) await page.close();
  page = await openPage(browser, pageUrl, (request) => requests.push(request.url()));
  return page;
};
const withPage = (name, body) => test(name, async () => {
  await body(await fresh());
  check(page.errors.length === 0, `no console error: ${page.errors.join(' | ')}`);
});

withPage('the controls: the test contract\'s values and the command\'s defaults', async (page) => {
  for (const [id, values] of [['paper', 'A4P A4L A3P A3L B5P B5L B4P B4L'], ['font', 'h i m g'],
    ['compression', 'd m f n'], ['encoding', 'a s u e']]) {
    check((await contractValues(page, id)).join(' ') === values, `#${id} offers ${values}`);
  }
  const state = await page.evaluate(() => {
    const value = (id) => document.getElementById(id).value;
    return {
      defaults: ['paper', 'font', 'font-size', 'h-margin', 'v-margin', 'compression', 'encoding']
        .map(value).join(' '),
      pageNumbers: document.getElementById('page-numbers').checked,
      convertDisabled: document.getElementById('convert').disabled,
      progress: document.getElementById('progress').tagName,
    };
  });
  check(state.defaults === 'A4P h 8 30 30 d a' && !state.pageNumbers,
    `the command's defaults, not ${state.defaults}`);
  check(state.convertDisabled, '#convert is disabled until a file is chosen');
  check(state.progress === 'PROGRESS', '#progress is a <progress>');
  for (const selector of ['#download', '#open-pdf', '#save-all', '#cancel']) {
    check(!(await shown(page, selector)), `${selector} is not shown before a run`);
  }
  await checkAxe(page, 'before a run');
});

// Each field refuses what the command would misread, beside the field, and
// Convert waits; so do options that leave no room, by the command's rule.
withPage('the field and room checks', async (page) => {
  await chooseFile(page, join(texts, 'sample.txt'));
  for (const [changes, where, words] of [
    [{ 'font-size': '10.5' }, '#font-size-problem', '整数で入力してください'],
    [{ 'font-size': '' }, '#font-size-problem', '整数で入力してください'],
    [{ 'font-size': '0' }, '#font-size-problem', '1 以上'],
    [{ 'h-margin': '-5' }, '#h-margin-problem', '整数で入力してください'],
    [{ 'font-size': '1000' }, '#room-problem', '1 行に 1 文字も入りません'],
    [{ 'v-margin': '500' }, '#room-problem', '1 ページに 1 行も入りません'],
  ]) {
    await setControls(page, { 'font-size': '8', 'h-margin': '30', 'v-margin': '30', ...changes });
    const state = await page.evaluate((selector) => ({
      words: document.querySelector(selector).textContent,
      disabled: document.getElementById('convert').disabled,
    }), where);
    check(state.words.includes(words) && state.disabled,
      `${JSON.stringify(changes)}: "${words}" and no Convert, not "${state.words}"`);
  }
  await setControls(page, { 'font-size': '8', 'h-margin': '30', 'v-margin': '30' });
  check(await page.$eval('#h-margin-mm', (mm) => mm.textContent === '= 10.6 mm'), '30 points = 10.6 mm');
  check((await convert(page)).exitStatus === 0, 'usable options convert');
});

// The encoding -ea finds, and the first lines read that way.
withPage('the encoding found and the preview', async (page) => {
  // generated.txt is utf8.txt in Shift-JIS: both preview its first line.
  const line = readFileSync(join(texts, 'utf8.txt'), 'utf8').split('\n').find(Boolean);
  for (const [name, encoding] of [['utf8.txt', 'UTF-8'], ['generated.txt', 'Shift-JIS']]) {
    await chooseFile(page, join(texts, name));
    await page.waitForFunction((wanted) => document.getElementById('detected').textContent
      .includes(wanted), {}, ` ${encoding} として読みます`);
    const preview = await page.$eval('#preview', (pre) => pre.textContent);
    check(preview.includes(line), `${name}: the preview shows "${line}"`);
  }
  await setControls(page, { encoding: 's' });
  await page.waitForFunction(() => document.getElementById('detected').textContent.includes('Shift-JIS'));
});

// Three files at once: one row each, in order, each PDF the command's; one
// ZIP of them.
withPage('a batch of three', async (page) => {
  const names = ['sample.txt', 'generated.txt', 'empty.txt'];
  await chooseFile(page, ...names.map((name) => join(texts, name)));
  await convert(page);
  const rows = await page.$$eval('#results > *', (all) => all.map((row) => row.dataset.file));
  check(rows.join(' ') === names.join(' '), `one row a file, in order: ${rows.join(' ')}`);
  for (const [i, name] of names.entries()) {
    const pdf = await downloadPdf(browser, page, `#results > :nth-child(${i + 1}) a[download]`);
    check(nativeRun(['-cd'], join(texts, name)).pdf.equals(pdf.bytes), `${name}: the command's PDF`);
  }
  await page.waitForFunction(() => document.getElementById('save-all').checkVisibility());
  const zip = await downloadPdf(browser, page, '#save-all');
  const folder = mkdtempSync(join(tmpdir(), 'quilnote-zip-'));
  try {
    writeFileSync(join(folder, zip.name), zip.bytes);
    const listed = spawnSync('unzip', ['-Z1', zip.name], { cwd: folder, encoding: 'utf8' }).stdout;
    check(zip.name === 'sample.zip' && listed === 'sample.pdf\ngenerated.pdf\nempty.pdf\n',
      `sample.zip holding the three PDFs, not ${zip.name}: ${listed}`);
    const packed = spawnSync('unzip', ['-p', zip.name, 'generated.pdf'], { cwd: folder }).stdout;
    check(packed.equals(nativeRun(['-cd'], join(texts, 'generated.txt')).pdf), 'the PDF in the ZIP');
  } finally {
    rmSync(folder, { recursive: true, force: true });
  }
});

// A change of option or file takes the last result away; what is hidden is
// not drawn; Reset and a reload.
withPage('nothing stale, hidden means hidden, remembered options', async (page) => {
  await chooseFile(page, join(texts, 'sample.txt'));
  await convert(page);
  check(await shown(page, '#download'), 'a PDF to save after a run');
  await setControls(page, { compression: 'n' });
  check(!(await shown(page, '#download')), 'no PDF to save once an option changed');
  check((await page.$eval('#status', (line) => line.textContent)).includes('設定が変わりました'),
    'the page says the options changed');
  await convert(page);
  await chooseFile(page, join(texts, 'generated.txt'));
  check(!(await shown(page, '#download')) && !(await shown(page, '#statistics')),
    'nothing of the last file once another is chosen');
  await setControls(page, { 'font-size': '12' });
  await page.reload({ waitUntil: 'load' });
  check(await page.$eval('#font-size', (input) => input.value === '12'), 'the size is remembered');
  await page.click('#reset');
  check(await page.$eval('#font-size', (input) => input.value === '8'), 'Reset gives the default');
  // Storage refused: the page works the same.
  await page.evaluateOnNewDocument(() => Object.defineProperty(window, 'localStorage', {
    get() { throw new DOMException('refused', 'SecurityError'); },
  }));
  await page.reload({ waitUntil: 'load' });
  await chooseFile(page, join(texts, 'sample.txt'));
  check((await convert(page)).exitStatus === 0, 'a run without storage');
});

withPage('the name saved, a drop anywhere, the PDF opened in the browser', async (page) => {
  // The name rule itself is logic.test.mjs's; here, that the browser saves under it.
  const folder = mkdtempSync(join(tmpdir(), 'quilnote-names-'));
  try {
    copyFileSync(join(texts, 'sample.txt'), join(folder, 'my-notes.txt'));
    await chooseFile(page, join(folder, 'my-notes.txt'));
    await convert(page);
    const pdf = await downloadPdf(browser, page);
    check(pdf.name === 'my-notes.pdf', `my-notes.txt is saved as my-notes.pdf, not ${pdf.name}`);
  } finally {
    rmSync(folder, { recursive: true, force: true });
  }
  await page.evaluate(() => {
    const dropped = new DataTransfer();
    dropped.items.add(new File(['dropped\r\n'], 'dropped.txt', { type: 'text/plain' }));
    document.querySelector('footer').dispatchEvent(
      new DragEvent('drop', { dataTransfer: dropped, bubbles: true, cancelable: true }));
  });
  await page.waitForFunction(() => document.getElementById('chosen').textContent.includes('dropped.txt'));
  const run = await convert(page);
  check(run.exitStatus === 0 && run.downloadName === 'dropped.pdf', 'a file dropped on the page converts');
  const open = await page.$eval('#open-pdf', (link) => link.getAttribute('href'));
  check(open === run.href, 'the PDF opens in the browser from the download\'s bytes');
});

// Tab reaches every control in order, with a visible focus, and Enter on
// #convert converts; then axe-core with a result shown.
withPage('keyboard use and axe-core with a result', async (page) => {
  await chooseFile(page, join(texts, 'sample.txt'));
  await page.evaluate(() => document.activeElement && document.activeElement.blur());
  const reached = [];
  for (let i = 0; i < 24; i++) {
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
  const expected = 'text-file encoding preview paper font font-size h-margin v-margin compression ' +
    'page-numbers reset convert';
  check(order.startsWith(expected), `Tab reaches ${expected}, not ${order}`);
  for (const element of reached) {
    if (element.id === 'text-file') continue;  // its button draws its own focus ring
    check(element.outline !== 'none' && element.width !== '0px', `visible focus on #${element.id}`);
  }
  await page.focus('#convert');
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => document.getElementById('status').dataset.exitStatus === '0');
  await checkAxe(page, 'with a PDF to save');
});

async function checkAxe(page, when) {
  const results = await new AxePuppeteer(page).analyze();
  // What axe-core leaves for review counts too where it is about ARIA.
  const review = results.incomplete.filter((item) => item.id.startsWith('aria-'));
  for (const violation of [...results.violations, ...review]) {
    console.error(`axe (${when}): ${violation.impact} ${violation.id}: ${violation.help}`);
    for (const node of violation.nodes) console.error(`    ${node.target.join(' ')}`);
  }
  check(results.violations.length + review.length === 0, `no axe-core finding ${when}`);
}

// Both screens: at 1366 x 768 Convert is in view once a file is chosen,
// and the result after the run; on a phone every control takes a finger.
withPage('layout at 1366 x 768 and on a 390 x 844 phone', async (page) => {
  await page.setViewport({ width: 1366, height: 768 });
  await chooseFile(page, join(texts, 'sample.txt'));
  const inView = (selector) => page.$eval(selector, (element) => {
    const box = element.getBoundingClientRect();
    return box.top >= 0 && box.bottom <= innerHeight;
  });
  check(await inView('#convert'), 'Convert in view after a file is chosen');
  await convert(page);
  check(await inView('#download'), 'the PDF to save in view after the run');
  await page.setViewport({ width: 390, height: 844 });
  const small = await page.$$eval('input, select, button, a[href], summary', (all) => all
    .filter((element) => element.checkVisibility() && element.getBoundingClientRect().height < 44)
    .map((element) => element.id || element.className || element.tagName));
  check(small.length === 0, `every control at least 44 px high on a phone, not ${small.join(' ')}`);
  const cut = await page.$eval('#font', (select) => select.scrollWidth > select.clientWidth);
  check(!cut, 'the font names are not cut');
});

// While a large text converts: the bar shows, advances, and the page
// answers; the PDF is the command's. Then Cancel ends a second run.
withPage('a large text, and Cancel', async (page) => {
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
      done: document.getElementById('status').dataset.exitStatus !== undefined,
      value: document.getElementById('progress').value,
      visible: !document.getElementById('progress-area').hidden,
    }));
    slowest = Math.max(slowest, performance.now() - asked);
    if (state.done) break;
    visible ||= state.visible;
    if (!seen.length || seen[seen.length - 1] !== state.value) seen.push(state.value);
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
  check(visible, 'the progress bar shows during a long run');
  check(seen.length >= 3 && seen.every((value, i) => i === 0 || value > seen[i - 1]),
    `progress advances: ${seen.join(' ')}`);
  check(slowest < 1000, `the page answers within a second while converting (${slowest.toFixed(0)} ms)`);
  const pdf = await downloadPdf(browser, page);
  const expected = nativeRun(['-cf'], text);
  check(expected.status === 0 && expected.pdf.equals(pdf.bytes), 'the large text\'s PDF is the command\'s');
  await page.click('#convert');
  await page.waitForFunction(() => document.getElementById('progress').value > 0);
  await page.click('#cancel');
  await new Promise((resolve) => setTimeout(resolve, 500));
  const state = await page.evaluate(() => ({
    status: document.getElementById('status').dataset.exitStatus,
    value: document.getElementById('progress').value,
  }));
  check(state.status === 'cancelled' && !(await shown(page, '#download')) && !(await shown(page, '#cancel')),
    'Cancel ends the run, with nothing to save');
});

// More than the module can ever hold: the reason in words, the command's
// report under Details, and nothing to save.
withPage('a text over 4 GB: too large for this browser, in words', async (page) => {
  await chooseFile(page, join(largeTexts, 'huge.txt'));
  const run = await convert(page);
  const form = /^Exception EOutOfMemory in module quilnote at [0-9A-F]{16}\.\nOut of memory\.\n\n$/;
  check(run.exitStatus === 1 && form.test(run.messages),
    `the out-of-memory report, not ${JSON.stringify(run.messages)}`);
  check(run.failure.includes('大きすぎます') && run.failure.includes('too large for this browser'),
    `the reason in both languages, not ${run.failure}`);
  check(!(await shown(page, '#download')) && !(await shown(page, '#messages')),
    'no download, the report under a closed Details');
});

after(async () => {
  if (page) await page.close();
  await releaseBrowser(browser);
  // The page itself, and Blob and data: URLs made in the browser (Firefox
  // reports its own fonts so): nothing else.
  const others = requests.filter((url) => url !== pageUrl && !/^(blob|data):/.test(url));
  check(others.length === 0, `requests besides the page: ${others.join(' ')}`);
});
