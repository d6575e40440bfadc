// The Windows platform layer: share modes, names outside every code page
// and beside their look-alikes, long paths, the system's error codes, the
// failure report's code page.
#include "base/output_file.h"
#include "base/platform.h"

#include "platform/win32_api.h"

#include <bit>
#include <cstdint>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "base/errors.h"
#include "platform/win32_text.h"
#include "test_support.h"

namespace quilnote {
namespace {

using win32::Wide;

// Names whose Shift-JIS second byte is 0x5C, a backslash when read alone:
// the kanji for "table" (0x95 0x5C) and "sofuto" in katakana, whose so is
// 0x83 0x5C. The program holds them in UTF-8, like every name.
const std::string kHyou = "\u8868";
const std::string kSofuto = "\u30BD\u30D5\u30C8";

// Removes `folder` (a full path) with everything in it, long paths too.
void RemoveTree(const std::wstring& folder) {
  const std::wstring verbatim = L"\\\\?\\" + folder;
  WIN32_FIND_DATAW entry;
  HANDLE find = ::FindFirstFileW((verbatim + L"\\*").c_str(), &entry);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        RemoveTree(path);
      } else {
        ::DeleteFileW((L"\\\\?\\" + path).c_str());
      }
    } while (::FindNextFileW(find, &entry) != 0);
    ::FindClose(find);
  }
  ::RemoveDirectoryW(verbatim.c_str());
}

// Up to the first `n` bytes of the file `name`, opened as the text file
// is; nothing when it cannot be opened or read.
std::optional<std::string> ReadFileStart(const std::string& name, size_t n) {
  try {
    TFile file = TFile::OpenForReading(name);
    std::string start(n, '\0');
    start.resize(file.Read(start.data(), n));
    return start;
  } catch (const Exception&) {
    return std::nullopt;
  }
}

std::wstring CurrentFolder() {
  wchar_t buffer[MAX_PATH];
  const DWORD length = ::GetCurrentDirectoryW(MAX_PATH, buffer);
  return std::wstring(buffer, length < MAX_PATH ? length : 0);
}

