// Memory exhaustion: one handler tells the user and ends the process, except in a load,
// which gives up instead.
#pragma once

#include <cstddef>
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
// document shown before (a load in steps, what it joined), a search gives up and leaves
// what is shown, and the user learns why. The workers of a load in steps and of a search
// make their own. Pieces of work run beside the calling thread still end the process when
// even their little fails, and so does the calling thread meanwhile (made with
// `recoverable` false), as a throw would leave them running, unless the pieces never wait
// for one another (RunSeparatePieces).
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

// AddressSanitizer's and ThreadSanitizer's operator new end the process themselves when
// the system refuses, without calling the new-handler.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr bool kSanitizerEndsFailedAllocations = true;
#else
inline constexpr bool kSanitizerEndsFailedAllocations = false;
#endif

// Tests: an allocation the system refuses at once (a size beyond any address space), met
// as any refused one is: through the new-handler, or as std::bad_alloc without one. Under
// a sanitizer whose operator new ends the process, the handler's part is played directly.
inline void AskBeyondMemory() {
  if constexpr (kSanitizerEndsFailedAllocations) {
    OnAllocationFailure();
  } else {
    volatile size_t huge = size_t{1} << (sizeof(size_t) * 8 - 2);
    static void* volatile memory;
    memory = ::operator new(huge);
    ::operator delete(memory);
  }
}

}  // namespace vemora
