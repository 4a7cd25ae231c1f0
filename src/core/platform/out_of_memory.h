// Memory exhaustion: one handler tells the user and ends the process, except in a load,
// which gives up instead.
#pragma once

#include <new>

namespace vemora {

inline constexpr char16_t kOutOfMemoryMessage[] = u"メモリが確保できません。強制終了します。";
inline constexpr char16_t kProgramTitle[] = u"Vemora";

// Shows kOutOfMemoryMessage (a message box titled "Vemora" with the error icon on
// Windows, standard error natively) and ends the process with exit code 1.
[[noreturn]] void ReportOutOfMemory();

// Makes every failed operator new call ReportOutOfMemory, except where allocations are
// recoverable.
void InstallOutOfMemoryHandler();

// While one lives, a failed operator new on the thread that made it throws std::bad_alloc
// instead: a load that asks for more memory than there is gives up and leaves the
// document shown before, and the user learns why. Its worker threads ask for little and
// still end the process when even that fails; so does the loading thread while it works
// beside them (made with `recoverable` false), as a throw would leave them running.
class RecoverableAllocations {
 public:
  explicit RecoverableAllocations(bool recoverable = true) : outer_(active_) {
    active_ = recoverable;
  }
  ~RecoverableAllocations() { active_ = outer_; }
  RecoverableAllocations(const RecoverableAllocations&) = delete;
  RecoverableAllocations& operator=(const RecoverableAllocations&) = delete;
  static bool Active() { return active_; }

 private:
  static inline thread_local bool active_ = false;
  bool outer_;
};

// What the new handler does.
inline void OnAllocationFailure() {
  if (RecoverableAllocations::Active()) throw std::bad_alloc();
  ReportOutOfMemory();
}

}  // namespace vemora
