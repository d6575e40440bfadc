// The operating system on Linux and other POSIX systems.
#include "base/platform.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sched.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "base/errors.h"
#include "base/number_format.h"

namespace quilnote {

namespace {

int Fd(intptr_t handle) { return static_cast<int>(handle); }

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

TFile& TFile::operator=(TFile&& other) noexcept {
  if (this != &other) {
    if (IsOpen()) ::close(Fd(handle_));
    handle_ = other.handle_;
    other.handle_ = kNoHandle;
  }
  return *this;
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

TFile TFile::CreateForWriting(const std::string& name) {
  int fd = OpenRetrying(name, O_WRONLY | O_CREAT | O_TRUNC);
  if (fd < 0) {
    int error = errno;
    throw EFCreateError(
        FileErrorText("Cannot create file", FullPath(name), SystemErrorText(error)));
  }
  return TFile(fd);
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
    if (errno != EINTR) throw EReadError("Stream read error");
  }
}

void TFile::WriteAll(const char* data, size_t n) {
  while (n > 0) {
    ssize_t written = ::write(Fd(handle_), data, n);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) throw EWriteError(kWriteErrorMessage);
    data += written;
    n -= static_cast<size_t>(written);
  }
}

void TFile::Close() {
  int fd = Fd(handle_);
  handle_ = kNoHandle;
  // After EINTR the descriptor is closed all the same on Linux; only a real
  // error means written data was lost.
  if (::close(fd) != 0 && errno != EINTR) throw EWriteError(kWriteErrorMessage);
}

TStdStream::TStdStream(TStdStreamId id) : handle_(id == TStdStreamId::kOutput ? 1 : 2) {}

bool TStdStream::IsTerminal() const { return ::isatty(Fd(handle_)) == 1; }

void TStdStream::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t written = ::write(Fd(handle_), bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) throw EInOutError(InOutErrorMessage(errno));
    if (written == 0) throw EInOutError(InOutErrorMessage(EIO));
    bytes.remove_prefix(static_cast<size_t>(written));
  }
}

void TStdStream::WriteNoThrow(std::string_view bytes) noexcept {
  while (!bytes.empty()) {
    ssize_t written = ::write(Fd(handle_), bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return;  // nowhere left to report to
    bytes.remove_prefix(static_cast<size_t>(written));
  }
}

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

bool TextFileExists(const std::string& name) {
  struct stat info;
  return ::stat(name.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
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

std::string SystemErrorText(TOsError error) {
  std::string text = std::strerror(error);
  while (!text.empty()) {
    unsigned char last = static_cast<unsigned char>(text.back());
    if (last != ' ' && last != '.' && last >= 0x20 && last != 0x7F) break;
    text.pop_back();
  }
  return text;
}

std::string InOutErrorMessage(TOsError error) {
  switch (error) {
    case ENOENT:
      return "File not found";
    case ENAMETOOLONG:
    case ENOTDIR:
      return "Invalid filename";
    case EMFILE:
    case ENFILE:
      return "Too many open files";
    case EACCES:
    case EPERM:
    case EROFS:
      return "File access denied";
    case ENOSPC:
    case EDQUOT:
      return "Disk full";
    default:
      return "I/O error " + FormatInt(error);
  }
}

unsigned UsableCpuCount() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (::sched_getaffinity(0, sizeof set, &set) == 0) {
    int count = CPU_COUNT(&set);
    if (count > 0) return static_cast<unsigned>(count);
  }
  unsigned hardware = std::thread::hardware_concurrency();
  return hardware > 0 ? hardware : 1;
}

}  // namespace quilnote
