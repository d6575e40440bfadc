#include "pdf/pdf_obj_mem_manager.h"

#include <string>

#include "base/errors.h"
#include "base/messages.h"

namespace quilnote {

namespace {

// Cross-reference entries have ten digits for the offset.
constexpr uint64_t kLargestOffset = 9'999'999'999;

}  // namespace

uint64_t CheckedOffset(uint64_t position) {
  if (position > kLargestOffset) throw Exception(std::string(msg::kOutputTooLarge));
  return position;
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
  offsets_.Set(index, CheckedOffset(position));
}

}  // namespace quilnote
