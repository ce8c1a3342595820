// The declaration rewrite on any bytes, in every target encoding: the meta
// edit stays inside a <meta> tag the markup reader finds, a page with a
// charset attribute is rewritten, the rewritten tag names the target,
// characters are never split, the XML
// declaration's edit replaces just its encoding's value, a second rewrite
// changes nothing, and an input whose first half is repeated to a megabyte
// is still rewritten, and detected, in linear time.

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/encoding/codec.h"
#include "core/encoding/declarations.h"
#include "core/encoding/detection.h"
#include "core/encoding/rewrite_charset.h"
#include "core/markup/html_tokenizer.h"
#include "core/markup/meta_tags.h"
#include "fuzz_check.h"

namespace {

using namespace tovenrak::core;

FUZZ_REFERENCE bool StartsWithIgnoringCase(std::string_view text, size_t pos,
                                           std::string_view word) {
  if (text.size() - pos < word.size()) return false;
  for (size_t i = 0; i < word.size(); ++i) {
    char c = text[pos + i];
    if (c >= 'A' && c <= 'Z') c += 32;
    if (c != word[i]) return false;
  }
  return true;
}

// The byte offset of each code point of `text` decoded as `encoding`, and
// of its end.
FUZZ_REFERENCE std::vector<size_t> Offsets(std::string_view text,
                                           Encoding encoding) {
  std::vector<size_t> offsets;
  for (size_t pos = 0; pos < text.size();
       pos += UnitLengthIn(text, pos, encoding))
    offsets.push_back(pos);
  offsets.push_back(text.size());
  if (Decode(text, encoding).byte_order_mark) offsets.erase(offsets.begin());
  return offsets;
}

// A <meta> tag as the markup reader finds it, in bytes: its "<" and ">".
struct Tag {
  size_t start;
  size_t close;
  // "charset=..." as an attribute of its own, "=" right after the name.
  bool has_charset_attribute;
};

FUZZ_REFERENCE std::vector<Tag> MetaTags(std::string_view text,
                                         Encoding encoding) {
  const std::u32string decoded = Decode(text, encoding).text;
  const std::vector<size_t> at = Offsets(text, encoding);
  std::vector<Tag> tags;
  for (const MetaTag& tag : FindMetaTags(decoded)) {
    bool declares = false;
    for (const HtmlAttribute& a : tag.attributes) {
      declares = declares ||
                 (a.has_value && decoded[a.name.end] == '=' &&
                  EqualsIgnoringCase(
                      decoded.substr(a.name.begin, a.name.size()), "charset"));
    }
    tags.push_back({at[tag.whole.begin], at[tag.whole.end - 1], declares});
  }
  return tags;
}

FUZZ_REFERENCE bool IsBoundary(std::string_view text, size_t pos,
                               Encoding encoding) {
  size_t p = 0;
  while (p < pos) p += UnitLengthIn(text, p, encoding);
  return p == pos;
}

// The XML declaration's edit replaces a quoted value inside the declaration
// at the top with the target's name.
void CheckXml(std::string_view input, Encoding target) {
  const std::optional<DeclarationEdit> edit =
      FindXmlEncodingEdit(input, target);
  if (!edit) return;
  const size_t start = input.starts_with("\xEF\xBB\xBF") ? 3 : 0;
  FUZZ_CHECK(input.substr(start, 6).starts_with("<?xml"),
             "an XML edit without a declaration at the top");
  FUZZ_CHECK(edit->pos > start + 5 && edit->pos + edit->length < input.size(),
             "the XML edit reaches outside the text");
  const char quote = input[edit->pos - 1];
  FUZZ_CHECK((quote == '"' || quote == '\'') &&
                 input[edit->pos + edit->length] == quote,
             "the XML edit does not replace a quoted value");
  FUZZ_CHECK(input.find('>', start) >= edit->pos + edit->length,
             "the XML edit reaches past the declaration");
  FUZZ_CHECK(edit->replacement == DeclaredName(target),
             "the XML edit does not name the target");
}

void Check(std::string_view input, Encoding target) {
  CheckXml(input, target);
  std::string both(input);
  RewriteDeclarations(both, target);
  std::string both_twice = both;
  RewriteDeclarations(both_twice, target);
  FUZZ_CHECK(both_twice == both, "a second rewrite of both changed the text");

  const std::optional<DeclarationEdit> edit = FindCharsetEdit(input, target);
  const std::vector<Tag> tags = MetaTags(input, target);
  if (!edit) {
    for (const Tag& tag : tags) {
      FUZZ_CHECK(!tag.has_charset_attribute,
                 "a charset attribute was not rewritten");
    }
    return;
  }

  // The edit stays inside a meta tag the markup reader finds, on unit
  // boundaries, in plain ASCII.
  bool inside = false;
  for (const Tag& tag : tags)
    inside = inside || (edit->pos > tag.start + 5 &&
                        edit->pos + edit->length <= tag.close);
  FUZZ_CHECK(inside, "the edit reaches outside every meta tag");
  FUZZ_CHECK(IsBoundary(input, edit->pos, target) &&
                 IsBoundary(input, edit->pos + edit->length, target),
             "the edit splits a character");
  for (char c : edit->replacement) {
    FUZZ_CHECK(static_cast<unsigned char>(c) < 0x80,
               "the replacement is not plain ASCII");
  }

  // The tag now names the target: the edit is the name or "charset=" and it.
  std::string output(input);
  output.replace(edit->pos, edit->length, edit->replacement);
  const std::string_view at = std::string_view(output).substr(edit->pos);
  FUZZ_CHECK(at.starts_with(DeclaredName(target)) ||
                 (StartsWithIgnoringCase(at, 0, "charset=") &&
                  at.substr(8).starts_with(DeclaredName(target))),
             "the rewritten tag does not name the target");

  std::string twice = output;
  if (const auto again = FindCharsetEdit(output, target))
    twice.replace(again->pos, again->length, again->replacement);
  FUZZ_CHECK(twice == output, "a second rewrite changed the text");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  for (Encoding target : kAllEncodings) Check(input, target);

  // With its first half repeated to a megabyte, the input must still be
  // rewritten in about linear time: run.sh's -timeout turns anything slower
  // into a finding. One input in eight (by its size) pays for this.
  if (size > 0 && size % 8 == 0) {
    const std::string_view head = input.substr(0, size / 2);
    std::string big;
    big.reserve((1 << 20) + size);
    while (big.size() < (1 << 20)) big.append(head);
    big.append(input.substr(size / 2));
    const Encoding target = kAllEncodings[data[0] % std::size(kAllEncodings)];
    const std::optional<DeclarationEdit> edit = FindCharsetEdit(big, target);
    FUZZ_CHECK(!edit || edit->pos + edit->length <= big.size(),
               "an edit reaches past the end of a long text");
    DetectEncoding(big);
  }
  return 0;
}
