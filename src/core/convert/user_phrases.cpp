#include "core/convert/user_phrases.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "core/convert/text_breaks.h"
#include "core/encoding/utf8.h"
#include "core/io/file_io.h"
#include "core/io/make_folders.h"

namespace tovenrak::core {

namespace {

Error BadLine(size_t line, const std::string& what) {
  return Error{ErrorCode::kInvalidInput,
               "line " + std::to_string(line) + ": " + what};
}

// The code points of `utf8`, or nothing when it is not valid UTF-8.
std::optional<std::u32string> Decode(std::string_view utf8) {
  std::u32string out;
  for (size_t pos = 0; pos < utf8.size();) {
    if (WellFormedUtf8Length(utf8, pos) == 0) return std::nullopt;
    out += NextUtf8(utf8, pos);
  }
  return out;
}

std::string Encode(std::u32string_view text) {
  std::string out;
  for (const char32_t c : text) AppendUtf8(c, out);
  return out;
}

}  // namespace

UserPhrases::UserPhrases(PhraseList phrases)
    : phrases_(phrases.begin(), phrases.end()) {
  std::vector<PhraseTrie::Entry> entries;
  for (size_t i = 0; i < phrases_.size(); ++i) {
    entries.push_back({phrases_[i].first, static_cast<uint32_t>(i)});
    hold_breaks_ =
        hold_breaks_ || std::ranges::any_of(phrases_[i].first, IsBreak);
    keep_lengths_ =
        keep_lengths_ && phrases_[i].first.size() == phrases_[i].second.size();
    to_holds_markup_ = to_holds_markup_ ||
                       phrases_[i].second.find_first_of(kMarkupCharacters) !=
                           std::u32string::npos;
  }
  trie_ = PhraseTrie::Build(std::move(entries));
}

void AppendForMarkup(std::u32string_view to, std::u32string& out) {
  // In the order of kMarkupCharacters.
  static constexpr std::u32string_view kReferences[] = {
      U"&amp;", U"&lt;", U"&gt;", U"&quot;", U"&#39;"};
  for (const char32_t c : to) {
    const size_t i = kMarkupCharacters.find(c);
    if (i == std::u32string_view::npos) {
      out += c;
    } else {
      out += kReferences[i];
    }
  }
}

UserPhrases::Match UserPhrases::LongestMatch(std::u32string_view text) const {
  const PhraseTrie::Match m = trie_.LongestMatch(text.data(), text.size());
  if (m.length == 0) return {};
  return {m.length, phrases_[m.value].second};
}

Status ReadPhrases(std::string_view text, PhraseList& list) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  PhraseList read = list;
  size_t number = 0;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++number;
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.find_first_not_of(" \t") == std::string_view::npos ||
        line.starts_with('#'))
      continue;
    const std::optional<std::u32string> decoded = Decode(line);
    if (!decoded) return BadLine(number, "not valid UTF-8");
    const size_t tab = decoded->find(U'\t');
    if (tab == std::u32string::npos)
      return BadLine(number, "no tab between the phrase and its replacement");
    std::u32string from = decoded->substr(0, tab);
    std::u32string_view to = std::u32string_view(*decoded).substr(tab + 1);
    // A phrase with a space in it is replaced by all of its TO (Google 地图),
    // which no list of outputs could be.
    if (from.find(U' ') == std::u32string::npos)
      to = to.substr(0, to.find(U' '));
    if (from.empty()) return BadLine(number, "nothing before the tab");
    if (to.find(U'\t') != std::u32string_view::npos)
      return BadLine(number, "a second tab (outputs are separated by spaces)");
    if (to.empty()) return BadLine(number, "no replacement after the tab");
    read[std::move(from)] = std::u32string(to);
  }
  list = std::move(read);
  return {};
}

Status LoadPhraseFile(const std::filesystem::path& path, PhraseList& list) {
  Result<std::string> text = ReadDocument(path);
  if (!text) return text.error();
  if (Status read = ReadPhrases(*text, list); !read) {
    Error error = read.error();
    error.path = path.string();
    return error;
  }
  return {};
}

std::filesystem::path PersonalPhrasesPath(Script to) {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  std::filesystem::path folder;
  if (config != nullptr && *config != '\0') {
    folder = config;
  } else if (const char* home = std::getenv("HOME");
             home != nullptr && *home != '\0') {
    folder = std::filesystem::path(home) / ".config";
  } else {
    return {};
  }
  return folder / "tovenrak" /
         (to == Script::kTraditional ? "phrases.txt"
                                     : "phrases-simplified.txt");
}

Result<PhraseList> LoadPersonalPhrases(Script to) {
  PhraseList list;
  const std::filesystem::path path = PersonalPhrasesPath(to);
  if (path.empty()) return list;
  if (Status loaded = LoadPhraseFile(path, list);
      !loaded && loaded.error().code != ErrorCode::kNotFound)
    return loaded.error();
  return list;
}

Result<std::shared_ptr<const UserPhrases>> LoadSharedPersonalPhrases(
    Script to) {
  Result<PhraseList> list = LoadPersonalPhrases(to);
  if (!list) return list.error();
  if (list->empty()) return std::shared_ptr<const UserPhrases>();
  return std::make_shared<const UserPhrases>(std::move(*list));
}

Status AddPersonalPhrase(std::u32string_view from, std::u32string_view to,
                         Script script) {
  auto holds = [](std::u32string_view s, std::u32string_view chars) {
    return s.find_first_of(chars) != std::u32string_view::npos;
  };
  if (from.empty() || to.empty() || holds(from, U"\t\r\n") ||
      holds(to, U"\t\r\n ") || from.front() == U'#')
    return Error{ErrorCode::kInvalidInput,
                 "a phrase cannot be empty, hold a tab or a line break, or "
                 "start with '#'; its replacement cannot hold a space"};
  const std::filesystem::path path = PersonalPhrasesPath(script);
  if (path.empty())
    return Error{ErrorCode::kNotFound,
                 "neither XDG_CONFIG_HOME nor HOME is set"};
  std::string text;
  if (Result<std::string> old = ReadDocument(path); old) {
    text = std::move(*old);
  } else if (old.error().code != ErrorCode::kNotFound) {
    return old.error();
  }
  if (Status made = MakeFolders(path.parent_path()); !made) return made;
  if (!text.empty() && !text.ends_with('\n')) text += '\n';
  text += Encode(from) + '\t' + Encode(to) + '\n';
  return SaveDocument(path, text);
}

}  // namespace tovenrak::core
