// Big5 and GBK double-byte codes to Unicode and back, as the web maps them.

#pragma once

#include "core/encoding/document_text.h"
#include "core/encoding/encoding.h"

namespace tovenrak::core {

// Decodes the double-byte unit `unit` of `encoding` into `out` and returns how
// many code points it wrote: 1, 2 (four Big5 codes stand for a letter plus a
// combining mark), or 0 when `unit` is not a mapped code of `encoding`.
int DecodeUnit(Encoding encoding, Unit unit, char32_t out[2]);

// Returns the double-byte code of `cp` in `encoding`, or 0 when it has none.
// Big5 never gets HKSCS codes; GBK never gets GB18030 four-byte sequences.
Unit EncodeCodePoint(Encoding encoding, char32_t cp);

}  // namespace tovenrak::core
