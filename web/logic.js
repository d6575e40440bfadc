// The page's rules that need no browser: the command's arguments from the
// options, the checks of the number fields and of the room on a page, the
// names of the files saved, which encoding the command's -ea finds, and
// what a failed run means in plain words. A classic script: the page runs it
// as is (it defines QuilnoteLogic), Node.js loads it as a CommonJS module for
// the tests.
'use strict';

(function (root, define) {
  if (typeof module === 'object' && module.exports) module.exports = define();
  else root.QuilnoteLogic = define();
})(typeof self !== 'undefined' ? self : this, () => {
  // Width and height in points, as the command has them.
  const PAPERS = {
    A4P: [595, 842], A4L: [842, 595], A3P: [842, 1191], A3L: [1191, 842],
    B5P: [516, 729], B5L: [729, 516], B4P: [729, 1032], B4L: [1032, 729],
  };
  // The height the command keeps for the page number at a page's foot.
  const PAGE_NUMBER_RESERVE = 8;
  const POINTS_PER_MM = 72 / 25.4;

  const DEFAULTS = Object.freeze({
    paper: 'A4P', font: 'h', fontSize: '8', hMargin: '30', vMargin: '30',
    compression: 'd', pageNumbers: false, encoding: 'a',
  });

  // The argument list the command gets: at most nine, as the command scans.
  // The files are always in.txt and out.pdf in the module's file system: a
  // name holding "-" (my-notes.txt) would be an option.
  function commandArguments(options) {
    const args = [
      '-s' + options.paper,
      '-f' + options.font + options.fontSize.trim(),
      '-ml' + options.hMargin.trim(),
      '-mp' + options.vMargin.trim(),
      '-c' + options.compression,
    ];
    if (options.pageNumbers) args.push('-p');
    args.push('-e' + options.encoding, 'in.txt', 'out.pdf');
    return args;
  }

  // Why a number field's text cannot be used, or null. Whole decimal
  // numbers only: "10.5" is refused rather than read as something else.
  function fieldProblem(text, least) {
    const typed = String(text).trim();
    if (!/^[0-9]+$/.test(typed)) {
      return { ja: '整数で入力してください', en: 'Enter a whole number' };
    }
    if (Number(typed) < least) {
      return { ja: `${least} 以上にしてください`, en: `Enter ${least} or more` };
    }
    return null;
  }

  const FIELD_LEAST = { fontSize: 1, hMargin: 0, vMargin: 0 };

  // Every field's problem by option name; empty when all are usable.
  function fieldProblems(options) {
    const problems = {};
    for (const [name, least] of Object.entries(FIELD_LEAST)) {
      const problem = fieldProblem(options[name], least);
      if (problem) problems[name] = problem;
    }
    return problems;
  }

  // Why the paper, size and margins leave no room, or null: the command's
  // arithmetic for a line (the width less both margins, divided by the
  // size, must give a full-width character's two columns) and for a page
  // (one line plus the page number's reserve below the height less both
  // margins). The fields must be usable.
  function roomProblem(options) {
    const [width, height] = PAPERS[options.paper];
    const size = Number(options.fontSize);
    const reserve = options.pageNumbers ? PAGE_NUMBER_RESERVE : 0;
    const columns = Math.trunc((width - 2 * Number(options.hMargin)) / size) * 2;
    if (columns < 2) {
      return {
        ja: '文字が大きすぎるか左右の余白が広すぎて、1 行に 1 文字も入りません',
        en: 'The characters are too large or the side margins too wide: not one character fits on a line',
      };
    }
    if (size + reserve >= height - 2 * Number(options.vMargin)) {
      return {
        ja: '文字が大きすぎるか上下の余白が広すぎて、1 ページに 1 行も入りません',
        en: 'The characters are too large or the top and bottom margins too wide: not one line fits on a page',
      };
    }
    return null;
  }

  const millimetres = (points) => (Number(points) / POINTS_PER_MM).toFixed(1);

  // notes.txt gives notes.pdf.
  function pdfName(textName) {
    return (textName.replace(/\.[^.]*$/, '') || 'quilnote') + '.pdf';
  }

  // The ZIP of several PDFs: named after the first text.
  function zipName(textNames) {
    return pdfName(textNames[0]).replace(/\.pdf$/, '') + '.zip';
  }

  // The encoding the command's -ea finds, fed the whole text in pieces: a
  // byte-order mark decides; otherwise the bytes before the first zero byte
  // are UTF-8 when they are well-formed UTF-8 (a sequence cut off at the
  // end is not) holding a byte of 0x80 or more, and Shift-JIS when not.
  // The answer is a TextDecoder label.
  class EncodingDetector {
    constructor() {
      this.head = [];          // the first bytes, until the mark is known
      this.marked = null;      // the encoding a mark names
      this.ended = false;      // a zero byte was seen
      this.wellFormed = true;
      this.beyondAscii = false;
      this.decoder = new TextDecoder('utf-8', { fatal: true, ignoreBOM: true });
    }

    push(bytes) {
      if (this.head.length < 3 && !this.marked) {
        for (const byte of bytes.subarray(0, 3 - this.head.length)) this.head.push(byte);
        const [a, b, c] = this.head;
        if (a === 0xFF && b === 0xFE) this.marked = 'utf-16le';
        else if (a === 0xFE && b === 0xFF) this.marked = 'utf-16be';
        else if (a === 0xEF && b === 0xBB && c === 0xBF) this.marked = 'utf-8';
      }
      if (this.marked || this.ended || !this.wellFormed) return;
      const zero = bytes.indexOf(0);
      if (zero >= 0) {
        bytes = bytes.subarray(0, zero);
        this.ended = true;
      }
      try {
        const text = this.decoder.decode(bytes, { stream: !this.ended });
        // Well-formed UTF-8 of ASCII bytes only decodes to as many units.
        this.beyondAscii ||= text.length !== bytes.length;
      } catch {
        this.wellFormed = false;
      }
    }

    // True once more bytes cannot change the answer: a mark, or past the
    // place of one, a zero byte or bytes that are not UTF-8.
    get settled() {
      return Boolean(this.marked) || (this.head.length >= 3 && (this.ended || !this.wellFormed));
    }

    // The answer, once the whole text has been pushed (or it is settled).
    finish() {
      if (this.marked) return this.marked;
      if (this.wellFormed && !this.ended) {
        try {
          this.decoder.decode();
        } catch {
          this.wellFormed = false;
        }
      }
      return this.wellFormed && this.beyondAscii ? 'utf-8' : 'shift_jis';
    }
  }

  // The TextDecoder label a run reads the text with: the encoding control's
  // letter, and for "a" and "u" the bytes' own.
  function readingOf(letter, detected) {
    if (letter === 's') return 'shift_jis';
    if (letter === 'e') return 'euc-jp';
    if (letter === 'u') return detected.startsWith('utf-16') ? detected : 'utf-8';
    return detected;
  }

  // The command's message on characters Shift-JIS lacks, when it is among
  // the messages: { count, line }.
  function substitutions(messages) {
    const found = /Shift-JISにない文字を〓にしました: ([0-9]+) 個 \(最初は ([0-9]+) 行目\)/
      .exec(messages);
    return found ? { count: Number(found[1]), line: Number(found[2]) } : null;
  }

  // What a failed run means and what to change, in both languages; null
  // when the run ended well. `status` is the exit status, or null when the
  // module itself broke down.
  function failureAdvice(status, messages) {
    if (status === 0) return null;
    if (/EDivByZero/.test(messages)) {
      return {
        ja: '文字が大きすぎるか、余白が広すぎて、1 行も入りません。文字を小さくするか、余白を狭くしてください。',
        en: 'The characters are too large or the margins too wide: not one line fits. ' +
          'Make the characters smaller or the margins narrower.',
      };
    }
    if (/EOutOfMemory/.test(messages) || /memory/i.test(messages)) {
      return {
        ja: 'このテキストはこのブラウザで変換するには大きすぎます。分けて変換するか、コマンドを使ってください。',
        en: 'This text is too large for this browser. Split it, or use the command.',
      };
    }
    if (/EInOutError|EFOpenError|EFCreateError/.test(messages)) {
      return {
        ja: 'ファイルを読めませんでした。選び直してください。',
        en: 'The file could not be read. Choose it again.',
      };
    }
    return {
      ja: '変換できませんでした。設定を確かめてください。',
      en: 'The conversion failed. Check the options.',
    };
  }

  return {
    DEFAULTS, PAPERS, commandArguments, fieldProblems, roomProblem, millimetres, pdfName,
    zipName, EncodingDetector, readingOf, substitutions, failureAdvice,
  };
});
