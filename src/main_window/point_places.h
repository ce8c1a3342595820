// Finding places of a decoded source text again in its conversion, whose
// length differs from it where a character became a reference or a stretch
// changed length.

#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace tovenrak::main_window {

inline constexpr size_t kNowhere = static_cast<size_t>(-1);

// The length of the decimal reference "&#N;" that begins `text`, with N in
// `c`; 0 when `text` does not begin with one.
size_t ReferenceLength(std::u32string_view text, char32_t& c);

// Returns, for each of `indices`, the index in `to` of what `from[index]`
// became, `to` being `from` converted: a character may have become another
// one or the reference "&#N;", and a stretch may have changed length (a
// declaration rewritten, a phrase of another length). Two characters agree
// when they are equal or neither is ASCII; where they disagree, the walk
// goes on at the nearest pair of places from which kResync characters agree.
// An index in a stretch that changed length, or beyond a difference with no
// such pair within kReach characters, gets kNowhere.
// REQUIRES: `indices` ascending.
inline constexpr size_t kResync = 4;
inline constexpr size_t kReach = 64;
std::vector<size_t> PlaceIndices(std::u32string_view from,
                                 std::u32string_view to,
                                 const std::vector<size_t>& indices);

}  // namespace tovenrak::main_window
