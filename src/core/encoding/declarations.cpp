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

std::optional<XmlEncoding> FindXmlEncoding(std::string_view text) {
  size_t pos = text.starts_with(ByteOrderMark(Encoding::kUtf8)) ? 3 : 0;
  if (text.substr(pos, 5) != "<?xml" || pos + 5 >= text.size() ||
      !IsSpace(text[pos + 5]))
    return std::nullopt;
  const size_t end = text.find('>', pos);
  if (end == npos) return std::nullopt;
  const std::string_view declaration = text.substr(0, end);
  constexpr std::string_view kAttribute = "encoding";
  for (pos += 5; (pos = declaration.find(kAttribute, pos)) != npos;
       pos += kAttribute.size()) {
    if (!IsSpace(declaration[pos - 1])) continue;
    size_t value = pos + kAttribute.size();
    while (value < end && IsSpace(declaration[value])) ++value;
    if (value == end || declaration[value] != '=') continue;
    ++value;
    while (value < end && IsSpace(declaration[value])) ++value;
    if (value == end ||
        (declaration[value] != '"' && declaration[value] != '\''))
      return std::nullopt;
    const size_t closing = declaration.find(declaration[value], value + 1);
    if (closing == npos) return std::nullopt;
    return XmlEncoding{value + 1, closing - value - 1};
  }
  return std::nullopt;
}

namespace {

// The first of the labels that the XML declaration and the first <meta>
// charset give that `read` makes something of.
template <typename Read>
auto FirstDeclared(std::string_view text, Read read) -> decltype(read(text)) {
  if (const auto xml = FindXmlEncoding(text)) {
    if (auto known = read(text.substr(xml->name, xml->name_length)))
      return known;
  }
  const std::string_view head = text.substr(0, kMetaSearchBytes);
  if (FindAscii(head, Encoding::kUtf8, "charset", 0, /*ignore_case=*/true) ==
      npos)
    return std::nullopt;
  const auto meta = FindCharsetDeclaration(std::u8string_view(
      reinterpret_cast<const char8_t*>(head.data()), head.size()));
  if (!meta) return std::nullopt;
  return read(head.substr(meta->name, meta->name_end - meta->name));
}

}  // namespace

std::optional<Encoding> DeclaredEncoding(std::string_view text) {
  return FirstDeclared(text, EncodingFromLabel);
}

std::optional<OtherEncoding> DeclaredOtherEncoding(std::string_view text) {
  return FirstDeclared(text, OtherEncodingFromLabel);
}

}  // namespace tovenrak::core
