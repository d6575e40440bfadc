// The page's rules without a browser: node --test tests/web/logic.test.mjs
// With QUILNOTE_COMMAND naming the program (build/quilnote), the encoding
// the page finds is checked against the command's own -ea.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { test } from 'node:test';

const L = createRequire(import.meta.url)('../../web/logic.js');
const options = (changes) => ({ ...L.DEFAULTS, ...changes });

test('the arguments: the defaults, and every option at once in nine', () => {
  assert.deepEqual(L.commandArguments(L.DEFAULTS),
    ['-sA4P', '-fh8', '-ml30', '-mp30', '-cd', '-ea', 'in.txt', 'out.pdf']);
  const all = L.commandArguments(options({ paper: 'B4L', font: 'g', fontSize: ' 12 ',
    hMargin: '0', vMargin: '45', compression: 'n', pageNumbers: true, encoding: 'e' }));
  assert.deepEqual(all, ['-sB4L', '-fg12', '-ml0', '-mp45', '-cn', '-p', '-ee', 'in.txt', 'out.pdf']);
});

test('the number fields take whole numbers in their range only', () => {
  const whole = '整数で入力してください';
  for (const [changes, field, words] of [
    [{ fontSize: '10.5' }, 'fontSize', whole], [{ fontSize: '' }, 'fontSize', whole],
    [{ fontSize: '1e1' }, 'fontSize', whole], [{ fontSize: '0' }, 'fontSize', '1 以上にしてください'],
    [{ hMargin: '-5' }, 'hMargin', whole], [{ vMargin: '３０' }, 'vMargin', whole],
  ]) {
    assert.equal(L.fieldProblems(options(changes))[field]?.ja, words, JSON.stringify(changes));
  }
  assert.deepEqual(L.fieldProblems(options({ fontSize: '1', hMargin: '0', vMargin: '0' })), {});
});

test('room for a character on a line and a line on a page, by the command\'s arithmetic', () => {
  for (const [changes, room] of [
    [{}, null], [{ fontSize: '1000' }, 'line'], [{ vMargin: '500' }, 'page'],
    // A4 portrait is 595 x 842 points; a line needs width div size >= 1.
    [{ hMargin: '0', fontSize: '595' }, null], [{ hMargin: '0', fontSize: '596' }, 'line'],
    [{ paper: 'A3L', vMargin: '0', fontSize: '841' }, null],
    // One line of 8 points and the page number's 8 must stay below 842 - 2 x 413 = 16.
    [{ vMargin: '413', pageNumbers: true }, 'page'], [{ vMargin: '413' }, null],
  ]) {
    const problem = L.roomProblem(options(changes));
    const found = problem === null ? null : problem.ja.includes('1 行に') ? 'line' : 'page';
    assert.equal(found, room, JSON.stringify(changes));
  }
});

test('the names of the files saved', () => {
  for (const [text, pdf] of [['notes.txt', 'notes.pdf'], ['my-notes.TXT', 'my-notes.pdf'],
    ['README', 'README.pdf'], ['.txt', 'quilnote.pdf'], ['a.b.txt', 'a.b.pdf']]) {
    assert.equal(L.pdfName(text), pdf);
  }
  assert.equal(L.zipName(['会議.txt', 'b.txt']), '会議.zip');
});

const bytes = (...parts) => Buffer.concat(parts.map((part) =>
  typeof part === 'string' ? Buffer.from(part, 'latin1') : Buffer.from(part)));

