// The page: chooses a text file, builds the command's argument list from the
// options, runs the conversion in a worker and shows what the command
// printed, with the PDF to save or open.
'use strict';

(() => {
  const $ = (id) => document.getElementById(id);
  const fileInput = $('text-file');
  const dropZone = $('drop-zone');
  const convertButton = $('convert');
  const progress = $('progress');
  const progressArea = $('progress-area');
  const progressText = $('progress-text');
  const statusLine = $('status');
  const statistics = $('statistics');
  const messages = $('messages');
  const download = $('download');
  const openPdf = $('open-pdf');
  const resultLinks = $('result-links');

  // Runs shorter than this show no progress bar (milliseconds).
  const PROGRESS_DELAY = 1000;
  // How much of a file's start is looked at to tell whether it is UTF-8.
  const UTF8_SAMPLE = 1 << 20;

  // The worker's source is written into the page, so that a page opened
  // from disk, where a worker script or a .wasm could not be fetched, works.
  const workerUrl = URL.createObjectURL(
    new Blob([$('worker-source').textContent], { type: 'text/javascript' }));
  const shiftJis = new TextDecoder('shift_jis');

  let chosen = null;  // the File to convert
  let running = false;
  let pdfUrl = null;

  // The option's number as the command reads it, in decimal: what was
  // typed when it is a whole number already, or the browser's reading of
  // it ("1e1" is 10); anything else as typed, for the command to refuse.
  function numberArgument(input) {
    const typed = input.value.trim();
    if (/^[+-]?[0-9]+$/.test(typed)) return typed;
    return Number.isInteger(input.valueAsNumber) ? String(input.valueAsNumber) : typed;
  }

  // The argument list the command gets. The files are always in.txt and
  // out.pdf in the module's file system: a name holding "-" (my-notes.txt)
  // would be an option.
  function commandArguments() {
    const args = [
      '-s' + $('paper').value,
      '-f' + $('font').value + numberArgument($('font-size')),
      '-ml' + numberArgument($('h-margin')),
      '-mp' + numberArgument($('v-margin')),
      '-c' + $('compression').value,
    ];
    if ($('page-numbers').checked) args.push('-p');
    args.push('in.txt', 'out.pdf');
    return args;
  }

  function showCommandLine() {
    $('command-line').textContent = ['quilnote', ...commandArguments()].join(' ');
  }

  // notes.txt gives notes.pdf.
  function pdfName(textName) {
    const base = textName.replace(/\.[^.]*$/, '');
    return (base || 'quilnote') + '.pdf';
  }

  // Valid UTF-8 with a byte above ASCII in the file's start: most likely not
  // Shift-JIS, whose double-byte characters are rarely valid UTF-8.
  async function looksLikeUtf8(file) {
    const start = new Uint8Array(await file.slice(0, UTF8_SAMPLE).arrayBuffer());
    if (!start.some((byte) => byte >= 0x80)) return false;
    try {
      // A character cut by the sample's end is not an error in a stream.
      new TextDecoder('utf-8', { fatal: true }).decode(start, { stream: true });
      return true;
    } catch (error) {
      return false;
    }
  }

  function forgetPdf() {
    download.removeAttribute('href');
    openPdf.removeAttribute('href');
    resultLinks.hidden = true;
    if (pdfUrl) URL.revokeObjectURL(pdfUrl);
    pdfUrl = null;
  }

  async function choose(file) {
    if (!file) return;
    chosen = file;
    forgetPdf();
    $('chosen').textContent = `${file.name}（${file.size.toLocaleString('ja-JP')} バイト / bytes）`;
    convertButton.disabled = running;
    $('utf8-note').hidden = true;
    const utf8 = await looksLikeUtf8(file);
    if (chosen === file) $('utf8-note').hidden = !utf8;
  }

  function showProgress(written, total) {
    progress.max = Math.max(total, 1);
    progress.value = written;
    progressText.textContent = `${written} / ${total} ページ (pages)`;
  }

  // Ends a run: what the command printed, and the PDF when it wrote one.
  function finish(result, fileName) {
    statusLine.dataset.exitStatus = String(result.status);
    statistics.textContent = shiftJis.decode(result.stdout).replace(/\r/g, '');
    messages.textContent = shiftJis.decode(result.stderr).replace(/\r/g, '');
    if (result.status === 0 && result.pdf) {
      pdfUrl = URL.createObjectURL(new Blob([result.pdf], { type: 'application/pdf' }));
      download.href = pdfUrl;
      download.download = pdfName(fileName);
      openPdf.href = pdfUrl;
      resultLinks.hidden = false;
      statusLine.textContent = `できました: ${download.download} (done)`;
    } else if (result.status === 0) {
      statusLine.textContent = 'PDFは作られませんでした (no PDF was written)';
    } else {
      statusLine.textContent = '変換に失敗しました (the conversion failed)';
    }
  }

  function convert() {
    if (!chosen || running) return;
    const file = chosen;
    running = true;
    convertButton.disabled = true;
    forgetPdf();
    statistics.textContent = '';
    messages.textContent = '';
    statusLine.textContent = '変換中… (converting)';
    delete statusLine.dataset.exitStatus;
    showProgress(0, 0);
    const showBar = setTimeout(() => { progressArea.hidden = false; }, PROGRESS_DELAY);

    // A fresh worker per run: its memory is returned when it ends.
    const worker = new Worker(workerUrl);
    const end = () => {
      clearTimeout(showBar);
      worker.terminate();
      progressArea.hidden = true;
      running = false;
      convertButton.disabled = !chosen;
    };
    const breakDown = (message) => {
      messages.textContent = `変換が中断されました (the conversion broke down): ${message}`;
      statusLine.textContent = '変換に失敗しました (the conversion failed)';
      statusLine.dataset.exitStatus = 'none';
      end();
    };
    worker.onmessage = (event) => {
      const message = event.data;
      if (message.type === 'pages') {
        showProgress(message.written, message.total);
      } else if (message.type === 'done') {
        finish(message, file.name);
        end();
      } else {
        breakDown(message.message);
      }
    };
    worker.onerror = (event) => {
      event.preventDefault();
      breakDown(event.message || 'worker error');
    };
    worker.postMessage({ file, args: commandArguments() });
  }

  fileInput.addEventListener('change', () => choose(fileInput.files[0]));
  convertButton.addEventListener('click', convert);
  for (const id of ['paper', 'font', 'font-size', 'h-margin', 'v-margin', 'compression',
    'page-numbers']) {
    $(id).addEventListener('input', showCommandLine);
    $(id).addEventListener('change', showCommandLine);
  }

  dropZone.addEventListener('dragover', (event) => {
    event.preventDefault();
    dropZone.classList.add('dragging');
  });
  dropZone.addEventListener('dragleave', () => dropZone.classList.remove('dragging'));
  dropZone.addEventListener('drop', (event) => {
    event.preventDefault();
    dropZone.classList.remove('dragging');
    const files = event.dataTransfer.files;
    if (files.length > 0) {
      fileInput.files = files;
      choose(files[0]);
    }
  });
  // A file dropped beside the zone must not replace the page.
  window.addEventListener('dragover', (event) => event.preventDefault());
  window.addEventListener('drop', (event) => event.preventDefault());

  showCommandLine();
  // A file chosen before a reload is still in the input.
  if (fileInput.files.length > 0) choose(fileInput.files[0]);
})();
