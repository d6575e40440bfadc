// quilnote_bench: times quilnote on generated Shift-JIS text beside the
// limits that bound it on the same data and machine, and prints the result
// as a Markdown table. Run it with --help for the options.
#include <iconv.h>
#include <malloc.h>
#include <sys/statfs.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "base/platform.h"
#include "measure.h"
#include "pdf/deflater.h"
#include "text_generator.h"

namespace quilnote::bench {
namespace {

constexpr int kMinRuns = 5;
constexpr double kMiB = 1024.0 * 1024.0;

constexpr const char kUsage[] =
    R"(Usage: quilnote_bench [--sizes MB[,MB...]] [--runs N] [--levels L[,L...]]
                      [--no-memory] [--dir DIR]

Times quilnote on generated Shift-JIS text (kana, kanji, ASCII, half-width
katakana, blank lines, lines that wrap) beside limits measured on the same
data in the same folder, and prints a Markdown table on standard output
(progress goes to standard error). Each command runs N times, interleaved
(A B C A B C ...) so that drift in the machine hits all alike; the table
gives medians, the spread and the largest peak RSS.

  --sizes MB[,MB...]  input sizes in MB of 10^6 bytes (default 20,200)
  --runs N            runs of every command, at least 5 (default 5)
  --levels L[,L...]   compression options to time, of n, f, d, m
                      (default n,f,d,m)
  --no-memory         skip the memory worst case
  --dir DIR           work in DIR (made when missing; the files the bench
                      makes there are removed at the end). Without it the
                      bench works in a new folder made by mkdtemp under
                      $TMPDIR, or /tmp, and removes it at the end. The folder
                      should be on the disk to be measured: outputs go to its
                      page cache. A 200 MB input needs about 1.5 GB there.
  --help              print this text and exit

Per input size:
  -eu -cn      on the input's UTF-8 form, beside -cn on the input itself
  -cn          beside the I/O floor (the bench reads the input in 1 MB
               pieces, hex-encodes them and writes twice as many bytes
               to a file) and `xxd -p input > file` (skipped when xxd, from
               Debian's xxd package, is missing)
  -cf -cd -cm  beside zlib's CPU time divided by the usable cores: the page
               contents of the uncompressed PDF deflated page by page at the
               same level in the bench; -cd also beside
               `gzip -6 -c hexfile > file` of the input's hex form
Memory worst case (one run per round each): 2 MB and 4 MB of bare line
feeds at one line a page, `-cn -mp415 input /dev/null`, peak RSS beside
the budget 1.5 x input + 32 MiB + 8 bytes a page.

Peak RSS is the child's ru_maxrss from wait4, in MiB; a started program
also counts the little that the bench holds when it forks (shown in the
header). Usable cores are counted as quilnote counts them: the affinity
mask.
)";

struct Options {
  std::vector<uint64_t> sizes_mb = {20, 200};
  int runs = kMinRuns;
  std::string levels = "nfdm";
  bool memory = true;
  std::string dir;
};

struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

uint64_t ParseCount(std::string_view text, uint64_t low, uint64_t high, const std::string& what) {
  uint64_t value = 0;
  if (text.empty() || text.size() > 9)
    throw UsageError("bad " + what + ": '" + std::string(text) + "'");
  for (char c : text) {
    if (c < '0' || c > '9') throw UsageError("bad " + what + ": '" + std::string(text) + "'");
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  if (value < low || value > high) {
    throw UsageError(what + " must be from " + std::to_string(low) + " to " + std::to_string(high) +
                     ", not " + std::string(text));
  }
  return value;
}

std::vector<std::string_view> SplitCommas(std::string_view text) {
  std::vector<std::string_view> items;
  for (;;) {
    const size_t comma = text.find(',');
    items.push_back(text.substr(0, comma));
    if (comma == std::string_view::npos) return items;
    text.remove_prefix(comma + 1);
  }
}

// Returns false after --help.
bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") return false;
    if (arg == "--no-memory") {
      options.memory = false;
      continue;
    }
    std::string_view name = arg;
    std::string_view value;
    bool has_value = false;
    if (const size_t eq = arg.find('='); arg.starts_with("--") && eq != std::string_view::npos) {
      name = arg.substr(0, eq);
      value = arg.substr(eq + 1);
      has_value = true;
    }
    if (name != "--sizes" && name != "--runs" && name != "--levels" && name != "--dir") {
      throw UsageError("unknown argument '" + std::string(arg) + "'");
    }
    if (!has_value) {
      if (i + 1 >= argc) throw UsageError(std::string(name) + " needs a value");
      value = argv[++i];
    }
    if (name == "--sizes") {
      options.sizes_mb.clear();
      for (std::string_view item : SplitCommas(value)) {
        options.sizes_mb.push_back(ParseCount(item, 1, 100000, "size in MB"));
      }
    } else if (name == "--runs") {
      options.runs = static_cast<int>(ParseCount(value, kMinRuns, 1000, "--runs"));
    } else if (name == "--levels") {
      options.levels.clear();
      for (std::string_view item : SplitCommas(value)) {
        if (item.size() != 1 || std::string_view("nfdm").find(item[0]) == std::string_view::npos) {
          throw UsageError("--levels takes n, f, d and m, not '" + std::string(item) + "'");
        }
        if (options.levels.find(item[0]) == std::string::npos) options.levels += item[0];
      }
    } else {
      if (value.empty()) throw UsageError("--dir needs a folder");
      options.dir = value;
    }
  }
  return true;
}

// The folder the bench works in, and the files it made there: all are
// removed when it goes, the folder too when the bench made it.
class Workspace {
 public:
  explicit Workspace(const std::string& dir) {
    if (dir.empty()) {
      const char* tmp = std::getenv("TMPDIR");
      std::string pattern =
          std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/quilnote_bench.XXXXXX";
      if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a folder like " + pattern + ": " +
                                 std::strerror(errno));
      }
      path_ = pattern;
      remove_folder_ = true;
    } else {
      path_ = std::filesystem::absolute(dir).lexically_normal().string();
      if (path_.size() > 1 && path_.back() == '/') path_.pop_back();
      remove_folder_ = std::filesystem::create_directories(path_);
      if (!std::filesystem::is_directory(path_)) throw std::runtime_error(path_ + " is no folder");
    }
  }
  ~Workspace() {
    std::error_code ignored;
    for (const std::string& name : files_) std::filesystem::remove(Path(name), ignored);
    if (remove_folder_) std::filesystem::remove(path_, ignored);
  }
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;

  const std::string& path() const { return path_; }
  std::string Path(const std::string& name) const { return path_ + "/" + name; }

  // Claims `name` for a new file: anything of that name is removed first.
  std::string NewFile(const std::string& name) {
    files_.insert(name);
    std::error_code ignored;
    std::filesystem::remove(Path(name), ignored);
    return name;
  }
  void Remove(const std::string& name) {
    std::error_code ignored;
    std::filesystem::remove(Path(name), ignored);
    files_.erase(name);
  }

 private:
  std::string path_;
  bool remove_folder_ = false;
  std::set<std::string> files_;
};

