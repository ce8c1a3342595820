#include "core/encoding/declarations.h"

#include "core/encoding/codec.h"
#include "core/encoding/document_text.h"
#include "core/markup/meta_tags.h"

namespace tovenrak::core {

namespace {

constexpr auto npos = std::string_view::npos;

// Pages declare their encoding near the top (browsers look at the first KiB
// only); a MiB leaves room for long heads without widening a huge file.
constexpr size_t kMetaSearchBytes = size_t{1} << 20;

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

}  // namespace

std::optional<XmlAttribute> FindXmlAttribute(std::string_view text,
                                             std::string_view name) {
  size_t pos = text.starts_with(ByteOrderMark(Encoding::kUtf8)) ? 3 : 0;
  if (text.substr(pos, 5) != "<?xml" || pos + 5 >= text.size() ||
      !IsSpace(text[pos + 5]))
    return std::nullopt;
  const size_t end = text.find('>', pos);
  if (end == npos) return std::nullopt;
  const std::string_view declaration = text.substr(0, end);
  for (pos += 5; (pos = declaration.find(name, pos)) != npos;
       pos += name.size()) {
    if (!IsSpace(declaration[pos - 1])) continue;
    size_t value = pos + name.size();
    while (value < end && IsSpace(declaration[value])) ++value;
    if (value == end || declaration[value] != '=') continue;
    ++value;
    while (value < end && IsSpace(declaration[value])) ++value;
    if (value == end ||
        (declaration[value] != '"' && declaration[value] != '\''))
      return std::nullopt;
    const size_t closing = declaration.find(declaration[value], value + 1);
    if (closing == npos) return std::nullopt;
    return XmlAttribute{value + 1, closing - value - 1, declaration[value]};
  }
  return std::nullopt;
}

std::optional<std::string_view> DeclaredLabels::Meta() {
  if (meta_read_) return meta_;
  meta_read_ = true;
  const std::string_view head = text_.substr(0, kMetaSearchBytes);
  if (FindAscii(head, Encoding::kUtf8, "charset", 0, /*ignore_case=*/true) ==
      npos)
    return meta_;
  if (const auto meta = FindCharsetDeclaration(std::u8string_view(
          reinterpret_cast<const char8_t*>(head.data()), head.size())))
    meta_ = head.substr(meta->name, meta->name_end - meta->name);
  return meta_;
}

}  // namespace tovenrak::core
