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

void TObjectOffsets::Set(uint64_t index, uint64_t offset) {
  if (index >= next_ && offset >= last_) {
    // In order: entries skipped on the way read as 0 unless recorded later.
    for (; next_ < index; ++next_) deltas_.Append("\0", 1);
    unsigned char bytes[10];
    size_t n = 0;
    for (uint64_t delta = offset - last_; ; delta >>= 7) {
      bytes[n++] = static_cast<unsigned char>((delta & 0x7F) | (delta >= 0x80 ? 0x80 : 0));
      if (delta < 0x80) break;
    }
    deltas_.Append(reinterpret_cast<const char*>(bytes), n);
    last_ = offset;
    next_ = index + 1;
    return;
  }
  for (auto& entry : out_of_order_) {
    if (entry.first == index) {
      entry.second = offset;
      return;
    }
  }
  out_of_order_.emplace_back(index, offset);
}

uint64_t TObjectOffsets::OutOfOrder(uint64_t index, uint64_t in_order) const {
  for (const auto& entry : out_of_order_) {
    if (entry.first == index) return entry.second;
  }
  return in_order;
}

uint64_t TObjectOffsets::operator[](uint64_t index) const {
  if (index + 1 == next_) return OutOfOrder(index, last_);
  uint64_t found = 0;
  uint64_t i = 0;
  ForEach(index + 1, [&](uint64_t offset) {
    if (i++ == index) found = offset;
  });
  return found;
}

TPDFObjMemManager::TPDFObjMemManager(uint64_t capacity, uint64_t delta)
    : capacity_(capacity), delta_(delta) {
  if (capacity == 0 || delta == 0) throw EInvalidOperation(std::string(msg::kZeroInitialSize));
}

void TPDFObjMemManager::Grow() {
  if (count_ < capacity_) return;
  capacity_ += delta_;
}

void TPDFObjMemManager::RecordOffset(uint64_t index, uint64_t position) {
  if (position > kLargestOffset) throw Exception(std::string(msg::kOutputTooLarge));
  offsets_.Set(index, position);
}

void WriteObjectHead(TOutputStream& out, uint64_t number) {
  char head[32];
  char* end = std::to_chars(head, head + sizeof head - 8, number).ptr;
  for (char c : std::string_view(" 0 obj\n")) *end++ = c;
  WriteStr(out, std::string_view(head, static_cast<size_t>(end - head)));
}

uint64_t BeginObject(TOutputStream& out, TPDFObjMemManager& table) {
  const uint64_t number = table.Count() + 1;
  table.RecordOffset(table.Count(), out.Position());
  WriteObjectHead(out, number);
  return number;
}

void EndObject(TOutputStream& out, TPDFObjMemManager& table) {
  WriteStr(out, "endobj\n");
  table.SetCount(table.Count() + 1);
  table.Grow();
}

uint64_t RecordWrittenObject(TPDFObjMemManager& table, uint64_t position, bool ended) {
  const uint64_t number = table.Count() + 1;
  table.RecordOffset(table.Count(), position);
  if (ended) {
    table.SetCount(number);
    table.Grow();
  }
  return number;
}

void WriteXref(TOutputStream& out, const TObjectOffsets& offsets, uint64_t count) {
  WriteStr(out, "xref\n");
  WriteStr(out, "0 " + FormatUInt(count + 1) + "\n");
  WriteStr(out, "0000000000 65535 f \n");
  // Entries go out in batches: a document of many pages has millions.
  std::string batch;
  batch.reserve(20 * 4096);
  offsets.ForEach(count, [&](uint64_t offset) {
    char digits[24];
    size_t length = static_cast<size_t>(
        std::to_chars(digits, digits + sizeof digits, offset).ptr - digits);
    if (length < 10) batch.append(10 - length, '0');
    batch.append(digits, length);
    batch.append(" 00000 n \n");
    if (batch.size() >= 20 * 4096) {
      WriteStr(out, batch);
      batch.clear();
    }
  });
  WriteStr(out, batch);
}

}  // namespace quilnote
