#include "main_window/review_presenter.h"

#include <algorithm>
#include <utility>

#include "core/encoding/codec.h"
#include "core/encoding/utf8.h"
#include "core/markup/markup_scanner.h"
#include "core/markup/name_key.h"
#include "main_window/point_places.h"
#include "platform/reading_problem_text.h"
#include "platform/shown_name.h"

namespace tovenrak::main_window {

namespace {

std::string Utf8(std::u32string_view text) {
  std::string out;
  for (const char32_t c : text) core::AppendUtf8(c, out);
  return out;
}

// A phrase inside a message, which a translation of the message keeps.
std::string Phrase(std::u32string_view text) {
  return platform::ShownName(Utf8(text));
}

bool IsHan(char32_t c) {
  return (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) ||
         (c >= 0xF900 && c <= 0xFAFF) || (c >= 0x20000 && c <= 0x3FFFF);
}

// How many characters of `text` from `at` hold `chosen`: as it is, or as a
// reference to it; 0 when neither is there.
size_t SpanAt(std::u32string_view text, size_t at,
              const std::u32string& chosen) {
  if (at >= text.size()) return 0;
  const std::u32string_view rest = text.substr(at);
  if (rest.starts_with(chosen)) return chosen.size();
  char32_t c = 0;
  const size_t length = ReferenceLength(rest, c);
  return length > 0 && chosen.size() == 1 && c == chosen[0] ? length : 0;
}

// "疑点：干 → 幹（幹 乾 干）", the characters set apart as a name is, so
// that an interface in Traditional Chinese converts only the label.
std::string MarkText(const core::AmbiguityPoint& point) {
  std::string characters =
      Utf8(std::u32string(1, point.source)) + " → " + Utf8(point.chosen) + "（";
  for (size_t i = 0; i < point.candidates.size(); ++i)
    characters += (i > 0 ? " " : "") + Utf8(point.candidates[i]);
  return "疑点：" + platform::ShownName(characters + "）");
}

std::vector<size_t> IndicesOf(const std::vector<core::AmbiguityPoint>& points) {
  std::vector<size_t> indices;
  for (const core::AmbiguityPoint& point : points)
    indices.push_back(point.index);
  return indices;
}

std::u32string Decoded(const std::string& bytes, core::Encoding encoding) {
  return core::Decode(bytes, encoding).text;
}

}  // namespace

Review::Review(platform::ReviewView& view,
               const platform::SourceView& source_view,
               platform::MessageBox& messages, ReviewHost& host,
               std::string title)
    : view_(view),
      source_view_(source_view),
      messages_(messages),
      host_(host),
      title_(std::move(title)) {}

std::shared_ptr<const core::UserPhrases> Review::Phrases(core::Script to) {
  auto phrases = core::LoadSharedPersonalPhrases(to);
  if (phrases) return std::move(*phrases);
  messages_.Show("无法读取个人词组，这次转换没有套用它们。\n原因：" +
                     platform::ReadingProblemText(phrases.error().Message()),
                 platform::MessageIcon::kExclamation, title_);
  return nullptr;
}

std::string Review::Begin(ReviewedConversion conversion,
                          std::string converted) {
  Choices& kept = choices_[conversion.to];
  if (kept.source != conversion.source || kept.from != conversion.from)
    kept = {conversion.source, conversion.from, {}};
  conversion_ = std::move(conversion);
  decided_.clear();
  for (const core::AmbiguityPoint& point : conversion_.points)
    decided_.push_back(point.chosen);
  source_text_ = Decoded(conversion_.source, conversion_.from);
  converted_ = std::move(converted);
  marked_.clear();
  current_ = -1;
  PlaceInConverted();
  for (size_t k = 0; k < conversion_.points.size(); ++k) {
    core::AmbiguityPoint& point = conversion_.points[k];
    const auto choice = kept.chosen.find(point.index);
    if (choice == kept.chosen.end() || choice->second == point.chosen ||
        std::find(point.candidates.begin(), point.candidates.end(),
                  choice->second) == point.candidates.end())
      continue;
    if (PutInConverted(k, choice->second)) point.chosen = choice->second;
  }
  return converted_;
}

void Review::Show(const std::string& shown) {
  const std::u32string view_text = Decoded(shown, conversion_.to);
  const std::vector<core::AmbiguityPoint>& points = conversion_.points;
  const std::vector<size_t> places =
      PlaceIndices(source_text_, view_text, IndicesOf(points));
  std::vector<core::AmbiguityPoint> located;
  std::vector<platform::ReviewMark> marks;
  marked_.clear();
  for (size_t k = 0; k < points.size(); ++k) {
    const size_t length = places[k] == kNowhere
                              ? 0
                              : SpanAt(view_text, places[k], points[k].chosen);
    if (length == 0) continue;
    located.emplace_back().index = places[k];
    platform::ReviewMark mark;
    mark.length = length;
    mark.text = MarkText(points[k]);
    for (const std::u32string& candidate : points[k].candidates)
      mark.alternatives.push_back(Utf8(candidate));
    marks.push_back(std::move(mark));
    marked_.push_back(k);
  }
  core::LocatePoints(view_text, located);
  for (size_t m = 0; m < marks.size(); ++m) {
    marks[m].line = located[m].line;
    marks[m].column = located[m].column;
  }
  current_ = -1;
  view_.ShowMarks(marks);
  CountMarks();
}

void Review::CountMarks() {
  view_.ShowCount("疑点：" + std::to_string(view_.MarksStanding()));
}

void Review::End() {
  conversion_ = {};
  source_text_.clear();
  converted_.clear();
  in_converted_.clear();
  marked_.clear();
  current_ = -1;
  choices_.clear();
  view_.ShowMarks({});
  view_.ShowCount("");
}

void Review::OnNextPoint() { Step(+1); }

void Review::OnPreviousPoint() { Step(-1); }

void Review::Step(int by) {
  const int count = static_cast<int>(marked_.size());
  // Past the places whose text was deleted, once round at most.
  for (int tried = 0; tried < count; ++tried) {
    current_ = by > 0 ? (current_ + 1) % count
                      : (current_ <= 0 ? count : current_) - 1;
    if (view_.SelectMark(current_)) break;
  }
  CountMarks();
}

void Review::OnPointChosen(int mark, int alternative) {
  if (mark < 0 || mark >= static_cast<int>(marked_.size())) return;
  const size_t k = marked_[mark];
  core::AmbiguityPoint& point = conversion_.points[k];
  if (alternative < 0 ||
      alternative >= static_cast<int>(point.candidates.size()))
    return;
  const std::u32string with = point.candidates[alternative];
  if (with == point.chosen) return;
  // An edited text is the view's own: the choice is made there, where the
  // place's character still stands.
  const bool edited = source_view_.IsModified();
  if (!edited && !PutInConverted(k, with)) return;
  const std::u32string written = std::exchange(point.chosen, with);
  if (edited &&
      !view_.ReplaceMark(mark, Utf8(written), Utf8(with), MarkText(point))) {
    point.chosen = written;
    messages_.Show("这个疑点处的字已经手工改过，不能再按疑点改字。",
                   platform::MessageIcon::kExclamation, title_);
    return;
  }
  choices_[conversion_.to].chosen[point.index] = with;
  if (edited) {
    host_.PreviewShown();
  } else {
    host_.ReplaceConverted(converted_);
  }
  const auto shown = std::find(marked_.begin(), marked_.end(), k);
  if (shown != marked_.end()) {
    current_ = static_cast<int>(shown - marked_.begin());
    view_.SelectMark(current_);
  }
  OfferToRemember(k);
}

void Review::OnSaveConverted() { host_.SaveConverted(); }

void Review::OnTextEdited() {
  if (!marked_.empty()) CountMarks();
}

void Review::PlaceInConverted() {
  in_converted_ =
      PlaceIndices(source_text_, Decoded(converted_, conversion_.to),
                   IndicesOf(conversion_.points));
}

bool Review::PutInConverted(size_t point, const std::u32string& with) {
  if (in_converted_[point] == kNowhere) return false;
  core::DecodedText decoded = core::Decode(converted_, conversion_.to);
  const size_t at = in_converted_[point];
  const size_t length =
      SpanAt(decoded.text, at, conversion_.points[point].chosen);
  if (length == 0) return false;
  decoded.text.replace(at, length, with);
  std::string bytes;
  if (decoded.byte_order_mark) bytes = core::ByteOrderMark(conversion_.to);
  core::EncodeCounts counts;
  core::Encode(decoded.text, conversion_.to, bytes, counts);
  converted_ = std::move(bytes);
  PlaceInConverted();
  return true;
}

size_t Review::HanNextTo(size_t i, bool after) const {
  // The longest inline tag looked past: <span class="..."> and the like.
  constexpr size_t kLongestTag = 80;
  const std::u32string_view text = source_text_;
  size_t at = after ? i + 1 : i;  // Just past it, on the side looked at.
  auto next = [&]() -> char32_t {
    return after ? (at < text.size() ? text[at] : 0)
                 : (at > 0 ? text[at - 1] : 0);
  };
  if (next() == (after ? U'<' : U'>')) {
    const size_t tag_begin = after ? at : text.rfind(U'<', at - 1);
    const size_t tag_end = after ? text.find(U'>', at) : at - 1;
    if (tag_begin == std::u32string_view::npos ||
        tag_end == std::u32string_view::npos ||
        tag_end - tag_begin > kLongestTag)
      return kNowhere;
    size_t name = tag_begin + 1;
    if (name < tag_end && text[name] == U'/') ++name;
    size_t name_end = name;
    while (name_end < tag_end && text[name_end] != U' ' &&
           text[name_end] != U'/' && text[name_end] != U'\t' &&
           text[name_end] != U'\n' && text[name_end] != U'\r')
      ++name_end;
    if (!core::IsInlineTag(
            core::NameKey::Of(text.substr(name, name_end - name))))
      return kNowhere;
    at = after ? tag_end + 1 : tag_begin;
  }
  const char32_t c = next();
  if (!IsHan(c)) return kNowhere;
  return after ? at : at - 1;
}

std::string Review::OverruledWord(size_t k, const std::u32string& from,
                                  const std::u32string& to) const {
  // The character alone converts to the first candidate; where the
  // conversion chose another, a word of the dictionary decided it (头发 ->
  // 頭髮), and the phrase would overrule that word wherever it holds it.
  const core::AmbiguityPoint& point = conversion_.points[k];
  const std::u32string& decided = decided_[k];
  if (point.candidates.empty() || decided == point.candidates.front() ||
      decided == point.chosen)
    return {};
  return "\n\n注意：“" + Phrase(decided) +
         "”是按词典里的词转换的；记入后，凡是含“" + Phrase(from) +
         "”的文字都会转换为“" + Phrase(to) +
         "”，也包括那个词本来转换对的地方。";
}

void Review::OfferToRemember(size_t k) {
  const core::AmbiguityPoint& point = conversion_.points[k];
  const size_t i = point.index;
  // The characters next to it, also across an inline tag (都<b>干</b>了
  // converts as 都干了).
  std::vector<size_t> word;
  if (const size_t before = HanNextTo(i, /*after=*/false); before != kNowhere)
    word.push_back(before);
  word.push_back(i);
  if (const size_t after = HanNextTo(i, /*after=*/true); after != kNowhere)
    word.push_back(after);
  const std::u32string converted = Decoded(converted_, conversion_.to);
  const std::vector<size_t> places =
      PlaceIndices(source_text_, converted, word);
  std::u32string from;
  for (const size_t at : word) from += source_text_[at];
  std::u32string to;
  for (size_t w = 0; w < word.size(); ++w) {
    char32_t c = places[w] == kNowhere ? 0 : converted[places[w]];
    if (places[w] != kNowhere)
      ReferenceLength(std::u32string_view(converted).substr(places[w]), c);
    if (word[w] == i) {
      to += point.chosen;
    } else if (c != 0) {
      to += c;
    } else {
      // Where a neighbour went is not known: nothing to remember.
      return;
    }
  }
  if (from.size() < 2) return;
  const core::Script script = conversion_.to == core::Encoding::kGbk
                                  ? core::Script::kSimplified
                                  : core::Script::kTraditional;
  // A choice of the character as it stands keeps the phrase unconverted.
  const std::string what =
      from == to
          ? "以后也让“" + Phrase(from) + "”保持原样、不转换吗？"
          : "以后也把“" + Phrase(from) + "”转换为“" + Phrase(to) + "”吗？";
  // A text edited by hand is not converted again: the edits would go.
  const bool edited = source_view_.IsModified();
  const std::string question =
      what + "\n\n选“是”将它记入个人词组（" +
      core::PersonalPhrasesPath(script).string() + "）" +
      (edited ? "" : "，马上重新转换本文件") + "；以后在主窗口和批量转换中" +
      (script == core::Script::kSimplified ? "转换为简体时" : "转换为繁体时") +
      "都会套用。" + OverruledWord(k, from, to);
  if (!messages_.Ask(question, title_)) return;
  if (core::Status added = core::AddPersonalPhrase(from, to, script); !added) {
    messages_.Show("无法保存个人词组。\n原因：" + added.error().Message(),
                   platform::MessageIcon::kCritical, title_);
    return;
  }
  if (edited) return;
  host_.ConvertAgain();
  // The review goes on from the place just decided, not from the top: the
  // first place at or after it, else the last before it.
  if (marked_.empty()) return;
  size_t m = 0;
  while (m + 1 < marked_.size() && conversion_.points[marked_[m]].index < i)
    ++m;
  current_ = static_cast<int>(m);
  view_.SelectMark(current_);
}

}  // namespace tovenrak::main_window
