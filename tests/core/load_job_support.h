// What the tests of a load in steps load: generated texts in every encoding, mapped files
// that spoil what they release, the window's part of the load, and the document a load in
// one go gives, which the load in steps must give too.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "core/layout/layout.h"
#include "core/platform/code_pages.h"
#include "core/platform/files.h"
#include "core/text/decode.h"
#include "core/text/encoding.h"
#include "core/text/load_job.h"
#include "core/text/overstrike.h"
#include "document_expectations.h"
#include "test_documents.h"

namespace vemora::testing {

// Characters, wide and narrow, overstrike of every kind (also a backspace right after a
// line end and runs of them), tabs, long runs to wrap, and every kind of line end.
inline std::u16string GenerateText(uint32_t seed, size_t size) {
  static const std::u16string kTokens[] = {u"a",
                                           u"あ漢",
                                           u"ｱｲ",
                                           u"\t",
                                           u"\r",
                                           u"\n",
                                           u"\r\n",
                                           u"\r\n",
                                           u"_\bA",
                                           u"B\bB",
                                           u"x\by",
                                           u"\b",
                                           u"\n\bq",
                                           u"\b\b\b",
                                           u"__\b\b",
                                           u"\r\b\n",
                                           u"abcdefghijklmnopqrstuvwxyz0123456789",
                                           u"全角の文字が並ぶ長い行であるなあ",
                                           u"+-"};
  std::mt19937 random(seed);
  std::u16string text;
  while (text.size() < size) text += kTokens[random() % std::size(kTokens)];
  return text;
}

inline std::string Utf16Bytes(std::u16string_view text, bool big) {
  std::string bytes;
  for (const char16_t unit : text) {
    const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
    bytes += big ? high : low;
    bytes += big ? low : high;
  }
  return bytes;
}

// UTF-7 with a base64 run for each stretch of characters outside ASCII.
inline std::string Utf7Bytes(std::u16string_view text) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string bytes;
  for (size_t i = 0; i < text.size();) {
    if (text[i] < 0x80) {
      bytes += text[i] == u'+' ? std::string("+-") : std::string(1, static_cast<char>(text[i]));
      ++i;
      continue;
    }
    bytes += '+';
    uint32_t bits = 0;
    int count = 0;
    for (; i < text.size() && text[i] >= 0x80; ++i) {
      bits = (bits << 16) | text[i];
      for (count += 16; count >= 6; count -= 6) bytes += kDigits[(bits >> (count - 6)) & 63];
    }
    if (count > 0) bytes += kDigits[(bits << (6 - count)) & 63];
    bytes += '-';
  }
  return bytes;
}

// EUC-JP as JIS whose escapes switch only when the set changes, so that a mode stays in
// effect over many lines, and take turns among the escapes a file may use for a set: a
// step that starts in a mode must know each of them.
inline std::string JisFromEuc(const std::string& euc) {
  static const std::vector<std::string> kEscapes[] = {
      {"\x1B(B", "\x1B(J", "\x1B(H"}, {"\x1B$B", "\x1B$@"}, {"\x1B(I"}};
  std::string jis;
  int mode = 0;  // 0 ASCII, 1 kanji, 2 katakana
  size_t turns[3] = {};
  auto enter = [&](int wanted) {
    const std::vector<std::string>& escapes = kEscapes[wanted];
    if (mode != wanted) jis += escapes[turns[wanted]++ % escapes.size()];
    mode = wanted;
  };
  for (size_t i = 0; i < euc.size(); ++i) {
    const auto b = static_cast<uint8_t>(euc[i]);
    if (b == 0x8E && i + 1 < euc.size()) {
      enter(2);
      jis += static_cast<char>(euc[++i] & 0x7F);
    } else if (b >= 0xA1 && i + 1 < euc.size()) {
      enter(1);
      jis += static_cast<char>(b & 0x7F);
      jis += static_cast<char>(euc[++i] & 0x7F);
    } else if (b < 0x21 || mode == 0) {
      jis += static_cast<char>(b);  // control characters and line ends keep the mode
    } else {
      enter(0);
      jis += static_cast<char>(b);
    }
  }
  return jis;
}

