// Structural checks of the program's results, shared by the tests and the
// fuzz targets. Each returns an empty string, or what is wrong.
#ifndef QUILNOTE_TESTS_CHECKS_H_
#define QUILNOTE_TESTS_CHECKS_H_

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "base/shift_jis.h"
#include "text/wrap.h"

namespace quilnote::test {

// A finished PDF: the header, "%%EOF" last, the cross-reference section
// found through startxref, 20-byte entries, every in-use entry pointing at
// "<n> 0 obj", and the trailer's /Size matching the entries.
inline std::string CheckXref(std::string_view pdf) {
  if (pdf.substr(0, 9) != "%PDF-1.3\n") return "no header";
  if (pdf.size() < 5 || pdf.substr(pdf.size() - 5) != "%%EOF") return "no %%EOF at the end";
  size_t sx = pdf.rfind("startxref\n");
  if (sx == std::string_view::npos) return "no startxref";
  size_t xref =
      static_cast<size_t>(std::strtoull(std::string(pdf.substr(sx + 10, 24)).c_str(), nullptr, 10));
  if (xref >= pdf.size() || pdf.substr(xref, 5) != "xref\n")
    return "startxref does not point at xref";
  size_t p = xref + 5;
  size_t eol = pdf.find('\n', p);
  if (eol == std::string_view::npos) return "no subsection line";
  std::string subsection(pdf.substr(p, eol - p));
  if (subsection.rfind("0 ", 0) != 0) return "subsection does not start at 0: " + subsection;
  size_t count = static_cast<size_t>(std::strtoull(subsection.c_str() + 2, nullptr, 10));
  p = eol + 1;
  if (pdf.substr(p, 20) != "0000000000 65535 f \n") return "bad free entry";
  for (size_t n = 1; n < count; ++n) {
    std::string_view entry = pdf.substr(std::min(pdf.size(), p + 20 * n), 20);
    if (entry.size() != 20 || entry.substr(10) != " 00000 n \n") {
      return "bad entry for object " + std::to_string(n);
    }
    size_t offset =
        static_cast<size_t>(std::strtoull(std::string(entry.substr(0, 10)).c_str(), nullptr, 10));
    std::string head = std::to_string(n) + " 0 obj\n";
    if (offset >= pdf.size() || pdf.substr(offset, head.size()) != head) {
      return "entry of object " + std::to_string(n) + " points at offset " +
             std::to_string(offset) + ", not at its object";
    }
  }
  std::string_view trailer = pdf.substr(std::min(pdf.size(), p + 20 * count));
  std::string size_line = "trailer\n<<\n/Size " + std::to_string(count) + "\n";
  if (trailer.substr(0, size_line.size()) != size_line) return "trailer /Size mismatch";
  return "";
}

// The wrapped lines `pieces` of `lines` at available width `available` and
// font size `font_size`: whole lines pass unchanged, and the pieces of a
// cut line rebuild it, never split a two-byte character and close only
// past their threshold.
inline std::string CheckWrapPieces(const std::vector<std::string_view>& lines,
                                   const std::vector<std::string_view>& pieces, int32_t available,
                                   int32_t font_size) {
  size_t next = 0;
  for (std::string_view line : lines) {
    if (LineWidth(line.size(), font_size) <= available) {
      if (next >= pieces.size() || pieces[next++] != line) return "a whole line changed";
      continue;
    }
    size_t done = 0;
    while (done < line.size()) {
      if (next >= pieces.size() || pieces[next].empty()) return "a piece is missing";
      std::string_view piece = pieces[next++];
      if (line.substr(done, piece.size()) != piece) return "a piece is not the line's";
      size_t i = done;
      bool last_double = false;
      while (i < done + piece.size()) {
        last_double = IsLeadByte(static_cast<unsigned char>(line[i])) && i + 1 < line.size();
        i += last_double ? 2 : 1;
      }
      if (i != done + piece.size()) return "a two-byte character was split";
      done += piece.size();
      const int32_t threshold =
          last_double ? Sub32(available, font_size) : Sub32(available, font_size / 2);
      if (done < line.size() && !(LineWidth(piece.size(), font_size) > threshold)) {
        return "a piece closed below its threshold";
      }
    }
  }
  return next == pieces.size() ? "" : "extra pieces";
}

}  // namespace quilnote::test

#endif  // QUILNOTE_TESTS_CHECKS_H_
