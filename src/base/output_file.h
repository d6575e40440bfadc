// The PDF file of a run: opened once by its name, then reached only through
// that open file. A file moved or linked onto the name after the opening is
// never touched, and nothing is cut until the text has been read.
#ifndef QUILNOTE_BASE_OUTPUT_FILE_H_
#define QUILNOTE_BASE_OUTPUT_FILE_H_

#include <cstddef>
#include <optional>
#include <string>

#include "base/console_text.h"
#include "base/platform.h"

namespace quilnote {

class TOutputFile {
 public:
  // How much of an existing file's start is read to tell what it holds.
  static constexpr size_t kStartWindow = 1024;

  TOutputFile() = default;
  TOutputFile(TOutputFile&&) noexcept = default;
  TOutputFile& operator=(TOutputFile&&) noexcept = default;

  // Opens `name` without cutting it and holds it alone (another run that
  // holds it makes this raise). A name that reaches something other than
  // a regular file (a FIFO, a device) is opened for writing as it is. A
  // file that may be read but not written is opened to be looked into; one
  // that may be written but not read is written without looking.
  // Raises EFCreateError "Cannot create file "<full path>". <reason>".
  static TOutputFile Open(const std::string& name);

  // Up to the first kStartWindow bytes the file held when it was opened;
  // nothing when it could not be read (or is no regular file).
  const std::optional<std::string>& Start() const { return start_; }

  // True when `other` is this very file.
  bool IsSameFileAs(const TFile& other) const;

  // Cuts the file to nothing and hands it over for writing. Raises the
  // EFCreateError kept from Open when the file can be looked into but not
  // written, and EWriteError when it cannot be cut.
  TFile TakeForWriting();

  // Raises the EFCreateError kept from Open, if any: called before anything
  // else is done for a file that could not be opened for writing.
  void CheckWritable() const;

 private:
  TFile file_;  // closed only when pending_error_ is set
  bool regular_ = false;
  std::optional<std::string> start_;
  std::optional<TConsoleText> pending_error_;
};

// Called right after the PDF file is opened, before anything is read from
// it; null in the program. Tests use it to change what the name reaches at
// that moment.
inline void (*g_after_output_file_opened)() = nullptr;

}  // namespace quilnote

#endif  // QUILNOTE_BASE_OUTPUT_FILE_H_