double MedianOf(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The measurements of one command over all rounds.
struct Series {
  std::vector<double> seconds;
  std::vector<double> cpu_seconds;  // these two stay empty for what
  std::vector<double> rss_mib;      // runs inside the bench

  void Add(const RunResult& run) {
    seconds.push_back(run.seconds);
    cpu_seconds.push_back(run.cpu_seconds);
    rss_mib.push_back(run.peak_rss_mib);
  }
  double Median() const { return MedianOf(seconds); }
  double MedianCpu() const {
    return cpu_seconds.empty() ? std::numeric_limits<double>::quiet_NaN() : MedianOf(cpu_seconds);
  }
  double Min() const { return *std::min_element(seconds.begin(), seconds.end()); }
  double Max() const { return *std::max_element(seconds.begin(), seconds.end()); }
  double PeakRss() const {
    return rss_mib.empty() ? std::numeric_limits<double>::quiet_NaN()
                           : *std::max_element(rss_mib.begin(), rss_mib.end());
  }
};

// One command of a round; `round` counts from 1 and names its files.
struct Task {
  std::string key;
  std::function<void(int round, Series& into)> run;
};

std::string Format(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string Secs(double s) {
  if (std::isnan(s)) return "—";
  return Format(s < 1 ? "%.3f" : s < 100 ? "%.2f" : "%.1f", s);
}
std::string Rate(double mb_per_s) {
  return Format(mb_per_s < 100 ? "%.1f" : "%.0f", mb_per_s);
}
std::string Mib(double mib) {
  return std::isnan(mib) ? "—" : Format("%.1f", mib);
}
std::string Spread(const Series& s) {
  return Secs(s.Min()) + "–" + Secs(s.Max());
}

// Runs every task once a round, in order, `runs` rounds.
void RunInterleaved(const std::string& label, const std::vector<Task>& tasks, int runs,
                    std::vector<Series>& series) {
  series.assign(tasks.size(), Series{});
  for (int round = 1; round <= runs; ++round) {
    std::fprintf(stderr, "[%s] round %d of %d\n", label.c_str(), round, runs);
    for (size_t t = 0; t < tasks.size(); ++t) tasks[t].run(round, series[t]);
  }
}

const Series& Find(const std::vector<Task>& tasks, const std::vector<Series>& series,
                   const std::string& key) {
  for (size_t t = 0; t < tasks.size(); ++t) {
    if (tasks[t].key == key) return series[t];
  }
  throw std::logic_error("no task " + key);
}

void PrintRow(const std::string& input, const std::string& command, const Series& program,
              double input_mb, const std::string& compared_with, const std::string& figure,
              double ratio) {
  const double median = program.Median();
  std::printf("| %s | %s | %s | %s | %s | %s | %s | %s | %s | %s |\n", input.c_str(),
              command.c_str(), Secs(median).c_str(), Spread(program).c_str(),
              Secs(program.MedianCpu()).c_str(), Rate(input_mb / median).c_str(),
              Mib(program.PeakRss()).c_str(), compared_with.c_str(), figure.c_str(),
              Format("%.2f", ratio).c_str());
}

std::string FigureOf(const Series& s, double scale = 1) {
  return Secs(s.Median() * scale) + " s (" + Secs(s.Min() * scale) + "–" + Secs(s.Max() * scale) +
         ")";
}

std::string ReadFirstMatch(const char* path, std::string_view key) {
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (line.starts_with(key)) {
      const size_t colon = line.find(':');
      if (colon != std::string::npos) {
        const size_t start = line.find_first_not_of(" \t", colon + 1);
        return start == std::string::npos ? "" : line.substr(start);
      }
    }
  }
  return "";
}

std::string FileSystemName(const std::string& path) {
  struct statfs info {};
  if (statfs(path.c_str(), &info) != 0) return "unknown file system";
  switch (static_cast<unsigned long>(info.f_type)) {
    case 0xEF53: return "ext4";
    case 0x01021994: return "tmpfs, in memory";
    case 0x58465342: return "xfs";
    case 0x9123683E: return "btrfs";
    case 0x794C7630: return "overlayfs";
    default: {
      char hex[32];
      std::snprintf(hex, sizeof hex, "file system 0x%lx", static_cast<unsigned long>(info.f_type));
      return hex;
    }
  }
}

// The page count from quilnote's statistics: the line "<n> ページ" (in
// Shift-JIS), not the one of lines per page.
uint64_t PagesFromStatistics(const std::string& out) {
  static constexpr std::string_view kPage = "\x83y\x81[\x83W";
  uint64_t pages = 0;
  size_t start = 0;
  while (start < out.size()) {
    size_t end = out.find('\n', start);
    if (end == std::string::npos) end = out.size();
    std::string_view line(out.data() + start, end - start);
    if (line.find(kPage) != std::string_view::npos && line.find('/') == std::string_view::npos) {
      pages = std::strtoull(std::string(line).c_str(), nullptr, 10);
    }
    start = end + 1;
  }
  return pages;
}

// Writes the UTF-8 form of the Shift-JIS file `from` to `to`, through the
// C library's converter, a megabyte at a time. A character cut at the end
// of a piece (EINVAL) is kept for the next; one cut at the end of the text
// becomes a geta mark too.
void WriteUtf8Form(const std::string& from, const std::string& to) {
  const iconv_t converter = iconv_open("UTF-8", "CP932");
  if (converter == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("no CP932 converter");
  std::ifstream in(from, std::ios::binary);
  std::ofstream out(to, std::ios::binary);
  std::vector<char> piece(1 << 20), converted(3 << 20);
  size_t kept = 0;  // a character cut at the end of the last piece
  while (in.read(piece.data() + kept, static_cast<std::streamsize>(piece.size() - kept)) ||
         in.gcount() > 0) {
    char* next = piece.data();
    size_t left = kept + static_cast<size_t>(in.gcount());
    char* written = converted.data();
    size_t room = converted.size();
    // A code the converter does not know (the generator writes unassigned
    // ones) becomes a geta mark, which code page 932 has.
    while (iconv(converter, &next, &left, &written, &room) == static_cast<size_t>(-1) &&
           errno == EILSEQ) {
      const size_t skipped =
          std::min<size_t>(left, static_cast<unsigned char>(*next) >= 0x81 ? 2 : 1);
      next += skipped;
      left -= skipped;
      std::memcpy(written, "\xE3\x80\x93", 3);
      written += 3;
      room -= 3;
    }
    out.write(converted.data(), written - converted.data());
    std::memmove(piece.data(), next, left);
    kept = left;
  }
  iconv_close(converter);
  if (kept != 0) out.write("\xE3\x80\x93", 3);  // a character cut at the end of the text
  if (!out.flush()) throw std::runtime_error("cannot write " + to);
}

void WriteLineFeeds(const std::string& path, uint64_t bytes) {
  std::ofstream out(path, std::ios::binary);
  const std::string piece(1 << 16, '\n');
  for (uint64_t left = bytes; left > 0;) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(left, piece.size()));
    out.write(piece.data(), static_cast<std::streamsize>(n));
    left -= n;
  }
  if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

class Bench {
 public:
  Bench(const Options& options, Workspace& work)
      : options_(options),
        work_(work),
        cores_(UsableCpuCount()),
        xxd_(FindOnPath("xxd")),
        gzip_(FindOnPath("gzip")) {}

  void PrintHeader() {
    // What a started program inherits: /bin/true's peak RSS after the fork.
    const double floor_rss = RunProgram({"true"}, work_.path(), StdoutTo::kNull).peak_rss_mib;
    char date[64];
    const std::time_t now = std::time(nullptr);
    std::strftime(date, sizeof date, "%Y-%m-%d %H:%M %Z", std::localtime(&now));
    utsname system{};
    uname(&system);
    std::string cpu = ReadFirstMatch("/proc/cpuinfo", "model name");
    if (cpu.empty()) cpu = "unknown CPU";
    std::printf(
        "%s: %u usable cores (affinity mask; %ld online), %s, Linux %s; folder %s (%s); "
        "medians of %d interleaved runs; a started program's peak RSS includes %.1f MiB "
        "held by the bench\n\n",
        date, cores_, sysconf(_SC_NPROCESSORS_ONLN), cpu.c_str(), system.release,
        work_.path().c_str(), FileSystemName(work_.path()).c_str(), options_.runs, floor_rss);
    std::printf(
        "| input | command | median wall s | min–max s | median CPU s | input MB/s | "
        "peak RSS MiB | compared with | its figure | ratio |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|\n");
    std::fflush(stdout);
  }

  void MeasureSize(uint64_t mb) {
    const std::string tag = std::to_string(mb) + "MB";
    const std::string label = std::to_string(mb) + " MB";
    const double input_mb = static_cast<double>(mb);
    const std::string input = work_.NewFile("input_" + tag + ".txt");
    std::fprintf(stderr, "[%s] generating the text\n", label.c_str());
    GenerateText(work_.Path(input), mb * 1000 * 1000);

    const bool compressed = options_.levels.find_first_of("fdm") != std::string::npos;
    const bool plain = Has('n');
    const bool with_gzip = Has('d') && !gzip_.empty();
    // The uncompressed PDF for zlib's share, and the hex form for gzip;
    // making the PDF also warms the program and the input up.
    std::string plain_pdf;
    std::string hex;
    if (compressed) {
      std::fprintf(stderr, "[%s] making the uncompressed PDF for the zlib figures\n",
                   label.c_str());
      plain_pdf = work_.NewFile("plain_" + tag + ".pdf");
      RunProgram({QUILNOTE_EXE, "-cn", input, plain_pdf}, work_.path(), StdoutTo::kNull);
    }
    if (with_gzip) {
      hex = work_.NewFile("hex_" + tag + ".txt");
      HexAndWrite(work_.Path(input), work_.Path(hex));
    }

    std::vector<Task> tasks;
    std::string utf8;
    if (plain) {
      utf8 = work_.NewFile("utf8_" + tag + ".txt");
      WriteUtf8Form(work_.Path(input), work_.Path(utf8));
      tasks.push_back(ProgramTask("n", input, tag));
      tasks.push_back(ProgramTask("n", utf8, tag + "_utf8", "-eu"));
      tasks.push_back({"floor", [this, input, tag](int round, Series& into) {
                         const std::string out = work_.NewFile(Name("floor", tag, round, ".hex"));
                         into.seconds.push_back(HexAndWrite(work_.Path(input), work_.Path(out)));
                         work_.Remove(out);
                       }});
      if (!xxd_.empty()) tasks.push_back(ToolTask("xxd", {xxd_, "-p", input}, tag, ".hex"));
    }
    for (char level : std::string_view("fdm")) {
      if (!Has(level)) continue;
      tasks.push_back(ProgramTask(std::string(1, level), input, tag));
      const int zlib_level = ZlibLevel(static_cast<uint8_t>(level == 'f'   ? 1
                                                            : level == 'd' ? 2
                                                                           : 3));
      tasks.push_back(
          {std::string("zlib") + level, [this, plain_pdf, zlib_level](int, Series& into) {
             into.seconds.push_back(DeflatePages(work_.Path(plain_pdf), zlib_level).cpu_seconds);
           }});
      if (level == 'd' && with_gzip) {
        tasks.push_back(ToolTask("gzip", {gzip_, "-6", "-c", hex}, tag, ".gz"));
      }
    }
    std::vector<Series> series;
    RunInterleaved(label, tasks, options_.runs, series);

    const double per_core = 1.0 / static_cast<double>(cores_);
    const std::string zlib_name = "zlib CPU ÷ " + std::to_string(cores_) + " cores";
    if (plain) {
      const Series& program = Find(tasks, series, "n");
      if (!xxd_.empty()) {
        const Series& xxd = Find(tasks, series, "xxd");
        PrintRow(label, "`-cn`", program, input_mb, "`xxd -p`", FigureOf(xxd),
                 program.Median() / xxd.Median());
      }
      const Series& floor = Find(tasks, series, "floor");
      PrintRow(label, "`-cn`", program, input_mb, "I/O floor", FigureOf(floor),
               program.Median() / floor.Median());
      const Series& from_utf8 = Find(tasks, series, "-eu n");
      PrintRow(label + " as UTF-8", "`-eu -cn`", from_utf8, input_mb, "`-cn` on the Shift-JIS form",
               FigureOf(program), from_utf8.Median() / program.Median());
    }
    for (char level : std::string_view("fdm")) {
      if (!Has(level)) continue;
      const Series& program = Find(tasks, series, std::string(1, level));
      const Series& zlib = Find(tasks, series, std::string("zlib") + level);
      const std::string command = std::string("`-c") + level + "`";
      PrintRow(label, command, program, input_mb, zlib_name, FigureOf(zlib, per_core),
               program.Median() / (zlib.Median() * per_core));
      if (level == 'd' && with_gzip) {
        const Series& gzip = Find(tasks, series, "gzip");
        PrintRow(label, command, program, input_mb, "`gzip -6` of the hex form", FigureOf(gzip),
                 program.Median() / gzip.Median());
      }
    }
    std::fflush(stdout);
    if (!plain_pdf.empty()) work_.Remove(plain_pdf);
    if (!hex.empty()) work_.Remove(hex);
    if (!utf8.empty()) work_.Remove(utf8);
    work_.Remove(input);
  }

  void MeasureMemory() {
    static constexpr uint64_t kSizesMb[] = {2, 4};
    std::vector<Task> tasks;
    std::vector<std::string> inputs;
    for (uint64_t mb : kSizesMb) {
      const std::string input = work_.NewFile("linefeeds_" + std::to_string(mb) + "MB.txt");
      WriteLineFeeds(work_.Path(input), mb * 1000 * 1000);
      inputs.push_back(input);
      tasks.push_back({input, [this, input](int, Series& into) {
                         RunResult run =
                             RunProgram({QUILNOTE_EXE, "-cn", "-mp415", input, "/dev/null"},
                                        work_.path(), StdoutTo::kCapture);
                         into.Add(run);
                         memory_statistics_[input] = run.captured;
                       }});
    }
    std::vector<Series> series;
    RunInterleaved("memory", tasks, options_.runs, series);
    for (size_t i = 0; i < tasks.size(); ++i) {
      const uint64_t bytes = kSizesMb[i] * 1000 * 1000;
      uint64_t pages = PagesFromStatistics(memory_statistics_[inputs[i]]);
      if (pages != bytes) {
        std::fprintf(stderr, "note: %s made %llu pages, not one a line\n", inputs[i].c_str(),
                     static_cast<unsigned long long>(pages));
      }
      const double budget =
          (1.5 * static_cast<double>(bytes) + 32 * kMiB + 8 * static_cast<double>(pages)) / kMiB;
      PrintRow(std::to_string(kSizesMb[i]) + " MB of line feeds", "`-cn -mp415` → /dev/null",
               series[i], static_cast<double>(kSizesMb[i]), "RSS budget",
               Mib(budget) + " MiB (" + std::to_string(pages) + " pages)",
               series[i].PeakRss() / budget);
      work_.Remove(inputs[i]);
    }
    std::fflush(stdout);
  }

  void PrintNotes() {
    std::printf("\n");
    if (Has('n')) {
      std::printf(
          "I/O floor: the bench reads the input in 1 MB pieces, hex-encodes them and writes "
          "twice as many bytes to a new file in the same folder, and no PDF.\n");
      std::printf(
          "`-eu -cn` reads the input's UTF-8 form (made by the C library's converter, with 〓 "
          "for the unassigned codes the generator writes) into the same pages as `-cn` makes of "
          "the input; ratio = its median ÷ that of `-cn`.\n");
      if (xxd_.empty())
        std::printf("`xxd -p` skipped: xxd is not installed (Debian package xxd).\n");
    }
    if (options_.levels.find_first_of("fdm") != std::string::npos) {
      std::printf(
          "zlib CPU ÷ cores: the page contents of the `-cn` PDF deflated one by one at the "
          "option's zlib level with the program's parameters, in one thread of the bench; "
          "its CPU seconds divided by the %u usable cores.\n",
          cores_);
      if (Has('d')) {
        if (gzip_.empty()) {
          std::printf("`gzip -6` skipped: gzip is not installed.\n");
        } else {
          std::printf(
              "`gzip -6` of the hex form: `gzip -6 -c` of the input hex-encoded (twice its "
              "size) to a new file.\n");
        }
      }
    }
    if (options_.memory) {
      std::printf(
          "RSS budget: 1.5 × input + 32 MiB + 8 bytes a page; ratio = peak RSS ÷ budget.\n");
    }
    std::printf(
        "Ratios are the program's median wall time ÷ the figure's median. CPU s is the "
        "program's user and system time: where it is close to the wall time, the program "
        "ran on about one core (the machine busy with other work, or serial work in the "
        "program), and the zlib figure, which assumes all %u cores, cannot be met. "
        "Outputs go to new files in the folder (the page cache); peak RSS is the largest "
        "of the runs.\n",
        cores_);
    std::fflush(stdout);
  }

 private:
  bool Has(char level) const { return options_.levels.find(level) != std::string::npos; }

  static std::string Name(const std::string& what, const std::string& tag, int round,
                          const char* extension) {
    return what + "_" + tag + "_run" + std::to_string(round) + extension;
  }

  // quilnote -c<level> input new.pdf in the folder, so that no name holds a
  // hyphen (quilnote takes any such argument for an option).
  // With `encoding`, an -e option, the task's key is "<encoding> <level>".
  Task ProgramTask(const std::string& level, const std::string& input, const std::string& tag,
                   const std::string& encoding = "") {
    const std::string key = encoding.empty() ? level : encoding + " " + level;
    return {key, [this, level, input, tag, encoding](int round, Series& into) {
              const std::string out = work_.NewFile(Name("c" + level, tag, round, ".pdf"));
              std::vector<std::string> args = {QUILNOTE_EXE, "-c" + level, input, out};
              if (!encoding.empty()) args.insert(args.begin() + 1, encoding);
              RunResult run = RunProgram(args, work_.path(), StdoutTo::kNull);
              into.Add(run);
              work_.Remove(out);
            }};
  }

  // A tool whose standard output goes to a new file.
  Task ToolTask(const std::string& key, std::vector<std::string> args, const std::string& tag,
                const char* extension) {
    return {key, [this, key, args, tag, extension](int round, Series& into) {
              const std::string out = work_.NewFile(Name(key, tag, round, extension));
              RunResult run = RunProgram(args, work_.path(), StdoutTo::kNewFile, out);
              into.Add(run);
              work_.Remove(out);
            }};
  }

  const Options& options_;
  Workspace& work_;
  const unsigned cores_;
  const std::string xxd_;
  const std::string gzip_;
  std::map<std::string, std::string> memory_statistics_;
};

extern "C" void OnStopSignal(int) {
  g_stop_requested = 1;
}

int Main(int argc, char** argv) {
  Options options;
  try {
    if (!ParseOptions(argc, argv, options)) {
      std::fputs(kUsage, stdout);
      return 0;
    }
  } catch (const UsageError& e) {
    std::fprintf(stderr, "quilnote_bench: %s\nTry 'quilnote_bench --help'.\n", e.what());
    return 2;
  }
  // Large buffers come from mmap and go back at once, so that the bench
  // holds little when it forks (a child's peak RSS starts from that).
  mallopt(M_MMAP_THRESHOLD, 256 * 1024);
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);

  const auto start = std::chrono::steady_clock::now();
  try {
    Workspace work(options.dir);
    Bench bench(options, work);
    bench.PrintHeader();
    for (uint64_t mb : options.sizes_mb) {
      const auto size_start = std::chrono::steady_clock::now();
      bench.MeasureSize(mb);
      std::fprintf(
          stderr, "[%llu MB] done in %.0f s\n", static_cast<unsigned long long>(mb),
          std::chrono::duration<double>(std::chrono::steady_clock::now() - size_start).count());
    }
    if (options.memory) {
      const auto memory_start = std::chrono::steady_clock::now();
      bench.MeasureMemory();
      std::fprintf(
          stderr, "[memory] done in %.0f s\n",
          std::chrono::duration<double>(std::chrono::steady_clock::now() - memory_start).count());
    }
    bench.PrintNotes();
  } catch (const Interrupted&) {
    std::fprintf(stderr, "quilnote_bench: interrupted; its files are removed\n");
    return 130;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "quilnote_bench: %s\n", e.what());
    return 1;
  }
  std::fprintf(stderr, "whole run: %.0f s\n",
               std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  return 0;
}

}  // namespace
}  // namespace quilnote::bench

int main(int argc, char** argv) {
  return quilnote::bench::Main(argc, argv);
}
