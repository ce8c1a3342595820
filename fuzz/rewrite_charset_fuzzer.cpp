// The declaration rewrite on any bytes, in every target encoding: each edit
// names the target on character boundaries and changes only the old name
// and ASCII (server code's edits only ASCII names), a second rewrite changes
// nothing, and an input whose first half is repeated to a megabyte is still
// rewritten, and detected, in linear time.

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "core/encoding/codec.h"
#include "core/encoding/declarations.h"
#include "core/encoding/detection.h"
#include "core/encoding/rewrite_charset.h"
#include "core/encoding/server_declarations.h"
#include "fuzz_check.h"

namespace {

using namespace tovenrak::core;

bool IsBoundary(std::string_view text, size_t pos, Encoding encoding) {
  size_t p = 0;
  while (p < pos) p += UnitLengthIn(text, p, encoding);
  return p == pos;
}

// The units above ASCII of text[from, to), one after another.
std::string HighUnits(std::string_view text, size_t from, size_t to,
                      Encoding encoding) {
  std::string high;
  for (size_t p = from; p < to;) {
    const size_t length = UnitLengthIn(text, p, encoding);
    if (static_cast<unsigned char>(text[p]) >= 0x80)
      high.append(text.substr(p, length));
    p += length;
  }
  return high;
}

// `name`: what the edit names the target; an XML declaration that names
// none gets an attribute that names it.
void CheckEdit(std::string_view input, Encoding target, std::string_view name,
               const std::optional<DeclarationEdit>& edit) {
  if (!edit) return;
  FUZZ_CHECK(edit->pos + edit->length <= input.size() &&
                 IsBoundary(input, edit->pos, target) &&
                 IsBoundary(input, edit->pos + edit->length, target),
             "the edit splits a character or reaches outside the text");
  std::string edited(input);
  edited.replace(edit->pos, edit->length, edit->replacement);
  const size_t end = edit->pos + edit->replacement.size();
  // The old name may hold any characters; what the edit keeps after it
  // comes last in both.
  const std::string kept = HighUnits(edited, edit->pos, end, target);
  FUZZ_CHECK(IsBoundary(edited, end, target) &&
                 HighUnits(input, edit->pos, edit->pos + edit->length, target)
                     .ends_with(kept),
             "the edit changes more than the name and ASCII characters");
  const std::string added = " encoding=\"" + std::string(name) + "\"",
                    added_quoted = " encoding='" + std::string(name) + "'";
  FUZZ_CHECK(edit->replacement.starts_with(name) ||
                 (edit->length == 0 && (edit->replacement == added ||
                                        edit->replacement == added_quoted)),
             "the edit does not name the target");
}

void Check(std::string_view input, Encoding target) {
  size_t after = 0;
  for (const DeclarationEdit& edit : FindCharsetEdits(input, target)) {
    FUZZ_CHECK(edit.pos >= after, "charset edits overlap or are out of order");
    after = edit.pos + edit.length;
    CheckEdit(input, target, DeclaredName(target), edit);
  }
  CheckEdit(input, target,
            target == Encoding::kGbk ? "gbk" : DeclaredName(target),
            FindXmlEncodingEdit(input, target));
  size_t last = 0;
  for (const DeclarationEdit& edit :
       FindServerDeclarationEdits(input, target, "x-fuzz")) {
    const size_t end = edit.pos + edit.length;
    FUZZ_CHECK(edit.pos >= last && end <= input.size() &&
                   IsBoundary(input, edit.pos, target) &&
                   IsBoundary(input, end, target) &&
                   HighUnits(input, edit.pos, end, target).empty(),
               "a server code edit overlaps another, or changes more than "
               "an ASCII name");
    last = end;
  }
  std::string once(input);
  RewriteDeclarations(once, target, "x-fuzz");
  std::string twice = once;
  RewriteDeclarations(twice, target, "x-fuzz");
  FUZZ_CHECK(twice == once, "a second rewrite changed the text");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  for (Encoding target : kAllEncodings) Check(input, target);

  // run.sh's -timeout turns a slower than linear rewrite into a finding. One
  // input in eight (by its size) pays for this.
  if (size > 0 && size % 8 == 0) {
    std::string big;
    big.reserve((1 << 20) + size);
    while (big.size() < (1 << 20)) big.append(input.substr(0, size / 2));
    big.append(input.substr(size / 2));
    DetectEncoding(big);
    RewriteDeclarations(big, kAllEncodings[data[0] % std::size(kAllEncodings)]);
  }
  return 0;
}
