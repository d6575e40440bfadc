#include "pdf/pdf_obj_mem_manager.h"

#include <charconv>
#include <string>

#include "base/errors.h"
#include "base/messages.h"
#include "base/number_format.h"

namespace quilnote {

namespace {

// Cross-reference entries have ten digits for the offset.
constexpr uint64_t kLargestOffset = 9'999'999'999;

}  // namespace

TPDFObjMemManager::TPDFObjMemManager(uint64_t capacity, uint64_t delta) : delta_(delta) {
  if (capacity == 0 || delta == 0) throw EInvalidOperation(std::string(msg::kZeroInitialSize));
  Resize(capacity);
}

void TPDFObjMemManager::Resize(uint64_t capacity) {
  if (capacity > SIZE_MAX / sizeof(int64_t)) throw EOutOfMemory(kOutOfMemoryMessage);
  // realloc keeps the entries; for a large table it remaps rather than copies.
  void* grown = std::realloc(offsets_.get(), static_cast<size_t>(capacity) * sizeof(int64_t));
  if (grown == nullptr) throw EOutOfMemory(kOutOfMemoryMessage);
  (void)offsets_.release();
  offsets_.reset(static_cast<int64_t*>(grown));
  capacity_ = capacity;
}

void TPDFObjMemManager::Grow() {
  if (count_ < capacity_) return;
  Resize(capacity_ + delta_);
}

void TPDFObjMemManager::RecordOffset(uint64_t index, uint64_t position) {
  if (position > kLargestOffset) throw Exception(std::string(msg::kOutputTooLarge));
  offsets_[index] = static_cast<int64_t>(position);
}

uint64_t BeginObject(TOutputStream& out, TPDFObjMemManager& table) {
  uint64_t number = table.Count() + 1;
  table.RecordOffset(table.Count(), out.Position());
  WriteStr(out, FormatUInt(number) + " 0 obj\n");
  return number;
}

void EndObject(TOutputStream& out, TPDFObjMemManager& table) {
  WriteStr(out, "endobj\n");
  table.SetCount(table.Count() + 1);
  table.Grow();
}

void WriteXref(TOutputStream& out, const int64_t* offsets, uint64_t count) {
  WriteStr(out, "xref\n");
  WriteStr(out, "0 " + FormatUInt(count + 1) + "\n");
  WriteStr(out, "0000000000 65535 f \n");
  // Entries go out in batches: a document of many pages has millions.
  std::string batch;
  batch.reserve(20 * 4096);
  for (uint64_t i = 0; i < count; ++i) {
    char digits[24];
    size_t length = static_cast<size_t>(
        std::to_chars(digits, digits + sizeof digits, offsets[i]).ptr - digits);
    if (length < 10) batch.append(10 - length, '0');
    batch.append(digits, length);
    batch.append(" 00000 n \n");
    if (batch.size() >= 20 * 4096) {
      WriteStr(out, batch);
      batch.clear();
    }
  }
  WriteStr(out, batch);
}

}  // namespace quilnote
