// What a native POSIX system has and the browser has not: terminals with
// an encoding of their own, CPUs that the process may be limited to, and
// threads to run on them.
#include "base/platform.h"

#include <algorithm>
#include <cctype>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iconv.h>
#include <langinfo.h>
#include <sched.h>
#include <thread>
#include <unistd.h>

namespace quilnote {

bool TStdStream::IsTerminal() const {
  return ::isatty(static_cast<int>(handle_)) == 1;
}

namespace {

// Converts through one iconv descriptor, from CP932 to the terminal's
// encoding. Without //TRANSLIT: a character with no counterpart fails the
// conversion instead of turning into something else.
class TIconvEncoding : public TTerminalEncoding {
 public:
  explicit TIconvEncoding(iconv_t cd) : cd_(cd) {}
  ~TIconvEncoding() override { ::iconv_close(cd_); }
  TIconvEncoding(const TIconvEncoding&) = delete;
  TIconvEncoding& operator=(const TIconvEncoding&) = delete;

  bool Convert(std::string_view text, std::string* converted) const override {
    ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    std::string in(text);
    converted->assign(4 * text.size() + 16, '\0');
    char* in_at = in.data();
    size_t in_left = in.size();
    char* out_at = converted->data();
    size_t out_left = converted->size();
    const size_t result = ::iconv(cd_, &in_at, &in_left, &out_at, &out_left);
    if (result == static_cast<size_t>(-1) || in_left != 0) return false;
    // A flush, for encodings that end in a shift state.
    if (::iconv(cd_, nullptr, nullptr, &out_at, &out_left) == static_cast<size_t>(-1)) return false;
    converted->resize(converted->size() - out_left);
    return true;
  }

 private:
  iconv_t cd_;
};

// The character encoding of the user's LC_CTYPE, read from the
// environment without setting the process's locale: setlocale would also
// change the language of strerror and so of redirected failure reports.
std::string LocaleCodeset() {
  locale_t locale = ::newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
  if (locale == static_cast<locale_t>(0)) return "";
  std::string codeset = ::nl_langinfo_l(CODESET, locale);
  ::freelocale(locale);
  return codeset;
}

bool IsShiftJis(std::string codeset) {
  for (char& c : codeset) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return codeset == "SHIFT_JIS" || codeset == "SHIFT-JIS" || codeset == "SJIS" ||
         codeset == "CP932" || codeset == "WINDOWS-31J" || codeset == "MS_KANJI";
}

}  // namespace

std::unique_ptr<TTerminalEncoding> TerminalEncoding(TStdStreamId id) {
  if (!TStdStream(id).IsTerminal()) return nullptr;
  const std::string codeset = LocaleCodeset();
  if (codeset.empty() || IsShiftJis(codeset)) return nullptr;
  iconv_t cd = ::iconv_open(codeset.c_str(), "CP932");
  if (cd == reinterpret_cast<iconv_t>(-1)) return nullptr;
  return std::make_unique<TIconvEncoding>(cd);
}

namespace {

// The CPUs a cgroup v2 quota allows the process: ceil(quota / period) from
// cpu.max of its own cgroup and of every cgroup above it, the smallest;
// nothing where no level sets a quota (or there is no cgroup v2).
std::optional<unsigned> CgroupCpuLimit() {
  std::ifstream groups("/proc/self/cgroup");
  std::string line, path;
  while (std::getline(groups, line)) {
    if (line.rfind("0::", 0) == 0) path = line.substr(3);
  }
  if (path.empty() || path[0] != '/') return std::nullopt;
  const std::filesystem::path root = "/sys/fs/cgroup";
  std::optional<unsigned> limit;
  for (std::filesystem::path dir = (root / path.substr(1)).lexically_normal();;
       dir = dir.parent_path()) {
    std::ifstream max(dir / "cpu.max");
    std::string quota;
    uint64_t period = 0;
    if (max >> quota >> period && quota != "max" && period > 0) {
      const uint64_t allowed = std::strtoull(quota.c_str(), nullptr, 10);
      const uint64_t cpus = std::max<uint64_t>(1, (allowed + period - 1) / period);
      const unsigned capped = static_cast<unsigned>(std::min<uint64_t>(cpus, 1u << 16));
      limit = limit ? std::min(*limit, capped) : capped;
    }
    if (dir == root || dir.parent_path() == dir || dir.string().size() <= root.string().size()) {
      break;
    }
  }
  return limit;
}

}  // namespace

unsigned UsableCpuCount() {
  unsigned count = 0;
  cpu_set_t set;
  CPU_ZERO(&set);
  if (::sched_getaffinity(0, sizeof set, &set) == 0) count = static_cast<unsigned>(CPU_COUNT(&set));
  if (count == 0) count = std::thread::hardware_concurrency();
  if (count == 0) count = 1;
  // A container limited by a CPU quota should not get a worker per visible
  // core: the quota, not the affinity, bounds how much runs at once.
  if (std::optional<unsigned> limit = CgroupCpuLimit()) count = std::min(count, *limit);
  return count;
}

unsigned WorkerThreadCount() {
  return UsableCpuCount();
}

}  // namespace quilnote
