// The page run like the command, for comparing the two:
//   node page_run.mjs <page URL> [options] textfile pdffile
// sets the page's controls from the options (the ones the page offers),
// converts the text file in the page and writes what the page shows:
// the statistics to standard output, the messages to standard error, the
// PDF it offers to `pdffile`; the exit status is the command's (70 when the
// module broke down, 64 for options the page does not offer).
import { writeFile } from 'node:fs/promises';
import { basename } from 'node:path';
import { chooseFile, connectBrowser, convert, downloadPdf, openPage, releaseBrowser, setControls } from './page_driver.mjs';

// The controls for the command's options, or null when the page has none.
function controlsFor(options) {
  const controls = {};
  for (const option of options) {
    let match;
    if ((match = /^-s([AB][345][PL])$/i.exec(option))) controls.paper = match[1].toUpperCase();
    else if ((match = /^-f([himg])(-?[0-9]+)$/i.exec(option))) {
      controls.font = match[1].toLowerCase();
      controls['font-size'] = match[2];
    } else if ((match = /^-ml(-?[0-9]+)$/i.exec(option))) controls['h-margin'] = match[1];
    else if ((match = /^-mp(-?[0-9]+)$/i.exec(option))) controls['v-margin'] = match[1];
    else if ((match = /^-c([dmfn])$/i.exec(option))) controls.compression = match[1].toLowerCase();
    else if (/^-p$/i.test(option)) controls['page-numbers'] = true;
    else if ((match = /^-e([asue])$/i.exec(option))) controls.encoding = match[1].toLowerCase();
    else return null;
  }
  return controls;
}

const [pageUrl, ...args] = process.argv.slice(2);
const names = args.filter((argument) => !argument.includes('-'));
const controls = controlsFor(args.filter((argument) => argument.includes('-')));
if (!pageUrl || names.length !== 2 || controls === null) {
  console.error(`the page cannot run: ${args.join(' ')}`);
  process.exit(64);
}
const [textName, pdfName] = names;

const browser = await connectBrowser();
let status = 0;
try {
  const page = await openPage(browser, pageUrl);
  await setControls(page, controls);
  await chooseFile(page, textName);
  const shown = await convert(page);
  process.stdout.write(shown.statistics);
  process.stderr.write(shown.messages);
  status = Number.isInteger(shown.exitStatus) ? shown.exitStatus : 70;
  if (status === 0 && shown.href) {
    const pdf = await downloadPdf(browser, page);
    const expected = basename(textName).replace(/\.[^.]*$/, '') + '.pdf';
    if (pdf.name !== expected) throw new Error(`the PDF was offered as ${pdf.name}, not ${expected}`);
    await writeFile(pdfName, pdf.bytes);
  } else if (shown.href !== null) {
    throw new Error(`a PDF was offered after exit status ${status}`);
  }
  if (page.errors.length) throw new Error(`the page's console: ${page.errors.join('\n')}`);
  await page.close();
} finally {
  await releaseBrowser(browser);
}
process.exit(status);
