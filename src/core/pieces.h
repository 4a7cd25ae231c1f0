// Large texts worked on in pieces, one per core: where a text may be cut (just after a
// line end, so that no line, no CR LF pair and no character straddles a cut), and
// running the pieces on threads of their own.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "core/platform/out_of_memory.h"

namespace vemora {

// How many pieces a large text is worth cutting into: the machine's cores, at most 16.
int32_t CoreCount();

// Below this many bytes a file is decoded, or read for its encoding, on one thread:
// starting threads would cost more.
inline constexpr int32_t kBytesWorthPieces = 2 << 20;

// Where share `i` of `pieces` even shares of `length` starts (share `pieces` is the end).
inline int64_t ShareStart(int64_t length, int32_t i, int32_t pieces) {
  return length * i / pieces;
}

// Chunks worked on by several threads but finished one after another in their order:
// InTurn(k, step) runs `step` once every chunk before k has had its turn. Chunks are
// handed out in order, so the one before a waiting chunk is always being worked on.
class ChunkTurns {
 public:
  template <typename Step>
  void InTurn(int32_t k, const Step& step) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (next_ != k) {
      ++waiting_;
      turn_.wait(lock, [&] { return next_ == k; });
      --waiting_;
    }
    step();
    ++next_;
    // Waking is a system call under Wine: only when a thread waits.
    const bool wake = waiting_ > 0;
    lock.unlock();
    if (wake) turn_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable turn_;
  int32_t next_ = 0;
  int32_t waiting_ = 0;
};

// Cut positions in a text of `length` units: 0, then up to `pieces` - 1 positions near
// the even shares, each just after a line end (after an LF, or after a CR that no LF
// follows), then `length`. `usable(q)` may refuse the line end at q, and the search goes
// on to the next one. Strictly increasing; two entries when the text has no usable cut.
template <typename Unit, typename Usable>
std::vector<int64_t> CutsAfterLineEnds(const Unit* text, int64_t length, int32_t pieces,
                                       Usable usable) {
  std::vector<int64_t> cuts{0};
  for (int32_t k = 1; k < pieces; ++k) {
    int64_t q = ShareStart(length, k, pieces);
    if (q < cuts.back()) q = cuts.back();
    int64_t cut = length;
    for (; q < length; ++q) {
      if (text[q] != Unit{'\n'} && text[q] != Unit{'\r'}) continue;
      if (!usable(q)) continue;
      cut = text[q] == Unit{'\r'} && q + 1 < length && text[q + 1] == Unit{'\n'} ? q + 2 : q + 1;
      break;
    }
    if (cut >= length) break;  // no line end left after this share: none after the next
    if (cut > cuts.back()) cuts.push_back(cut);
  }
  cuts.push_back(length);
  return cuts;
}

template <typename Unit>
std::vector<int64_t> CutsAfterLineEnds(const Unit* text, int64_t length, int32_t pieces) {
  return CutsAfterLineEnds(text, length, pieces, [](int64_t) { return true; });
}

// Runs work(i) for every i below `count`: piece 0 on the calling thread, each other one
// on a thread of its own, and returns when all are done. A piece whose thread cannot be
// started runs on the calling thread instead.
template <typename Work>
void RunPieces(int32_t count, const Work& work) {
  const RecoverableAllocations unrecoverable(false);
  std::vector<std::thread> threads;
  std::vector<int32_t> leftOver;
  for (int32_t i = 1; i < count; ++i) {
    try {
      threads.emplace_back([&work, i] { work(i); });
    } catch (const std::system_error&) {
      leftOver.push_back(i);
    }
  }
  if (count > 0) work(0);
  for (const int32_t i : leftOver) work(i);
  for (std::thread& thread : threads) thread.join();
}

// RunPieces for pieces that never wait for one another, such as a search's: where the
// caller's allocations are recoverable, so are the pieces', and a piece that runs out of
// memory ends alone; once every piece has ended, the caller gets the std::bad_alloc.
template <typename Work>
void RunSeparatePieces(int32_t count, const Work& work) {
  const bool recoverable = RecoverableAllocations::Active();
  std::atomic<bool> failed{false};
  RunPieces(count, [&](int32_t i) {
    const RecoverableAllocations allocations(recoverable);
    try {
      work(i);
    } catch (const std::bad_alloc&) {
      failed.store(true);
    }
  });
  if (failed.load()) throw std::bad_alloc();
}

}  // namespace vemora
