// Where the line breaks are in a block of up to 64 bytes, as one bit a byte:
// how lines are found without looking at every byte on its own.
#ifndef QUILNOTE_TEXT_BREAK_MASK_H_
#define QUILNOTE_TEXT_BREAK_MASK_H_

#include <cstddef>
#include <cstdint>

namespace quilnote {

// Bit i is set when bytes[i] is a CR or an LF, for the first `n` <= 64
// bytes. SSE2 compares sixteen bytes at a time on x86-64; elsewhere this is
// BreakMaskPortable.
uint64_t BreakMask(const char* bytes, size_t n);

// The same mask on every machine: eight bytes at a time in a 64-bit word
// on little-endian machines, a byte at a time for the rest.
uint64_t BreakMaskPortable(const char* bytes, size_t n);

}  // namespace quilnote

#endif  // QUILNOTE_TEXT_BREAK_MASK_H_
