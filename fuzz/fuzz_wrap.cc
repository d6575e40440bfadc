// Wrapping with arbitrary widths and font sizes: the pieces of every line
// rebuild it, never split a two-byte character, and close only past their
// threshold; readers started at remembered positions read the same lines.
#include <string>
#include <vector>

#include "base/errors.h"
#include "fuzz_support.h"
#include "text/wrap.h"

using namespace quilnote;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input input(data, size);
  TWrapSettings settings{input.Int32(), input.Int32(), input.Int32()};
  const uint64_t stride = 1 + input.Byte() % 7;
  const uint8_t start = input.Byte();
  std::string_view text = input.Rest();

  TLineList list;
  list.AssignText(text);
  fuzz::NullSink quiet;
  std::vector<std::string_view> lines, pieces;
  try {
    const TWrappedLines wrapped = WrapLines(list, settings, stride, quiet);
    TLineReader raw = list.Reader();
    for (std::string_view line; raw.Next(&line);) lines.push_back(line);
    TWrappedReader reader = wrapped.ReaderAt(0);
    for (std::string_view piece; reader.Next(&piece);) pieces.push_back(piece);
    if (pieces.size() != wrapped.Count()) fuzz::Fail("count");
    std::string problem =
        test::CheckWrapPieces(lines, pieces, settings.Available(), settings.FontSize);
    if (!problem.empty()) fuzz::Fail(problem.c_str());
    // Starting anywhere through the remembered positions reads the same lines.
    if (!pieces.empty()) {
      const uint64_t at = start % pieces.size();
      TWrappedReader from = wrapped.ReaderAt(at);
      for (uint64_t i = at; i < pieces.size(); ++i) {
        std::string_view piece;
        if (!from.Next(&piece) || piece != pieces[i]) fuzz::Fail("reader at a line");
      }
    }
  } catch (const EDivByZero&) {
    if (settings.FontSize != 0) fuzz::Fail("division by zero with a font size");
  } catch (const EIntOverflow&) {
  }
  return 0;
}
