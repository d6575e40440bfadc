// Loading a text file into a line list.
#ifndef QUILNOTE_TEXT_TEXT_FILE_H_
#define QUILNOTE_TEXT_TEXT_FILE_H_

#include <string>

#include "base/byte_block.h"
#include "base/platform.h"
#include "text/line_list.h"

namespace quilnote {

// Reads all bytes of the open `file` from where it stands to its end,
// whatever its size claims (pipes report none, /proc files 0).
// Raises EReadError "Stream read error" when reading fails.
TByteBlock ReadWholeFile(TFile& file);

// Reads all bytes of the file `name`. Other processes may read the file
// meanwhile but not write it, where the platform has share modes.
// Raises EFOpenError "Cannot open file "<full path>". <reason>" when it
// cannot be opened, and what ReadWholeFile raises.
TByteBlock ReadWholeFile(const std::string& name);

// Reads the file and assigns its bytes to `lines` (TLineList::AssignText).
void LoadTextFile(TLineList& lines, TFile& file);
void LoadTextFile(TLineList& lines, const std::string& name);

}  // namespace quilnote

#endif  // QUILNOTE_TEXT_TEXT_FILE_H_
