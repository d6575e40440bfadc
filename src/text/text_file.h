// Loading a text file into a line list.
#ifndef QUILNOTE_TEXT_TEXT_FILE_H_
#define QUILNOTE_TEXT_TEXT_FILE_H_

#include <optional>
#include <string>

#include "base/byte_block.h"
#include "text/line_list.h"

namespace quilnote {

// Reads all bytes of the file `name`, to its end whatever its size claims
// (pipes report none, /proc files 0). Other processes may read the file
// meanwhile but not write it, where the platform has share modes.
// Raises EFOpenError "Cannot open file "<full path>". <reason>" when it
// cannot be opened and EReadError "Stream read error" when reading fails.
TByteBlock ReadWholeFile(const std::string& name);

// Up to the first `n` bytes of the file `name`; nothing when it cannot be
// opened or read (where the platform has share modes, a file held open for
// writing by another process counts as one that cannot be read).
std::optional<std::string> ReadFileStart(const std::string& name, size_t n);

// Reads the file and assigns its bytes to `lines` (TLineList::AssignText).
void LoadTextFile(TLineList& lines, const std::string& name);

}  // namespace quilnote

#endif  // QUILNOTE_TEXT_TEXT_FILE_H_
