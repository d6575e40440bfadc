// Measures quilnote conversions against two limits on the same data:
//   (a) hex-encoding every input byte and writing that many bytes, for -cn;
//   (b) zlib at the same level deflating the same plain page contents, page
//       by page on all usable cores, for -cf, -cd and -cm.
// Usage: quilnote_bench [--sizes 10,100,1000] [--dir DIR]
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "pdf/page_producer.h"
#include "text_generator.h"

namespace quilnote::bench {
namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

struct RunStats {
  double seconds = 0;
  double peak_rss_mb = 0;
  uint64_t pages = 0;
};

// Runs quilnote once; its standard output goes to `stats_file`.
RunStats RunQuilnote(const std::string& letter, const std::string& input, const std::string& output,
                     const std::string& stats_file) {
  auto start = Clock::now();
  pid_t pid = fork();
  if (pid == 0) {
    int fd = open(stats_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(fd, 1);
    close(fd);
    std::string option = "-c" + letter;
    execl(QUILNOTE_EXE, "quilnote", option.c_str(), input.c_str(), output.c_str(), nullptr);
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  RunStats stats;
  stats.seconds = Seconds(start);
  stats.peak_rss_mb = static_cast<double>(usage.ru_maxrss) / 1024.0;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "quilnote -c%s failed\n", letter.c_str());
    std::exit(1);
  }
  // The last statistics line: "<pages> ページ".
  std::FILE* f = std::fopen(stats_file.c_str(), "rb");
  char line[128];
  while (f != nullptr && std::fgets(line, sizeof line, f) != nullptr) {
    if (std::strstr(line, "\x83y\x81[\x83W\r") != nullptr && std::strchr(line, '/') == nullptr) {
      stats.pages = std::strtoull(line, nullptr, 10);
    }
  }
  if (f != nullptr) std::fclose(f);
  return stats;
}

// A read-only view of a whole file.
class MappedFile {
 public:
  explicit MappedFile(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY);
    struct stat info{};
    fstat(fd, &info);
    size_ = static_cast<size_t>(info.st_size);
    data_ = static_cast<const char*>(mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0));
    close(fd);
  }
  ~MappedFile() { munmap(const_cast<char*>(data_), size_); }
  std::string_view view() const { return {data_, size_}; }

 private:
  const char* data_;
  size_t size_;
};

// Anchor (a): hex-encode every byte of `input` and write the result to a
// file in the same folder, in large blocks.
double HexAnchor(const std::string& input, const std::string& output) {
  std::array<char, 512> table{};
  for (int i = 0; i < 256; ++i) {
    table[static_cast<size_t>(2 * i)] = "0123456789ABCDEF"[i >> 4];
    table[static_cast<size_t>(2 * i + 1)] = "0123456789ABCDEF"[i & 15];
  }
  auto start = Clock::now();
  int in = open(input.c_str(), O_RDONLY);
  int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<char> buffer(1 << 20);
  std::vector<char> hex(2 << 20);
  for (;;) {
    ssize_t got = read(in, buffer.data(), buffer.size());
    if (got <= 0) break;
    char* p = hex.data();
    for (ssize_t i = 0; i < got; ++i) {
      unsigned char b = static_cast<unsigned char>(buffer[static_cast<size_t>(i)]);
      p[0] = table[2u * b];
      p[1] = table[2u * b + 1];
      p += 2;
    }
    if (write(out, hex.data(), static_cast<size_t>(2 * got)) != 2 * got) std::exit(1);
  }
  close(in);
  close(out);
  return Seconds(start);
}

