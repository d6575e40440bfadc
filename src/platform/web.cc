// What differs in the browser, where posix.cc runs on emscripten's
// POSIX layer over an in-memory file system: the page collects standard
// output and standard error as bytes (never a terminal), and the module has
// one CPU and no threads.
#include "base/platform.h"

namespace quilnote {

bool TStdStream::IsTerminal() const {
  return false;
}

std::unique_ptr<TTerminalEncoding> TerminalEncoding(TStdStreamId) {
  return nullptr;
}

unsigned UsableCpuCount() {
  return 1;
}

// A thread would abort the module: pages are made on the calling thread.
unsigned WorkerThreadCount() {
  return 0;
}

}  // namespace quilnote
