// The Win32 loading services against real files in a temporary folder: path spelling,
// shell links, whole-file reads and the standard input handle.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/platform/document_io.h"
#include "core/platform/files.h"
#include "core/platform/out_of_memory.h"
#include "core/text/document_loader.h"
#include "core/text/load_job.h"
#include "win/platform/shell_paths.h"
#include "win/platform/text_conversion.h"
#include "cut_from_outside.h"

namespace vemora {
namespace {

// A fresh folder under the temporary path, removed with its files afterwards.
class TempFolder {
 public:
  TempFolder() {
    wchar_t base[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, base);
    path_ = std::wstring(base) + L"VemoraDocIo" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(path_.c_str(), nullptr);
  }
  ~TempFolder() {
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((path_ + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") DeleteFileW((path_ + L"\\" + name).c_str());
      } while (FindNextFileW(search, &found));
      FindClose(search);
    }
    RemoveDirectoryW(path_.c_str());
  }
  std::wstring Write(const std::wstring& name, const std::string& bytes) const {
    const std::wstring file = path_ + L"\\" + name;
    const HANDLE handle =
        CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(handle);
    return file;
  }
  const std::wstring& Path() const { return path_; }

 private:
  std::wstring path_;
};

std::u16string Normalized(const std::wstring& path) {
  std::u16string text = ToUtf16(path);
  win::NormalizePath(text);
  return text;
}

TEST(NormalizePath, ComponentsTakeTheirSpellingOnDisk) {
  TempFolder folder;
  folder.Write(L"ReadMe.txt", "x");
  const std::u16string directory = Normalized(folder.Path());
  std::wstring shouted = folder.Path() + L"\\README.TXT";
  EXPECT_EQ(Normalized(shouted), directory + u"\\ReadMe.txt");
  // Relative paths become absolute; "." and ".." fold away.
  wchar_t previous[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, previous);
  SetCurrentDirectoryW(folder.Path().c_str());
  EXPECT_EQ(Normalized(L".\\sub\\..\\readme.TXT"), directory + u"\\ReadMe.txt");
  SetCurrentDirectoryW(previous);
  // A component that does not exist keeps the spelling it was given.
  EXPECT_EQ(Normalized(folder.Path() + L"\\NoSuch\\File.TXT"), directory + u"\\NoSuch\\File.TXT");
}

TEST(NormalizePath, ShortNamesBecomeLongNames) {
  TempFolder folder;
  const std::wstring file = folder.Write(L"A rather long file name.text", "x");
  wchar_t shortPath[MAX_PATH] = {};
  ASSERT_GT(GetShortPathNameW(file.c_str(), shortPath, MAX_PATH), 0u);
  ASSERT_EQ(std::wstring(shortPath).find(L"long file"), std::wstring::npos);
  EXPECT_EQ(Normalized(shortPath), Normalized(folder.Path()) + u"\\A rather long file name.text");
}

TEST(NormalizePath, PathsBeyond260UnitsAreNotShortened) {
  const std::wstring tooLong = L"C:\\" + std::wstring(200, L'a') + L"\\" + std::wstring(70, L'b');
  EXPECT_EQ(Normalized(tooLong), ToUtf16(tooLong));
}

// Creates a shell link to `target` with the shell's own link object.
bool CreateShortcut(const std::wstring& link, const std::wstring& target) {
  IShellLinkW* shellLink = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&shellLink))))
    return false;
  IPersistFile* file = nullptr;
  bool saved =
      SUCCEEDED(shellLink->SetPath(target.c_str())) &&
      SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
      SUCCEEDED(file->Save(link.c_str(), TRUE));
  if (file) file->Release();
  shellLink->Release();
  return saved;
}

class ShortcutTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr))); }
  void TearDown() override { CoUninitialize(); }
};

TEST_F(ShortcutTest, LinkIsReplacedByItsTarget) {
  TempFolder folder;
  const std::wstring target = folder.Write(L"Target.txt", "hello");
  const std::wstring link = folder.Path() + L"\\Target.lnk";
  ASSERT_TRUE(CreateShortcut(link, target));
  std::u16string path = ToUtf16(link);
  win::ResolveShortcut(path, nullptr);
  EXPECT_EQ(Normalized(std::wstring(AsWide(path.c_str()))), Normalized(target));
}

