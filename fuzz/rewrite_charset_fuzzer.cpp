// The declaration rewrite on any bytes, in every target encoding: the meta
// edit stays inside the first <meta> tag that holds a "charset=", names the
// target and splits no character, the XML edit replaces just its encoding's
// value, a second rewrite changes nothing, and an input whose first half is
// repeated to a megabyte is still rewritten, and detected, in linear time.

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
#include "fuzz_check.h"

namespace {

using namespace tovenrak::core;

constexpr auto npos = std::string_view::npos;

// A <meta ...> tag: where its "<" and its closing ">" stand.
struct Tag {
  size_t start;
  size_t close;
};

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

FUZZ_REFERENCE std::vector<size_t> Boundaries(std::string_view text,
                                              Encoding encoding) {
  std::vector<size_t> boundaries;
  for (size_t pos = 0; pos < text.size();
       pos += UnitLengthIn(text, pos, encoding))
    boundaries.push_back(pos);
  boundaries.push_back(text.size());
  return boundaries;
}

// The first "<meta" tag, followed by a space, "/" or ">", whose text up to
// its first ">" holds "charset=" in any case; all on unit boundaries.
FUZZ_REFERENCE std::optional<Tag> FirstDeclaringMeta(std::string_view text,
                                                     Encoding encoding) {
  const std::vector<size_t> at = Boundaries(text, encoding);
  for (size_t i = 0; i + 1 < at.size(); ++i) {
    const size_t start = at[i];
    if (!StartsWithIgnoringCase(text, start, "<meta") ||
        start + 5 >= text.size())
      continue;
    const char next = text[start + 5];
    if (!(next == ' ' || next == '\t' || next == '\n' || next == '\r' ||
          next == '\f' || next == '/' || next == '>'))
      continue;
    size_t close = npos, key = npos;
    for (size_t j = i + 1; j + 1 < at.size(); ++j) {
      if (text[at[j]] == '>') {
        close = at[j];
        break;
      }
      if (key == npos && StartsWithIgnoringCase(text, at[j], "charset="))
        key = at[j];
    }
    if (close == npos) return std::nullopt;
    if (key != npos) return Tag{start, close};
  }
  return std::nullopt;
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

  const std::optional<Tag> tag = FirstDeclaringMeta(input, target);
  const std::optional<DeclarationEdit> edit = FindCharsetEdit(input, target);
  std::string output(input);
  if (edit) output.replace(edit->pos, edit->length, edit->replacement);
  if (!tag) {
    FUZZ_CHECK(!edit, "a text without a declaration changed");
    return;
  }

  // The edit stays inside the tag and on unit boundaries.
  FUZZ_CHECK(edit.has_value(), "a declaring tag was not rewritten");
  FUZZ_CHECK(
      edit->pos > tag->start + 5 && edit->pos + edit->length <= tag->close,
      "the edit reaches outside the first declaring meta tag");
  FUZZ_CHECK(IsBoundary(input, edit->pos, target) &&
                 IsBoundary(input, edit->pos + edit->length, target),
             "the edit splits a character");
  for (char c : edit->replacement) {
    FUZZ_CHECK(static_cast<unsigned char>(c) < 0x80,
               "the replacement is not plain ASCII");
  }
  FUZZ_CHECK(output.compare(0, tag->start, input, 0, tag->start) == 0 &&
                 std::string_view(output).substr(output.size() -
                                                 (input.size() - tag->close)) ==
                     input.substr(tag->close),
             "text outside the first declaring meta tag changed");
  FUZZ_CHECK(edit->replacement.find(DeclaredName(target)) != npos,
             "the rewritten tag does not name the target");
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
    DetectEncoding(big);
    RewriteDeclarations(big, target);
  }
  return 0;
}
