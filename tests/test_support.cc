#include "test_support.h"

// GCC 12 reports a false -Wrestrict in std::string concatenation at -O2
// (GCC bug 105329); nothing here copies overlapping memory.
#pragma GCC diagnostic ignored "-Wrestrict"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iconv.h>
#include <sstream>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

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

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream data;
  data << in.rdbuf();
  return data.str();
}

void WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
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
  std::optional<std::string> sjis = Iconv("CP932", "UTF-8", utf8);
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

std::string Exe() { return ShellQuote(QUILNOTE_EXE); }

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

namespace {

std::string Escaped(std::string_view bytes) {
  std::string out;
  for (char ch : bytes) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c >= 0x20 && c < 0x7F && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      out += buf;
    }
  }
  return out;
}

}  // namespace

::testing::AssertionResult BytesEqual(std::string_view expected, std::string_view actual) {
  if (expected == actual) return ::testing::AssertionSuccess();
  size_t at = 0;
  while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
  size_t from = at > 40 ? at - 40 : 0;
  return ::testing::AssertionFailure()
         << "bytes differ at offset " << at << " (expected " << expected.size()
         << " bytes, got " << actual.size() << ")\n  expected: ..."
         << Escaped(expected.substr(from, 100)) << "\n  actual:   ..."
         << Escaped(actual.substr(from, 100));
}

::testing::AssertionResult IsReport(const std::string& err, const std::string& type,
                                    const std::string& message) {
  const std::string head = "Exception " + type + " in module quilnote at ";
  const size_t eol = err.find("\r\n");
  const std::string address = err.substr(head.size(), 16);
  if (err.compare(0, head.size(), head) != 0 || eol != head.size() + 17 ||
      address.find_first_not_of("0123456789ABCDEF") != std::string::npos || err[eol - 1] != '.') {
    return ::testing::AssertionFailure() << "not a report of " << type << ": " << err;
  }
  const std::string rest = err.substr(eol + 2);
  if (rest != message + "\r\n\r\n") {
    return ::testing::AssertionFailure() << "message: " << BytesEqual(message + "\r\n\r\n", rest).message();
  }
  return ::testing::AssertionSuccess();
}

std::string CrLfLines(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) out += line + "\r\n";
  return out;
}

std::string Inflate(std::string_view zlib_stream) {
  z_stream zs{};
  EXPECT_EQ(inflateInit(&zs), Z_OK);
  std::string out;
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zlib_stream.data()));
  zs.avail_in = static_cast<uInt>(zlib_stream.size());
  char buf[65536];
  int status;
  do {
    zs.next_out = reinterpret_cast<Bytef*>(buf);
    zs.avail_out = sizeof buf;
    status = inflate(&zs, Z_NO_FLUSH);
    out.append(buf, sizeof buf - zs.avail_out);
  } while (status == Z_OK);
  EXPECT_EQ(status, Z_STREAM_END) << "not a complete zlib stream";
  EXPECT_EQ(zs.avail_in, 0u) << "bytes after the zlib stream";
  inflateEnd(&zs);
  return out;
}

bool HaveTool(const std::string& name) {
  return RunShell("command -v " + ShellQuote(name)).status == 0;
}

std::string StreamOf(std::string_view pdf, int number) {
  std::string head = "\n" + std::to_string(number) + " 0 obj\n";
  size_t at = pdf.find(head);
  if (at == std::string_view::npos) return "";
  size_t data = pdf.find("stream\n", at) + 7;
  size_t end = pdf.find("\nendstream\n", data);
  // The data may itself contain "\nendstream\n" only by accident of
  // compression; the /Length object decides.
  std::string length_head = "\n" + std::to_string(number + 1) + " 0 obj\n";
  size_t length_at = pdf.find(length_head, data);
  if (length_at != std::string_view::npos) {
    size_t length = std::strtoull(
        std::string(pdf.substr(length_at + length_head.size(), 24)).c_str(), nullptr, 10);
    return std::string(pdf.substr(data, length));
  }
  return std::string(pdf.substr(data, end - data));
}

std::string ExpectedFontObjects(const std::string& name) {
  return "3 0 obj\n<<\n/Type /Font\n/Name /F0\n/Subtype /Type0\n/BaseFont /" + name +
         "\n/DescendantFonts [4 0 R]\n/Encoding /90ms-RKSJ-H\n>>\nendobj\n"
         "4 0 obj\n<<\n/Type /Font\n/Subtype /CIDFontType2\n/BaseFont /" + name +
         "\n/WinCharSet 128\n/FontDescriptor 5 0 R\n/CIDSystemInfo\n<<\n"
         "/Registry(Adobe) /Ordering(Japan1) /Supplement 2\n>>\n/DW 1000\n"
         "/W [ 231 389 500 631 631 500 ]\n>>\nendobj\n"
         "5 0 obj\n<<\n/Type /FontDescriptor\n/FontName /" + name +
         "\n/Flags 5\n/FontBBox [ -100 -141 1100 1000 ]\n/StemV 91\n/StemH 91\n"
         "/ItalicAngle 0\n/CapHeight 859\n/XHeight 430\n/Ascent 859\n/Descent -141\n"
         "/Leading 0\n/MaxWidth 1000\n/AvgWidth 500\n"
         "/Style << /Panose <000000000000000000000000> >> \n>>\nendobj\n";
}

}  // namespace quilnote::test
