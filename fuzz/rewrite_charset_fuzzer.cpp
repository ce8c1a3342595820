// RewriteCharset on any bytes, with both targets: nothing changes outside the
// first <meta> tag that holds a "charset=", the rewritten tag names the target,
// double-byte characters are never split, a second rewrite changes nothing,
// and an input whose first half is repeated to a megabyte is still rewritten
// in linear time.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/encoding/document_text.h"
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

FUZZ_REFERENCE std::vector<size_t> Boundaries(std::string_view text) {
  std::vector<size_t> boundaries;
  for (size_t pos = 0; pos < text.size(); pos += UnitLength(text, pos))
    boundaries.push_back(pos);
  boundaries.push_back(text.size());
  return boundaries;
}

// The first "<meta" tag, followed by a space, "/" or ">", whose text up to
// its first ">" holds "charset=" in any case; all on unit boundaries.
FUZZ_REFERENCE std::optional<Tag> FirstDeclaringMeta(std::string_view text) {
  const std::vector<size_t> at = Boundaries(text);
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

FUZZ_REFERENCE bool IsBoundary(std::string_view text, size_t pos) {
  size_t p = 0;
  while (p < pos) p += UnitLength(text, p);
  return p == pos;
}

void Check(std::string_view input, std::string_view target) {
  const std::string output = RewriteCharset(input, target);
  const std::optional<Tag> tag = FirstDeclaringMeta(input);
  if (!tag) {
    FUZZ_CHECK(output == input, "a text without a declaration changed");
    return;
  }

  // The edit stays inside the tag and on unit boundaries.
  const std::optional<CharsetEdit> edit = FindCharsetEdit(input, target);
  FUZZ_CHECK(edit.has_value(), "a declaring tag was not rewritten");
  FUZZ_CHECK(
      edit->pos > tag->start + 5 && edit->pos + edit->length <= tag->close,
      "the edit reaches outside the first declaring meta tag");
  FUZZ_CHECK(IsBoundary(input, edit->pos) &&
                 IsBoundary(input, edit->pos + edit->length),
             "the edit splits a double-byte character");
  for (char c : edit->replacement) {
    FUZZ_CHECK(static_cast<unsigned char>(c) < 0x80,
               "the replacement is not plain ASCII");
  }
  if (output.compare(0, tag->start, input, 0, tag->start) != 0 ||
      std::string_view(output).substr(output.size() -
                                      (input.size() - tag->close)) !=
          input.substr(tag->close)) {
    FuzzPrintBytes("input", input);
    FuzzPrintBytes("output", output);
    FUZZ_CHECK(false, "text outside the first declaring meta tag changed");
  }

  // The tag now names the target right after its first "charset=".
  const std::optional<Tag> new_tag = FirstDeclaringMeta(output);
  FUZZ_CHECK(new_tag.has_value() && new_tag->start == tag->start,
             "the rewritten tag no longer declares a charset");
  size_t key = tag->start;
  while (!StartsWithIgnoringCase(output, key, "charset="))
    key += UnitLength(output, key);
  size_t name = key + 8;
  if (name < output.size() && (output[name] == '"' || output[name] == '\''))
    ++name;
  FUZZ_CHECK(
      std::string_view(output).substr(name).starts_with(target.substr(8)),
      "the rewritten tag does not name the target");

  const std::string twice = RewriteCharset(output, target);
  if (twice != output) {
    FuzzPrintBytes("input", input);
    FuzzPrintBytes("once", output);
    FuzzPrintBytes("twice", twice);
    FUZZ_CHECK(false, "a second rewrite changed the text");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  Check(input, kGbDeclaration);
  Check(input, kBig5Declaration);

  // With its first half repeated to a megabyte, the input must still be
  // rewritten in about linear time: run.sh's -timeout turns anything slower
  // into a finding. One input in eight (by its size) pays for this.
  if (size > 0 && size % 8 == 0) {
    const std::string_view head = input.substr(0, size / 2);
    std::string big;
    big.reserve((1 << 20) + size);
    while (big.size() < (1 << 20)) big.append(head);
    big.append(input.substr(size / 2));
    const std::optional<CharsetEdit> edit =
        FindCharsetEdit(big, kGbDeclaration);
    FUZZ_CHECK(!edit || edit->pos + edit->length <= big.size(),
               "an edit reaches past the end of a long text");
  }
  return 0;
}
