// Property checks for the fuzz targets: a failed check says what broke and
// aborts, which libFuzzer reports as a crash and keeps the input.

#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

// Prints `bytes` as a C string literal, so a finding can be pasted into a
// regression test.
inline void FuzzPrintBytes(const char* label, std::string_view bytes) {
  std::fprintf(stderr, "%s (%zu bytes): \"", label, bytes.size());
  for (unsigned char b : bytes) {
    if (b >= 0x20 && b < 0x7F && b != '"' && b != '\\') {
      std::fputc(b, stderr);
    } else {
      std::fprintf(stderr, "\\x%02X\"\"", b);
    }
  }
  std::fprintf(stderr, "\"\n");
}

// Marks the fuzz targets' own reference code: it is left out of the coverage
// that guides libFuzzer, which should follow the code under test, and its
// comparisons would only slow the search down.
#define FUZZ_REFERENCE __attribute__((no_sanitize("coverage")))

#define FUZZ_CHECK(condition, what)                                    \
  do {                                                                 \
    if (!(condition)) {                                                \
      std::fprintf(stderr, "FUZZ_CHECK failed at %s:%d: %s\n  (%s)\n", \
                   __FILE__, __LINE__, what, #condition);              \
      std::abort();                                                    \
    }                                                                  \
  } while (0)
