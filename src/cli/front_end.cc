#include "cli/front_end.h"

#include <cstdint>
#include <cstdio>
#include <new>
#include <string_view>
#include <vector>

#include "base/console.h"
#include "base/messages.h"
#include "base/output_file.h"
#include "base/platform.h"
#include "cli/command_line.h"
#include "pdf/convert.h"

namespace quilnote {

namespace {

// Arguments beyond this many are not examined: the usage text answers them.
constexpr size_t kMaxArguments = 8;
constexpr size_t kReportCut = 1024;

void WriteUsage(TLineSink& console) {
  for (std::string_view line :
       {msg::kUsageTitle, msg::kUsageSynopsis, std::string_view(), msg::kUsagePaper,
        msg::kUsageFont1, msg::kUsageFont2, msg::kUsageHorizontalMargin, msg::kUsageVerticalMargin,
        msg::kUsageCompression, msg::kUsagePageNumber}) {
    console.WriteLine(line);
  }
}

// The settings of the conversion the options ask for.
TPDFSettings SettingsOf(const TCommandOptions& options) {
  return MakeSettings(options.CompressionLetter, options.FontLetter, options.PageNumberLetter,
                      options.PaperCode, options.HorizontalMargin, options.VerticalMargin,
                      options.FontSize);
}

// The checks after the scan, ending in at most one conversion.
void CheckAndConvert(const TCommandOptions& options, TLineSink& messages, TLineSink& statistics,
                     TProgressSink* progress) {
  if (options.PdfFileName.empty()) {
    messages.WriteLine(msg::kNoPdfFile);
  } else if (options.TextFileName.empty()) {
    messages.WriteLine(msg::kNoTextFile);
  } else if (!TextFileExists(options.TextFileName)) {
    messages.WriteLine(msg::kTextFileNotFound);
  } else if (SameExistingFile(options.TextFileName, options.PdfFileName)) {
    // Creating the PDF file would truncate the text before it is read.
    messages.WriteLine(msg::kSameFile);
  } else {
    TOutputFile pdf_file = TOutputFile::Open(options.PdfFileName);
    if (pdf_file.HoldsSomethingElse()) {
      // The last file name is the PDF: with "*.txt", swapped names or an
      // "-o" habit it names a text the user means to keep.
      messages.WriteLine(msg::kPdfFileIsNotPdf);
    } else if (ConvertTextFile(options.TextFileName, options.PdfFileName, SettingsOf(options),
                               statistics, &pdf_file, progress) == TConversion::kSameFile) {
      messages.WriteLine(msg::kSameFile);
    }
  }
}

void Run(const std::vector<std::string>& program_arguments, TLineSink& messages,
         TLineSink& statistics, TProgressSink* progress) {
  TCommandOptions options;
  const std::vector<std::string_view> arguments = NonEmptyArguments(program_arguments);
  const size_t count = arguments.size();
  if (count >= 1 && count <= kMaxArguments) {
    for (std::string_view argument : arguments) ScanArgument(argument, options, messages);
    if (options.HelpFlag == 'n') CheckAndConvert(options, messages, statistics, progress);
  }
  if (count == 0 || count > kMaxArguments || options.HelpFlag == 'y') WriteUsage(messages);
}

}  // namespace

TConsoleText FailureReport(const Exception& error, const std::string& module_name) {
  // The address is where the error object lives: the place the failure is
  // known by, shown as the 16 hexadecimal digits of a 64-bit address.
  char address[32];
  std::snprintf(address, sizeof address, "%016llX",
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(&error)));
  TConsoleText report;
  report.Program("Exception ").Program(error.TypeName()).Program(" in module ");
  report.User(module_name).Program(" at ").Program(address).Program(".\r\n");
  report.Append(error.Text());
  const std::string_view message = error.what();
  if (!message.empty() && message.back() != '.') report.Program(".");
  report.Program("\r\n");
  report.Truncate(kReportCut);
  report.Program("\r\n");
  return report;
}

int RunFrontEnd(int argc, const char* const* argv, TProgressSink* progress) {
  PrepareProcess();
  TConsole error_console(TStdStreamId::kError);
  try {
    try {
      const TConsoleDevice console_device;  // held until the run ends
      TConsole output_console(TStdStreamId::kOutput);
      Run(ProgramArguments(argc, argv), error_console, output_console, progress);
      return 0;
    } catch (const std::bad_alloc&) {
      throw EOutOfMemory();
    } catch (const Exception&) {
      throw;
    } catch (const std::exception& other) {
      // Only the library itself raises these (a resource limit, say): report
      // them like the program's own errors rather than abort.
      throw Exception(other.what());
    }
  } catch (const Exception& error) {
    // Standard output is written a line at a time, so nothing is pending
    // there; the report goes to standard error as one block.
    try {
      error_console.WriteBlockNoThrow(
          FailureReport(error, ModuleName(argc > 0 ? argv[0] : nullptr)));
    } catch (...) {
      // Not even the report could be composed; the status still tells.
    }
    return 1;
  } catch (...) {
    return 1;  // the error itself could not be made (out of memory)
  }
}

}  // namespace quilnote
