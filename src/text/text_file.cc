#include "text/text_file.h"

#include <optional>

#include "base/errors.h"
#include "base/platform.h"

namespace quilnote {

namespace {

constexpr size_t kFirstReadSize = 1 << 20;

}  // namespace

TByteBlock ReadWholeFile(const std::string& name) {
  TFile file = TFile::OpenForReading(name);
  const std::optional<uint64_t> size = file.RegularFileSize();
  const size_t expected = size && *size > 0 && *size < SIZE_MAX ? static_cast<size_t>(*size) : 0;
  TByteBlock block;
  // One byte more than the size claims, so that the end of the file shows as
  // a read of 0 without growing the block.
  if (expected > 0) {
    ReserveFileBlock(block, expected + 1);
  } else {
    block.Reserve(kFirstReadSize);
  }
  for (;;) {
    if (block.size() == block.capacity()) block.ReserveExtra(kFirstReadSize);
    size_t got = file.Read(block.data() + block.size(), block.capacity() - block.size());
    if (got == 0) break;
    block.SetSize(block.size() + got);
  }
  return block;
}

std::optional<std::string> ReadFileStart(const std::string& name, size_t n) {
  std::string start(n, '\0');
  size_t got = 0;
  try {
    TFile file = TFile::OpenForReading(name);
    while (got < n) {
      const size_t more = file.Read(start.data() + got, n - got);
      if (more == 0) break;
      got += more;
    }
  } catch (const Exception&) {
    return std::nullopt;
  }
  start.resize(got);
  return start;
}

void LoadTextFile(TLineList& lines, const std::string& name) {
  lines.AssignText(ReadWholeFile(name));
}

}  // namespace quilnote
