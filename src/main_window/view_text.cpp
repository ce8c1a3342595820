#include "main_window/view_text.h"

#include "core/encoding/codec.h"
#include "core/encoding/document_text.h"
#include "core/encoding/utf8.h"

namespace tovenrak::main_window {

std::string DecodeForView(std::string_view bytes, core::Encoding encoding) {
  std::string text;
  text.reserve(bytes.size() + bytes.size() / 2);
  for (size_t pos = 0; pos < bytes.size();) {
    const size_t len = core::UnitLength(bytes, pos);
    const auto lead = static_cast<unsigned char>(bytes[pos]);
    if (len == 1 && lead < 0x80) {
      text += static_cast<char>(lead);
    } else {
      char32_t cps[2];
      int count = 0;
      if (len == 2) {
        const auto trail = static_cast<unsigned char>(bytes[pos + 1]);
        count = core::DecodeUnit(
            encoding, static_cast<core::Unit>((lead << 8) | trail), cps);
      }
      if (count == 0) core::AppendUtf8(U'\uFFFD', text);
      for (int i = 0; i < count; ++i) core::AppendUtf8(cps[i], text);
    }
    pos += len;
  }
  return text;
}

std::string EncodeFromView(std::string_view text, core::Encoding encoding,
                           size_t& references) {
  std::string bytes;
  bytes.reserve(text.size());
  std::u32string cps;
  for (size_t pos = 0; pos < text.size();) cps += core::NextUtf8(text, pos);
  core::EncodeCounts counts;
  core::Encode(cps, encoding, bytes, counts);
  references = counts.references;
  return bytes;
}

}  // namespace tovenrak::main_window
