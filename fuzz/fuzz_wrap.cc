// Wrapping with arbitrary widths and font sizes: the pieces of every line
// rebuild it, never split a two-byte character, and close only past their
// threshold.
#include <string>

#include "base/errors.h"
#include "fuzz_support.h"
#include "text/line_width.h"
#include "text/wrap.h"

using namespace quilnote;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::SilenceStdout();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input input(data, size);
  TWrapSettings settings{input.Int32(), input.Int32(), input.Int32()};
  std::string_view text = input.Rest();

  TLineList original;
  original.AssignText(text);
  TLineList wrapped;
  wrapped.AssignText(text);
  try {
    WrapLines(wrapped, settings, 1 + input.Byte() % 7);
  } catch (const EDivByZero&) {
    if (settings.FontSize != 0) fuzz::Fail("division by zero with a font size");
    return 0;
  } catch (const EIntOverflow&) {
    return 0;
  }
  const int32_t available = WrapSub(settings.PageWidth, WrapMul(2, settings.HorizontalMargin));
  const int32_t fs = settings.FontSize;

  TLineReader lines(original);
  TLineReader pieces(wrapped);
  std::string_view line, piece;
  uint64_t count = 0;
  while (lines.Next(&line)) {
    if (LineWidth(line.size(), fs) <= available) {
      if (!pieces.Next(&piece) || piece != line) fuzz::Fail("whole line changed");
      ++count;
      continue;
    }
    size_t done = 0;
    while (done < line.size()) {
      if (!pieces.Next(&piece) || piece.empty()) fuzz::Fail("missing piece");
      ++count;
      if (line.substr(done, piece.size()) != piece) fuzz::Fail("piece is not the line's");
      // Walk the characters of the piece from its start.
      size_t i = done;
      bool last_double = false;
      while (i < done + piece.size()) {
        last_double = IsLeadByte(static_cast<unsigned char>(line[i])) && i + 1 < line.size();
        i += last_double ? 2 : 1;
      }
      if (i != done + piece.size()) fuzz::Fail("two-byte character split");
      done += piece.size();
      if (done < line.size()) {
        int32_t threshold = last_double ? WrapSub(available, fs) : WrapSub(available, fs / 2);
        if (!(LineWidth(piece.size(), fs) > threshold)) fuzz::Fail("closed below threshold");
      }
    }
  }
  if (pieces.Next(&piece)) fuzz::Fail("extra piece");
  if (count != wrapped.Count()) fuzz::Fail("count");
  // Starting anywhere through the remembered positions reads the same lines.
  if (count > 0) {
    uint64_t at = input.Byte() % count;
    TLineReader from = wrapped.ReaderAt(at);
    std::string_view a;
    from.Next(&a);
    if (a != wrapped.Line(at)) fuzz::Fail("reader at");
  }
  return 0;
}
