// The PDF file of a run: opened once by its name, then reached only through
// that open file. A file moved or linked onto the name after the opening is
// never touched, and nothing is cut until the text has been read.
#ifndef QUILNOTE_BASE_OUTPUT_FILE_H_
#define QUILNOTE_BASE_OUTPUT_FILE_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "base/console_text.h"
#include "base/platform.h"

namespace quilnote {

// The calls by which TOutputFile::Open reaches into the file it opened. The
// program uses these; a test overrides one of them to change what the name
// reaches between two steps, or to make a read fail.
class TOutputFileAccess {
 public:
  virtual ~TOutputFileAccess() = default;
  // Called once the name has been opened for writing, before anything is
  // looked at.
  virtual void Opened() {}
  // Reads the start of `file` as TFile::ReadAt does.
  virtual size_t ReadAt(TFile& file, uint64_t offset, char* buffer, size_t n) {
    return file.ReadAt(offset, buffer, n);
  }
};

class TOutputFile {
 public:
  // How much of an existing file's start is read to tell what it holds.
  static constexpr size_t kStartWindow = 1024;

  TOutputFile() = default;
  TOutputFile(TOutputFile&&) noexcept = default;
  TOutputFile& operator=(TOutputFile&&) noexcept = default;

  // Opens `name` for writing, once and without cutting it, and holds it
  // alone (another run that holds it makes this raise). Whatever that open
  // reached is what is looked at, locked, cut and written: a FIFO, a
  // terminal or a device is written as it is; a regular file is opened
  // again through the open file, read only, to look at its start. A file
  // that may be read but not written is looked at by a read-only open,
  // which can never write. Raises EFCreateError "Cannot create file
  // "<full path>". <reason>", also when the start cannot be read.
  static TOutputFile Open(const std::string& name, TOutputFileAccess& access);
  static TOutputFile Open(const std::string& name);

  // True when the file is a regular one that holds something other than a
  // PDF: not empty, and "%PDF-" not wholly within its start, or not empty
  // and its start could not be looked at (it cannot be shown to be a PDF).
  bool HoldsSomethingElse() const;

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
  std::optional<std::string> start_;  // nothing when it was not looked at
  bool unseen_content_ = false;       // not looked at, and not empty
  std::optional<TConsoleText> pending_error_;
};

}  // namespace quilnote

#endif  // QUILNOTE_BASE_OUTPUT_FILE_H_
