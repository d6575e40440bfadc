#include "text/text_file.h"

#include <cstdint>
#include <new>
#include <optional>

#include "base/errors.h"
#include "base/platform.h"

namespace quilnote {

namespace {

constexpr size_t kFirstReadSize = 1 << 20;

}  // namespace

TByteBlock ReadWholeFile(TFile& file) {
  const std::optional<uint64_t> size = file.RegularFileSize();
  // More than the address space can hold (a 32-bit build, the browser's):
  // out of memory before filling it, not after.
  if (size && *size >= SIZE_MAX) throw std::bad_alloc();
  const size_t expected = size ? static_cast<size_t>(*size) : 0;
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

TByteBlock ReadWholeFile(const std::string& name) {
  TFile file = TFile::OpenForReading(name);
  return ReadWholeFile(file);
}

void LoadTextFile(TLineList& lines, TFile& file) {
  lines.AssignText(ReadWholeFile(file));
}

void LoadTextFile(TLineList& lines, const std::string& name) {
  lines.AssignText(ReadWholeFile(name));
}

}  // namespace quilnote
