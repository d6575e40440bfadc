// A deterministic generator of realistic Shift-JIS text for measurements.
#ifndef QUILNOTE_BENCH_TEXT_GENERATOR_H_
#define QUILNOTE_BENCH_TEXT_GENERATOR_H_

#include <cstdint>
#include <string>

namespace quilnote::bench {

// Writes `bytes` bytes of text to `path`: hiragana, katakana and kanji mixed
// with ASCII words, digits and half-width katakana, CR LF line ends, line
// lengths spread from blank lines to paragraphs several page widths long.
// The same size always gives the same bytes.
void GenerateText(const std::string& path, uint64_t bytes);

}  // namespace quilnote::bench

#endif  // QUILNOTE_BENCH_TEXT_GENERATOR_H_
