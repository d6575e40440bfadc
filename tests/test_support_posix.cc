// The test helpers that need POSIX: temporary folders, iconv, running
// programs through /bin/sh and on a pseudo-terminal.
#include "test_support.h"

#include <cstdlib>
#include <filesystem>
#include <iconv.h>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quilnote::test {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "quilnote_test_XXXXXX").string();
  char* made = ::mkdtemp(pattern.data());
  if (made == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = made;
}

namespace {

// Gives the owner back every folder a test restricted, so the folder and
// everything below it can be removed.
void MakeRemovable(const std::filesystem::path& folder) {
  namespace fs = std::filesystem;
  std::error_code ignored;
  fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ignored);
  for (fs::directory_iterator it(folder, ignored), end; it != end; it.increment(ignored)) {
    if (it->is_directory(ignored) && !it->is_symlink(ignored)) MakeRemovable(it->path());
  }
}

}  // namespace

TempDir::~TempDir() {
  std::error_code ignored;
  MakeRemovable(path_);
  std::filesystem::remove_all(path_, ignored);
}

std::optional<std::string> Iconv(const char* to, const char* from, std::string_view bytes) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("no converter");
  std::string in(bytes);
  std::string out(in.size() * 4 + 8, '\0');
  char* inp = in.data();
  size_t inleft = in.size();
  char* outp = out.data();
  size_t outleft = out.size();
  size_t result = iconv(cd, &inp, &inleft, &outp, &outleft);
  iconv_close(cd);
  if (result == static_cast<size_t>(-1)) return std::nullopt;
  out.resize(out.size() - outleft);
  return out;
}

std::string Sjis(std::string_view utf8) {
  std::optional<std::string> sjis;
  try {
    sjis = Iconv("CP932", "UTF-8", utf8);
  } catch (const std::runtime_error&) {
    // musl, the browser build's C library, has no CP932; its Shift-JIS
    // gives the same bytes for the characters the tests use.
    sjis = Iconv("SHIFT_JIS", "UTF-8", utf8);
  }
  if (!sjis) throw std::runtime_error("not convertible to CP932");
  return *sjis;
}

std::string ShellQuote(std::string_view word) {
  std::string quoted = "'";
  for (char c : word) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

std::string Exe() {
  return ShellQuote(QUILNOTE_EXE);
}

RunResult RunShell(const std::string& command) {
  TempDir dir;
  const std::string out_path = dir.File("out");
  const std::string err_path = dir.File("err");
  pid_t pid = ::fork();
  if (pid == 0) {
    int out = ::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int err = ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(out, 1);
    ::dup2(err, 2);
    ::close(out);
    ::close(err);
    ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  RunResult result;
  int raw = 0;
  rusage usage{};
  if (pid > 0 && ::wait4(pid, &raw, 0, &usage) == pid) {
    if (WIFEXITED(raw)) result.status = WEXITSTATUS(raw);
    if (WIFSIGNALED(raw)) result.status = 128 + WTERMSIG(raw);
    result.max_rss_kb = usage.ru_maxrss;
  }
  result.out = ReadFile(out_path);
  result.err = ReadFile(err_path);
  return result;
}

RunResult RunOnTerminal(const std::vector<std::string>& args, const std::vector<std::string>& env,
                        const std::string& cwd) {
  RunResult result;
  int master = -1, slave = -1;
  if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return result;
  termios mode{};
  ::tcgetattr(slave, &mode);
  ::cfmakeraw(&mode);
  ::tcsetattr(slave, TCSANOW, &mode);
  std::vector<const char*> argv = {QUILNOTE_EXE};
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  argv.push_back(nullptr);
  std::vector<const char*> envp;
  for (const std::string& item : env) envp.push_back(item.c_str());
  envp.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(master);
    int null = ::open("/dev/null", O_RDONLY);
    ::dup2(null, 0);
    ::dup2(slave, 1);
    ::dup2(slave, 2);
    if (::chdir(cwd.c_str()) != 0) ::_exit(126);
    ::execve(QUILNOTE_EXE, const_cast<char* const*>(argv.data()),
             const_cast<char* const*>(envp.data()));
    ::_exit(127);
  }
  ::close(slave);
  char buffer[4096];
  for (;;) {
    ssize_t got = ::read(master, buffer, sizeof buffer);
    if (got <= 0) break;  // EIO once the program has closed the terminal
    result.out.append(buffer, static_cast<size_t>(got));
  }
  ::close(master);
  int raw = 0;
  if (pid > 0 && ::waitpid(pid, &raw, 0) == pid && WIFEXITED(raw)) result.status = WEXITSTATUS(raw);
  return result;
}

RunResult RunQuilnote(const std::vector<std::string>& args, const std::string& cwd) {
  std::string command;
  if (!cwd.empty()) command = "cd " + ShellQuote(cwd) + " && ";
  command += "exec " + Exe();
  for (const std::string& arg : args) command += " " + ShellQuote(arg);
  return RunShell(command);
}

bool HaveTool(const std::string& name) {
  return RunShell("command -v " + ShellQuote(name)).status == 0;
}

}  // namespace quilnote::test
