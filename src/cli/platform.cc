#include "cli/platform.h"

#include <climits>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quilnote {

void PrepareProcess() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) >= 0) continue;
    int opened = ::open("/dev/null", O_RDONLY);
    if (opened >= 0 && opened != fd) {
      ::dup2(opened, fd);
      ::close(opened);
    }
  }
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
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
  char path[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  std::string full = n > 0 ? std::string(path, static_cast<size_t>(n))
                           : std::string(argv0 != nullptr ? argv0 : "quilnote");
  size_t slash = full.find_last_of('/');
  return slash == std::string::npos ? full : full.substr(slash + 1);
}

}  // namespace quilnote
