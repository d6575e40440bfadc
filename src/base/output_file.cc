#include "base/output_file.h"

#include <utility>

#include "base/errors.h"

namespace quilnote {

namespace {

constexpr std::string_view kCannotCreate = "Cannot create file";
constexpr std::string_view kInUse = "The file is in use by another process";

TConsoleText CreateErrorText(const std::string& name, std::string_view reason) {
  return FileErrorText(kCannotCreate, FullPath(name), reason);
}

TConsoleText CreateErrorText(const std::string& name, TOsError error) {
  return CreateErrorText(name, SystemErrorText(error));
}

// The start of `file`, read at its offset 0. A read that fails is no empty
// file, which would be cut: it fails the run, with the read's own error.
std::string ReadStart(const std::string& name, TFile& file, TOutputFileAccess& access) {
  std::string start(TOutputFile::kStartWindow, '\0');
  try {
    start.resize(access.ReadAt(file, 0, start.data(), start.size()));
  } catch (const EReadError& error) {
    throw EFCreateError(CreateErrorText(name, error.Code()));
  }
  return start;
}

}  // namespace

TOutputFile TOutputFile::Open(const std::string& name) {
  TOutputFileAccess access;
  return Open(name, access);
}

TOutputFile TOutputFile::Open(const std::string& name, TOutputFileAccess& access) {
  TOutputFile opened;
  TOsError error = 0;
  opened.file_ = TFile::Open(name, TFile::TOpenMode::kWriteCreate, &error);
  if (!opened.file_.IsOpen()) {
    if (!IsPermissionError(error)) throw EFCreateError(CreateErrorText(name, error));
    // Not writable. A look through a read-only open, which can never
    // write, tells a file that is not a PDF (refused before this error is
    // raised) from one that is.
    TOsError ignored = 0;
    TFile look = TFile::Open(name, TFile::TOpenMode::kReadOnly, &ignored);
    if (!look.IsOpen() || !look.IsRegular()) throw EFCreateError(CreateErrorText(name, error));
    opened.start_ = ReadStart(name, look, access);
    opened.pending_error_ = CreateErrorText(name, error);
    return opened;
  }
  access.Opened();
  // Pipes, devices, terminals and sockets are written as they are: never
  // read, cut or compared.
  opened.regular_ = opened.file_.IsRegular();
  if (!opened.regular_) return opened;
  if (opened.file_.TryLockAlone() == TFile::TLockResult::kHeldElsewhere) {
    throw EFCreateError(CreateErrorText(name, kInUse));
  }
  // Looked at only through a second open of this very file, never by name.
  TOsError ignored = 0;
  TFile look = opened.file_.OpenAgainForReading(&ignored);
  const std::optional<TFile::TIdentity> identity = opened.file_.Identity();
  if (look.IsOpen() && identity && look.Identity() == identity) {
    opened.start_ = ReadStart(name, look, access);
  } else {
    // A file that may be written but not read: what it holds cannot be
    // shown to be a PDF.
    opened.unseen_content_ = opened.file_.RegularFileSize() != uint64_t{0};
  }
  return opened;
}

bool TOutputFile::HoldsSomethingElse() const {
  if (!start_) return unseen_content_;
  return !start_->empty() && start_->find("%PDF-") == std::string::npos;
}

bool TOutputFile::IsSameFileAs(const TFile& other) const {
  if (!regular_) return false;
  const std::optional<TFile::TIdentity> mine = file_.Identity();
  return mine && mine == other.Identity();
}

void TOutputFile::CheckWritable() const {
  if (pending_error_) throw EFCreateError(*pending_error_);
}

TFile TOutputFile::TakeForWriting() {
  CheckWritable();
  if (regular_) file_.TruncateToStart();
  return std::move(file_);
}

}  // namespace quilnote
