// The program entry's work: options, checks, conversion, usage text and the
// failure report.
#ifndef QUILNOTE_CLI_FRONT_END_H_
#define QUILNOTE_CLI_FRONT_END_H_

#include <string>

#include "base/console_text.h"
#include "base/errors.h"
#include "pdf/progress.h"

namespace quilnote {

// Runs the program with the process's arguments and returns the exit status:
// 0 for every run that ends normally (a conversion, messages only, or the
// usage text), 1 after the failure report. A conversion tells the pages it
// writes to `progress`, when given.
int RunFrontEnd(int argc, const char* const* argv, TProgressSink* progress = nullptr);

// The failure report for `error`: "Exception <type> in module <module> at
// <address>." CR LF, the message with a final "." added when missing, CR
// LF, both lines together cut to 1,024 bytes, then one more CR LF. The
// module name and any file path in the message are kept as the user's bytes.
TConsoleText FailureReport(const Exception& error, const std::string& module_name);

}  // namespace quilnote

#endif  // QUILNOTE_CLI_FRONT_END_H_
