#include "base/console.h"

#include <cerrno>
#include <unistd.h>

#include "base/errors.h"
#include "base/number_format.h"

namespace quilnote {

std::string InOutErrorMessage(int error_number) {
  switch (error_number) {
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
      return "I/O error " + FormatInt(error_number);
  }
}

void WriteConsoleLine(int fd, std::string_view line) {
  std::string bytes;
  bytes.reserve(line.size() + 2);
  bytes.append(line);
  bytes.append("\r\n");
  const char* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    ssize_t written = ::write(fd, p, left);
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) throw EInOutError(InOutErrorMessage(errno));
    if (written == 0) throw EInOutError(InOutErrorMessage(EIO));
    p += written;
    left -= static_cast<size_t>(written);
  }
}

}  // namespace quilnote
