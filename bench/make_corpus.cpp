// Writes the benchmark inputs: one large page in GBK and in Big5, and many
// small pages in each encoding.
//
//   tovenrak_make_corpus DIR [--large-mb N] [--name NAME] [--files N]
//                            [--seed N]
//
// DIR/NAME.gbk.htm and DIR/NAME.big5.htm (NAME defaults to "large"; none when
// N is 0), DIR/small/gbk/NNNNN.htm and DIR/small/big5/NNNNN.htm. The same
// seed gives the same files.

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "bench_corpus.h"
#include "core/convert/default_converter.h"

namespace {

bool Write(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) std::cerr << "tovenrak_make_corpus: cannot write " << path << "\n";
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  if (argc < 2) {
    std::cerr << "usage: tovenrak_make_corpus DIR [--large-mb N] [--name NAME]"
                 " [--files N] [--seed N]\n";
    return 2;
  }
  const fs::path dir = argv[1];
  size_t large_mb = 50, files = 10000;
  uint32_t seed = 20240617;
  std::string name = "large";
  for (int i = 2; i + 1 < argc; i += 2) {
    const std::string flag = argv[i], value = argv[i + 1];
    if (flag == "--large-mb") {
      large_mb = std::stoul(value);
    } else if (flag == "--files") {
      files = std::stoul(value);
    } else if (flag == "--seed") {
      seed = static_cast<uint32_t>(std::stoul(value));
    } else if (flag == "--name") {
      name = value;
    } else {
      std::cerr << "tovenrak_make_corpus: unknown option " << flag << "\n";
      return 2;
    }
  }
  auto converter = tovenrak::core::MakeDefaultConverter();
  if (!converter) {
    std::cerr << "tovenrak_make_corpus: " << converter.error().Message()
              << "\n";
    return 1;
  }
  tovenrak::bench::PageMaker maker(**converter, seed);
  if (!maker.ok()) {
    std::cerr << "tovenrak_make_corpus: cannot read OpenCC's phrases\n";
    return 1;
  }
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (large_mb > 0) {
    const std::string gbk = maker.GbkPage(large_mb << 20);
    if (!Write(dir / (name + ".gbk.htm"), gbk) ||
        !Write(dir / (name + ".big5.htm"), maker.ToBig5Page(gbk)))
      return 1;
  }
  if (files > 0) {
    fs::create_directories(dir / "small" / "gbk", ec);
    fs::create_directories(dir / "small" / "big5", ec);
    std::mt19937 sizes(seed);
    for (size_t i = 0; i < files; ++i) {
      char file[32];
      std::snprintf(file, sizeof file, "%05zu.htm", i);
      const std::string gbk = maker.GbkPage(2048 + sizes() % 22528);
      if (!Write(dir / "small" / "gbk" / file, gbk) ||
          !Write(dir / "small" / "big5" / file, maker.ToBig5Page(gbk)))
        return 1;
    }
  }
  return 0;
}
