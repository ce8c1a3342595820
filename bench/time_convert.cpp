// Times one converter on one file, in process, and prints one JSON line:
//
//   tovenrak_time_convert fast|opencc gb|big5|CONFIG FILE [REPEATS]
//
// gb converts a Big5 file to GB, big5 a GB file to Big5; CONFIG (tw2s, s2tw,
// tw2sp, s2twp, hk2s, s2hk, t2s, s2t) converts a UTF-8 file to UTF-8.
//
// {"make_ms": creating the converter, "first_ms": creating it and converting
//  a small page (time to first conversion), "seconds": best conversion time
//  of the file, "mb_per_s": file size (MiB) over that time, "bytes": size}

#include <chrono>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include "core/convert/fast_converter.h"
#include "core/encoding/encoding.h"
#include "support/opencc_converter.h"

int main(int argc, char** argv) {
  using Clock = std::chrono::steady_clock;
  using namespace tovenrak::core;
  if (argc < 4) {
    std::cerr << "usage: tovenrak_time_convert fast|opencc gb|big5|CONFIG "
                 "FILE [REPEATS]\n";
    return 2;
  }
  const std::string engine = argv[1], to = argv[2];
  const int repeats = argc > 4 ? std::stoi(argv[4]) : 3;
  std::ifstream in(argv[3], std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  const std::string text = buffer.str();
  if (!in || text.empty()) {
    std::cerr << "tovenrak_time_convert: cannot read " << argv[3] << "\n";
    return 1;
  }
  std::optional<ScriptConversion> config;
  for (Variant v : {Variant::kTw, Variant::kTwp, Variant::kHk, Variant::kStd})
    for (Script s : {Script::kSimplified, Script::kTraditional})
      if (to + ".json" == OpenccConfigName({s, v})) config = {s, v};
  if (to != "gb" && to != "big5" && !config) {
    std::cerr << "tovenrak_time_convert: unknown target " << to << "\n";
    return 2;
  }
  auto convert = [&](const Converter& c, std::string_view t) {
    if (config) return c.Recode(t, Encoding::kUtf8, Encoding::kUtf8, config);
    return to == "gb" ? c.Big5ToGB(t) : c.GBToBig5(t);
  };
  const auto start = Clock::now();
  const std::unique_ptr<Converter> converter =
      engine == "fast" ? MakeFastConverter() : MakeOpenccConverter();
  const auto made = Clock::now();
  if (!convert(*converter, std::string_view(text).substr(0, 4096))) return 1;
  const auto first = Clock::now();
  double best = 1e30;
  for (int i = 0; i < repeats; ++i) {
    const auto a = Clock::now();
    auto result = convert(*converter, text);
    const auto b = Clock::now();
    if (!result) return 1;
    best = std::min(best, std::chrono::duration<double>(b - a).count());
  }
  using Ms = std::chrono::duration<double, std::milli>;
  std::cout << "{\"make_ms\": " << Ms(made - start).count()
            << ", \"first_ms\": " << Ms(first - start).count()
            << ", \"seconds\": " << best
            << ", \"mb_per_s\": " << text.size() / 1048576.0 / best
            << ", \"bytes\": " << text.size() << "}\n";
  return 0;
}
