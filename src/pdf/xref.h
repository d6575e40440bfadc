// The cross-reference section: where each object of the file starts.
#ifndef QUILNOTE_PDF_XREF_H_
#define QUILNOTE_PDF_XREF_H_

#include <cstdint>

#include "base/output_stream.h"
#include "pdf/object_offsets.h"

namespace quilnote {

// Writes the cross-reference section for objects 1 to `count` from
// `offsets`: one subsection from object 0, the free entry of object 0, then
// one 20-byte entry per object.
void WriteXref(TOutputStream& out, const TObjectOffsets& offsets, uint64_t count);

}  // namespace quilnote

#endif  // QUILNOTE_PDF_XREF_H_
