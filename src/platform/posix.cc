// The operating system on Linux and other POSIX systems, and in the browser
// on emscripten's POSIX layer. What differs between the two (CPUs, threads,
// terminals) is in posix_terminal.cc and web.cc.
#include "base/platform.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/errors.h"
#include "base/number_format.h"

namespace quilnote {

namespace {

int Fd(intptr_t handle) {
  return static_cast<int>(handle);
}

// Writes all `n` bytes to `fd`, going on after short and interrupted
// writes: 0 when every byte was taken, or the error that stopped it (EIO
// for a write that took nothing).
int WriteAllTo(int fd, const char* data, size_t n) {
  while (n > 0) {
    const ssize_t written = ::write(fd, data, n);
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return errno;
    if (written == 0) return EIO;
    data += written;
    n -= static_cast<size_t>(written);
  }
  return 0;
}

int OpenRetrying(const std::string& name, int flags) {
  int fd;
  do {
    fd = ::open(name.c_str(), flags | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

}  // namespace

TFile::~TFile() {
  if (IsOpen()) ::close(Fd(handle_));
}

TFile TFile::OpenForReading(const std::string& name) {
  // POSIX has no share modes: other processes may write the file while it
  // is read, and nothing here can keep them from it.
  int fd = OpenRetrying(name, O_RDONLY);
  if (fd < 0) {
    int error = errno;
    throw EFOpenError(FileErrorText("Cannot open file", FullPath(name), SystemErrorText(error)));
  }
  return TFile(fd);
}

TFile TFile::Open(const std::string& name, TOpenMode mode, TOsError* error) {
  // Write only, not read and write: a FIFO opened so waits for a reader,
  // and a reader that goes away shows as a failed write.
  const int flags = mode == TOpenMode::kWriteCreate ? O_WRONLY | O_CREAT | O_NOCTTY : O_RDONLY;
  const int fd = OpenRetrying(name, flags);
  if (fd < 0) {
    *error = errno;
    return TFile();
  }
  return TFile(fd);
}

TFile TFile::OpenAgainForReading(TOsError* error) const {
  // The link under /proc/self/fd reaches the open file itself, whatever
  // its name reaches now. (In the browser it leads back to the name, in a
  // file system that only this process sees; under Node.js it is the host's
  // link for a descriptor of that number, which may be another file.)
  const int fd = OpenRetrying("/proc/self/fd/" + FormatInt(Fd(handle_)), O_RDONLY | O_NOCTTY);
  if (fd < 0) {
    *error = errno;
    return TFile();
  }
  return TFile(fd);
}

bool TFile::IsRegular() const {
  struct stat info;
  return ::fstat(Fd(handle_), &info) == 0 && S_ISREG(info.st_mode);
}

std::optional<TFile::TIdentity> TFile::Identity() const {
  struct stat info;
  if (::fstat(Fd(handle_), &info) != 0) return std::nullopt;
  return TIdentity{static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
}

TFile::TLockResult TFile::TryLockAlone() {
  // flock, not fcntl locks: they belong to this open file, not to the
  // process, so nothing else the process opens or closes can drop them.
  for (;;) {
    if (::flock(Fd(handle_), LOCK_EX | LOCK_NB) == 0) return TLockResult::kHeld;
    if (errno == EINTR) continue;
    // File systems without locks (ENOLCK, EOPNOTSUPP, EINVAL) are written
    // unlocked, as they always were.
    return errno == EWOULDBLOCK ? TLockResult::kHeldElsewhere : TLockResult::kNoLocks;
  }
}

size_t TFile::ReadAt(uint64_t offset, char* buffer, size_t n) {
  size_t got = 0;
  while (got < n) {
    const ssize_t more =
        ::pread(Fd(handle_), buffer + got, n - got, static_cast<off_t>(offset + got));
    if (more < 0 && errno == EINTR) continue;
    if (more < 0) throw EReadError(errno);
    if (more == 0) break;
    got += static_cast<size_t>(more);
  }
  return got;
}

void TFile::TruncateToStart() {
  int result;
  do {
    result = ::ftruncate(Fd(handle_), 0);
  } while (result != 0 && errno == EINTR);
  if (result != 0 || ::lseek(Fd(handle_), 0, SEEK_SET) != 0) {
    throw EWriteError();
  }
}

std::optional<uint64_t> TFile::RegularFileSize() const {
  struct stat info;
  if (::fstat(Fd(handle_), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) {
    return std::nullopt;
  }
  return static_cast<uint64_t>(info.st_size);
}

size_t TFile::Read(char* buffer, size_t n) {
  for (;;) {
    ssize_t got = ::read(Fd(handle_), buffer, n);
    if (got >= 0) return static_cast<size_t>(got);
    if (errno != EINTR) throw EReadError(errno);
  }
}

void TFile::WriteAll(const char* data, size_t n) {
  if (WriteAllTo(Fd(handle_), data, n) != 0) throw EWriteError();
}

void TFile::Close() {
  int fd = Fd(handle_);
  handle_ = kNoHandle;
  // After EINTR the descriptor is closed all the same on Linux; only a real
  // error means written data was lost.
  if (::close(fd) != 0 && errno != EINTR) throw EWriteError();
}

TStdStream::TStdStream(TStdStreamId id) noexcept : handle_(id == TStdStreamId::kOutput ? 1 : 2) {}

void TStdStream::Write(std::string_view bytes) {
  if (const int error = WriteAllTo(Fd(handle_), bytes.data(), bytes.size()); error != 0) {
    throw EInOutError(InOutErrorMessage(error));
  }
}

void TStdStream::WriteNoThrow(std::string_view bytes) noexcept {
  (void)WriteAllTo(Fd(handle_), bytes.data(), bytes.size());  // nowhere left to report to
}

// No console device of its own: the error channel is standard error.
TConsoleDevice::TConsoleDevice() = default;
TConsoleDevice::~TConsoleDevice() = default;

void PrepareProcess() {
  for (int fd = 0; fd <= 2; ++fd) {
    // The lowest free descriptor is taken, and the ones below are open by
    // now, so /dev/null lands exactly on `fd`.
    if (::fcntl(fd, F_GETFD) < 0) (void)::open("/dev/null", O_RDONLY);
  }
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
}

std::vector<std::string> ProgramArguments(int argc, const char* const* argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i] != nullptr ? argv[i] : "");
  return arguments;
}

std::string OptionText(std::string_view argument) {
  return std::string(argument);
}

bool TextFileExists(const std::string& name) {
  struct stat info;
  return ::stat(name.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool IsPermissionError(TOsError error) {
  return error == EACCES || error == EPERM || error == EROFS;
}

void ReserveFileBlock(TByteBlock& block, size_t size) {
  // Reading into fresh memory faults it in one 4 KB page at a time, which
  // costs more than the reading itself on some machines. A block aligned
  // to 2 MB and advised for transparent huge pages is faulted in 2 MB at a
  // time where the system allows it; elsewhere the advice does nothing.
  constexpr size_t kHugePage = size_t{2} << 20;
  if (size < kHugePage || size > SIZE_MAX - kHugePage) {
    block.Reserve(size);
    return;
  }
  const size_t rounded = (size + kHugePage - 1) / kHugePage * kHugePage;
  void* memory = std::aligned_alloc(kHugePage, rounded);
  if (memory == nullptr) {
    block.Reserve(size);  // raises std::bad_alloc when there is no memory at all
    return;
  }
  (void)::madvise(memory, rounded, MADV_HUGEPAGE);
  block.Adopt(static_cast<char*>(memory), rounded);
}

bool SameExistingFile(const std::string& a, const std::string& b) {
  struct stat first, second;
  if (::stat(a.c_str(), &first) != 0 || ::stat(b.c_str(), &second) != 0) return false;
  return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

std::string ModuleName(const char* argv0) {
  std::error_code error;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  std::string full = !error ? exe.string() : std::string(argv0 != nullptr ? argv0 : "quilnote");
  size_t slash = full.find_last_of('/');
  return slash == std::string::npos ? full : full.substr(slash + 1);
}

std::string FullPath(const std::string& path) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(path, error);
  if (error) return path;
  std::string normal = absolute.lexically_normal().string();
  // "dir/." normalises to "dir/": name the folder itself.
  if (normal.size() > 1 && normal.back() == '/') normal.pop_back();
  return normal;
}

std::string ReportForConsole(std::string_view report) {
  return std::string(report);
}

std::string SystemErrorText(TOsError error) {
  return TrimSystemText(std::strerror(error));
}

std::string TrimSystemText(std::string text) {
  while (!text.empty()) {
    unsigned char last = static_cast<unsigned char>(text.back());
    if (last != ' ' && last != '.' && last >= 0x20 && last != 0x7F) break;
    text.pop_back();
  }
  return text;
}

std::string InOutErrorMessage(TOsError error) {
  switch (error) {
    case ENOENT: return "File not found";
    case ENAMETOOLONG:
    case ENOTDIR: return "Invalid filename";
    case EMFILE:
    case ENFILE: return "Too many open files";
    case EACCES:
    case EPERM:
    case EROFS: return "File access denied";
    case ENOSPC:
    case EDQUOT: return "Disk full";
    default: return "I/O error " + FormatInt(error);
  }
}

}  // namespace quilnote
