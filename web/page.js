// The page: chooses text files, finds how each is encoded and shows its
// first lines, checks the options, converts the files in a pool of workers
// (each the command's own front end) and shows what each run printed, with
// its PDF to save or open. The rules that need no browser are in logic.js
// (QuilnoteLogic).
'use strict';

(() => {
  const L = QuilnoteLogic;
  const $ = (id) => document.getElementById(id);
  const fileInput = $('text-file');
  const convertButton = $('convert');
  const cancelButton = $('cancel');
  const progress = $('progress');
  const progressArea = $('progress-area');
  const statusLine = $('status');
  const resultsList = $('results');
  const saveAll = $('save-all');

  // Runs shorter than this show no progress bar (milliseconds).
  const PROGRESS_DELAY = 1000;
  // The text is read for the encoding in pieces of this size.
  const PIECE = 8 << 20;
  // The preview: this much of the start, at most this many lines.
  const PREVIEW_BYTES = 16 << 10;
  const PREVIEW_LINES = 8;
  const STORAGE_KEY = 'quilnote-options';

  // Option names and their controls.
  const CONTROLS = {
    paper: 'paper', font: 'font', fontSize: 'font-size', hMargin: 'h-margin',
    vMargin: 'v-margin', compression: 'compression', pageNumbers: 'page-numbers',
    encoding: 'encoding',
  };
  const FIELDS = { fontSize: 'font-size', hMargin: 'h-margin', vMargin: 'v-margin' };

  // The worker's source and the converter's WebAssembly are written into
  // the page, so that a page opened from disk, where a worker script or a
  // .wasm could not be fetched, works. The WebAssembly is compiled once and
  // handed to every worker.
  const workerUrl = URL.createObjectURL(
    new Blob([$('worker-source').textContent], { type: 'text/javascript' }));
  const converter = WebAssembly.compile(
    Uint8Array.from(atob($('converter-wasm').textContent.trim()), (c) => c.charCodeAt(0)));
  const shiftJis = new TextDecoder('shift_jis');
  const zipWorkerUrl = URL.createObjectURL(
    new Blob([$('zip-worker-source').textContent], { type: 'text/javascript' }));
  let zipper = null;  // compiled when first needed

  let chosen = [];        // the Files to convert
  let detected = new Map();  // File -> Promise of the encoding -ea finds
  let batch = null;       // the run under way: { workers, cancelled }
  let urls = [];          // the Blob URLs of the results shown

  function readOptions() {
    const options = {};
    for (const [name, id] of Object.entries(CONTROLS)) {
      const control = $(id);
      options[name] = control.type === 'checkbox' ? control.checked : control.value;
    }
    return options;
  }

  function writeOptions(options) {
    for (const [name, id] of Object.entries(CONTROLS)) {
      const control = $(id);
      if (control.type === 'checkbox') control.checked = Boolean(options[name]);
      else if (options[name] !== undefined) control.value = options[name];
      // A stored value no longer offered falls back to the default.
      if (control.tagName === 'SELECT' && control.selectedIndex < 0) {
        control.value = L.DEFAULTS[name];
      }
    }
  }

  // Options are remembered where the browser allows; where it refuses
  // (private windows, settings) the page works the same without.
  function remember(options) {
    try { localStorage.setItem(STORAGE_KEY, JSON.stringify(options)); } catch { /* refused */ }
  }
  function recalled() {
    try { return JSON.parse(localStorage.getItem(STORAGE_KEY)) || {}; } catch { return {}; }
  }

  const bilingual = (words) => `${words.ja} / ${words.en}`;

  // The field checks and the room check; true when Convert may run.
  function checkOptions(options) {
    const problems = L.fieldProblems(options);
    for (const [name, id] of Object.entries(FIELDS)) {
      const problem = problems[name];
      $(`${id}-problem`).textContent = problem ? bilingual(problem) : '';
      $(id).setAttribute('aria-invalid', problem ? 'true' : 'false');
      const mm = $(`${id}-mm`);
      if (mm) mm.textContent = problem ? '' : `= ${L.millimetres(options[name])} mm`;
    }
    const room = Object.keys(problems).length ? null : L.roomProblem(options);
    $('room-problem').textContent = room ? bilingual(room) : '';
    $('command-line').textContent = ['quilnote', ...L.commandArguments(options)].join(' ');
    return !Object.keys(problems).length && !room;
  }

  function updateConvertButton() {
    convertButton.disabled = batch !== null || chosen.length === 0 || !checkOptions(readOptions());
  }

  function forgetResults() {
    for (const url of urls) URL.revokeObjectURL(url);
    urls = [];
    resultsList.replaceChildren();
    saveAll.removeAttribute('href');
    $('save-all-area').hidden = true;
    $('failure').textContent = '';
    $('warning').textContent = '';
    delete statusLine.dataset.exitStatus;
  }

  // A change of the files or of an option: a run under way ends, and what
  // was converted before is no longer offered.
  function invalidate(why) {
    const hadResult = batch !== null || resultsList.childElementCount > 0;
    if (batch) endBatch(true);
    forgetResults();
    if (hadResult) statusLine.textContent = why || '';
  }

  function onOptionChange() {
    const options = readOptions();
    remember(options);
    invalidate('設定が変わりました — もう一度変換してください / The options changed: convert again');
    updateConvertButton();
    if (options.encoding !== shownEncoding) showReading();
  }

  // The encoding -ea finds for `file`, reading all of it in pieces.
  function detect(file) {
    if (!detected.has(file)) {
      detected.set(file, (async () => {
        const detector = new L.EncodingDetector();
        for (let at = 0; at < file.size && !detector.settled; at += PIECE) {
          detector.push(new Uint8Array(await file.slice(at, at + PIECE).arrayBuffer()));
        }
        return detector.finish();
      })());
    }
    return detected.get(file);
  }

  const ENCODING_NAMES = {
    shift_jis: 'Shift-JIS', 'utf-8': 'UTF-8', 'utf-16le': 'UTF-16 (LE)',
    'utf-16be': 'UTF-16 (BE)', 'euc-jp': 'EUC-JP',
  };

  // Every character Shift-JIS has, once: what the browser's decoder makes
  // of each byte and pair (as code page 932 reads them), without the lone
  // 0x80, plus the forms other systems write for ～ ‖ － ￠ ￡ ￢ — ￥ ￣.
  let shiftJisCharacters = null;
  function inShiftJis(character) {
    if (!shiftJisCharacters) {
      const bytes = [];
      for (let byte = 0; byte < 0x100; byte++) {
        if (byte < 0x80 || (byte >= 0xA1 && byte <= 0xDF)) bytes.push(byte, 0x0A);
      }
      for (let lead = 0x81; lead <= 0xFC; lead++) {
        if (lead >= 0xA0 && lead <= 0xDF) continue;
        for (let trail = 0x40; trail <= 0xFC; trail++) {
          if (trail !== 0x7F) bytes.push(lead, trail, 0x0A);
        }
      }
      shiftJisCharacters = new Set(shiftJis.decode(Uint8Array.from(bytes)).split('\n'));
      shiftJisCharacters.delete('\uFFFD');
      for (const extra of '\u301C\u2016\u2212\u00A2\u00A3\u00AC\u2014\u00A5\u203E') {
        shiftJisCharacters.add(extra);
      }
    }
    return character === '\n' || character === '\r' || shiftJisCharacters.has(character);
  }

  // EUC-JP's characters of JIS X 0212 (8F and two bytes) become 〓 in the
  // command, whatever the browser's decoder makes of them.
  function decodeEucJp(bytes) {
    const kept = [];
    for (let i = 0; i < bytes.length; i++) {
      if (bytes[i] === 0x8F && i + 2 < bytes.length && bytes[i + 1] >= 0xA1 && bytes[i + 2] >= 0xA1) {
        kept.push(0xA2, 0xAE);  // 〓
        i += 2;
      } else {
        kept.push(bytes[i]);
      }
    }
    return new TextDecoder('euc-jp').decode(Uint8Array.from(kept));
  }

  let shownEncoding = null;
  // The encoding found for the first file and its first lines read that
  // way, with what becomes 〓 marked.
  async function showReading() {
    const file = chosen[0];
    const letter = $('encoding').value;
    shownEncoding = letter;
    if (!file) {
      $('reading').hidden = true;
      return;
    }
    $('reading').hidden = false;
    $('detected').textContent = '文字コードを調べています… / Finding the encoding…';
    const found = await detect(file);
    const start = new Uint8Array(await file.slice(0, PREVIEW_BYTES).arrayBuffer());
    if (chosen[0] !== file || $('encoding').value !== letter) return;
    const reading = L.readingOf(letter, found);
    $('detected').textContent = `${file.name}: ${ENCODING_NAMES[reading]} として読みます` +
      ` / read as ${ENCODING_NAMES[reading]}` +
      (letter === 'a' ? `（自動判別 / found automatically）` : '');
    const zero = start.indexOf(0);
    let bytes = reading.startsWith('utf-16') || zero < 0 ? start : start.subarray(0, zero);
    let text = reading === 'euc-jp' ? decodeEucJp(bytes)
      : new TextDecoder(reading).decode(bytes, { stream: true });
    if (reading.startsWith('utf-16')) text = text.split('\0')[0];
    const lines = text.split(/\r\n|\r|\n/).slice(0, PREVIEW_LINES);
    const preview = $('preview');
    preview.replaceChildren();
    const convertible = reading !== 'shift_jis';
    for (const line of lines) {
      let plain = '';
      for (const character of line) {
        if (convertible && !inShiftJis(character)) {
          preview.append(plain);
          plain = '';
          const mark = document.createElement('mark');
          mark.textContent = '〓';
          mark.title = character === '\uFFFD' ? '読めないバイト / unreadable bytes' : character;
          preview.append(mark);
        } else {
          plain += character;
        }
      }
      preview.append(plain + '\n');
    }
  }

  function choose(files) {
    invalidate(null);
    statusLine.textContent = '';
    chosen = [...files];
    detected = new Map();
    const names = chosen.map((file) => file.name).join('、');
    const bytes = chosen.reduce((sum, file) => sum + file.size, 0);
    $('chosen').textContent = chosen.length === 0 ? ''
      : `${chosen.length} 個のファイル / ${chosen.length} file(s): ${names}` +
        `（${bytes.toLocaleString('ja-JP')} バイト / bytes）`;
    updateConvertButton();
    showReading();
  }

  // A folder dropped or chosen is refused in words: its entries are not
  // files the page can read.
  function dropped(event) {
    event.preventDefault();
    document.body.classList.remove('dragging');
    const items = [...(event.dataTransfer.items || [])];
    const folders = items.filter((item) => item.webkitGetAsEntry && item.webkitGetAsEntry()?.isDirectory);
    if (folders.length > 0) {
      $('chosen').textContent = 'フォルダーは使えません。中のテキストファイルを選んでドロップしてください。' +
        ' / Folders cannot be used: select the text files in it and drop them.';
      return;
    }
    if (event.dataTransfer.files.length > 0) {
      fileInput.files = event.dataTransfer.files;
      choose(event.dataTransfer.files);
    }
  }

  function showProgress(done, total, unit) {
    progress.max = Math.max(total, 1);
    progress.value = done;
    $('progress-text').textContent = `${done} / ${total} ${unit}`;
  }

  const FIGURES = ['1 行の文字数 / Characters a line', '行数 / Lines', '1 ページの行数 / Lines a page',
    'ページ数 / Pages'];

  // One row of #results for `file`, waiting for its run.
  function addRow(file, single) {
    const row = $('result-row').content.firstElementChild.cloneNode(true);
    row.dataset.file = file.name;
    row.querySelector('.name').textContent = file.name;
    row.querySelector('.row-status').textContent = '待っています / Waiting';
    if (single) {
      row.querySelector('.statistics').id = 'statistics';
      row.querySelector('.messages').id = 'messages';
      row.querySelector('.save').id = 'download';
      row.querySelector('.open').id = 'open-pdf';
    }
    resultsList.append(row);
    return row;
  }

  // A row's outcome: the statistics in words beside the command's lines,
  // the messages, the PDF, or what went wrong in words.
  function fillRow(row, file, result) {
    const statistics = result.stdout ? shiftJis.decode(result.stdout).replace(/\r/g, '') : '';
    const messages = result.stderr ? shiftJis.decode(result.stderr).replace(/\r/g, '')
      : `変換が中断されました (the conversion broke down): ${result.message}\n`;
    row.querySelector('.statistics').textContent = statistics;
    row.querySelector('.messages').textContent = messages;
    const figures = row.querySelector('.figures');
    statistics.split('\n').filter(Boolean).forEach((line, i) => {
      if (i >= FIGURES.length) return;
      const term = document.createElement('dt');
      term.textContent = FIGURES[i];
      const value = document.createElement('dd');
      value.textContent = line;
      figures.append(term, value);
    });
    const advice = L.failureAdvice(result.status, messages);
    const substituted = L.substitutions(messages);
    row.dataset.exitStatus = String(result.status ?? 'none');
    if (advice) {
      row.querySelector('.row-status').textContent = `失敗しました / Failed: ${bilingual(advice)}`;
      row.classList.add('failed');
      return { advice, substituted };
    }
    row.querySelector('.details').open = messages.trim() !== '' && !substituted;
    if (result.pdf) {
      // The worker's Blob, typed (its bytes are not copied).
      result.pdf = new Blob([result.pdf], { type: 'application/pdf' });
      const url = URL.createObjectURL(result.pdf);
      urls.push(url);
      const save = row.querySelector('.save');
      save.href = url;
      save.download = L.pdfName(file.name);
      row.querySelector('.open').href = url;
      row.querySelector('.links').hidden = false;
      row.querySelector('.row-status').textContent = `できました / Done: ${save.download}`;
    } else {
      row.querySelector('.row-status').textContent = 'PDFは作られませんでした / No PDF was written';
    }
    if (substituted) {
      row.querySelector('.row-status').textContent += ` — 〓 ${substituted.count}`;
    }
    return { advice, substituted };
  }

  function endBatch(cancelled) {
    if (!batch) return;
    batch.cancelled = cancelled;
    for (const worker of batch.workers) worker.terminate();
    clearTimeout(batch.showBar);
    batch = null;
    progressArea.hidden = true;
    cancelButton.hidden = true;
    updateConvertButton();
  }

  // Runs one file in a fresh worker (its memory is returned when it ends).
  function runOne(wasm, file, args, onPages) {
    return new Promise((resolve) => {
      const worker = new Worker(workerUrl);
      batch.workers.add(worker);
      const end = (result) => {
        worker.terminate();
        if (batch) batch.workers.delete(worker);
        resolve(result);
      };
      worker.onmessage = (event) => {
        const message = event.data;
        if (message.type === 'pages') onPages(message.written, message.total);
        else if (message.type === 'done') end(message);
        else end({ status: null, message: message.message });
      };
      worker.onerror = (event) => {
        event.preventDefault();
        end({ status: null, message: event.message || 'worker error' });
      };
      worker.postMessage({ wasm, file, args });
    });
  }

  async function convert() {
    if (batch || convertButton.disabled) return;
    const options = readOptions();
    const files = chosen;
    const args = L.commandArguments(options);
    forgetResults();
    const run = { workers: new Set(), cancelled: false };
    batch = run;
    updateConvertButton();
    cancelButton.hidden = false;
    statusLine.textContent = '変換中… / Converting…';
    const single = files.length === 1;
    const rows = files.map((file) => addRow(file, single));
    showProgress(0, single ? 0 : files.length, single ? 'ページ / pages' : 'ファイル / files');
    run.showBar = setTimeout(() => { progressArea.hidden = false; }, PROGRESS_DELAY);
    const wasm = await converter;
    const outcomes = new Array(files.length);
    const results = new Array(files.length);
    let next = 0;
    let finished = 0;
    const pool = Math.max(1, Math.min(navigator.hardwareConcurrency || 1, files.length));
    const lane = async () => {
      while (next < files.length && batch === run) {
        const index = next++;
        rows[index].querySelector('.row-status').textContent = '変換中… / Converting…';
        const result = await runOne(wasm, files[index], args, (written, total) => {
          if (single && batch === run) showProgress(written, total, 'ページ / pages');
        });
        if (batch !== run) return;
        results[index] = result;
        outcomes[index] = fillRow(rows[index], files[index], result);
        finished++;
        if (!single) showProgress(finished, files.length, 'ファイル / files');
      }
    };
    await Promise.all(Array.from({ length: pool }, lane));
    if (batch !== run) return;  // cancelled, or the options or files changed
    endBatch(false);
    finishBatch(files, results, outcomes, rows);
  }

  function finishBatch(files, results, outcomes, rows) {
    const statuses = results.map((result) => result.status);
    statusLine.dataset.exitStatus = statuses.every((status) => status === 0) ? '0'
      : String(statuses.find((status) => status !== 0) ?? 'none');
    const failed = outcomes
      .map((outcome, i) => outcome.advice && { name: files[i].name, advice: outcome.advice })
      .filter(Boolean);
    const succeeded = results.filter((result) => result.status === 0 && result.pdf).length;
    if (files.length === 1) {
      $('failure').textContent = failed.length ? bilingual(failed[0].advice) : '';
    } else {
      $('failure').textContent = failed.map((failure) => `${failure.name}: ${bilingual(failure.advice)}`)
        .join('\n');
    }
    const warnings = outcomes.map((outcome, i) => {
      if (!outcome.substituted) return null;
      const { count, line } = outcome.substituted;
      const name = files.length > 1 ? `${files[i].name}: ` : '';
      return `${name}Shift-JISにない文字 ${count} 個を〓にしました（最初は ${line} 行目） / ` +
        `${count} character(s) Shift-JIS lacks became 〓 (the first on line ${line})`;
    }).filter(Boolean);
    $('warning').textContent = warnings.join('\n');
    statusLine.textContent = failed.length === 0
      ? `できました / Done: ${succeeded} PDF`
      : `${files.length} 個中 ${failed.length} 個が失敗しました / ${failed.length} of ${files.length} failed`;
    if (succeeded >= 2) offerZip(files, results);
    // The result in view, for the keyboard and the eye alike.
    statusLine.focus({ preventScroll: true });
    (rows.length === 1 ? rows[0] : statusLine).scrollIntoView({ block: 'nearest' });
  }

  // The PDFs packed in one ZIP by zlib's minizip, in a worker of its own.
  async function zipPdfs(blobs) {
    const pdfs = await Promise.all(blobs.map(async ({ name, blob }) =>
      ({ name, bytes: new Uint8Array(await blob.arrayBuffer()) })));
    zipper ||= WebAssembly.compile(
      Uint8Array.from(atob($('zipper-wasm').textContent.trim()), (c) => c.charCodeAt(0)));
    const wasm = await zipper;
    return new Promise((resolve, reject) => {
      const worker = new Worker(zipWorkerUrl);
      worker.onmessage = (event) => {
        worker.terminate();
        if (event.data.zip) resolve(event.data.zip);
        else reject(new Error(event.data.message));
      };
      worker.onerror = (event) => {
        event.preventDefault();
        worker.terminate();
        reject(new Error(event.message));
      };
      worker.postMessage({ wasm, files: pdfs }, pdfs.map((pdf) => pdf.bytes.buffer));
    });
  }

  // "Save all": one ZIP of the PDFs. Making it needs the PDFs once more in
  // the ZIP worker, and the ZIP itself besides.
  function offerZip(files, results) {
    const pdfs = [];
    const taken = new Set();
    results.forEach((result, i) => {
      if (result.status !== 0 || !result.pdf) return;
      // Two texts of one name (from two folders) give two names in the ZIP.
      let name = L.pdfName(files[i].name);
      for (let n = 2; taken.has(name); n++) name = L.pdfName(files[i].name).replace(/\.pdf$/, ` (${n}).pdf`);
      taken.add(name);
      pdfs.push({ name, blob: result.pdf });
    });
    const bytes = pdfs.reduce((sum, pdf) => sum + pdf.blob.size, 0);
    saveAll.download = L.zipName(files.map((file) => file.name));
    $('save-all-note').textContent = `（${pdfs.length} 個のPDF、${(bytes / 1e6).toFixed(1)} MB` +
      ` / ${pdfs.length} PDFs, ${(bytes / 1e6).toFixed(1)} MB）`;
    const shownRows = resultsList.firstElementChild;
    zipPdfs(pdfs).then((zip) => {
      // Offered only while the results it packs are still shown.
      if (resultsList.firstElementChild !== shownRows) return;
      const url = URL.createObjectURL(new Blob([zip], { type: 'application/zip' }));
      urls.push(url);
      saveAll.href = url;
      $('save-all-area').hidden = false;
    }, (error) => {
      $('save-all-note').textContent = `ZIPを作れませんでした / The ZIP could not be made: ${error.message}`;
      $('save-all-area').hidden = false;
    });
  }

  fileInput.addEventListener('change', () => choose(fileInput.files));
  convertButton.addEventListener('click', convert);
  cancelButton.addEventListener('click', () => {
    if (!batch) return;
    endBatch(true);
    statusLine.textContent = '中止しました / Cancelled';
    statusLine.dataset.exitStatus = 'cancelled';
    for (const row of resultsList.children) {
      if (!row.dataset.exitStatus) row.querySelector('.row-status').textContent = '中止 / Cancelled';
    }
  });
  $('reset').addEventListener('click', () => {
    writeOptions(L.DEFAULTS);
    onOptionChange();
  });
  for (const id of Object.values(CONTROLS)) {
    $(id).addEventListener('input', onOptionChange);
    $(id).addEventListener('change', onOptionChange);
  }

  // Drop anywhere: a file dropped must never replace the page.
  window.addEventListener('dragover', (event) => {
    event.preventDefault();
    document.body.classList.add('dragging');
  });
  window.addEventListener('dragleave', (event) => {
    if (!event.relatedTarget) document.body.classList.remove('dragging');
  });
  window.addEventListener('drop', dropped);

  writeOptions({ ...L.DEFAULTS, ...recalled() });
  updateConvertButton();
  // Files chosen before a reload are still in the input.
  if (fileInput.files.length > 0) choose(fileInput.files);
})();