// Texts and the encoding -ea finds for them.
const DETECTED = [
  ['ASCII only', bytes('plain text\r\n'), 'shift_jis'],
  ['empty', bytes(), 'shift_jis'],
  ['UTF-8', Buffer.from('日本語\n', 'utf8'), 'utf-8'],
  ['UTF-8 mark', bytes([0xEF, 0xBB, 0xBF], 'ascii'), 'utf-8'],
  ['UTF-16LE mark', bytes([0xFF, 0xFE], 'a\0'), 'utf-16le'],
  ['UTF-16BE mark', bytes([0xFE, 0xFF], '\0a'), 'utf-16be'],
  ['UTF-16LE mark alone', bytes([0xFF, 0xFE]), 'utf-16le'],
  ['Shift-JIS', bytes([0x93, 0xFA, 0x96, 0x7B]), 'shift_jis'],
  ['overlong', bytes([0xC0, 0xAF]), 'shift_jis'],
  ['surrogate', bytes([0xED, 0xA0, 0x80]), 'shift_jis'],
  ['above U+10FFFF', bytes([0xF4, 0x90, 0x80, 0x80]), 'shift_jis'],
  ['U+10FFFF', bytes([0xF4, 0x8F, 0xBF, 0xBF]), 'utf-8'],
  ['cut at the end', bytes('a', [0xE6, 0x97]), 'shift_jis'],
  ['UTF-8 before a zero byte', bytes([0xC3, 0xA9, 0], [0x93, 0xFA]), 'utf-8'],
  ['ASCII before a zero byte', bytes('a', [0, 0xC3, 0xA9]), 'shift_jis'],
  ['cut by a zero byte', bytes([0xC3, 0, 0xA9]), 'shift_jis'],
  ['UTF-16LE without a mark', bytes('a\0b\0'), 'shift_jis'],
];

test('the encoding -ea finds, fed whole and byte by byte', () => {
  for (const [name, text, expected] of DETECTED) {
    for (const size of [text.length || 1, 1]) {
      const detector = new L.EncodingDetector();
      for (let at = 0; at < text.length; at += size) detector.push(text.subarray(at, at + size));
      assert.equal(detector.finish(), expected, `${name}, pieces of ${size}`);
    }
  }
});

// The command's -ea makes the same PDF as the letter the page's answer
// stands for; every text here reads differently in the two encodings.
test('the page finds what the command\'s -ea finds', { skip: !process.env.QUILNOTE_COMMAND }, () => {
  const folder = mkdtempSync(join(tmpdir(), 'quilnote-ea-'));
  const pdf = (letter) => {
    const run = spawnSync(process.env.QUILNOTE_COMMAND, [`-e${letter}`, '-cn', 'in.txt', 'out.pdf'],
      { cwd: folder });
    assert.equal(run.status, 0, run.stderr.toString('latin1'));
    return readFileSync(join(folder, 'out.pdf'));
  };
  try {
    for (const [name, text] of DETECTED) {
      const zero = text.indexOf(0);
      if (!text.subarray(0, zero < 0 ? text.length : zero).some((byte) => byte >= 0x80)) continue;
      writeFileSync(join(folder, 'in.txt'), text);
      const detector = new L.EncodingDetector();
      detector.push(text);
      const letter = detector.finish() === 'shift_jis' ? 's' : 'u';
      const other = letter === 's' ? 'u' : 's';
      const automatic = pdf('a');
      assert.ok(automatic.equals(pdf(letter)), `${name}: -ea is -e${letter}`);
      assert.ok(!automatic.equals(pdf(other)), `${name}: -ea is not -e${other}`);
    }
  } finally {
    rmSync(folder, { recursive: true, force: true });
  }
});

test('a failed run in words; the 〓 message read', () => {
  const divide = 'Exception EDivByZero in module quilnote at 00000000006698A0.\nDivision by zero.\n';
  assert.match(L.failureAdvice(1, divide).ja, /^文字が大きすぎるか、余白が広すぎて、1 行も入りません/);
  assert.match(L.failureAdvice(1, 'Exception EOutOfMemory in module quilnote').en, /too large for this browser/);
  assert.equal(L.failureAdvice(0, ''), null);
  assert.ok(L.failureAdvice(null, 'worker error').ja);
  assert.deepEqual(L.substitutions('Shift-JISにない文字を〓にしました: 12 個 (最初は 3 行目)\n'),
    { count: 12, line: 3 });
  assert.equal(L.substitutions('132 桁\n'), null);
});
