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
                           size_t& references, bool crlf) {
  std::u32string cps;
  cps.reserve(text.size());
  for (size_t pos = 0; pos < text.size();) {
    const char32_t c = core::NextUtf8(text, pos);
    if (crlf && c == U'\n' && (cps.empty() || cps.back() != U'\r'))
      cps += U'\r';
    cps += c;
  }
  std::string bytes;
  core::EncodeCounts counts;
  core::Encode(cps, encoding, bytes, counts);
  references += counts.references;
  return bytes;
}

bool MostLinesEndInCrLf(std::string_view bytes) {
  size_t line_feeds = 0, after_return = 0;
  for (size_t at = bytes.find('\n'); at != std::string_view::npos;
       at = bytes.find('\n', at + 1)) {
    ++line_feeds;
    after_return += at > 0 && bytes[at - 1] == '\r';
  }
  return after_return > 0 && after_return * 2 >= line_feeds;
}

}  // namespace tovenrak::main_window