// Only a regular file named *.lnk is taken for a link: a link saved under another name
// stays itself, and a device name is never opened (the link object would wait on it).
TEST_F(ShortcutTest, OtherFilesKeepTheirPath) {
  TempFolder folder;
  const std::wstring plain = folder.Write(L"plain.txt", "not a link");
  const std::wstring target = folder.Write(L"target.txt", "target");
  ASSERT_TRUE(CreateShortcut(folder.Path() + L"\\link.lnk", target));
  ASSERT_TRUE(CopyFileW((folder.Path() + L"\\link.lnk").c_str(),
                        (folder.Path() + L"\\link.txt").c_str(), FALSE));
  CreateDirectoryW((folder.Path() + L"\\folder.lnk").c_str(), nullptr);
  const std::wstring paths[] = {plain,
                                folder.Path() + L"\\missing.lnk",
                                folder.Path() + L"\\link.txt",
                                folder.Path() + L"\\folder.lnk",
                                L"COM1",
                                L"aux.txt",
                                L"nul.lnk",
                                folder.Path() + L"\\Con.lnk"};
  for (const std::wstring& given : paths) {
    std::u16string path = ToUtf16(given);
    win::ResolveShortcut(path, nullptr);
    EXPECT_EQ(path, ToUtf16(given));
  }
  RemoveDirectoryW((folder.Path() + L"\\folder.lnk").c_str());
}

TEST(ReadWholeFile, CompleteEmptyAndUnopenable) {
  TempFolder folder;
  DocumentIo& io = SystemDocumentIo();
  FileBytes bytes;
  const std::wstring name = folder.Write(L"日本語の名前.txt", std::string("a\0b", 3));
  ASSERT_EQ(io.ReadWholeFile(ToUtf16(name), bytes), FileReadStatus::kComplete);
  ASSERT_EQ(bytes.length, 3);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data()), 3), std::string("a\0b", 3));
  EXPECT_EQ(io.ReadWholeFile(ToUtf16(folder.Write(L"empty.txt", "")), bytes),
            FileReadStatus::kComplete);
  EXPECT_EQ(bytes.length, 0);
  EXPECT_EQ(io.ReadWholeFile(ToUtf16(folder.Path() + L"\\missing.txt"), bytes),
            FileReadStatus::kCannotOpen);
  EXPECT_EQ(io.ReadWholeFile(ToUtf16(folder.Path()), bytes), FileReadStatus::kCannotOpen);
  // Devices are refused like a folder, by name in any folder and by type.
  for (const wchar_t* device : {L"COM1", L"AUX", L"nul", L"aux.txt", L"\\\\.\\NUL", L"CONIN$"}) {
    EXPECT_EQ(io.ReadWholeFile(ToUtf16(device), bytes), FileReadStatus::kCannotOpen) << device;
    EXPECT_EQ(io.ReadWholeFile(ToUtf16(folder.Path() + L"\\" + device), bytes),
              FileReadStatus::kCannotOpen)
        << device;
  }
  std::u16string device = u"Com1.log";
  io.NormalizePath(device);
  EXPECT_EQ(device, u"Com1.log");
}

// The system's loading services, except that the file is cut short from outside as soon
// as it is mapped, before the detection and decoding threads read it.
struct CutFromOutsideIo final : DocumentIo {
  void ResolveShortcut(std::u16string&, void*) override {}
  void NormalizePath(std::u16string& path) override { win::NormalizePath(path); }
  FileReadStatus ReadWholeFile(std::u16string_view path, FileBytes& bytes) override {
    const FileReadStatus status = SystemDocumentIo().ReadWholeFile(path, bytes);
    mapped = bytes.mapped != nullptr;
    cut = CutFromOutside(ToWide(path), 4096);
    return status;
  }
  int32_t ReadStandardInputPiece(uint8_t*, int32_t) override { return 0; }
  bool mapped = false;
  bool cut = false;
};

struct NoWindow final : LoadHost {
  void RefreshAfterLoad(int32_t, int32_t) override { ++refreshes; }
  void UpdateFileHistory(std::u16string_view) override {}
  const LoadJobOptions* StepOptions() override { return steps; }
  int refreshes = 0;
  const LoadJobOptions* steps = nullptr;
};

