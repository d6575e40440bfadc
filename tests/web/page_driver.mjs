// Drives the page in Debian's Chromium, started by .ci/web (whose DevTools
// endpoint QUILNOTE_BROWSER names), or in Debian's Firefox ESR over
// WebDriver BiDi, started here when QUILNOTE_FIREFOX names it: sets its
// controls, chooses text files, converts, and collects what the page shows
// and the PDF it offers, saved through the browser's own download.
import { mkdtemp, readdir, readFile, rm } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import puppeteer from 'puppeteer-core';

// A conversion of a large text may take a while.
const RUN_TIMEOUT = 600_000;

// Firefox saves every download here, without asking.
let firefoxDownloads = null;

export async function connectBrowser() {
  if (process.env.QUILNOTE_FIREFOX) {
    firefoxDownloads = await mkdtemp(join(tmpdir(), 'quilnote-firefox-'));
    return puppeteer.launch({
      browser: 'firefox', executablePath: process.env.QUILNOTE_FIREFOX, headless: true,
      protocolTimeout: RUN_TIMEOUT,
      extraPrefsFirefox: {
        'browser.download.dir': firefoxDownloads, 'browser.download.folderList': 2,
        'browser.download.useDownloadDir': true, 'browser.download.always_ask_before_handling_new_types': false,
        'browser.helperApps.neverAsk.saveToDisk': 'application/pdf,application/zip', 'pdfjs.disabled': true,
      },
    });
  }
  const browserWSEndpoint = process.env.QUILNOTE_BROWSER;
  if (!browserWSEndpoint) throw new Error('QUILNOTE_BROWSER must hold the DevTools endpoint');
  return puppeteer.connect({ browserWSEndpoint, protocolTimeout: RUN_TIMEOUT });
}

// Ends the session: Firefox, started here, is closed.
export async function releaseBrowser(browser) {
  if (!firefoxDownloads) return browser.disconnect();
  await browser.close();
  await rm(firefoxDownloads, { recursive: true, force: true });
}

// Opens the page in a new tab; `onRequest`, when given, sees every request
// the tab makes, the page's own included. The page's console errors and
// uncaught exceptions are collected in page.errors.
export async function openPage(browser, url, onRequest) {
  const page = await browser.newPage();
  page.setDefaultTimeout(RUN_TIMEOUT);
  page.errors = [];
  page.on('console', (message) => {
    if (message.type() === 'error') page.errors.push(message.text());
  });
  page.on('pageerror', (error) => page.errors.push(String(error)));
  if (onRequest) page.on('request', onRequest);
  await page.goto(url, { waitUntil: 'load' });
  // Options another run left remembered are forgotten: each run starts at
  // the defaults.
  if (await page.evaluate(() => localStorage.length > 0 && (localStorage.clear(), true))) {
    await page.reload({ waitUntil: 'load' });
  }
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

export async function chooseFile(page, ...paths) {
  const input = await page.$('#text-file');
  await input.uploadFile(...paths);
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
      statistics: document.getElementById('statistics')?.textContent ?? '',
      messages: document.getElementById('messages')?.textContent ?? '',
      failure: document.getElementById('failure').textContent,
      exitStatus: Number(document.getElementById('status').dataset.exitStatus),
      href: download && download.checkVisibility() ? download.getAttribute('href') : null,
      downloadName: download && download.getAttribute('download'),
    };
  });
}

// Saves the file that `link` (#download) offers, as a user's click does,
// and returns its name and bytes.
export async function downloadPdf(browser, page, link = '#download') {
  if (firefoxDownloads) {
    for (const name of await readdir(firefoxDownloads)) await rm(join(firefoxDownloads, name));
    await page.click(link);
    for (;;) {
      const names = await readdir(firefoxDownloads);
      if (names.length === 1 && !names[0].endsWith('.part')) {
        // Firefox creates the file before it writes it: done when no .part remains.
        await new Promise((resolve) => setTimeout(resolve, 200));
        if ((await readdir(firefoxDownloads)).length === 1) {
          return { name: names[0], bytes: await readFile(join(firefoxDownloads, names[0])) };
        }
      }
      await new Promise((resolve) => setTimeout(resolve, 100));
    }
  }
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
    await page.click(link);
    await finished;
    return { name, bytes: await readFile(join(folder, name)) };
  } finally {
    await session.send('Browser.setDownloadBehavior', { behavior: 'default' }).catch(() => {});
    await session.detach().catch(() => {});
    await rm(folder, { recursive: true, force: true });
  }
}
