// The Windows platform layer: share modes, Shift-JIS names whose second
// byte is 0x5C, the system's error codes.
#include "base/output_file.h"
#include "base/platform.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "base/errors.h"

namespace quilnote {
namespace {

// Shift-JIS names with 0x5C, a backslash when read alone, as second byte:
// the kanji for "table" (0x95 0x5C) and "sofuto" in katakana, whose so is
// 0x83 0x5C.
const std::string kHyou = "\x95\x5C";
const std::string kSofuto = "\x83\x5C\x83\x74\x83\x67";

void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA entry;
  HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &entry);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = entry.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = folder + "\\" + name;
      if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        RemoveTree(path);
      } else {
        ::DeleteFileA(path.c_str());
      }
    } while (::FindNextFileA(find, &entry) != 0);
    ::FindClose(find);
  }
  ::RemoveDirectoryA(folder.c_str());
}

// Up to the first `n` bytes of the file `name`; nothing when it cannot be
// opened or read.
std::optional<std::string> ReadFileStart(const std::string& name, size_t n) {
  HANDLE handle = ::CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string start(n, '\0');
  DWORD got = 0;
  const BOOL read = ::ReadFile(handle, start.data(), static_cast<DWORD>(n), &got, nullptr);
  ::CloseHandle(handle);
  if (read == 0) return std::nullopt;
  start.resize(got);
  return start;
}

std::string CurrentFolder() {
  char buffer[MAX_PATH];
  const DWORD length = ::GetCurrentDirectoryA(MAX_PATH, buffer);
  return std::string(buffer, length < MAX_PATH ? length : 0);
}

// Each test runs in a fresh temporary folder, its current folder, so that
// file names are short relative ones.
class WindowsTest : public testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    const DWORD length = ::GetTempPathA(MAX_PATH, temp);
    ASSERT_GT(length, 0u);
    ASSERT_LT(length, static_cast<DWORD>(MAX_PATH));
    folder_ = std::string(temp, length) + "quilnote_test_" +
              std::to_string(::GetCurrentProcessId());
    ASSERT_NE(::CreateDirectoryA(folder_.c_str(), nullptr), 0) << folder_;
    previous_ = CurrentFolder();
    ASSERT_NE(::SetCurrentDirectoryA(folder_.c_str()), 0);
  }
  void TearDown() override {
    ::SetCurrentDirectoryA(previous_.c_str());
    RemoveTree(folder_);
  }

  // Creates `name` holding `bytes`.
  static void Make(const std::string& name, const std::string& bytes) {
    TOsError error = 0;
    TFile file = TFile::Open(name, TFile::TOpenMode::kWriteTruncateCreate, &error);
    ASSERT_TRUE(file.IsOpen()) << name << ": " << error;
    file.WriteAll(bytes.data(), bytes.size());
    file.Close();
  }

  // Opens `name` the way another program would, or gives
  // INVALID_HANDLE_VALUE.
  static HANDLE Hold(const std::string& name, DWORD access, DWORD share) {
    return ::CreateFileA(name.c_str(), access, share, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  }

  std::string folder_;
  std::string previous_;
};

TEST_F(WindowsTest, TextFileHeldForWritingIsNotOpened) {
  Make("held.txt", "text\r\n");
  HANDLE writer = Hold("held.txt", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  try {
    TFile::OpenForReading("held.txt");
    ADD_FAILURE() << "opened a file held for writing";
  } catch (const EFOpenError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot open file \"" + FullPath("held.txt") + "\". " +
                                         SystemErrorText(ERROR_SHARING_VIOLATION));
  }
  EXPECT_EQ(ReadFileStart("held.txt", 4), std::nullopt);
  ::CloseHandle(writer);
  EXPECT_EQ(ReadFileStart("held.txt", 4), "text");
}

TEST_F(WindowsTest, TextFileBeingReadIsReadableButNotWritableElsewhere) {
  Make("read.txt", "text");
  TFile file = TFile::OpenForReading("read.txt");
  HANDLE reader = Hold("read.txt", GENERIC_READ, FILE_SHARE_READ);
  EXPECT_NE(reader, INVALID_HANDLE_VALUE);
  ::CloseHandle(reader);
  EXPECT_EQ(Hold("read.txt", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(file.RegularFileSize(), 4u);
  char buffer[8];
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 4u);
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u);
}

