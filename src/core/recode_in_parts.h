// Converting one large document on several threads: it is cut where the
// parts convert apart as the whole would, and the parts are converted at
// once and joined in order.

#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/convert/converter.h"
#include "core/encoding/code_point_writer.h"
#include "core/encoding/encoding.h"
#include "core/result.h"

namespace tovenrak::core {

// About this many bytes make a part.
inline constexpr size_t kPartBytes = size_t{1} << 20;

// Where a text may be cut, about every `part` bytes: after a line feed that
// a byte-order mark does not follow, which no key of a converter whose keys
// hold no break (Converter::KeysHoldBreaks) crosses.
std::vector<size_t> TextCuts(std::string_view bytes, Encoding source,
                             size_t part = kPartBytes);

// Appends to `out` the parts of `bytes` between `cuts` (with 0 and the end)
// converted as RecodeMarkup converts a page (`markup`) or as
// Converter::Recode converts a text, each apart, on up to `threads` threads
// (this one among them; no more than the cores, nor than eight). Adds to
// `counts`. `consumed`, when given, is told in order how far the parts joined
// reach. Fails as those do, with the failure of the first part that fails;
// `out` may then hold some parts. `how` and `external_charset` are as
// RecodeMarkup takes them.
Status RecodeInParts(const Converter& converter, std::string_view bytes,
                     const std::vector<size_t>& cuts, bool markup,
                     Encoding source, Encoding target,
                     std::optional<ScriptConversion> how, unsigned threads,
                     std::string& out, EncodeCounts& counts,
                     const std::function<void(size_t)>& consumed,
                     std::string_view external_charset = {});

}  // namespace tovenrak::core
