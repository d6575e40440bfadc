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

}  // namespace

uint64_t TObjectWriter::Reserve(uint64_t n) {
  const uint64_t first = Next();
  table_.SetCount(table_.Count() + n);
  return first;
}

uint64_t TObjectWriter::Open(TOutputStream& out) {
  const uint64_t number = Next();
  table_.RecordOffset(number - 1, out.Position());
  open_reserved_ = false;
  WriteObjectHead(out, number);
  return number;
}

void TObjectWriter::OpenReserved(TOutputStream& out, uint64_t number) {
  table_.RecordOffset(number - 1, out.Position());
  open_reserved_ = true;
  WriteObjectHead(out, number);
}

void TObjectWriter::Close(TOutputStream& out) {
  WriteStr(out, "endobj\n");
  if (!open_reserved_) CountOne();
}

void TObjectWriter::Adopt(const TRunObjectWriter& run, uint64_t position) {
  if (run.first_ != Next()) throw std::logic_error("a run adopted out of its place");
  for (size_t i = 0; i < run.starts_.size(); ++i) {
    table_.RecordOffset(table_.Count(), position + run.starts_[i]);
    if (i < run.closed_) CountOne();
  }
}

void TObjectWriter::CountOne() {
  table_.SetCount(table_.Count() + 1);
  table_.Grow();
}

uint64_t TRunObjectWriter::Open(TOutputStream& out) {
  const uint64_t number = first_ + starts_.size();
  starts_.push_back(out.Position());
  WriteObjectHead(out, number);
  return number;
}

void TRunObjectWriter::Close(TOutputStream& out) {
  WriteStr(out, "endobj\n");
  ++closed_;
}

}  // namespace quilnote
