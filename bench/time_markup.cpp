// Times converting one page read as markup against converting it as one
// whole text, in process, and prints one JSON line:
//
//   tovenrak_time_markup FILE [REPEATS]
//
// {"bytes", "encoding": as detected, "text_ms", "markup_ms": the best of
//  REPEATS (default 100) conversions each, "ratio": markup_ms / text_ms}
// The page goes to the other encoding and script (Big5 to GB, GB to Big5),
// as tovenrak-convert converts it. The two conversions alternate, so that a
// change in the machine's load touches both alike, and each is timed in
// this thread's own CPU time.

#include <time.h>

#include <algorithm>
#include <iostream>
#include <string>

#include "core/convert/fast_converter.h"
#include "core/encoding/detection.h"
#include "core/io/file_io.h"
#include "core/recode_document.h"

namespace {

double ThreadSeconds() {
  timespec t{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tovenrak::core;
  if (argc < 2) {
    std::cerr << "usage: tovenrak_time_markup FILE [REPEATS]\n";
    return 2;
  }
  const int repeats = argc > 2 ? std::max(1, std::stoi(argv[2])) : 100;
  const Result<std::string> read = ReadDocument(argv[1]);
  if (!read) {
    std::cerr << "tovenrak_time_markup: " << read.error().Message() << "\n";
    return 1;
  }
  const std::string& text = *read;
  const Encoding source = DetectEncoding(text).encoding;
  const bool to_gb = source == Encoding::kBig5;
  const Encoding target = to_gb ? Encoding::kGbk : Encoding::kBig5;
  const ScriptConversion how{to_gb ? Script::kSimplified : Script::kTraditional,
                             Variant::kTw};
  const auto converter = MakeFastConverter();
  double best[2] = {1e30, 1e30};
  for (int i = 0; i < repeats; ++i) {
    for (const MarkupMode mode : {MarkupMode::kText, MarkupMode::kHtml}) {
      const double start = ThreadSeconds();
      const auto done = RecodeDocument(*converter, text, source, target, how,
                                       mode, "page.htm");
      const double seconds = ThreadSeconds() - start;
      if (!done || done->as_markup != (mode == MarkupMode::kHtml)) {
        std::cerr << "tovenrak_time_markup: cannot convert " << argv[1]
                  << (done ? " as markup" : ": " + done.error().Message())
                  << "\n";
        return 1;
      }
      double& b = best[mode == MarkupMode::kHtml];
      b = std::min(b, seconds);
    }
  }
  std::cout << "{\"bytes\": " << text.size() << ", \"encoding\": \""
            << DisplayName(source) << "\", \"text_ms\": " << best[0] * 1e3
            << ", \"markup_ms\": " << best[1] * 1e3
            << ", \"ratio\": " << best[1] / best[0] << "}\n";
  return 0;
}
