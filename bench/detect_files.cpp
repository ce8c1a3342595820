// Prints the encoding detected for each file, for measuring detection on a
// corpus (bench/detection_corpus.py).
//
//   tovenrak_detect FILE...
//
// One line per file: the encoding (big5, gbk, gb18030, utf8, utf16 or
// unreadable), the reason (and whether the bytes read as the letters of a
// single-byte encoding, or as well in others), the declared encoding or "-",
// and the path,
// separated by tabs.

#include <iostream>

#include "core/encoding/detection.h"
#include "core/io/file_io.h"

namespace {

using tovenrak::core::Encoding;

const char* Key(Encoding encoding) {
  switch (encoding) {
    case Encoding::kBig5:
      return "big5";
    case Encoding::kGbk:
      return "gbk";
    case Encoding::kGb18030:
      return "gb18030";
    case Encoding::kUtf8:
      break;
  }
  return "utf8";
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const auto text = tovenrak::core::ReadDocument(argv[i]);
    if (!text) {
      std::cout << "unreadable\t-\t-\t" << argv[i] << "\n";
      continue;
    }
    if (tovenrak::core::HasUtf16ByteOrderMark(*text)) {
      std::cout << "utf16\t-\t-\t" << argv[i] << "\n";
      continue;
    }
    const auto d = tovenrak::core::DetectEncoding(*text);
    std::cout << Key(d.encoding) << "\t" << ReasonName(d.reason)
              << (d.single_byte_letters ? ", single-byte letters" : "");
    for (const Encoding other : d.also_reads_as)
      std::cout << (other == d.also_reads_as.front() ? ", guessed, also " : " ")
                << Key(other);
    std::cout << "\t" << (d.declared ? Key(*d.declared) : "-") << "\t"
              << argv[i] << "\n";
  }
  return 0;
}
