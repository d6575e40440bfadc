#include "cli/front_end.h"

#include <cstdio>
#include <new>
#include <string_view>
#include <unistd.h>
#include <vector>

#include "base/console.h"
#include "base/messages.h"
#include "cli/command_line.h"
#include "cli/platform.h"
#include "pdf/convert.h"

namespace quilnote {

namespace {

// Arguments beyond this many are not examined: the usage text answers them.
constexpr size_t kMaxArguments = 8;
constexpr size_t kReportCut = 1024;

void WriteUsage(TErrorConsole& console) {
  for (std::string_view line :
       {msg::kUsageTitle, msg::kUsageSynopsis, std::string_view(), msg::kUsagePaper,
        msg::kUsageFont1, msg::kUsageFont2, msg::kUsageHorizontalMargin,
        msg::kUsageVerticalMargin, msg::kUsageCompression, msg::kUsagePageNumber}) {
    console.WriteLine(line);
  }
}

// The checks after the scan, ending in at most one conversion.
void CheckAndConvert(const TCommandOptions& options, TErrorConsole& console) {
  if (options.PdfFileName.empty()) {
    console.WriteLine(msg::kNoPdfFile);
  } else if (options.TextFileName.empty()) {
    console.WriteLine(msg::kNoTextFile);
  } else if (!TextFileExists(options.TextFileName)) {
    console.WriteLine(msg::kTextFileNotFound);
  } else if (SameExistingFile(options.TextFileName, options.PdfFileName)) {
    // Creating the PDF file would truncate the text before it is read.
    console.WriteLine(msg::kSameFile);
  } else {
    ConvertTextFile(options.TextFileName, options.PdfFileName, options.CompressionLetter,
                    options.FontLetter, options.PageNumberLetter, options.PaperCode,
                    options.HorizontalMargin, options.VerticalMargin, options.FontSize);
  }
}

void Run(int argc, const char* const* argv) {
  TErrorConsole console;
  TCommandOptions options;
  std::vector<std::string_view> arguments = NonEmptyArguments(argc, argv);
  const size_t count = arguments.size();
  if (count >= 1 && count <= kMaxArguments) {
    for (std::string_view argument : arguments) ScanArgument(argument, options, console);
    if (options.HelpFlag == 'n') CheckAndConvert(options, console);
  }
  if (count == 0 || count > kMaxArguments || options.HelpFlag == 'y') WriteUsage(console);
}

void WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n <= 0) return;  // nowhere left to report to
    bytes.remove_prefix(static_cast<size_t>(n));
  }
}

}  // namespace

std::string FailureReport(const Exception& error, const std::string& module_name) {
  std::string message = error.what();
  if (!message.empty() && message.back() != '.') message += '.';
  char address[32];
  std::snprintf(address, sizeof address, "%016llX",
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(&error)));
  std::string report = "Exception " + std::string(error.TypeName()) + " in module " +
                       module_name + " at " + address + ".\r\n" + message + "\r\n";
  if (report.size() > kReportCut) report.resize(kReportCut);
  report += "\r\n";
  return report;
}

int RunFrontEnd(int argc, const char* const* argv) {
  PrepareProcess();
  try {
    try {
      Run(argc, argv);
      return 0;
    } catch (const std::bad_alloc&) {
      throw EOutOfMemory(kOutOfMemoryMessage);
    } catch (const Exception&) {
      throw;
    } catch (const std::exception& other) {
      // Only the library itself raises these (a resource limit, say): report
      // them like the program's own errors rather than abort.
      throw Exception(other.what());
    }
  } catch (const Exception& error) {
    // Statistics lines are written unbuffered, so nothing is pending on
    // standard output; the report goes straight to standard error.
    WriteAll(2, FailureReport(error, ModuleName(argc > 0 ? argv[0] : nullptr)));
    return 1;
  }
}

}  // namespace quilnote
