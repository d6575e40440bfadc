#include "pdf/xref.h"

#include <charconv>
#include <string>

#include "base/number_format.h"

namespace quilnote {

namespace {

// Every entry is 20 bytes; they go out a few thousand at a time.
constexpr size_t kEntryBytes = 20;
constexpr size_t kBatchBytes = kEntryBytes * 4096;

}  // namespace

void WriteXref(TOutputStream& out, const TObjectOffsets& offsets, uint64_t count) {
  WriteStr(out, "xref\n");
  WriteStr(out, "0 " + FormatUInt(count + 1) + "\n");
  WriteStr(out, "0000000000 65535 f \n");
  // Entries go out in batches: a document of many pages has millions.
  std::string batch;
  batch.reserve(kBatchBytes);
  offsets.ForEach(count, [&](uint64_t offset) {
    char digits[24];
    size_t length =
        static_cast<size_t>(std::to_chars(digits, digits + sizeof digits, offset).ptr - digits);
    if (length < 10) batch.append(10 - length, '0');
    batch.append(digits, length);
    batch.append(" 00000 n \n");
    if (batch.size() >= kBatchBytes) {
      WriteStr(out, batch);
      batch.clear();
    }
  });
  WriteStr(out, batch);
}

void WriteXrefAndTrailer(TOutputStream& out, const TObjectWriter& objects, uint64_t root) {
  const uint64_t start = CheckedOffset(out.Position());
  const uint64_t count = objects.Table().Count();
  WriteXref(out, objects.Table().Offsets(), count);
  WriteStr(out, "trailer\n<<\n/Size " + FormatUInt(count + 1) + "\n/Root " + FormatUInt(root) +
                    " 0 R\n>>\nstartxref\n" + FormatUInt(start) + "\n%%EOF");
}

}  // namespace quilnote
