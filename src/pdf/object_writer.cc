#include "pdf/object_writer.h"

#include <charconv>
#include <stdexcept>
#include <string_view>

namespace quilnote {

namespace {

void WriteObjectHead(TOutputStream& out, uint64_t number) {
  constexpr std::string_view kHeadTail = " 0 obj\n";
  char head[32];
  char* end = std::to_chars(head, head + sizeof head - kHeadTail.size(), number).ptr;
  for (char c : kHeadTail) *end++ = c;
  WriteStr(out, std::string_view(head, static_cast<size_t>(end - head)));
}

void CountObject(TPDFObjMemManager& table) {
  table.SetCount(table.Count() + 1);
  table.Grow();
}

}  // namespace

uint64_t TObjectWriter::Reserve(uint64_t n) {
  const uint64_t first = table_->Count() + 1;
  table_->SetCount(table_->Count() + n);
  return first;
}

uint64_t TObjectWriter::Open(TOutputStream& out) {
  uint64_t number;
  if (table_ != nullptr) {
    number = table_->Count() + 1;
    table_->RecordOffset(number - 1, out.Position());
  } else {
    number = first_ + starts_.size();
    starts_.push_back(out.Position());
  }
  open_reserved_ = false;
  WriteObjectHead(out, number);
  return number;
}

void TObjectWriter::OpenReserved(TOutputStream& out, uint64_t number) {
  table_->RecordOffset(number - 1, out.Position());
  open_reserved_ = true;
  WriteObjectHead(out, number);
}

void TObjectWriter::Close(TOutputStream& out) {
  WriteStr(out, "endobj\n");
  if (table_ == nullptr) {
    ++closed_;
  } else if (!open_reserved_) {
    CountObject(*table_);
  }
}

void TObjectWriter::Adopt(TPDFObjMemManager& table, uint64_t position) const {
  if (table.Count() + 1 != first_) throw std::logic_error("a run adopted out of its place");
  for (uint64_t i = 0; i < starts_.size(); ++i) {
    table.RecordOffset(table.Count(), position + starts_[i]);
    if (i < closed_) CountObject(table);
  }
}

}  // namespace quilnote
