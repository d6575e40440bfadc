#include "base/console.h"

namespace quilnote {

void TConsole::WriteLine(const TConsoleText& line) {
  std::string bytes = Shown(line);
  bytes += "\r\n";
  stream_.Write(bytes);
}

void TConsole::WriteBlockNoThrow(const TConsoleText& block) noexcept {
  try {
    stream_.WriteNoThrow(Shown(block));
  } catch (...) {
    // Not even memory for the bytes: there is nothing left to tell.
  }
}

}  // namespace quilnote
