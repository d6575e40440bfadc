#include "measure.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string_view>

namespace quilnote::bench {

volatile std::sig_atomic_t g_stop_requested = 0;

void CheckStop() {
  if (g_stop_requested != 0) throw Interrupted();
}

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

std::runtime_error SystemError(const std::string& what) {
  return std::runtime_error(what + ": " + std::strerror(errno));
}

std::string CommandText(const std::vector<std::string>& args) {
  std::string text;
  for (const std::string& arg : args) text += (text.empty() ? "" : " ") + arg;
  return text;
}

// A file descriptor closed by its destructor.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  int release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

void WriteAll(int fd, const char* data, size_t n, const std::string& name) {
  while (n > 0) {
    ssize_t put = write(fd, data, n);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) throw SystemError("cannot write " + name);
    data += put;
    n -= static_cast<size_t>(put);
  }
}

size_t ReadSome(int fd, char* data, size_t n, const std::string& name) {
  for (;;) {
    ssize_t got = read(fd, data, n);
    if (got >= 0) return static_cast<size_t>(got);
    if (errno != EINTR) throw SystemError("cannot read " + name);
  }
}

int OpenNew(const std::string& path) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) throw SystemError("cannot create " + path);
  return fd;
}

double ThreadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double TimevalSeconds(const timeval& t) {
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
}

}  // namespace

RunResult RunProgram(const std::vector<std::string>& args, const std::string& cwd, StdoutTo to,
                     const std::string& stdout_path) {
  // Everything the child needs is made before fork: it only calls
  // async-signal-safe functions.
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  Fd null_in(open("/dev/null", O_RDONLY | O_CLOEXEC));
  if (null_in.get() < 0) throw SystemError("cannot open /dev/null");
  int out_fd = -1;
  int read_fd = -1;
  if (to == StdoutTo::kNull) {
    out_fd = open("/dev/null", O_WRONLY | O_CLOEXEC);
  } else if (to == StdoutTo::kNewFile) {
    out_fd = OpenNew(stdout_path.starts_with('/') ? stdout_path : cwd + "/" + stdout_path);
  } else {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) throw SystemError("pipe");
    read_fd = ends[0];
    out_fd = ends[1];
  }
  Fd out(out_fd);
  Fd pipe_read(read_fd);
  if (out.get() < 0) throw SystemError("cannot open the standard output for " + args[0]);

  const Clock::time_point start = Clock::now();
  pid_t pid = fork();
  if (pid < 0) throw SystemError("fork");
  if (pid == 0) {
    if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(126);
    if (dup2(null_in.get(), 0) < 0 || dup2(out.get(), 1) < 0) _exit(126);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  close(out.release());
  RunResult result;
  if (pipe_read.get() >= 0) {
    char buffer[4096];
    for (size_t got; (got = ReadSome(pipe_read.get(), buffer, sizeof buffer, "a pipe")) > 0;) {
      result.captured.append(buffer, got);
    }
  }
  int status = 0;
  rusage usage{};
  while (wait4(pid, &status, 0, &usage) < 0) {
    if (errno != EINTR) throw SystemError("wait4");
  }
  result.seconds = SecondsSince(start);
  result.cpu_seconds = TimevalSeconds(usage.ru_utime) + TimevalSeconds(usage.ru_stime);
  result.peak_rss_mib = static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in KiB
  CheckStop();
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return result;
  std::string how = WIFEXITED(status) ? "exit status " + std::to_string(WEXITSTATUS(status))
                                      : "signal " + std::to_string(WTERMSIG(status));
  if (WIFEXITED(status) && WEXITSTATUS(status) == 127) how += " (not found)";
  throw std::runtime_error("`" + CommandText(args) + "` in " + cwd + " ended with " + how);
}

std::string FindOnPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string_view rest = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
  while (true) {
    const size_t colon = rest.find(':');
    std::string_view folder = rest.substr(0, colon);
    if (folder.empty()) folder = ".";
    const std::string candidate = std::string(folder) + "/" + name;
    struct stat info {};
    if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
    if (colon == std::string_view::npos) return "";
    rest.remove_prefix(colon + 1);
  }
}

