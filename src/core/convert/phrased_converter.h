// A converter that applies people's own phrases before another converter's
// dictionaries.

#pragma once

#include "core/convert/converter.h"
#include "core/convert/user_phrases.h"

namespace tovenrak::core {

// Converts as `inner` does, except where a phrase of `phrases` matches: the
// text is read left to right, and at each position the longest FROM there
// is replaced by its TO, whatever dictionary phrase it overlaps; the
// stretches between are converted by `inner` on their own, so no dictionary
// phrase reaches into a user phrase. A FROM equal to its TO keeps a word as
// it is. Borrows `inner` and `phrases`, which must outlive it.
class PhrasedConverter : public Converter {
 public:
  PhrasedConverter(const Converter& inner, const UserPhrases& phrases)
      : inner_(inner), phrases_(phrases) {}

  Status Convert(std::u32string_view text, ScriptConversion how,
                 std::u32string& out) const override;
  Status ConvertPlacing(std::u32string_view text, ScriptConversion how,
                        std::u32string& out,
                        std::span<size_t> places) const override;
  bool KeepsLengths(ScriptConversion how) const override {
    return phrases_.KeepLengths() &&
           !(how.in_markup && phrases_.ToHoldsMarkup()) &&
           inner_.KeepsLengths(how);
  }
  // Only the stretches `inner` converts have points.
  Status FindAmbiguities(std::u32string_view text, ScriptConversion how,
                         std::vector<AmbiguityPoint>& points) const override;
  bool KeysHoldBreaks() const override {
    return phrases_.HoldBreaks() || inner_.KeysHoldBreaks();
  }

 private:
  // Calls `stretch(begin, end)` for each stretch between phrases and
  // `phrase(length, to)` for each phrase, in order; stops at the first failure.
  template <typename Stretch, typename Phrase>
  Status Split(std::u32string_view text, Stretch stretch, Phrase phrase) const;

  const Converter& inner_;
  const UserPhrases& phrases_;
};

}  // namespace tovenrak::core
