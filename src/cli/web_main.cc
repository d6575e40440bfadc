// The program entry of the browser page's module: the command's own front
// end, run by the page's worker with the arguments the command would get,
// telling the page how many pages are written as it goes.
#include <emscripten.h>

#include <cstdint>

#include "cli/front_end.h"
#include "pdf/progress.h"

// Hands the count to the function the worker gave the module, if any.
EM_JS(void, TellPageOfPagesWritten, (double written, double total), {
  if (Module["onPagesWritten"]) Module["onPagesWritten"](written, total);
});

namespace {

class TPageProgress : public quilnote::TProgressSink {
 public:
  void PagesWritten(uint64_t written, uint64_t total) noexcept override {
    TellPageOfPagesWritten(static_cast<double>(written), static_cast<double>(total));
  }
};

}  // namespace

int main(int argc, char** argv) {
  TPageProgress progress;
  return quilnote::RunFrontEnd(argc, argv, &progress);
}
