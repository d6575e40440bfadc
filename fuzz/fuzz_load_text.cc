// Loading text: arbitrary bytes through a real file into a line list.
#include <cstdio>
#include <string>
#include <unistd.h>

#include "fuzz_support.h"
#include "text/text_file.h"

using namespace quilnote;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::string path = [] {
    char name[] = "/tmp/quilnote_fuzz_XXXXXX";
    int fd = ::mkstemp(name);
    ::close(fd);
    return std::string(name);
  }();
  {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (size > 0) std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  TLineList lines;
  LoadTextFile(lines, path);
  std::string_view text(reinterpret_cast<const char*>(data), size);
  text = text.substr(0, text.find('\0'));

  // No line holds a break or NUL; joining and assigning again is stable.
  std::string joined = lines.JoinText();
  uint64_t count = 0;
  TLineReader reader = lines.Reader();
  std::string_view line, current;
  size_t bytes = 0;
  while (reader.Next(&current)) {
    line = current;
    if (line.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
      fuzz::Fail("break in line");
    bytes += line.size();
    ++count;
  }
  if (count != lines.Count()) fuzz::Fail("count");
  if (joined.size() != bytes + 2 * count) fuzz::Fail("join size");
  TLineList again;
  again.AssignText(joined);
  if (again.JoinText() != joined) fuzz::Fail("join-assign round trip");
  if (count > text.size() + 1) fuzz::Fail("too many lines");
  if (count > 0 && lines.Line(count - 1) != line) fuzz::Fail("last line by index");
  return 0;
}
