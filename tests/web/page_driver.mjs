// Drives the page in Debian's Chromium, started by .ci/web (whose DevTools
// endpoint QUILNOTE_BROWSER names): sets its controls, chooses a text file,
// converts, and collects what the page shows and the PDF it offers, saved
// through the browser's own download.
import { mkdtemp, readFile, rm } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import puppeteer from 'puppeteer-core';

// A conversion of a large text may take a while.
const RUN_TIMEOUT = 600_000;

export async function connectBrowser() {
  const browserWSEndpoint = process.env.QUILNOTE_BROWSER;
  if (!browserWSEndpoint) throw new Error('QUILNOTE_BROWSER must hold the DevTools endpoint');
  return puppeteer.connect({ browserWSEndpoint, protocolTimeout: RUN_TIMEOUT });
}

// Opens the page in a new tab; `onRequest`, when given, sees every request
// the tab makes, the page's own included.
export async function openPage(browser, url, onRequest) {
  const page = await browser.newPage();
  page.setDefaultTimeout(RUN_TIMEOUT);
  if (onRequest) page.on('request', onRequest);
  await page.goto(url, { waitUntil: 'load' });
  return page;
}

// The controls for a command's options; `options` holds the page's
// settings by control id: { paper, font, 'font-size', 'h-margin',
// 'v-margin', compression, 'page-numbers' }.
export async function setControls(page, options) {
  await page.evaluate((wanted) => {
    for (const [id, value] of Object.entries(wanted)) {
      const control = document.getElementById(id);
      if (control.type === 'checkbox') control.checked = value;
      else control.value = value;
      control.dispatchEvent(new Event('change', { bubbles: true }));
    }
  }, options);
}

export async function chooseFile(page, path) {
  const input = await page.$('#text-file');
  await input.uploadFile(path);
  await page.waitForFunction(() => !document.getElementById('convert').disabled);
}

// Clicks #convert and waits until the run has ended (#convert enabled
// again, with the run's status shown).
export async function convert(page) {
  await page.click('#convert');
  await page.waitForFunction(() => {
    const button = document.getElementById('convert');
    return !button.disabled && document.getElementById('status').dataset.exitStatus !== undefined;
  }, { polling: 50 });
  return page.evaluate(() => {
    const download = document.getElementById('download');
    return {
      statistics: document.getElementById('statistics').textContent,
      messages: document.getElementById('messages').textContent,
      exitStatus: Number(document.getElementById('status').dataset.exitStatus),
      href: download.getAttribute('href'),
      downloadName: download.getAttribute('download'),
    };
  });
}

// Saves the PDF that #download offers, as a user's click does, and returns
// its name and bytes.
export async function downloadPdf(browser, page) {
  const folder = await mkdtemp(join(tmpdir(), 'quilnote-download-'));
  const session = await browser.target().createCDPSession();
  try {
    await session.send('Browser.setDownloadBehavior',
      { behavior: 'allow', downloadPath: folder, eventsEnabled: true });
    let name = null;
    const finished = new Promise((resolve, reject) => {
      session.on('Browser.downloadWillBegin', (event) => { name = event.suggestedFilename; });
      session.on('Browser.downloadProgress', (event) => {
        if (event.state === 'completed') resolve();
        if (event.state === 'canceled') reject(new Error('download canceled'));
      });
    });
    await page.click('#download');
    await finished;
    return { name, bytes: await readFile(join(folder, name)) };
  } finally {
    await session.send('Browser.setDownloadBehavior', { behavior: 'default' }).catch(() => {});
    await session.detach().catch(() => {});
    await rm(folder, { recursive: true, force: true });
  }
}
