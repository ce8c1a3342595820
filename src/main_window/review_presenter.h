// Review: the main window's logic for the doubtful places of a conversion.
// It marks and counts them, walks them, puts the alternative the user chose
// into the converted text, and remembers it as a personal phrase when asked.

#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/convert/ambiguity_point.h"
#include "core/convert/user_phrases.h"
#include "core/encoding/encoding.h"
#include "platform/message_box.h"
#include "platform/review_listener.h"
#include "platform/review_view.h"
#include "platform/source_view.h"

namespace tovenrak::main_window {

// What the review asks of the window that holds the converted document.
class ReviewHost {
 public:
  ReviewHost() = default;
  ReviewHost(const ReviewHost&) = delete;
  ReviewHost& operator=(const ReviewHost&) = delete;
  virtual ~ReviewHost() = default;

  // Makes `bytes` the converted document and shows and previews it, then
  // calls Review::Show.
  virtual void ReplaceConverted(std::string bytes) = 0;
  // Converts the document again as it was last converted, with the personal
  // phrases as they are now (calling Review::Begin and Review::Show).
  virtual void ConvertAgain() = 0;
  // Offers to save the document as the source view shows it.
  virtual void SaveConverted() = 0;
  // Previews the document as the source view shows it, edits and all.
  virtual void PreviewShown() = 0;
};

// A conversion to review: its source bytes, their encoding, the target and
// the points found, indexed in the decoded source (DocumentConversion::points).
struct ReviewedConversion {
  std::string source;
  core::Encoding from = core::Encoding::kGbk;
  core::Encoding to = core::Encoding::kBig5;
  std::vector<core::AmbiguityPoint> points;
};

class Review : public platform::ReviewListener {
 public:
  // Borrows every argument, which must outlive it; `title` heads its
  // messages.
  Review(platform::ReviewView& view, const platform::SourceView& source_view,
         platform::MessageBox& messages, ReviewHost& host, std::string title);

  // The personal phrases (core::LoadPersonalPhrases) for the next conversion
  // into the script `to`; null when there are none. A list that cannot be
  // read gets a message and none are applied.
  std::shared_ptr<const core::UserPhrases> Phrases(core::Script to);

  // Takes `conversion` and `converted`, the text it converted to, and returns
  // that text with the alternatives the user chose before put back where the
  // same source, converted to the same target, still has the same doubtful
  // place. Another source or target forgets those choices.
  std::string Begin(ReviewedConversion conversion, std::string converted);

  // Marks the points of the conversion in the source view, which now shows
  // `shown` (the converted text with its declarations rewritten, in the
  // target encoding), and counts them ("疑点：N"). A point whose character
  // cannot be found in `shown` is neither marked nor counted.
  void Show(const std::string& shown);

  // Clears the marks and the count, and forgets the conversion.
  void End();

  // platform::ReviewListener
  // Select the next or previous mark after the one last selected whose text
  // edits left, round from the last to the first and back. Nothing happens
  // without marks.
  void OnNextPoint() override;
  void OnPreviousPoint() override;
  // Puts the alternative into the converted text (ReviewHost::
  // ReplaceConverted), or into a source view edited by hand where the mark
  // now stands (ReviewView::ReplaceMark, then ReviewHost::PreviewShown), and
  // selects the mark, then offers to remember the word around the point
  // (the source characters of the point and its Chinese neighbours, as the
  // conversion wrote them with the alternative) as a personal phrase of the
  // conversion's direction; if so, saves it and, unless the view was edited,
  // converts again. A point without a Chinese neighbour is not offered: a
  // phrase of one character would overrule every word that holds it, in
  // every later conversion. Choosing what is already there does nothing; a
  // mark whose character was typed over gets a message and nothing changes;
  // a phrase that cannot be saved gets a message.
  void OnPointChosen(int mark, int alternative) override;
  void OnSaveConverted() override;
  // Counts the marks again: edits may have deleted some.
  void OnTextEdited() override;

 private:
  // Where each point is in the converted text (kNowhere when not found).
  // Selects the next mark (`by` 1) or the one before (-1) whose text is
  // still there, and counts those anew.
  void Step(int by);
  // Shows how many marks still have text.
  void CountMarks();
  void PlaceInConverted();
  // Replaces point `point`'s place in converted_ by `with`; false when the
  // place is unknown.
  bool PutInConverted(size_t point, const std::u32string& with);
  void OfferToRemember(size_t point);
  // A caution for the question, when the choice at `point` overrules the
  // word of the dictionary that decided it: the phrase `from` -> `to` would
  // overrule it wherever it holds it. Empty otherwise.
  std::string OverruledWord(size_t point, const std::u32string& from,
                            const std::u32string& to) const;
  // The index of the Han character right before (or `after`) the source
  // text's index `i`, across an inline tag between; kNowhere if none.
  size_t HanNextTo(size_t i, bool after) const;

  platform::ReviewView& view_;
  const platform::SourceView& source_view_;
  platform::MessageBox& messages_;
  ReviewHost& host_;
  const std::string title_;

  ReviewedConversion conversion_;
  // What the conversion chose at each of its points, before any choice.
  std::vector<std::u32string> decided_;
  std::u32string source_text_;  // conversion_.source decoded.
  std::string converted_;
  std::vector<size_t> in_converted_;  // Per point.
  std::vector<size_t> marked_;        // The point of each mark shown.
  int current_ = -1;                  // The mark last selected.
  // The alternatives chosen in a conversion into each encoding, by the
  // point's index in the source, while that conversion reads the same
  // source: going back to a side converts the same text again, and its
  // choices come back.
  struct Choices {
    std::string source;
    core::Encoding from = core::Encoding::kUtf8;
    std::map<size_t, std::u32string> chosen;
  };
  std::map<core::Encoding, Choices> choices_;
};

}  // namespace tovenrak::main_window
