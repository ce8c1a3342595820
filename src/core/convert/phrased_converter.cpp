#include "core/convert/phrased_converter.h"

namespace tovenrak::core {

namespace {

void Append(std::u32string_view to, ScriptConversion how, std::u32string& out) {
  if (how.in_markup) {
    AppendForMarkup(to, out);
  } else {
    out += to;
  }
}

}  // namespace

template <typename Stretch, typename Phrase>
Status PhrasedConverter::Split(std::u32string_view text, Stretch stretch,
                               Phrase phrase) const {
  size_t begin = 0;
  for (size_t pos = 0; pos < text.size();) {
    const UserPhrases::Match m = phrases_.LongestMatch(text.substr(pos));
    if (m.length == 0) {
      ++pos;
      continue;
    }
    if (Status s = stretch(begin, pos); !s) return s;
    phrase(m.length, m.to);
    pos += m.length;
    begin = pos;
  }
  return stretch(begin, text.size());
}

Status PhrasedConverter::Convert(std::u32string_view text, ScriptConversion how,
                                 std::u32string& out) const {
  return Split(
      text,
      [&](size_t begin, size_t end) -> Status {
        if (begin == end) return {};
        return inner_.Convert(text.substr(begin, end - begin), how, out);
      },
      [&](size_t, std::u32string_view to) { Append(to, how, out); });
}

Status PhrasedConverter::ConvertPlacing(std::u32string_view text,
                                        ScriptConversion how,
                                        std::u32string& out,
                                        std::span<size_t> places) const {
  PlaceMover mover(places);
  const Status done = Split(
      text,
      [&](size_t begin, size_t end) -> Status {
        const std::span<size_t> inside = mover.Enter(end - begin);
        const size_t before = out.size();
        const Status converted =
            begin == end
                ? Status{}
                : inner_.ConvertPlacing(text.substr(begin, end - begin), how,
                                        out, inside);
        mover.Leave(out.size() - before);
        return converted;
      },
      [&](size_t length, std::u32string_view to) {
        const size_t before = out.size();
        Append(to, how, out);
        mover.Step(length, out.size() - before);
      });
  mover.Finish();
  return done;
}

Status PhrasedConverter::FindAmbiguities(
    std::u32string_view text, ScriptConversion how,
    std::vector<AmbiguityPoint>& points) const {
  return Split(
      text,
      [&](size_t begin, size_t end) -> Status {
        if (begin == end) return {};
        const size_t first = points.size();
        Status found = inner_.FindAmbiguities(text.substr(begin, end - begin),
                                              how, points);
        for (size_t i = first; i < points.size(); ++i) points[i].index += begin;
        return found;
      },
      [](size_t, std::u32string_view) {});
}

}  // namespace tovenrak::core
