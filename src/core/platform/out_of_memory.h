// Memory exhaustion is not recoverable: one handler tells the user and ends the process.
#pragma once

namespace vemora {

inline constexpr char16_t kOutOfMemoryMessage[] = u"メモリが確保できません。強制終了します。";
inline constexpr char16_t kProgramTitle[] = u"Vemora";

// Shows kOutOfMemoryMessage (a message box titled "Vemora" with the error icon on
// Windows, standard error natively) and ends the process with exit code 1.
[[noreturn]] void ReportOutOfMemory();

// Makes every failed operator new call ReportOutOfMemory.
void InstallOutOfMemoryHandler();

}  // namespace vemora
