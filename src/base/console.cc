#include "base/console.h"

#include "base/messages.h"

namespace quilnote {

bool ConvertsEveryProgramText(const TTerminalEncoding& encoding) {
  std::string converted;
  for (std::string_view text : msg::kConsoleTexts) {
    if (!encoding.Convert(text, &converted)) return false;
  }
  return true;
}

std::string ShownBytes(const TConsoleText& text, const TTerminalEncoding* encoding) {
  if (encoding == nullptr) return text.Bytes();
  std::string shown, converted;
  for (const TTextPart& part : text.parts()) {
    if (!part.from_user && encoding->Convert(part.bytes, &converted)) {
      shown += converted;
    } else {
      shown += part.bytes;
    }
  }
  return shown;
}

TConsole::TConsole(TStdStreamId id) noexcept : stream_(id) {
  // Decided once for the whole run: a terminal that cannot show every
  // text (the C locale's ASCII, say) gets them all as they are, never some
  // converted and some not. Not even memory for deciding means the same:
  // the console must exist to report whatever comes next.
  try {
    encoding_ = TerminalEncoding(id);
    if (encoding_ && !ConvertsEveryProgramText(*encoding_)) encoding_.reset();
  } catch (...) {
    encoding_.reset();
  }
}

void TConsole::WriteLine(const TConsoleText& line) {
  if (stream_.WriteCharacters(line, "\r\n")) return;
  std::string bytes = ShownBytes(line, encoding_.get());
  bytes += "\r\n";
  stream_.Write(bytes);
}

void TConsole::WriteBlockNoThrow(const TConsoleText& block) noexcept {
  try {
    if (stream_.WriteCharactersNoThrow(block)) return;
    stream_.WriteNoThrow(ReportForConsole(ShownBytes(block, encoding_.get())));
  } catch (...) {
    // Not even memory for the bytes: there is nothing left to tell.
  }
}

}  // namespace quilnote