TEST_F(WindowsTest, OutputFileHeldElsewhereIsNotCreated) {
  Make("out.pdf", "old");
  HANDLE reader = Hold("out.pdf", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  EXPECT_THROW(TOutputFile::Open("out.pdf"), EFCreateError);
  ::CloseHandle(reader);
  EXPECT_EQ(ReadFileStart("out.pdf", 8), "old");
}

TEST_F(WindowsTest, OutputFileIsHeldExclusivelyWhileWritten) {
  TFile file = TOutputFile::Open("out.pdf").TakeForWriting();
  EXPECT_EQ(Hold("out.pdf", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(ReadFileStart("out.pdf", 8), std::nullopt);
  file.WriteAll("%PDF", 4);
  file.Close();
  EXPECT_EQ(ReadFileStart("out.pdf", 8), "%PDF");
}

TEST_F(WindowsTest, ShiftJisNamesEndingInTrailByte5CStayWhole) {
  if (::GetACP() != 932) GTEST_SKIP() << "the ANSI code page is not 932";
  const std::string name = kHyou + "\\" + kSofuto + ".txt";
  ASSERT_NE(::CreateDirectoryA(kHyou.c_str(), nullptr), 0);
  Make(name, "abc");

  const std::string full = FullPath(name);
  EXPECT_EQ(full, folder_ + "\\" + name);
  EXPECT_EQ(FullPath(kHyou + "\\..\\" + kHyou + "\\.\\" + kSofuto + ".txt"), full);
  EXPECT_TRUE(TextFileExists(name));
  EXPECT_FALSE(TextFileExists(kHyou));
  EXPECT_FALSE(TextFileExists(kHyou + "\\" + kSofuto));
  EXPECT_EQ(EntryKindOf(name), TEntryKind::kRegular);
  EXPECT_EQ(EntryKindOf(kHyou), TEntryKind::kOther);
  EXPECT_EQ(ReadFileStart(full, 8), "abc");
  EXPECT_TRUE(SameExistingFile(name, full));
  Make("other.txt", "abc");
  EXPECT_FALSE(SameExistingFile(name, "other.txt"));
  EXPECT_FALSE(SameExistingFile(name, "missing.txt"));
}

// Also run as a copy of the test program under another name (see below):
// then writes ModuleName() to the file QUILNOTE_MODULE_NAME_FILE names.
TEST(WindowsModuleNameTest, IsTheExecutableFileName) {
  char report[MAX_PATH];
  const DWORD length = ::GetEnvironmentVariableA("QUILNOTE_MODULE_NAME_FILE", report, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) {
    EXPECT_EQ(ModuleName(nullptr), "quilnote_tests.exe");
    return;
  }
  HANDLE file = ::CreateFileA(report, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  const std::string name = ModuleName(nullptr);
  DWORD written = 0;
  ::WriteFile(file, name.data(), static_cast<DWORD>(name.size()), &written, nullptr);
  ::CloseHandle(file);
}

TEST_F(WindowsTest, ModuleNameKeepsTrailByte5C) {
  if (::GetACP() != 932) GTEST_SKIP() << "the ANSI code page is not 932";
  char self[MAX_PATH];
  const DWORD self_length = ::GetModuleFileNameA(nullptr, self, MAX_PATH);
  ASSERT_GT(self_length, 0u);
  ASSERT_LT(self_length, static_cast<DWORD>(MAX_PATH));
  ASSERT_NE(::CreateDirectoryA(kHyou.c_str(), nullptr), 0);
  const std::string copy = folder_ + "\\" + kHyou + "\\" + kSofuto + ".exe";
  ASSERT_NE(::CopyFileA(self, copy.c_str(), TRUE), 0);

  const std::string report = folder_ + "\\module_name";
  ASSERT_NE(::SetEnvironmentVariableA("QUILNOTE_MODULE_NAME_FILE", report.c_str()), 0);
  std::string command_line =
      "\"" + copy + "\" --gtest_filter=WindowsModuleNameTest.IsTheExecutableFileName";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const BOOL started = ::CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0,
                                        nullptr, nullptr, &startup, &process);
  ::SetEnvironmentVariableA("QUILNOTE_MODULE_NAME_FILE", nullptr);
  ASSERT_NE(started, 0);
  ::WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 1;
  ::GetExitCodeProcess(process.hProcess, &status);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  EXPECT_EQ(status, 0u);
  EXPECT_EQ(ReadFileStart(report, 64), kSofuto + ".exe");
}

TEST(WindowsErrorTest, InOutErrorMessagesForSystemCodes) {
  EXPECT_EQ(InOutErrorMessage(ERROR_FILE_NOT_FOUND), "File not found");
  EXPECT_EQ(InOutErrorMessage(ERROR_PATH_NOT_FOUND), "Invalid filename");
  EXPECT_EQ(InOutErrorMessage(ERROR_TOO_MANY_OPEN_FILES), "Too many open files");
  EXPECT_EQ(InOutErrorMessage(ERROR_ACCESS_DENIED), "File access denied");
  EXPECT_EQ(InOutErrorMessage(ERROR_DISK_FULL), "Disk full");
  EXPECT_EQ(InOutErrorMessage(ERROR_HANDLE_DISK_FULL), "Disk full");
  EXPECT_EQ(InOutErrorMessage(ERROR_INVALID_HANDLE), "I/O error 6");
  EXPECT_EQ(InOutErrorMessage(ERROR_NO_DATA), "I/O error 232");
}

TEST(WindowsErrorTest, SystemErrorTextsEndInNoStopOrLineEnd) {
  for (TOsError error : {ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION}) {
    const std::string text = SystemErrorText(error);
    ASSERT_FALSE(text.empty()) << error;
    const unsigned char last = static_cast<unsigned char>(text.back());
    EXPECT_TRUE(last > 0x20 && last != '.' && last != 0x7F) << error << ": " << text;
    // Nor in the ideographic full stop of a Japanese system's texts.
    EXPECT_FALSE(text.size() >= 2 && text.substr(text.size() - 2) == "\x81\x42") << error;
  }
}

TEST(WindowsProcessTest, UsesAtLeastOneCpu) { EXPECT_GE(UsableCpuCount(), 1u); }

}  // namespace
}  // namespace quilnote

namespace quilnote {
namespace {

TEST(WindowsConsoleTest, NoConsoleMeansStandardErrorNotAFailure) {
  // Under the test runner every standard handle is redirected and Wine
  // gives the process no console: setting up the channel must not fail.
  EXPECT_NO_THROW(TConsoleDevice device);
}

}  // namespace
}  // namespace quilnote
