// The cross-reference section, where each object of the file starts, and
// the trailer that ends the file.
#ifndef QUILNOTE_PDF_XREF_H_
#define QUILNOTE_PDF_XREF_H_

#include <cstdint>

#include "base/output_stream.h"
#include "pdf/object_offsets.h"
#include "pdf/object_writer.h"

namespace quilnote {

// Writes the cross-reference section for objects 1 to `count` from
// `offsets`: one subsection from object 0, the free entry of object 0, then
// one 20-byte entry per object.
void WriteXref(TOutputStream& out, const TObjectOffsets& offsets, uint64_t count);

// Writes the cross-reference section of every object `objects` numbered,
// then the trailer naming `root` as the catalog and stating where the
// section starts. Raises Exception "出力ファイルが大きすぎます" when that start
// needs more than ten digits.
void WriteXrefAndTrailer(TOutputStream& out, const TObjectWriter& objects, uint64_t root);

}  // namespace quilnote

#endif  // QUILNOTE_PDF_XREF_H_
