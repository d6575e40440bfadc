// The operating system on Windows, through the Unicode (UTF-16) functions
// of the Win32 API, so that every file name reaches its file: the program
// holds names as WTF-8 (win32_text.h converts), never in a code page,
// where a character the code page lacks would be replaced by a look-alike
// or a "?". Texts for the user stay in the ANSI code page, the program's
// Shift-JIS on a Japanese system: the system's error texts, and the names
// shown in messages. std::filesystem, which mangles such names with MinGW,
// is not used. The C runtime does no I/O for the program either: every
// byte goes through ReadFile and WriteFile.
#include "base/platform.h"

#include <bit>

#include "base/command_line_split.h"
#include "base/errors.h"
#include "base/number_format.h"
#include "base/shift_jis.h"
#include "base/wtf8.h"
#include "platform/win32_api.h"
#include "platform/win32_text.h"

namespace quilnote {

namespace {

HANDLE Handle(intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);
}
intptr_t FromHandle(HANDLE handle) {
  return reinterpret_cast<intptr_t>(handle);
}

TOsError LastError() {
  return static_cast<TOsError>(::GetLastError());
}

// ReadFile and WriteFile count in DWORDs; larger requests go in pieces.
constexpr size_t kMaxTransfer = size_t{1} << 30;

DWORD TransferSize(size_t n) {
  return static_cast<DWORD>(n < kMaxTransfer ? n : kMaxTransfer);
}

// Writes all `n` bytes to `handle`, in pieces WriteFile can count: 0 when
// every byte was taken, or the error that stopped it (ERROR_WRITE_FAULT for
// a write that took nothing).
TOsError WriteAllTo(HANDLE handle, const char* data, size_t n) {
  while (n > 0) {
    DWORD written = 0;
    if (::WriteFile(handle, data, TransferSize(n), &written, nullptr) == 0) return LastError();
    if (written == 0) return ERROR_WRITE_FAULT;
    data += written;
    n -= written;
  }
  return 0;
}

// Shift-JIS characters cut from the end of the system's texts.
constexpr std::string_view kIdeographicFullStop = "\x81\x42";
constexpr std::string_view kFullWidthFullStop = "\x81\x44";
constexpr std::string_view kIdeographicSpace = "\x81\x40";

// Opens `name` only to ask about it: no access to the data, so no share
// mode of another process stands in the way, and directories open too.
// Symbolic links are followed.
HANDLE OpenForQuery(const std::string& name) {
  return ::CreateFileW(win32::SystemName(name).c_str(), 0,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// What the system keeps about the entry `name` reaches (links followed),
// and its file type (FILE_TYPE_DISK for files and directories on a disk).
bool QueryFile(const std::string& name, BY_HANDLE_FILE_INFORMATION* info, DWORD* type) {
  HANDLE handle = OpenForQuery(name);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const bool known = ::GetFileInformationByHandle(handle, info) != 0;
  *type = ::GetFileType(handle);
  ::CloseHandle(handle);
  return known;
}

}  // namespace

TFile::~TFile() {
  if (IsOpen()) ::CloseHandle(Handle(handle_));
}

TFile TFile::OpenForReading(const std::string& name) {
  // Others may read the file meanwhile, but nobody may write it: a file
  // that another process holds open for writing is refused here
  // (ERROR_SHARING_VIOLATION), and one that is being read cannot be
  // changed under the reader.
  HANDLE handle = ::CreateFileW(win32::SystemName(name).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const TOsError error = LastError();
    throw EFOpenError(FileErrorText("Cannot open file", FullPath(name), SystemErrorText(error)));
  }
  return TFile(FromHandle(handle));
}

TFile TFile::Open(const std::string& name, TOpenMode mode, TOsError* error) {
  // Held without sharing while it is open: no other process reads a PDF
  // file that is only half there, and a second run cannot write it too.
  // The file to write is opened for reading as well, so that its start
  // can be looked at through this one open (a share mode of 0 would refuse
  // any second one).
  const bool write = mode == TOpenMode::kWriteCreate;
  HANDLE handle = ::CreateFileW(
      win32::SystemName(name).c_str(), write ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ, 0,
      nullptr, write ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    *error = LastError();
    return TFile();
  }
  return TFile(FromHandle(handle));
}

TFile TFile::OpenAgainForReading(TOsError* error) const {
  HANDLE process = ::GetCurrentProcess();
  HANDLE again = INVALID_HANDLE_VALUE;
  if (::DuplicateHandle(process, Handle(handle_), process, &again, 0, FALSE,
                        DUPLICATE_SAME_ACCESS) == 0) {
    *error = LastError();
    return TFile();
  }
  return TFile(FromHandle(again));
}

bool TFile::IsRegular() const {
  return ::GetFileType(Handle(handle_)) == FILE_TYPE_DISK;
}

std::optional<TFile::TIdentity> TFile::Identity() const {
  BY_HANDLE_FILE_INFORMATION info;
  if (::GetFileInformationByHandle(Handle(handle_), &info) == 0) return std::nullopt;
  return TIdentity{info.dwVolumeSerialNumber,
                   (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

// The share mode of Open already keeps every other process out.
TFile::TLockResult TFile::TryLockAlone() {
  return TLockResult::kHeld;
}

size_t TFile::ReadAt(uint64_t offset, char* buffer, size_t n) {
  LARGE_INTEGER position;
  position.QuadPart = static_cast<LONGLONG>(offset);
  if (::SetFilePointerEx(Handle(handle_), position, nullptr, FILE_BEGIN) == 0) {
    throw EReadError(LastError());
  }
  size_t got = 0;
  while (got < n) {
    const size_t more = Read(buffer + got, n - got);
    if (more == 0) break;
    got += more;
  }
  return got;
}

void TFile::TruncateToStart() {
  LARGE_INTEGER start;
  start.QuadPart = 0;
  if (::SetFilePointerEx(Handle(handle_), start, nullptr, FILE_BEGIN) == 0 ||
      ::SetEndOfFile(Handle(handle_)) == 0) {
    throw EWriteError();
  }
}

std::optional<uint64_t> TFile::RegularFileSize() const {
  HANDLE handle = Handle(handle_);
  LARGE_INTEGER size;
  if (::GetFileType(handle) != FILE_TYPE_DISK || ::GetFileSizeEx(handle, &size) == 0 ||
      size.QuadPart < 0) {
    return std::nullopt;
  }
  return static_cast<uint64_t>(size.QuadPart);
}

size_t TFile::Read(char* buffer, size_t n) {
  DWORD got = 0;
  if (::ReadFile(Handle(handle_), buffer, TransferSize(n), &got, nullptr) == 0) {
    // A pipe whose writer has closed its end: that is the end of the data.
    const TOsError error = LastError();
    if (error == ERROR_BROKEN_PIPE) return 0;
    throw EReadError(error);
  }
  return got;
}

void TFile::WriteAll(const char* data, size_t n) {
  if (WriteAllTo(Handle(handle_), data, n) != 0) throw EWriteError();
}

void TFile::Close() {
  HANDLE handle = Handle(handle_);
  handle_ = kNoHandle;
  if (::CloseHandle(handle) == 0) throw EWriteError();
}

// The error channel is set up on the console device, "CONOUT$", and then
// handed standard error's handle: every line goes to standard error, and
// the device is only held for the run. A process without a console has
// no device to open, although it would never write there: its channel is
// tied to standard error directly instead of failing every run.
TConsoleDevice::TConsoleDevice() {
  HANDLE device =
      ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
  if (device != INVALID_HANDLE_VALUE) {
    handle_ = FromHandle(device);
    return;
  }
  const DWORD error = ::GetLastError();
  if (::GetConsoleWindow() == nullptr || ::GetConsoleOutputCP() == 0 ||
      error == ERROR_INVALID_HANDLE) {
    return;
  }
  throw EInOutError(InOutErrorMessage(static_cast<TOsError>(error)));
}

TConsoleDevice::~TConsoleDevice() {
  if (handle_ != kNoHandle) ::CloseHandle(Handle(handle_));
}

// Standard error is written through the process's own standard error
// handle, like standard output, whoever redirected it.
// Each line reaches the stream in one WriteFile call, CR LF included, so
// the lines of two processes sharing a console do not interleave.
TStdStream::TStdStream(TStdStreamId id) noexcept
    : handle_(FromHandle(
          ::GetStdHandle(id == TStdStreamId::kOutput ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE))) {}

bool TStdStream::IsTerminal() const {
  DWORD mode;
  return ::GetConsoleMode(Handle(handle_), &mode) != 0;
}

void TStdStream::Write(std::string_view bytes) {
  HANDLE handle = Handle(handle_);
  // A process started without the stream has no handle for it (null) or
  // an invalid one: writing there fails like writing to a closed one.
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
    throw EInOutError(InOutErrorMessage(ERROR_INVALID_HANDLE));
  }
  if (const TOsError error = WriteAllTo(handle, bytes.data(), bytes.size()); error != 0) {
    throw EInOutError(InOutErrorMessage(error));
  }
}

void TStdStream::WriteNoThrow(std::string_view bytes) noexcept {
  HANDLE handle = Handle(handle_);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
  (void)WriteAllTo(handle, bytes.data(), bytes.size());  // nowhere left to report to
}

std::unique_ptr<TTerminalEncoding> TerminalEncoding(TStdStreamId) {
  // A console shows the bytes it is given in its own code page, which is
  // the one the program's texts are written in on a Japanese system; one
  // switched to another code page shows them as that code page reads them.
  // Nothing is converted.
  return nullptr;
}

void PrepareProcess() {
  // Nothing stops the process on a closed pipe or a full disk here: a
  // write that cannot be done fails and says so. The C runtime's text mode
  // would turn LF into CR LF, but no byte of the program passes through
  // the C runtime's streams, so there is nothing to switch to binary.
  // A drive without a medium fails an open instead of asking the user.
  ::SetErrorMode(::GetErrorMode() | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
}

std::vector<std::string> ProgramArguments(int, const char* const*) {
  // The C runtime's argv splits the command line by other rules, so the
  // command line itself is split: the UTF-16 one, as typed, where the ANSI
  // one has every character outside the code page replaced.
  const wchar_t* command_line = ::GetCommandLineW();
  std::u16string units;
  for (const wchar_t* unit = command_line; unit != nullptr && *unit != L'\0'; ++unit) {
    units += static_cast<char16_t>(*unit);
  }
  std::vector<std::string> arguments;
  for (const std::u16string& argument : SplitCommandLine(units)) {
    arguments.push_back(Wtf8FromUtf16(argument));
  }
  return arguments;
}

std::string OptionText(std::string_view argument) {
  return win32::CodePage932(argument);
}

bool TextFileExists(const std::string& name) {
  const DWORD attributes = ::GetFileAttributesW(win32::SystemName(name).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  }
  // A symbolic link or junction: what it leads to decides.
  BY_HANDLE_FILE_INFORMATION info;
  DWORD type;
  return QueryFile(name, &info, &type) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool IsPermissionError(TOsError error) {
  return error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT;
}

void ReserveFileBlock(TByteBlock& block, size_t size) {
  block.Reserve(size);
}

bool SameExistingFile(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION first, second;
  DWORD type;
  if (!QueryFile(a, &first, &type) || !QueryFile(b, &second, &type)) return false;
  return first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
         first.nFileIndexHigh == second.nFileIndexHigh &&
         first.nFileIndexLow == second.nFileIndexLow;
}

std::string ModuleName(const char*) {
  std::wstring full;
  for (DWORD room = MAX_PATH; room <= 32768 * 2; room *= 2) {
    std::wstring path(room, L'\0');
    const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), room);
    if (length == 0) break;
    if (length < room) {
      path.resize(length);
      full = std::move(path);
      break;
    }
  }
  if (full.empty()) return "quilnote.exe";
  const size_t separator = full.find_last_of(L"\\/:");
  return win32::ShownText(separator == std::wstring::npos ? full : full.substr(separator + 1));
}

std::string FullPath(const std::string& path) {
  const std::wstring wide = win32::Wide(path);
  const std::wstring full = win32::FullPathOf(wide);
  return win32::ShownText(full.empty() ? wide : full);
}

std::string ReportForConsole(std::string_view report) {
  return win32::AnsiToOem(report);
}

std::string SystemErrorText(TOsError error) {
  char buffer[1024];
  const DWORD length =
      ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       static_cast<DWORD>(error), 0, buffer, sizeof buffer, nullptr);
  return TrimSystemText(length > 0 ? std::string(buffer, length)
                                   : "Unknown error " + FormatInt(error));
}

std::string TrimSystemText(std::string text) {
  // The system's texts end in a full stop and CR LF; in Japanese the stop
  // is the two-byte ideographic one. The text is cut a character at a
  // time, so the 0x81 0x42 that ends another character, say 0x82 0x81 0x42,
  // is never taken for a stop.
  while (!text.empty()) {
    size_t last = 0;
    for (size_t i = 0; i < text.size();) {
      last = i;
      const bool pair = IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size();
      i += pair ? 2u : 1u;
    }
    const std::string_view character = std::string_view(text).substr(last);
    const unsigned char first = static_cast<unsigned char>(character[0]);
    const bool trimmed = character.size() == 1 ? first <= 0x20 || first == '.' || first == 0x7F
                                               : character == kIdeographicFullStop ||
                                                     character == kFullWidthFullStop ||
                                                     character == kIdeographicSpace;
    if (!trimmed) break;
    text.resize(last);
  }
  return text;
}

std::string InOutErrorMessage(TOsError error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND: return "File not found";
    case ERROR_PATH_NOT_FOUND: return "Invalid filename";
    case ERROR_TOO_MANY_OPEN_FILES: return "Too many open files";
    case ERROR_ACCESS_DENIED: return "File access denied";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return "Disk full";
    default: return "I/O error " + FormatInt(error);
  }
}

unsigned UsableCpuCount() {
  DWORD_PTR process = 0;
  DWORD_PTR system = 0;
  if (::GetProcessAffinityMask(::GetCurrentProcess(), &process, &system) != 0) {
    const int count = std::popcount(static_cast<uint64_t>(process));
    if (count > 0) return static_cast<unsigned>(count);
  }
  return 1;
}

unsigned WorkerThreadCount() {
  return UsableCpuCount();
}

}  // namespace quilnote
