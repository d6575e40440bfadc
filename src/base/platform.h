// What the program needs of the operating system, and nothing else. Twins
// in src/platform implement it, chosen by the build: posix.cc with
// posix_terminal.cc on Linux and other POSIX systems, or with web.cc in the
// browser, and win32.cc with win32_text.cc on Windows. No other file of the
// program talks to the system.
//
// File names are byte strings in the form ProgramArguments gives them: on
// POSIX the bytes given, on Windows WTF-8 (UTF-8 that also carries lone
// surrogates), so that every name the system allows reaches its file,
// whatever the code page. Names shown to the user (FullPath, ModuleName)
// come in the form the console shows: the bytes given on POSIX, the ANSI
// code page on Windows.
#ifndef QUILNOTE_BASE_PLATFORM_H_
#define QUILNOTE_BASE_PLATFORM_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/byte_block.h"

namespace quilnote {

// What a handle holds when it holds nothing: a file descriptor of -1 on
// POSIX, INVALID_HANDLE_VALUE on Windows.
inline constexpr intptr_t kNoHandle = -1;

// An operating-system error code: errno on POSIX, GetLastError() on Windows.
using TOsError = int;

// An open file, closed by its destructor. Move-only. All I/O is binary: no
// byte is ever translated on the way in or out.
class TFile {
 public:
  TFile() = default;
  ~TFile();
  TFile(TFile&& other) noexcept : handle_(other.handle_) { other.handle_ = kNoHandle; }
  TFile& operator=(TFile&& other) noexcept {
    TFile taken(std::move(other));
    std::swap(handle_, taken.handle_);
    return *this;  // what this held is closed with `taken`
  }
  TFile(const TFile&) = delete;
  TFile& operator=(const TFile&) = delete;

  // Opens `name` for reading. Other processes may read the file meanwhile
  // but not write it, where the platform has share modes.
  // Raises EFOpenError "Cannot open file "<full path>". <reason>".
  static TFile OpenForReading(const std::string& name);

  // How Open treats an existing file and a missing one. Nothing is ever
  // truncated by opening it.
  enum class TOpenMode {
    kWriteCreate,  // written (on Windows also read); made when missing
    kReadOnly,     // an existing file, read only
  };

  // Opens `name` for the PDF file: held without sharing where the platform
  // has share modes. A FIFO opened for writing waits for its reader; a
  // terminal never becomes the controlling one. Never raises: a closed
  // TFile and the system's error code in `*error` when the file cannot be
  // opened.
  static TFile Open(const std::string& name, TOpenMode mode, TOsError* error);

  // The very file this one is, opened once more for reading, never by its
  // name: on Linux through /proc/self/fd, on Windows as another handle of
  // this one (which Open made readable). Where the system has no such way
  // (the browser), what it opens may be another file: compare identities.
  // A closed TFile and the system's error in `*error` when the system
  // refuses (a file that may be written but not read, no /proc).
  TFile OpenAgainForReading(TOsError* error) const;

  bool IsOpen() const { return handle_ != kNoHandle; }

  // True for a regular file on a disk: not a pipe, a device, a socket or a
  // console. Only regular files are looked into, compared and truncated.
  bool IsRegular() const;

  // Where two open files are one file, they have the same identity.
  struct TIdentity {
    uint64_t volume = 0;
    uint64_t index = 0;
    bool operator==(const TIdentity&) const = default;
  };
  // The identity of the open file; nothing when the system does not tell.
  std::optional<TIdentity> Identity() const;

  // Asks for the file alone, for as long as it stays open, without waiting.
  // Where the platform holds files by share modes, Open has done that and
  // this reports kHeld.
  enum class TLockResult { kHeld, kHeldElsewhere, kNoLocks };
  TLockResult TryLockAlone();

  // Reads up to `n` bytes at `offset` into `buffer`; returns how many, fewer
  // only at the end of the file. The position for Read and WriteAll may
  // move. Raises EReadError "Stream read error" with the system's code.
  size_t ReadAt(uint64_t offset, char* buffer, size_t n);

  // Cuts the file to nothing and goes back to its start. Raises
  // EWriteError "Stream write error" when the system refuses.
  void TruncateToStart();

  // The size of a regular file; nothing for pipes, devices and sockets.
  // Some regular files (under /proc) claim a size that is not theirs, so
  // the size is a hint for reading, never a limit.
  std::optional<uint64_t> RegularFileSize() const;

  // Reads up to `n` bytes into `buffer`; returns how many, 0 at the end.
  // Raises EReadError "Stream read error" with the system's code.
  size_t Read(char* buffer, size_t n);

  // Writes all `n` bytes, retrying short writes, or raises EWriteError
  // "Stream write error" (disk full, file size limit, ...).
  void WriteAll(const char* data, size_t n);

  // Closes the file; raises EWriteError when the system reports that
  // written data was lost. The destructor closes silently.
  void Close();

 private:
  explicit TFile(intptr_t handle) : handle_(handle) {}
  intptr_t handle_ = kNoHandle;
};

// The process's standard output and standard error, written unbuffered.
enum class TStdStreamId { kOutput, kError };

class TStdStream {
 public:
  explicit TStdStream(TStdStreamId id) noexcept;

