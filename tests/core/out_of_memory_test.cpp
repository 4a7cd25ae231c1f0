// Memory exhaustion: a failed allocation tells the user and ends the process with exit
// code 1. Checked in a child process; on Windows the message box is read and closed.
#include "core/platform/out_of_memory.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <new>
#include <ostream>
#include <string>
#include <utility>

#ifdef _WIN32
#include <windows.h>

#include <cstdio>
#include <thread>
#endif

namespace vemora {
namespace {

#ifdef _WIN32
BOOL CALLBACK HasMessageText(HWND child, LPARAM found) {
  wchar_t text[128] = {};
  GetWindowTextW(child, text, 128);
  if (std::u16string_view(reinterpret_cast<const char16_t*>(text)) == kOutOfMemoryMessage)
    *reinterpret_cast<bool*>(found) = true;
  return TRUE;
}

// Waits for the message box, reports on standard error whether it says what it must,
// and presses OK, as the user would.
void AnswerMessageBox() {
  std::thread([] {
    for (int attempt = 0; attempt < 1000; ++attempt) {
      if (HWND box = FindWindowW(L"#32770", L"Vemora")) {
        bool found = false;
        EnumChildWindows(box, HasMessageText, reinterpret_cast<LPARAM>(&found));
        std::fputs(found ? "message box shown\n" : "message box without the message\n", stderr);
        std::fflush(stderr);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return;
      }
      Sleep(10);
    }
  }).detach();
}
#endif

void ExhaustMemory() {
  InstallOutOfMemoryHandler();
#ifdef _WIN32
  AnswerMessageBox();
#endif
  if constexpr (kSanitizerEndsFailedAllocations) {
    // The sanitizer's operator new would report the failure itself, so the handler is
    // called as operator new would call it.
    std::get_new_handler()();
  } else {
    // Called as a function, not through a new-expression, which the compiler may elide.
    volatile size_t huge = static_cast<size_t>(1) << (sizeof(size_t) * 8 - 2);
    static void* volatile memory;
    memory = ::operator new(huge);
    ::operator delete(memory);
  }
}

// Standard error of the child holds `text` (a plain search: the regular expressions of
// death tests do not handle multi-byte text everywhere).
testing::Matcher<const std::string&> Contains(std::string text) {
  class ContainsMatcher : public testing::MatcherInterface<const std::string&> {
   public:
    explicit ContainsMatcher(std::string text) : text_(std::move(text)) {}
    bool MatchAndExplain(const std::string& output, testing::MatchResultListener*) const override {
      return output.find(text_) != std::string::npos;
    }
    void DescribeTo(std::ostream* os) const override { *os << "contains " << text_; }

   private:
    std::string text_;
  };
  return testing::MakeMatcher(new ContainsMatcher(std::move(text)));
}

TEST(OutOfMemoryDeathTest, FailedAllocationEndsTheProcessWithExitCode1) {
#ifdef _WIN32
  EXPECT_EXIT(ExhaustMemory(), testing::ExitedWithCode(1), Contains("message box shown"));
#else
  EXPECT_EXIT(ExhaustMemory(), testing::ExitedWithCode(1),
              Contains("メモリが確保できません。強制終了します。"));
#endif
}

}  // namespace
}  // namespace vemora
