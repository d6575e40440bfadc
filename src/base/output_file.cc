#include "base/output_file.h"

#include <utility>

#include "base/errors.h"

namespace quilnote {

namespace {

constexpr std::string_view kCannotCreate = "Cannot create file";
constexpr std::string_view kInUse = "The file is in use by another process";

TConsoleText CreateErrorText(const std::string& name, std::string_view reason) {
  return FileErrorText(kCannotCreate, FullPath(name), reason, FullPathName(name));
}

TConsoleText CreateErrorText(const std::string& name, TOsError error) {
  return CreateErrorText(name, SystemErrorText(error));
}

// The start of `file`, read at its offset 0; nothing when reading fails.
std::optional<std::string> ReadStart(TFile& file) {
  std::string start(TOutputFile::kStartWindow, '\0');
  try {
    start.resize(file.ReadAt(0, start.data(), start.size()));
  } catch (const EReadError&) {
    return std::nullopt;
  }
  return start;
}

}  // namespace

TOutputFile TOutputFile::Open(const std::string& name) {
  TOutputFile opened;
  TOsError error = 0;
  bool readable = true;
  if (EntryKindOf(name) != TEntryKind::kOther) {
    opened.file_ = TFile::Open(name, TFile::TOpenMode::kReadWriteCreate, &error);
    // Swapped for a FIFO or a device since the look at the name.
    if (opened.file_.IsOpen() && !opened.file_.IsRegular()) opened.file_ = TFile();
  }
  if (!opened.file_.IsOpen() && error == 0) {
    // Pipes, devices and sockets are written as they are: never read, cut
    // or compared, and their open may wait for a reader.
    opened.file_ = TFile::Open(name, TFile::TOpenMode::kWriteTruncateCreate, &error);
    if (!opened.file_.IsOpen()) throw EFCreateError(CreateErrorText(name, error));
    if (g_after_output_file_opened != nullptr) g_after_output_file_opened();
    return opened;
  }
  if (!opened.file_.IsOpen()) {
    if (!IsPermissionError(error)) throw EFCreateError(CreateErrorText(name, error));
    // Not both read and written: look with one open, write with another,
    // and make sure both reached the same file.
    readable = false;
    TOsError ignored = 0;
    std::optional<TFile::TIdentity> looked_at;
    if (TFile look = TFile::Open(name, TFile::TOpenMode::kReadOnly, &ignored); look.IsOpen()) {
      if (look.IsRegular()) opened.start_ = ReadStart(look);
      looked_at = look.Identity();
    }
    opened.file_ = TFile::Open(name, TFile::TOpenMode::kWriteOnly, &ignored);
    if (opened.file_.IsOpen() && looked_at && opened.file_.Identity() != looked_at) {
      opened.file_ = TFile();
    }
    if (!opened.file_.IsOpen()) {
      // Looked into, not writable: a file that is not a PDF is refused
      // before this error is raised.
      if (!opened.start_) throw EFCreateError(CreateErrorText(name, error));
      opened.pending_error_ = CreateErrorText(name, error);
      return opened;
    }
  }
  if (g_after_output_file_opened != nullptr) g_after_output_file_opened();
  opened.regular_ = opened.file_.IsRegular();
  if (opened.regular_ && opened.file_.TryLockAlone() == TFile::TLockResult::kHeldElsewhere) {
    throw EFCreateError(CreateErrorText(name, kInUse));
  }
  if (opened.regular_ && readable) opened.start_ = ReadStart(opened.file_);
  return opened;
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
