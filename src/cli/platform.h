// What the front end needs of the operating system, in one place.
#ifndef QUILNOTE_CLI_PLATFORM_H_
#define QUILNOTE_CLI_PLATFORM_H_

#include <string>

namespace quilnote {

// Makes the process safe to run as a filter: descriptors 0, 1 and 2, when
// closed, are reopened on /dev/null (read-only, so later writes there fail
// as I/O errors and the PDF file can never land on them), and SIGPIPE and
// SIGXFSZ are ignored so that a closed pipe or a file size limit shows up as
// a failed write rather than killing the process.
void PrepareProcess();

// True when an entry of that name exists and is not a directory. Symbolic
// links are followed: a dangling one or one to a directory is not found.
bool TextFileExists(const std::string& name);

// True when both names reach the same existing file (same device and inode:
// hard links, symbolic links and other spellings count).
bool SameExistingFile(const std::string& a, const std::string& b);

// The base name of the running executable.
std::string ModuleName(const char* argv0);

}  // namespace quilnote

#endif  // QUILNOTE_CLI_PLATFORM_H_
