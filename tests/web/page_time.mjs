// Times conversions in the page, from the click on #convert to the run's
// end (the text read, converted and the PDF handed back), for comparing
// with the native program; a measurement, never a test:
//   node page_time.mjs <page URL> <runs> <text file>... [control=value ...]
// prints one line per run, in seconds; several text files are one batch.
import { chooseFile, connectBrowser, openPage, releaseBrowser, setControls } from './page_driver.mjs';

const [pageUrl, runs, ...rest] = process.argv.slice(2);
const texts = rest.filter((argument) => !argument.includes('='));
const controls = {};
for (const option of rest.filter((argument) => argument.includes('='))) {
  const [id, value] = option.split('=');
  controls[id] = value === 'true' ? true : value;
}
const browser = await connectBrowser();
try {
  const page = await openPage(browser, pageUrl);
  await setControls(page, controls);
  await chooseFile(page, ...texts);
  for (let run = 0; run < Number(runs); run++) {
    const seconds = await page.evaluate(() => new Promise((resolve) => {
      const button = document.getElementById('convert');
      const started = performance.now();
      const ended = new MutationObserver(() => {
        if (!button.disabled) {
          ended.disconnect();
          resolve((performance.now() - started) / 1000);
        }
      });
      ended.observe(button, { attributes: true });
      button.click();
    }));
    const status = await page.$eval('#status', (line) => line.dataset.exitStatus);
    console.log(`${seconds.toFixed(2)} s (exit status ${status})`);
  }
  await page.close();
} finally {
  await releaseBrowser(browser);
}
