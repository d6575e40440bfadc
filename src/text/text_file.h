// Loading a text file into a line list.
#ifndef QUILNOTE_TEXT_TEXT_FILE_H_
#define QUILNOTE_TEXT_TEXT_FILE_H_

#include <string>

#include "base/byte_block.h"
#include "text/line_list.h"

namespace quilnote {

// The absolute form of `path`, lexically normalised ("." and ".." resolved
// by name, repeated slashes merged); symbolic links are not followed.
std::string FullPath(const std::string& path);

// The system's description of an error number, with trailing blanks,
// control characters and full stops removed.
std::string SystemErrorText(int error_number);

// Reads all bytes of the file `name`, to its end whatever its size claims
// (pipes and /proc files report 0). Raises EFOpenError "Cannot open file
// "<full path>". <reason>" when it cannot be opened and EReadError "Stream
// read error" when reading fails. Other processes may go on reading the file
// meanwhile; there is no way here to keep them from writing it.
TByteBlock ReadWholeFile(const std::string& name);

// Reads the file and assigns its bytes to `lines` (see TLineList::AssignText).
void LoadTextFile(TLineList& lines, const std::string& name);

}  // namespace quilnote

#endif  // QUILNOTE_TEXT_TEXT_FILE_H_