// A mapped file that loses its pages while it is read: the reads see zeros instead of
// ending the process, and the load fails with the document shown before still in place,
// also when it is loaded in steps and its first step already met the lost pages.
TEST(MappedFile, CutShortFromOutsideWhileReadFailsTheLoadOnly) {
  TempFolder folder;
  const std::wstring first = folder.Write(L"first.txt", "first");
  std::string large;
  while (large.size() < (9u << 20)) large += "\x93\xfa\x96\x7b\x8c\xea\r\n";  // several views
  const std::wstring cutPath = folder.Write(L"cut.txt", large);

  FileBytes bytes;
  ASSERT_EQ(ReadFileBytes(ToUtf16(cutPath), bytes), FileReadStatus::kComplete);
  ASSERT_NE(bytes.mapped, nullptr);
  const uint64_t lost = MappedPagesLost();
  if (!CutFromOutside(cutPath, 4096)) GTEST_SKIP() << "no way to cut the file from outside";
  size_t zeros = 0;
  for (size_t at = 0; at < large.size(); at += 4096) zeros += bytes.data()[at] == 0;
  EXPECT_GE(zeros, large.size() / 4096 - 1024);  // past the first view, all of them
  EXPECT_GT(MappedPagesLost(), lost);
  bytes = FileBytes();

  std::unique_ptr<Document> current;
  AppOptions options;
  NoWindow host;
  std::u16string path = ToUtf16(first);
  LoadDocument(current, path, 0, -1, 0, options, host);
  ASSERT_TRUE(current);
  const LoadJobOptions steps;
  for (const LoadJobOptions* stepOptions : {static_cast<const LoadJobOptions*>(nullptr), &steps}) {
    folder.Write(L"cut.txt", large);
    host.steps = stepOptions;
    CutFromOutsideIo io;
    path = ToUtf16(cutPath);
    EXPECT_EQ(LoadDocument(current, path, 0, -1, 0, options, host, io), LoadOutcome::kCutShort);
    EXPECT_TRUE(io.mapped && io.cut);
    ASSERT_TRUE(current);
    EXPECT_EQ(current->Text(), u"first");
    EXPECT_EQ(host.refreshes, 1);
  }
}

// A file too large for the memory: with the viewer's handler in place, the allocation that
// fails ends the load, not the process, and the document shown before stays. The size is
// beyond any address space, so that the failure comes at once (a size the system only just
// refuses costs it seconds to refuse).
TEST(OutOfMemory, AFileBeyondTheMemoryFailsTheLoadOnly) {
  struct HugeFileIo final : DocumentIo {
    void ResolveShortcut(std::u16string&, void*) override {}
    void NormalizePath(std::u16string&) override {}
    FileReadStatus ReadWholeFile(std::u16string_view, FileBytes& bytes) override {
      bytes = FileBytes::Allocate(int64_t{1} << 60);
      return FileReadStatus::kComplete;
    }
    int32_t ReadStandardInputPiece(uint8_t*, int32_t) override { return 0; }
  } io;
  auto current = std::make_unique<Document>();
  const Document* before = current.get();
  AppOptions options;
  NoWindow host;
  std::u16string path = u"huge.txt";
  const std::new_handler previous = std::get_new_handler();
  InstallOutOfMemoryHandler();
  const LoadOutcome outcome = LoadDocument(current, path, 0, -1, 0, options, host, io);
  std::set_new_handler(previous);
  EXPECT_EQ(outcome, LoadOutcome::kOutOfMemory);
  EXPECT_EQ(current.get(), before);
  EXPECT_EQ(host.refreshes, 0);
}

// Runs `body` with standard input replaced by `input`, then restores it.
template <typename Body>
void WithStandardInput(HANDLE input, Body body) {
  const HANDLE previous = GetStdHandle(STD_INPUT_HANDLE);
  SetStdHandle(STD_INPUT_HANDLE, input);
  body();
  SetStdHandle(STD_INPUT_HANDLE, previous);
}

TEST(StandardInput, ReadsInPiecesUntilThePipeIsEmpty) {
  HANDLE reading = nullptr;
  HANDLE writing = nullptr;
  ASSERT_TRUE(CreatePipe(&reading, &writing, nullptr, 8192));
  const std::string sent(3000, 'x');
  DWORD written = 0;
  WriteFile(writing, sent.data(), static_cast<DWORD>(sent.size()), &written, nullptr);
  CloseHandle(writing);
  WithStandardInput(reading, [] {
    uint8_t buffer[1024];
    DocumentIo& io = SystemDocumentIo();
    int32_t total = 0;
    for (int32_t piece; (piece = io.ReadStandardInputPiece(buffer, 1024)) > 0;) {
      EXPECT_LE(piece, 1024);
      total += piece;
    }
    EXPECT_EQ(total, 3000);
    EXPECT_EQ(io.ReadStandardInputPiece(buffer, 1024), 0);
  });
  CloseHandle(reading);
  WithStandardInput(INVALID_HANDLE_VALUE, [] {
    uint8_t buffer[16];
    EXPECT_EQ(SystemDocumentIo().ReadStandardInputPiece(buffer, 16), 0);
  });
}

}  // namespace
}  // namespace vemora