// Anchor (b): deflate every page content of the plain PDF at `level`, on
// all usable cores, writing the compressed pages to files in `dir`.
double DeflateAnchor(const std::string& plain_pdf, int level, const std::string& dir) {
  MappedFile pdf(plain_pdf);
  std::string_view bytes = pdf.view();
  std::vector<std::string_view> pages;
  for (size_t at = bytes.find(">>\nstream\n"); at != std::string_view::npos;
       at = bytes.find(">>\nstream\n", at + 1)) {
    size_t data = at + 10;
    size_t end = bytes.find("\nendstream\n", data);
    pages.push_back(bytes.substr(data, end - data));
    at = end;
  }
  const unsigned workers = UsableCpuCount();
  std::atomic<size_t> next{0};
  auto start = Clock::now();
  std::vector<std::thread> threads;
  for (unsigned w = 0; w < workers; ++w) {
    threads.emplace_back([&, w] {
      z_stream zs{};
      deflateInit2(&zs, level, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY);
      std::string path = dir + "/anchor_" + std::to_string(w) + ".z";
      int out = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      std::vector<unsigned char> buffer;
      for (size_t i = next++; i < pages.size(); i = next++) {
        buffer.resize(deflateBound(&zs, pages[i].size()));
        zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(pages[i].data()));
        zs.avail_in = static_cast<uInt>(pages[i].size());
        zs.next_out = buffer.data();
        zs.avail_out = static_cast<uInt>(buffer.size());
        deflate(&zs, Z_FINISH);
        size_t n = buffer.size() - zs.avail_out;
        if (write(out, buffer.data(), n) != static_cast<ssize_t>(n)) std::exit(1);
        deflateReset(&zs);
      }
      deflateEnd(&zs);
      close(out);
      unlink(path.c_str());
    });
  }
  for (std::thread& t : threads) t.join();
  return Seconds(start);
}

std::vector<uint64_t> ParseSizes(const char* text) {
  std::vector<uint64_t> sizes;
  for (const char* p = text; *p != '\0';) {
    char* end;
    sizes.push_back(std::strtoull(p, &end, 10));
    p = *end == ',' ? end + 1 : end;
    if (end == p && *p != '\0') break;
  }
  return sizes;
}

}  // namespace
}  // namespace quilnote::bench

int main(int argc, char** argv) {
  using namespace quilnote::bench;
  std::vector<uint64_t> sizes = {10, 100, 1000};
  std::string dir = "bench_work";
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string flag = argv[i];
    if (flag == "--sizes") sizes = ParseSizes(argv[i + 1]);
    if (flag == "--dir") dir = argv[i + 1];
  }
  std::filesystem::create_directories(dir);
  std::printf("cores usable: %u\n\n", quilnote::UsableCpuCount());
  std::printf("| input | option | wall s | input MB/s | pages/s | peak RSS MB | RSS budget MB | "
              "anchor s | ratio to anchor |\n");
  std::printf("|---|---|---|---|---|---|---|---|---|\n");
  for (uint64_t mb : sizes) {
    const uint64_t bytes = mb * 1000 * 1000;
    const std::string input = dir + "/input_" + std::to_string(mb) + "MB.txt";
    struct stat info{};
    if (stat(input.c_str(), &info) != 0 || static_cast<uint64_t>(info.st_size) != bytes) {
      GenerateText(input, bytes);
    }
    const double budget = 1.5 * static_cast<double>(bytes) / 1048576.0 + 32;
    const std::string plain = dir + "/out_n.pdf";
    const std::string stats = dir + "/stats.txt";
    for (const char* letter : {"n", "f", "d", "m"}) {
      const std::string output = std::string(letter) == "n" ? plain : dir + "/out_" + letter + ".pdf";
      // Every run writes a new file, as the anchors do: replacing a large
      // file first costs the time to free its blocks.
      unlink(output.c_str());
      RunStats run = RunQuilnote(letter, input, output, stats);
      double anchor = 0;
      if (std::string(letter) == "n") {
        anchor = HexAnchor(input, dir + "/anchor.hex");
        unlink((dir + "/anchor.hex").c_str());
      } else {
        int level = std::string(letter) == "f" ? 1 : std::string(letter) == "d" ? -1 : 9;
        anchor = DeflateAnchor(plain, level, dir);
        unlink(output.c_str());
      }
      std::printf("| %llu MB | -c%s | %.2f | %.0f | %.0f | %.0f | %.0f | %.2f | %.2f |\n",
                  static_cast<unsigned long long>(mb), letter, run.seconds,
                  static_cast<double>(bytes) / 1e6 / run.seconds,
                  static_cast<double>(run.pages) / run.seconds, run.peak_rss_mb, budget, anchor,
                  run.seconds / anchor);
      std::fflush(stdout);
    }
    unlink(plain.c_str());
  }
  return 0;
}
