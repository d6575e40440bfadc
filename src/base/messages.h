// The program's Japanese texts as their Shift-JIS bytes, written as escaped
// byte literals so that no compiler character-set setting can change them.
#ifndef QUILNOTE_BASE_MESSAGES_H_
#define QUILNOTE_BASE_MESSAGES_H_

#include <string_view>

namespace quilnote::msg {

// Statistics line suffixes: " 桁", " 行", " 行/ページ", " ページ"
inline constexpr std::string_view kColumns = " \x8C\x85";
inline constexpr std::string_view kLines = " \x8Ds";
inline constexpr std::string_view kLinesPerPage = " \x8Ds/\x83y\x81[\x83W";
inline constexpr std::string_view kPages = " \x83y\x81[\x83W";

// フォントサイズが数字ではありません
inline constexpr std::string_view kFontSizeNotNumber =
    "\x83t\x83H\x83\x93\x83g\x83T\x83"
    "C\x83Y\x82\xAA\x90\x94\x8E\x9A\x82\xC5\x82\xCD\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1";
// 横マージンが数字ではありません
inline constexpr std::string_view kHorizontalMarginNotNumber =
    "\x89\xA1\x83}\x81["
    "\x83W\x83\x93\x82\xAA\x90\x94\x8E\x9A\x82\xC5\x82\xCD\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1";
// 縦マージンが数字ではありません
inline constexpr std::string_view kVerticalMarginNotNumber =
    "\x8F"
    "c\x83}\x81["
    "\x83W\x83\x93\x82\xAA\x90\x94\x8E\x9A\x82\xC5\x82\xCD\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1";
// Pdfファイルを指定してください
inline constexpr std::string_view kNoPdfFile =
    "Pdf\x83t\x83@\x83"
    "C\x83\x8B\x82\xF0\x8Ew\x92\xE8\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2";
// Textファイルを指定してください
inline constexpr std::string_view kNoTextFile =
    "Text\x83t\x83@\x83"
    "C\x83\x8B\x82\xF0\x8Ew\x92\xE8\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2";
// Textファイルが見つかりません
inline constexpr std::string_view kTextFileNotFound =
    "Text\x83t\x83@\x83"
    "C\x83\x8B\x82\xAA\x8C\xA9\x82\xC2\x82\xA9\x82\xE8\x82\xDC\x82\xB9\x82\xF1";
// TextファイルとPdfファイルが同じです
inline constexpr std::string_view kSameFile =
    "Text\x83t\x83@\x83"
    "C\x83\x8B\x82\xC6Pdf\x83t\x83@\x83"
    "C\x83\x8B\x82\xAA\x93\xAF\x82\xB6\x82\xC5\x82\xB7";
// 入力ファイルがありません
inline constexpr std::string_view kNoInputFileName =
    "\x93\xFC\x97\xCD\x83t\x83@\x83"
    "C\x83\x8B\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1";
// 出力ファイルがありません
inline constexpr std::string_view kNoOutputFileName =
    "\x8Fo\x97\xCD\x83t\x83@\x83"
    "C\x83\x8B\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1";
// 初期サイズは0にはできません。
inline constexpr std::string_view kZeroInitialSize =
    "\x8F\x89\x8A\xFA\x83T\x83"
    "C\x83Y\x82\xCD"
    "0\x82\xC9\x82\xCD\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x81"
    "B";
// Pdfファイルが既にあり、PDFではありません ("、" is 0x81 0x41: the "A" after
// it must stand in a literal of its own, or it would join the escape.)
inline constexpr std::string_view kPdfFileIsNotPdf =
    "Pdf\x83t\x83@\x83"
    "C\x83\x8B\x82\xAA\x8A\xF9\x82\xC9\x82\xA0\x82\xE8\x81"
    "APDF\x82\xC5\x82\xCD\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1";
// 出力ファイルが大きすぎます
inline constexpr std::string_view kOutputTooLarge =
    "\x8Fo\x97\xCD\x83t\x83@\x83"
    "C\x83\x8B\x82\xAA\x91\xE5\x82\xAB\x82\xB7\x82\xAC\x82\xDC\x82\xB7";

// The substitution notice, around its two numbers:
// "Shift-JISにない文字を〓にしました: N 個 (最初は L 行目)"
inline constexpr std::string_view kSubstitutedBefore =
    "Shift-"
    "JIS\x82\xC9\x82\xC8\x82\xA2\x95\xB6\x8E\x9A\x82\xF0\x81\xAC\x82\xC9\x82\xB5\x82\xDC\x82\xB5"
    "\x82\xBD: ";
inline constexpr std::string_view kSubstitutedBetween = " \x8C\xC2 (\x8D\xC5\x8F\x89\x82\xCD ";
inline constexpr std::string_view kSubstitutedAfter = " \x8Ds\x96\xDA)";
// UTF-8かUTF-16のテキストのようです。-ea か -eu を付けると変換します
inline constexpr std::string_view kLooksLikeUnicode =
    "UTF-8\x82\xA9UTF-16\x82\xCC\x83"
    "e\x83L\x83X\x83g\x82\xCC\x82\xE6\x82\xA4\x82\xC5\x82\xB7\x81"
    "B-ea \x82\xA9 -eu "
    "\x82\xF0\x95t\x82\xAF\x82\xE9\x82\xC6\x95\xCF\x8A\xB7\x82\xB5\x82\xDC\x82\xB7";
// 何かキーを押すと閉じます。 / Press any key to close.  (Before a console
// that would vanish with the program closes.)
inline constexpr std::string_view kPressAnyKey =
    "\x89\xBD\x82\xA9\x83L\x81[\x82\xF0\x89\x9F\x82\xB7\x82\xC6\x95\xC2\x82\xB6\x82\xDC\x82\xB7\x81"
    "B / Press any key to close.";

// Usage text.
inline constexpr std::string_view kUsageTitle = "quilnote ver1.2";
inline constexpr std::string_view kUsageSynopsis =
    "usage: quilnote [-s -f -mp -ml -c -p]  textfile pdffile";
//  用紙
//  -sA4P(A4縦),-sA4L(A4横),-sA3P(A3縦),-sA3L(A3横),-sB4P(B4縦),-sB4L(B4横),-sB5P(B5縦),-sB5L(B5横)
inline constexpr std::string_view kUsagePaper =
    " \x97p\x8E\x86       -sA4P(A4\x8F"
    "c),-sA4L(A4\x89\xA1),-sA3P(A3\x8F"
    "c),-sA3L(A3\x89\xA1),-sB4P(B4\x8F"
    "c),-sB4L(B4\x89\xA1),-sB5P(B5\x8F"
    "c),-sB5L(B5\x89\xA1)";
inline constexpr std::string_view kUsageFont1 =
    " FONT       -fm?\?(MS-Mincho(size?\?)),-fg?\?(MS-Gothic(size?\?))";
inline constexpr std::string_view kUsageFont2 =
    "            -fi?\?(HeiseiMin-W3(size?\?)),-fh?\?(HeiseiKakugo-W5(size?\?))";
//  横マージン -ml??(size??)
inline constexpr std::string_view kUsageHorizontalMargin =
    " \x89\xA1\x83}\x81[\x83W\x83\x93 -ml?\?(size?\?)";
//  縦マージン -mp??(size??)
inline constexpr std::string_view kUsageVerticalMargin =
    " \x8F"
    "c\x83}\x81[\x83W\x83\x93 -mp?\?(size?\?)";
//  圧縮       -cd(デフォルト),-cm(圧縮率優先),-cf(速度優先),-cn(圧縮なし)
inline constexpr std::string_view kUsageCompression =
    " \x88\xB3\x8Fk       -cd(\x83"
    "f\x83t\x83H\x83\x8B\x83g),-cm(\x88\xB3\x8Fk\x97\xA6\x97"
    "D\x90\xE6),-cf(\x91\xAC\x93x\x97"
    "D\x90\xE6),-cn(\x88\xB3\x8Fk\x82\xC8\x82\xB5)";
//  PageNo付加 -p
inline constexpr std::string_view kUsagePageNumber = " PageNo\x95t\x89\xC1 -p";
//  文字コード -es(Shift-JIS) -eu(UTF-8/UTF-16) -ee(EUC-JP) -ea(自動判別)
inline constexpr std::string_view kUsageEncoding =
    " \x95\xB6\x8E\x9A\x83R\x81[\x83h -es(Shift-JIS) -eu(UTF-8/UTF-16) -ee(EUC-JP) "
    "-ea(\x8E\xA9\x93\xAE\x94\xBB\x95\xCA)";

// Every text of the program's own that reaches the console. A terminal
// that cannot show all of them is given the program's bytes unchanged.
inline constexpr std::string_view kConsoleTexts[] = {
    kColumns,
    kLines,
    kLinesPerPage,
    kPages,
    kFontSizeNotNumber,
    kHorizontalMarginNotNumber,
    kVerticalMarginNotNumber,
    kNoPdfFile,
    kNoTextFile,
    kTextFileNotFound,
    kSameFile,
    kPdfFileIsNotPdf,
    kNoInputFileName,
    kNoOutputFileName,
    kZeroInitialSize,
    kOutputTooLarge,
    kSubstitutedBefore,
    kSubstitutedBetween,
    kSubstitutedAfter,
    kLooksLikeUnicode,
    kPressAnyKey,
    kUsageTitle,
    kUsageSynopsis,
    kUsagePaper,
    kUsageFont1,
    kUsageFont2,
    kUsageHorizontalMargin,
    kUsageVerticalMargin,
    kUsageCompression,
    kUsagePageNumber,
    kUsageEncoding,
};

}  // namespace quilnote::msg

#endif  // QUILNOTE_BASE_MESSAGES_H_
