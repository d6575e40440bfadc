// The whole conversion in memory with arbitrary settings and text: either a
// structurally sound document or one of the documented errors.
#include <string>

#include "base/errors.h"
#include "fuzz_support.h"
#include "pdf/convert.h"

using namespace quilnote;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input input(data, size);
  static const char* kPapers[] = {"A4P", "A4L", "A3P", "A3L", "B5P", "B5L", "B4P", "B4L", "A5P"};
  const char compression = "dnmfx"[input.Byte() % 5];
  const char font = "hgimx"[input.Byte() % 5];
  const char page_numbers = input.Byte() % 2 ? 'y' : 'n';
  const std::string paper = kPapers[input.Byte() % 9];
  // Pages and lines must stay countable for a small input: keep the
  // sizes free but the text short.
  TPDFSettings settings = MakeSettings(compression, font, page_numbers, paper, input.Int32(),
                                       input.Int32(), input.Int32());
  std::string_view text = input.Rest();
  if (text.size() > 4096) text = text.substr(0, 4096);

  TLineList lines;
  lines.AssignText(text);
  TMemoryStream out;
  fuzz::NullSink statistics;
  try {
    WriteDocument(out, settings, lines, statistics);
  } catch (const EDivByZero&) {
    return 0;
  } catch (const EIntOverflow&) {
    return 0;
  }
  if (!test::CheckXref(out.view()).empty()) fuzz::Fail(test::CheckXref(out.view()).c_str());
  return 0;
}