// Each test runs in a fresh temporary folder, its current folder, so that
// file names are short relative ones.
class WindowsTest : public testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    const DWORD length = ::GetTempPathW(MAX_PATH, temp);
    ASSERT_GT(length, 0u);
    ASSERT_LT(length, static_cast<DWORD>(MAX_PATH));
    wide_folder_ =
        std::wstring(temp, length) + L"quilnote_test_" + std::to_wstring(::GetCurrentProcessId());
    folder_ = win32::ShownText(wide_folder_);
    ASSERT_NE(::CreateDirectoryW(wide_folder_.c_str(), nullptr), 0) << folder_;
    previous_ = CurrentFolder();
    ASSERT_NE(::SetCurrentDirectoryW(wide_folder_.c_str()), 0);
  }
  void TearDown() override {
    ::SetCurrentDirectoryW(previous_.c_str());
    RemoveTree(wide_folder_);
  }

  // Creates `name` holding `bytes`.
  static void Make(const std::string& name, const std::string& bytes) {
    HANDLE file = ::CreateFileW(win32::SystemName(name).c_str(), GENERIC_WRITE, 0, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << name << ": " << ::GetLastError();
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
  }

  // Opens `name` (UTF-8) the way another program would, or gives
  // INVALID_HANDLE_VALUE.
  static HANDLE Hold(const std::string& name, DWORD access, DWORD share) {
    return ::CreateFileW(Wide(name).c_str(), access, share, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  }

  // The bytes of `name` (UTF-8) as another program reads them, or "none".
  static std::string Bytes(const std::string& name) {
    HANDLE file = Hold(name, GENERIC_READ, FILE_SHARE_READ);
    if (file == INVALID_HANDLE_VALUE) return "none";
    char buffer[64];
    DWORD got = 0;
    ::ReadFile(file, buffer, sizeof buffer, &got, nullptr);
    ::CloseHandle(file);
    return std::string(buffer, got);
  }

  std::wstring wide_folder_;
  std::string folder_;  // as shown: in the ANSI code page
  std::wstring previous_;
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

// The start of an existing file is read through the one handle that
// writes it; a read that fails keeps the file and says why.
TEST_F(WindowsTest, OutputFileStartIsReadOrTheFileKept) {
  Make("out.pdf", "%PDF-1.3\n");
  Make("notes.txt", "notes\r\n");
  EXPECT_FALSE(TOutputFile::Open("out.pdf").HoldsSomethingElse());
  EXPECT_TRUE(TOutputFile::Open("notes.txt").HoldsSomethingElse());
  struct TFailingRead : TOutputFileAccess {
    size_t ReadAt(TFile&, uint64_t, char*, size_t) override { throw EReadError(ERROR_CRC); }
  } failing;
  try {
    TOutputFile::Open("notes.txt", failing);
    ADD_FAILURE() << "a file whose start failed to read was opened";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot create file \"" + FullPath("notes.txt") + "\". " +
                                         SystemErrorText(ERROR_CRC));
  }
  EXPECT_EQ(Bytes("notes.txt"), "notes\r\n");
}

TEST_F(WindowsTest, NamesWithTrailByte5CStayWhole) {
  const std::string name = kHyou + "\\" + kSofuto + ".txt";
  ASSERT_NE(::CreateDirectoryW(Wide(kHyou).c_str(), nullptr), 0);
  Make(name, "abc");

  EXPECT_TRUE(TextFileExists(name));
  EXPECT_FALSE(TextFileExists(kHyou));
  EXPECT_FALSE(TextFileExists(kHyou + "\\" + kSofuto));
  const std::string dotted = kHyou + "\\..\\" + kHyou + "\\.\\" + kSofuto + ".txt";
  EXPECT_EQ(ReadFileStart(dotted, 8), "abc");
  EXPECT_TRUE(SameExistingFile(name, dotted));
  Make("other.txt", "abc");
  EXPECT_FALSE(SameExistingFile(name, "other.txt"));
  EXPECT_FALSE(SameExistingFile(name, "missing.txt"));
  // Shown in the ANSI code page, "." and ".." resolved.
  if (::GetACP() == 932) {
    EXPECT_EQ(FullPath(dotted), folder_ + "\\" + test::Sjis(name));
  }
}

// Names outside code page 932, or in it only by a look-alike, reach their
// own file; a look-alike beside them stays untouched, and a name is shown
// with "?" for what the ANSI code page lacks.
TEST_F(WindowsTest, EveryNameReachesItsOwnFileNeverALookAlike) {
  Make("e.txt", "look-alike");
  Make("cafe.pdf", "look-alike");
  struct Case {
    std::string name;
    std::string shown_in_932;
  } cases[] = {
      {"\u00E9.txt", "?.txt"},  // e with an accent
      {"caf\u00E9.pdf", "caf?.pdf"},
      // Shown with one "?" for each half of the surrogate pair or one for
      // both, as the system converts it: not checked.
      {"\U00020BB7\u91CE\u5BB6.txt", ""},
      {"\uD55C.txt", "?.txt"},  // hangul
      {"my \u8868 " + kSofuto + ".txt", test::Sjis("my \u8868 " + kSofuto) + ".txt"},
  };
  for (const Case& c : cases) {
    Make(c.name, c.name);
    EXPECT_NE(::GetFileAttributesW(Wide(c.name).c_str()), INVALID_FILE_ATTRIBUTES) << c.name;
    EXPECT_TRUE(TextFileExists(c.name)) << c.name;
    EXPECT_EQ(ReadFileStart(c.name, 64), c.name);
    if (::GetACP() == 932 && !c.shown_in_932.empty()) {
      EXPECT_EQ(FullPath(c.name), folder_ + "\\" + c.shown_in_932);
    }
  }
  EXPECT_EQ(Bytes("e.txt"), "look-alike");
  EXPECT_EQ(Bytes("cafe.pdf"), "look-alike");
  EXPECT_FALSE(SameExistingFile("\u00E9.txt", "e.txt"));
  EXPECT_FALSE(TextFileExists("\u00E8.txt"));
}

// A lone surrogate is a name that NTFS allows, but no code page has and
// Wine cannot store (its files are UTF-8 names): it reaches its file, or
// fails as any name the file system refuses, shown with a "?".
TEST_F(WindowsTest, NameWithALoneSurrogateReachesItsFileOrFails) {
  const std::string name = "\xED\xA1\x82.txt";  // U+D842 alone, as WTF-8
  const std::wstring wide = std::wstring(1, wchar_t{0xD842}) + L".txt";
  try {
    TFile file = TOutputFile::Open(name).TakeForWriting();
    file.WriteAll("abc", 3);
    file.Close();
  } catch (const EFCreateError& e) {
    EXPECT_NE(std::string(e.what()).find("\\?.txt\". "), std::string::npos) << e.what();
    EXPECT_FALSE(TextFileExists(name));
    return;
  }
  EXPECT_NE(::GetFileAttributesW(wide.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(TextFileExists(name));
  EXPECT_EQ(ReadFileStart(name, 8), "abc");
}

// Full paths around MAX_PATH (260) characters and far beyond it.
TEST_F(WindowsTest, LongPathsAreReached) {
  std::vector<std::string> names;
  for (size_t length : {size_t{MAX_PATH} - 1, size_t{MAX_PATH}, size_t{MAX_PATH} + 1}) {
    names.push_back(std::string(length - folder_.size() - 1, 'x'));
  }
  std::string deep;
  for (char letter : {'a', 'b', 'c'}) {
    deep += std::string(100, letter);
    ASSERT_NE(::CreateDirectoryW((L"\\\\?\\" + wide_folder_ + L"\\" + Wide(deep)).c_str(), nullptr),
              0);
    deep += "\\";
  }
  names.push_back(deep + kHyou + ".txt");
  for (const std::string& name : names) {
    Make(name, "abc");
    EXPECT_TRUE(TextFileExists(name)) << name.size();
    EXPECT_EQ(ReadFileStart(name, 8), "abc") << name.size();
    EXPECT_TRUE(SameExistingFile(name, folder_ + "\\" + name)) << name.size();
  }
  const std::string missing = deep + "missing\\out.pdf";
  try {
    TOutputFile::Open(missing);
    ADD_FAILURE() << "created a file in a missing folder";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot create file \"" + folder_ + "\\" + missing + "\". " +
                                         SystemErrorText(ERROR_PATH_NOT_FOUND));
  }
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
  wchar_t self[MAX_PATH];
  const DWORD self_length = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  ASSERT_GT(self_length, 0u);
  ASSERT_LT(self_length, static_cast<DWORD>(MAX_PATH));
  ASSERT_NE(::CreateDirectoryW(Wide(kHyou).c_str(), nullptr), 0);
  const std::wstring copy = wide_folder_ + L"\\" + Wide(kHyou + "\\" + kSofuto + ".exe");
  ASSERT_NE(::CopyFileW(self, copy.c_str(), TRUE), 0);

  const std::wstring report = wide_folder_ + L"\\module_name";
  ASSERT_NE(::SetEnvironmentVariableW(L"QUILNOTE_MODULE_NAME_FILE", report.c_str()), 0);
  std::wstring command_line =
      L"\"" + copy + L"\" --gtest_filter=WindowsModuleNameTest.IsTheExecutableFileName";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const BOOL started = ::CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0,
                                        nullptr, nullptr, &startup, &process);
  ::SetEnvironmentVariableW(L"QUILNOTE_MODULE_NAME_FILE", nullptr);
  ASSERT_NE(started, 0);
  ::WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 1;
  ::GetExitCodeProcess(process.hProcess, &status);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  EXPECT_EQ(status, 0u);
  EXPECT_EQ(Bytes("module_name"), test::Sjis(kSofuto + ".exe"));
}

// Wine reaches long paths without "\\?\", Windows only with it (unless
// long paths are enabled for the whole system): the form is checked here.
TEST(WindowsNameTest, FullPathsOfMaxPathCharactersGoVerbatim) {
  const std::wstring folder = win32::FullPathOf(L".");
  ASSERT_FALSE(folder.empty());
  const auto name_for = [&folder](size_t full_length) {
    return std::string(full_length - folder.size() - 1, 'x');
  };
  EXPECT_EQ(win32::SystemName("a\\..\\b.txt"), L"a\\..\\b.txt");
  EXPECT_EQ(win32::SystemName("NUL"), L"NUL");
  EXPECT_EQ(win32::SystemName(name_for(MAX_PATH - 1)), Wide(name_for(MAX_PATH - 1)));
  const std::string at_limit = name_for(MAX_PATH);
  EXPECT_EQ(win32::SystemName(at_limit), L"\\\\?\\" + folder + L"\\" + Wide(at_limit));
  EXPECT_EQ(win32::SystemName("a\\..\\" + at_limit), L"\\\\?\\" + folder + L"\\" + Wide(at_limit));
  const std::string share = "\\\\server\\share\\" + std::string(300, 'x');
  EXPECT_EQ(win32::SystemName(share), L"\\\\?\\UNC\\server\\share\\" + std::wstring(300, L'x'));
  const std::string verbatim = "\\\\?\\C:\\" + std::string(300, 'x');
  EXPECT_EQ(win32::SystemName(verbatim), Wide(verbatim));
}

TEST(WindowsOptionTest, OptionsAreReadInCodePage932WithoutLookAlikes) {
  EXPECT_EQ(OptionText("-sA4L"), "-sA4L");
  EXPECT_EQ(OptionText("-f\u00E9"), "-f?");  // best fit would give -fe
  EXPECT_EQ(OptionText("-" + kHyou + kSofuto), "-\x95\x5C\x83\x5C\x83\x74\x83\x67");
  EXPECT_EQ(OptionText("-\uD55C"), "-?");
}

// The report is made in the ANSI code page and shown in the OEM one.
TEST(WindowsReportTest, ReportIsConvertedToTheOemCodePage) {
  const UINT ansi = ::GetACP();
  const UINT oem = ::GetOEMCP();
  if (ansi == oem) {
    // Every byte as it is, also where converting there and back would not
    // give it back: a lead byte cut off at the end, and NEC's duplicate of
    // an IBM kanji.
    const std::string bytes = "Cannot create file \"\x95\x5C\xED\x40\". x\x81";
    EXPECT_EQ(ReportForConsole(bytes), bytes);
  } else if (ansi == 1252 && (oem == 850 || oem == 437)) {
    EXPECT_EQ(ReportForConsole("caf\xE9 \xFC.pdf\r\n"), "caf\x82 \x81.pdf\r\n");
  } else {
    GTEST_SKIP() << "no known answers for code pages " << ansi << " and " << oem;
  }
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

TEST(WindowsErrorTest, TrimsWholeShiftJisCharactersOnly) {
  struct Case {
    std::string text;
    std::string trimmed;
  } cases[] = {
      {"\x83\x74\x83\x40\x83\x43\x83\x8B\x81\x42\r\n", "\x83\x74\x83\x40\x83\x43\x83\x8B"},
      {"x\x81\x44\x81\x40 ", "x"},
      {"\x82\x81\x42", "\x82\x81\x42"},  // 0x81 0x42 ends another character here
      {"Access is denied.\r\n", "Access is denied"},
  };
  for (const Case& c : cases) EXPECT_EQ(TrimSystemText(c.text), c.trimmed) << c.text;
}

TEST(WindowsProcessTest, CountsTheCpusOfItsAffinityMask) {
  const HANDLE process = ::GetCurrentProcess();
  DWORD_PTR mask = 0;
  DWORD_PTR system = 0;
  ASSERT_NE(::GetProcessAffinityMask(process, &mask, &system), 0);
  const unsigned all = UsableCpuCount();
  // Narrowed to its lowest CPU, as `start /affinity 1` runs it.
  ASSERT_NE(::SetProcessAffinityMask(process, mask & (~mask + 1)), 0);
  const unsigned narrowed = UsableCpuCount();
  ASSERT_NE(::SetProcessAffinityMask(process, mask), 0);
  EXPECT_EQ(narrowed, 1u);
  EXPECT_EQ(all, static_cast<unsigned>(std::popcount(static_cast<uint64_t>(mask))));
}

TEST(WindowsConsoleTest, NoConsoleMeansStandardErrorNotAFailure) {
  // Under the test runner every standard handle is redirected and Wine
  // gives the process no console: setting up the channel must not fail.
  EXPECT_NO_THROW(TConsoleDevice device);
}

}  // namespace
}  // namespace quilnote