double HexAndWrite(const std::string& input, const std::string& output) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  char table[512];
  for (size_t b = 0; b < 256; ++b) {
    table[2 * b] = kDigits[b >> 4];
    table[2 * b + 1] = kDigits[b & 15];
  }
  constexpr size_t kPiece = 1 << 20;
  std::vector<char> piece(kPiece);
  std::vector<char> hex(2 * kPiece);
  const Clock::time_point start = Clock::now();
  Fd in(open(input.c_str(), O_RDONLY | O_CLOEXEC));
  if (in.get() < 0) throw SystemError("cannot open " + input);
  Fd out(OpenNew(output));
  for (size_t got; (got = ReadSome(in.get(), piece.data(), kPiece, input)) > 0;) {
    char* p = hex.data();
    for (size_t i = 0; i < got; ++i) {
      const size_t b = static_cast<unsigned char>(piece[i]);
      p[0] = table[2 * b];
      p[1] = table[2 * b + 1];
      p += 2;
    }
    WriteAll(out.get(), hex.data(), 2 * got, output);
    CheckStop();
  }
  if (close(out.release()) != 0) throw SystemError("cannot write " + output);
  return SecondsSince(start);
}

DeflateResult DeflatePages(const std::string& plain_pdf, int zlib_level) {
  // A page's content is everything between these two marks; the plain
  // PDF's only streams are page contents.
  static constexpr std::string_view kStart = ">>\nstream\n";
  static constexpr std::string_view kEnd = "\nendstream\n";
  Fd in(open(plain_pdf.c_str(), O_RDONLY | O_CLOEXEC));
  if (in.get() < 0) throw SystemError("cannot open " + plain_pdf);
  z_stream zs{};
  // The program's compressor: method 8, window bits 15, memory level 8,
  // default strategy.
  if (deflateInit2(&zs, zlib_level, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
    throw std::runtime_error("deflateInit2 failed");
  }
  DeflateResult result;
  std::string buffer;
  std::vector<unsigned char> compressed;
  constexpr size_t kBlock = 4 << 20;
  std::vector<char> block(kBlock);
  size_t scan = 0;  // where the next page's start mark is looked for
  for (size_t got; (got = ReadSome(in.get(), block.data(), kBlock, plain_pdf)) > 0;) {
    buffer.append(block.data(), got);
    std::vector<std::string_view> pages;
    size_t consumed = 0;
    for (;;) {
      const size_t mark = buffer.find(kStart, scan);
      if (mark == std::string::npos) {
        consumed = buffer.size() > kStart.size() ? buffer.size() - kStart.size() : 0;
        scan = 0;
        break;
      }
      const size_t data = mark + kStart.size();
      const size_t end = buffer.find(kEnd, data);
      if (end == std::string::npos) {
        consumed = mark;
        scan = 0;
        break;
      }
      pages.emplace_back(buffer.data() + data, end - data);
      scan = end;
    }
    const double cpu_start = ThreadCpuSeconds();
    for (std::string_view page : pages) {
      compressed.resize(deflateBound(&zs, static_cast<uLong>(page.size())));
      zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(page.data()));
      zs.avail_in = static_cast<uInt>(page.size());
      zs.next_out = compressed.data();
      zs.avail_out = static_cast<uInt>(compressed.size());
      if (deflate(&zs, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("deflate failed");
      result.compressed_bytes += compressed.size() - zs.avail_out;
      result.plain_bytes += page.size();
      deflateReset(&zs);
    }
    result.cpu_seconds += ThreadCpuSeconds() - cpu_start;
    result.pages += pages.size();
    buffer.erase(0, consumed);
    CheckStop();
  }
  deflateEnd(&zs);
  if (result.pages == 0) throw std::runtime_error("no page contents found in " + plain_pdf);
  return result;
}

}  // namespace quilnote::bench