inline std::string BytesIn(TextEncoding encoding, uint32_t seed) {
  const std::u16string text = GenerateText(seed, 6000);
  const std::string sjis = EncodeCodePage(kCodePageShiftJis, text);
  switch (encoding) {
    case kEncodingJis:
      return JisFromEuc(EucFromShiftJis(sjis));
    case kEncodingEuc:
      return EucFromShiftJis(sjis) + "\xA4\r\n\x8E";  // broken characters
    case kEncodingUtf16Bom:
      return "\xFF\xFE" + Utf16Bytes(text, false) + "x";
    case kEncodingUtf16BeBom:
      return "\xFE\xFF" + Utf16Bytes(text, true);
    case kEncodingUtf16:
      return Utf16Bytes(text, false);
    case kEncodingUtf16Be:
      return Utf16Bytes(text, true) + "y";
    case kEncodingUtf8Bom:
      return "\xEF\xBB\xBF" + EncodeCodePage(kCodePageUtf8, text);
    case kEncodingUtf8:
      return EncodeCodePage(kCodePageUtf8, text) + "\xE3\x81\n\xC3";
    case kEncodingUtf7:
      return Utf7Bytes(text);
    default:
      return sjis + "\x82\r\n\x82";
  }
}

// Mappings alive; a byte no text here holds marks the released ones.
inline std::atomic<int> gMappingsAlive{0};

inline FileBytes Mapped(const std::string& bytes) {
  return FileBytes::Map(std::make_unique<SpoiledOnRelease>(bytes, '\x7F', nullptr, &gMappingsAlive),
                        static_cast<int64_t>(bytes.size()));
}

inline std::shared_ptr<TextMeasure> Shared(TextMeasure& measure) {
  return std::shared_ptr<TextMeasure>(&measure, [](TextMeasure*) {});
}

inline Document LoadInOneGo(const std::string& bytes, TextEncoding encoding,
                            const LayoutParameters& parameters, TextMeasure& measure) {
  Document document;
  FileBytes file = FileBytes::Allocate(static_cast<int64_t>(bytes.size()));
  std::memcpy(file.data(), bytes.data(), bytes.size());
  DecodeDocumentTextOnOneThread(document, std::move(file), encoding);
  document.encoding = encoding;
  document.lineEndKind = DetectLineEnd(document.text, document.textLength);
  ApplyOverstrike(document);
  LayoutDocumentOnOneThread(document, parameters, measure);
  return document;
}

// The window's part: lay out the first step, join every step as it comes, laying out
// again what came under older parameters. `changeAt` steps in, the layout changes to
// `other` and, a few steps later, back.
struct StepDriver {
  StepDriver(LoadJob& j, Document& d) : job(j), document(d) {}
  LoadJob& job;
  Document& document;
  // Held by the job's notify too: a worker may still be calling it when the driver goes,
  // before the job is stopped.
  struct Signal {
    std::mutex mutex;
    std::condition_variable ready;
    bool notified = false;
  };
  std::shared_ptr<Signal> signal = std::make_shared<Signal>();

  void Start(const LayoutParameters& parameters, TextMeasure& measure) {
    LayoutDocumentOnOneThread(document, parameters, measure);
    job.Start(parameters, Shared(measure), [signal = signal] {
      const std::lock_guard<std::mutex> lock(signal->mutex);
      signal->notified = true;
      signal->ready.notify_all();
    });
  }

  std::vector<LoadStep> Wait() {
    std::unique_lock<std::mutex> lock(signal->mutex);
    signal->ready.wait(lock, [this] { return signal->notified || job.Finished(); });
    signal->notified = false;
    lock.unlock();
    return job.TakeSteps();
  }
};

inline void ExpectSameDocument(const Document& expected, const Document& actual,
                               const std::string& what) {
  ASSERT_EQ(expected.Text(), actual.Text()) << what;
  ASSERT_EQ(0, actual.text[actual.textLength]) << what;
  EXPECT_EQ(expected.encoding, actual.encoding) << what;
  EXPECT_EQ(expected.lineEndKind, actual.lineEndKind) << what;
  ASSERT_EQ(expected.overstrikeRuns.Size(), actual.overstrikeRuns.Size()) << what;
  for (int32_t i = 0; i < expected.overstrikeRuns.Size(); ++i) {
    const OverstrikeRun& e = expected.overstrikeRuns[i];
    const OverstrikeRun& a = actual.overstrikeRuns[i];
    ASSERT_TRUE(e.start == a.start && e.length == a.length && e.attributes == a.attributes)
        << what << ", run " << i;
  }
  ExpectSameLineBlocks(expected, actual, what);
}

inline constexpr TextEncoding kEncodings[] = {
    kEncodingShiftJis, kEncodingJis,     kEncodingEuc,     kEncodingUtf16Bom, kEncodingUtf16BeBom,
    kEncodingUtf16,    kEncodingUtf16Be, kEncodingUtf8Bom, kEncodingUtf8,     kEncodingUtf7};

}  // namespace vemora::testing
