// Property checks for the fuzz targets: a failed check says what broke and
// aborts, which libFuzzer reports as a crash and keeps the input.

#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition, what)                                    \
  do {                                                                 \
    if (!(condition)) {                                                \
      std::fprintf(stderr, "FUZZ_CHECK failed at %s:%d: %s\n  (%s)\n", \
                   __FILE__, __LINE__, what, #condition);              \
      std::abort();                                                    \
    }                                                                  \
  } while (0)
