#include "main_window/view_text.h"

#include "core/encoding/codec.h"
#include "core/encoding/utf8.h"

namespace tovenrak::main_window {

std::string DecodeForView(std::string_view bytes, core::Encoding encoding) {
  core::DecodedText decoded = core::Decode(bytes, encoding);
  for (char32_t& c : decoded.text) {
    if (core::IsPlaceholder(c)) c = U'\uFFFD';
  }
  std::string text;
  core::EncodeCounts counts;
  core::Encode(decoded.text, core::Encoding::kUtf8, text, counts);
  return text;
}

std::string EncodeFromView(std::string_view text, core::Encoding encoding,
                           size_t& references) {
  std::u32string cps;
  cps.reserve(text.size());
  for (size_t pos = 0; pos < text.size();) cps += core::NextUtf8(text, pos);
  std::string bytes;
  core::EncodeCounts counts;
  core::Encode(cps, encoding, bytes, counts);
  references += counts.references;
  return bytes;
}

}  // namespace tovenrak::main_window
