// Micro benchmarks of the converters, and of decoding, encoding and
// detecting each encoding, on a generated page of 1 MiB.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

#include "bench_corpus.h"
#include "core/convert/fast_converter.h"
#include "core/convert_document.h"
#include "core/encoding/codec.h"
#include "core/encoding/detection.h"
#include "core/markup/convert_markup.h"
#include "core/recode_document.h"
#include "support/opencc_converter.h"

namespace {

using tovenrak::core::Converter;

struct Pages {
  std::string gbk, big5;
};

const Pages& SharedPages() {
  static const Pages pages = [] {
    Pages p;
    auto converter = tovenrak::core::MakeFastConverter();
    tovenrak::bench::PageMaker maker(*converter, 20240618);
    p.gbk = maker.GbkPage(1 << 20);
    p.big5 = maker.ToBig5Page(p.gbk);
    return p;
  }();
  return pages;
}

template <bool kFast, bool kToGb>
void BM_Convert(benchmark::State& state) {
  auto made = kFast ? tovenrak::core::MakeFastConverter()
                    : tovenrak::core::MakeOpenccConverter();
  const std::string& text = kToGb ? SharedPages().big5 : SharedPages().gbk;
  if (text.empty()) {
    state.SkipWithError("converter or pages unavailable");
    return;
  }
  const Converter& converter = *made;
  for (auto _ : state) {
    auto result = kToGb ? converter.Big5ToGB(text) : converter.GBToBig5(text);
    benchmark::DoNotOptimize(result);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_Convert<true, true>)->Name("Fast/Big5ToGB");
BENCHMARK(BM_Convert<true, false>)->Name("Fast/GBToBig5");
BENCHMARK(BM_Convert<false, true>)->Name("OpenCC/Big5ToGB");
BENCHMARK(BM_Convert<false, false>)->Name("OpenCC/GBToBig5");

// The page read as markup beside the same page converted as one text. On
// code points (decoding and encoding outside the loop) the cost of keeping
// tags, links and scripts shows on its own; as documents, bytes in and bytes
// out, as tovenrak-convert runs, whole text is Recode and markup is
// RecodeMarkup. Bytes are those of the page.
template <bool kMarkup, bool kToGb, bool kDocument>
void BM_Page(benchmark::State& state) {
  using namespace tovenrak::core;
  auto converter = MakeFastConverter();
  const std::string& page = kToGb ? SharedPages().big5 : SharedPages().gbk;
  const Encoding source = kToGb ? Encoding::kBig5 : Encoding::kGbk;
  const Encoding target = kToGb ? Encoding::kGbk : Encoding::kBig5;
  const std::u32string text = Decode(page, source).text;
  const ScriptConversion how{kToGb ? Script::kSimplified : Script::kTraditional,
                             Variant::kTw};
  std::u32string out;
  std::string bytes;
  for (auto _ : state) {
    bool done = !page.empty();
    if (kDocument && !kMarkup) {
      done = done && converter->Recode(page, source, target, how).has_value();
    } else if (kDocument) {
      bytes.clear();
      EncodeCounts counts;
      done = done &&
             RecodeMarkup(*converter, page, source, target, how, bytes, counts)
                 .has_value();
    } else {
      out.clear();
      done = done && (kMarkup ? ConvertMarkup(*converter, text, how, out)
                              : converter->Convert(text, how, out))
                         .has_value();
    }
    if (!done) {
      state.SkipWithError("converter or pages unavailable");
      return;
    }
    benchmark::DoNotOptimize(out.data());
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_Page<false, true, false>)->Name("Page/WholeText/ToSimplified");
BENCHMARK(BM_Page<true, true, false>)->Name("Page/Markup/ToSimplified");
BENCHMARK(BM_Page<false, false, false>)->Name("Page/WholeText/ToTraditional");
BENCHMARK(BM_Page<true, false, false>)->Name("Page/Markup/ToTraditional");
BENCHMARK(BM_Page<false, true, true>)->Name("Document/WholeText/ToSimplified");
BENCHMARK(BM_Page<true, true, true>)->Name("Document/Markup/ToSimplified");
BENCHMARK(BM_Page<false, false, true>)
    ->Name("Document/WholeText/ToTraditional");
BENCHMARK(BM_Page<true, false, true>)->Name("Document/Markup/ToTraditional");

// The whole document path (ConvertDocument, GBK page to Big5, as markup),
// with ambiguity points not looked for, as every run does unless asked, and
// looked for.
template <bool kPoints>
void BM_Points(benchmark::State& state) {
  using namespace tovenrak::core;
  auto converter = MakeFastConverter();
  const std::string& page = SharedPages().gbk;
  ConversionRequest request;
  request.from = Encoding::kGbk;
  request.find_ambiguities = kPoints;
  size_t points = 0;
  for (auto _ : state) {
    Result<DocumentConversion> done =
        ConvertDocument(*converter, page, request, "page.htm");
    if (page.empty() || !done) {
      state.SkipWithError("converter or pages unavailable");
      return;
    }
    points = done->points.size();
    benchmark::DoNotOptimize(done->text.data());
  }
  state.counters["points"] = static_cast<double>(points);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_Points<false>)->Name("Document/Points:off");
BENCHMARK(BM_Points<true>)->Name("Document/Points:on");

// A real document, named by TOVENRAK_BENCH_FILE (pages joined into one file
// by bench/real_pages.py --joined), read as markup and as text: the
// generated page has far more Chinese text between its tags than real pages
// do. GB goes to Big5 and Big5 to GB; skipped without the variable.
template <bool kMarkup>
void BM_File(benchmark::State& state) {
  using namespace tovenrak::core;
  const char* path = std::getenv("TOVENRAK_BENCH_FILE");
  std::ifstream in(path ? path : "", std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  const std::string text = bytes.str();
  if (text.empty()) {
    state.SkipWithError("set TOVENRAK_BENCH_FILE to a GB or Big5 page");
    return;
  }
  auto converter = MakeFastConverter();
  const Encoding source = DetectEncoding(text).encoding;
  const bool to_gb = source == Encoding::kBig5;
  const Encoding target = to_gb ? Encoding::kGbk : Encoding::kBig5;
  const ScriptConversion how{to_gb ? Script::kSimplified : Script::kTraditional,
                             Variant::kTw};
  for (auto _ : state) {
    auto done = RecodeDocument(*converter, text, source, target, how,
                               kMarkup ? MarkupMode::kHtml : MarkupMode::kText,
                               "page.htm");
    if (!done) {
      state.SkipWithError(done.error().Message().c_str());
      return;
    }
    benchmark::DoNotOptimize(done->conversion.text.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_File<false>)->Name("File/WholeText");
BENCHMARK(BM_File<true>)->Name("File/Markup");

// Making the converter and compiling one configuration at its first use.
void BM_FirstConversion(benchmark::State& state) {
  for (auto _ : state) {
    auto made = tovenrak::core::MakeFastConverter();
    auto result = made->GBToBig5("\xCD\xB7\xB7\xA2");
    benchmark::DoNotOptimize(result);
  }
}
BENCHMARK(BM_FirstConversion)->Unit(benchmark::kMillisecond);

using tovenrak::core::Encoding;

// The page's text: the Big5 page's for Big5, the GBK page's for the others.
const std::u32string& PageText(Encoding encoding) {
  static const std::u32string big5 =
      tovenrak::core::Decode(SharedPages().big5, Encoding::kBig5).text;
  static const std::u32string gbk =
      tovenrak::core::Decode(SharedPages().gbk, Encoding::kGbk).text;
  return encoding == Encoding::kBig5 ? big5 : gbk;
}

std::string PageIn(Encoding encoding) {
  std::string bytes;
  tovenrak::core::EncodeCounts counts;
  tovenrak::core::Encode(PageText(encoding), encoding, bytes, counts);
  return bytes;
}

template <Encoding kEncoding>
void BM_Decode(benchmark::State& state) {
  const std::string bytes = PageIn(kEncoding);
  for (auto _ : state) {
    auto decoded = tovenrak::core::Decode(bytes, kEncoding);
    benchmark::DoNotOptimize(decoded);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(bytes.size()));
}

template <Encoding kEncoding>
void BM_Encode(benchmark::State& state) {
  std::string bytes = PageIn(kEncoding);
  for (auto _ : state) {
    bytes.clear();
    tovenrak::core::EncodeCounts counts;
    tovenrak::core::Encode(PageText(kEncoding), kEncoding, bytes, counts);
    benchmark::DoNotOptimize(bytes);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(bytes.size()));
}

template <Encoding kEncoding>
void BM_Detect(benchmark::State& state) {
  const std::string bytes = PageIn(kEncoding);
  for (auto _ : state) {
    auto detected = tovenrak::core::DetectEncoding(bytes);
    benchmark::DoNotOptimize(detected);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(bytes.size()));
}

#define TOVENRAK_CODEC_BENCHMARKS(encoding, name)       \
  BENCHMARK(BM_Decode<encoding>)->Name("Decode/" name); \
  BENCHMARK(BM_Encode<encoding>)->Name("Encode/" name); \
  BENCHMARK(BM_Detect<encoding>)->Name("Detect/" name)
TOVENRAK_CODEC_BENCHMARKS(Encoding::kBig5, "Big5");
TOVENRAK_CODEC_BENCHMARKS(Encoding::kGbk, "GBK");
TOVENRAK_CODEC_BENCHMARKS(Encoding::kGb18030, "GB18030");
TOVENRAK_CODEC_BENCHMARKS(Encoding::kUtf8, "UTF-8");

}  // namespace

BENCHMARK_MAIN();
