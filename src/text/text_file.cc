#include "text/text_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "base/errors.h"

namespace quilnote {

namespace {

constexpr size_t kFirstReadSize = 1 << 20;

// Closes a descriptor on every path.
class TFd {
 public:
  explicit TFd(int fd) : fd_(fd) {}
  ~TFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  TFd(const TFd&) = delete;
  TFd& operator=(const TFd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

std::string FullPath(const std::string& path) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(path, error);
  if (error) return path;
  std::string normal = absolute.lexically_normal().string();
  // "dir/." normalises to "dir/": name the folder itself.
  if (normal.size() > 1 && normal.back() == '/') normal.pop_back();
  return normal;
}

std::string SystemErrorText(int error_number) {
  std::string text = std::strerror(error_number);
  while (!text.empty()) {
    unsigned char last = static_cast<unsigned char>(text.back());
    if (last != ' ' && last != '.' && last >= 0x20 && last != 0x7F) break;
    text.pop_back();
  }
  return text;
}

TByteBlock ReadWholeFile(const std::string& name) {
  int fd;
  do {
    fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    int error = errno;
    throw EFOpenError("Cannot open file \"" + FullPath(name) + "\". " + SystemErrorText(error));
  }
  TFd file(fd);

  TByteBlock block;
  struct stat info;
  size_t expected = 0;
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
    expected = static_cast<size_t>(info.st_size);
  }
  // One byte more than the size claims, so that the end of the file shows as
  // a read of 0 without growing the block.
  block.Reserve(expected > 0 ? expected + 1 : kFirstReadSize);
  for (;;) {
    if (block.size() == block.capacity()) block.ReserveExtra(kFirstReadSize);
    size_t room = block.capacity() - block.size();
    ssize_t got = ::read(fd, block.data() + block.size(), room);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw EReadError("Stream read error");
    if (got == 0) break;
    block.SetSize(block.size() + static_cast<size_t>(got));
  }
  return block;
}

void LoadTextFile(TLineList& lines, const std::string& name) {
  lines.AssignText(ReadWholeFile(name));
}

}  // namespace quilnote