  // True when the stream is a terminal (a console), not a file or a pipe.
  bool IsTerminal() const;

  // Writes all of `bytes`. Raises EInOutError with the message for the
  // system's error code (InOutErrorMessage) when the stream does not take
  // them.
  void Write(std::string_view bytes);

  // Writes as much of `bytes` as the stream takes and never raises: for
  // the failure report, when nothing is left to report a failure to.
  void WriteNoThrow(std::string_view bytes) noexcept;

 private:
  intptr_t handle_;
};

// The console device that the front end's error channel is set up on,
// held for the run and released at its end. Every line goes to standard
// error all the same; holding the device only tells that the console is
// usable. Where there is no such device (POSIX, or a Windows process
// without a console: started detached, or with its console handles
// redirected), the channel is tied to standard error directly. Raises
// EInOutError when a console exists but its device cannot be opened.
class TConsoleDevice {
 public:
  TConsoleDevice();
  ~TConsoleDevice();
  TConsoleDevice(const TConsoleDevice&) = delete;
  TConsoleDevice& operator=(const TConsoleDevice&) = delete;

 private:
  [[maybe_unused]] intptr_t handle_ = kNoHandle;  // only Windows has such a device
};

// How the program's own texts are shown on a terminal whose encoding is not
// Shift-JIS: converted, whole texts at a time.
class TTerminalEncoding {
 public:
  virtual ~TTerminalEncoding() = default;
  // Converts the Shift-JIS `text` into the terminal's encoding; false when
  // some character of it has no counterpart there (nothing is substituted).
  virtual bool Convert(std::string_view text, std::string* converted) const = 0;
};

// The encoding for the program's texts on stream `id`: nothing when the
// stream is not a terminal, when its encoding (the locale's LC_CTYPE) is
// Shift-JIS already, or when there is no converter to it. The locale is
// read without changing the process's own.
std::unique_ptr<TTerminalEncoding> TerminalEncoding(TStdStreamId id);

// Makes the process safe to run as a filter, before anything else: a
// closed standard descriptor is reopened on the null device (read-only,
// so writes there fail as I/O errors and the PDF file never lands there),
// and a closed pipe or a file size limit shows up as a failed write
// instead of a signal that kills the process.
void PrepareProcess();

// The process's arguments after the program name, in order, empty ones
// included. Windows hands a program one command line, which is split by
// the rules of SplitCommandLine, in UTF-16, and each argument is given as
// WTF-8 (see the top of this file).
std::vector<std::string> ProgramArguments(int argc, const char* const* argv);

// An argument's text as the option scan reads it: on Windows converted to
// code page 932, with "?" for a character it lacks (never a look-alike,
// so no option letter appears that was not typed); elsewhere unchanged.
std::string OptionText(std::string_view argument);

// True when an entry of that name exists and is not a directory. Symbolic
// links are followed: a dangling one, or one to a directory, is not found.
bool TextFileExists(const std::string& name);

// Makes room in `block` for reading a file of `size` bytes whole, in a way
// that the system can fill quickly (on Linux, memory that may be backed by
// large pages, so reading does not fault it in page by page).
void ReserveFileBlock(TByteBlock& block, size_t size);

// True for the error codes of a file that exists but may not be opened in
// the way asked for (permissions, a read-only medium).
bool IsPermissionError(TOsError error);

// True when both names reach the same existing file (hard links, symbolic
// links and other spellings count).
bool SameExistingFile(const std::string& a, const std::string& b);

// The base name of the running executable's file, for the failure report,
// as it is shown (see the top of this file).
std::string ModuleName(const char* argv0);

// The absolute form of `path`, with "." and ".." resolved by name and
// repeated separators merged; symbolic links are not followed. `path`
// itself when that fails. As it is shown (see the top of this file): on
// Windows a character the ANSI code page lacks is "?".
std::string FullPath(const std::string& path);

// The failure report's bytes for standard error. The report is made in the
// system's ANSI code page, which on Windows a console may not share: there
// it is converted to the OEM code page, as CharToOemA does, where the two
// differ, whether standard error is a console or a file. Elsewhere, and
// where the two are the same, `report` itself.
std::string ReportForConsole(std::string_view report);

// The system's description of an error code, trimmed by TrimSystemText.
std::string SystemErrorText(TOsError error);

// `text` without the blanks, control characters and full stops that end a
// system's description (on Windows also the ideographic and full-width
// stops and the ideographic space, cut a whole character at a time).
std::string TrimSystemText(std::string text);

// The EInOutError message for an error code: "File not found", "Invalid
// filename", "Too many open files", "File access denied", "Disk full", or
// "I/O error <code>".
std::string InOutErrorMessage(TOsError error);

// The number of CPUs this process may run on (its affinity mask), at least 1.
unsigned UsableCpuCount();

// How many worker threads parallel work may start: one per usable CPU, or
// none where there are no threads (the browser), so the calling thread
// does the work itself.
unsigned WorkerThreadCount();

}  // namespace quilnote

#endif  // QUILNOTE_BASE_PLATFORM_H_
