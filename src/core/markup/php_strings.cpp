#include "core/markup/php_strings.h"

#include <algorithm>

#include "core/encoding/codec.h"
#include "core/markup/server_code.h"

namespace tovenrak::core {

namespace {

// Bytes decoded at a time, and code points handed on at a time.
constexpr size_t kPiece = 4096;

class PhpStringsWriter {
 public:
  PhpStringsWriter(
      std::string_view bytes, Encoding source, Encoding target,
      const std::function<void(std::u32string_view, size_t, bool)>& put)
      : bytes_(bytes), source_(source), target_(target), put_(put) {}

  void Write() {
    auto bytes_alone = [](char) { return false; };  // PHP reads bytes.
    PhpReading php;
    for (size_t at = bytes_.find("<?"); at != std::string_view::npos;
         at = bytes_.find("<?", at + 2)) {
      if (!OpensPhp(bytes_, at)) continue;
      // A block left open (a page PHP itself refuses) ends at its first
      // "?>", as the page's tags end it, and its strings stay as they are.
      // Read first to know: its reading may run far past that "?>", and
      // what is handed on is never read again.
      if (php.End(bytes_, at + 2, bytes_alone) == std::string_view::npos) {
        at = bytes_.find("?>", at + 2);
        if (at == std::string_view::npos) break;
        continue;
      }
      at = php.End(bytes_, at + 2, bytes_alone, [&](size_t from, size_t to) {
        const char before = bytes_[from - 1];  // Handed on with what precedes.
        Kept(from);
        String(from, to, before);
      });
    }
    Kept(bytes_.size());
    Flush();
  }

 private:
  bool IsAscii(size_t at) const {
    return at < bytes_.size() && static_cast<unsigned char>(bytes_[at]) < 0x80;
  }

  void Emit(char32_t c) {
    out_ += c;
    if (out_.size() >= kPiece) Flush();
  }

  void Flush() {
    if (out_.empty()) return;
    put_(out_, written_, /*in_string=*/true);
    out_.clear();
  }

  // Hands on bytes_[written_, to) as they decode.
  void Kept(size_t to) {
    if (written_ >= to) return;
    Flush();
    while (written_ < to) {
      kept_.text.clear();
      written_ = DecodeSome(bytes_, written_, std::min(kPiece, to - written_),
                            source_, kept_);
      put_(kept_.text, written_, /*in_string=*/false);
    }
  }

  // Hands on the contents of a string, bytes_[from, to), a unit at a time,
  // each with what it escapes. A '\' escapes the byte after it: an ASCII
  // character, or the first byte of another, which is then read on its own.
  // The closing quote follows `to`: nothing escapes it, or the string would
  // not end there. `before` is the byte before `from`: the opening quote, or
  // a heredoc's line feed.
  void String(size_t from, size_t to, char before) {
    // What a '\' escapes that needs one of its own where a character no
    // longer ends in it: the string's quote, and in a string that reads
    // variables, '$'.
    const char quote = before == '"' || before == '\'' ? before : '\0';
    auto needs_escape = [&](char c) {
      return c == quote || (quote != '\'' && c == '$');
    };
    for (size_t at = from; at < to; written_ = at) {
      const size_t next = at + UnitLengthIn(bytes_, at, source_);
      const bool ascii_next = IsAscii(next);
      if (next == at + 1 && IsAscii(at)) {
        Emit(static_cast<unsigned char>(bytes_[at]));
        if (bytes_[at] == '\\' && ascii_next && next < to) {
          Emit(static_cast<unsigned char>(bytes_[next]));
          at = next + 1;
        } else {
          at = next;
        }
        continue;
      }
      unit_.text.clear();
      DecodeSome(bytes_, at, next - at, source_, unit_);
      for (const char32_t c : unit_.text) Emit(c);
      const bool was = bytes_[next - 1] == '\\';
      // Bytes that are no character pass as they are, their '\' with them.
      const bool is = IsPlaceholder(unit_.text.back())
                          ? was
                          : EndsInBackslash(unit_.text.back(), target_);
      at = next;
      if (was && ascii_next && next < to) {
        // What 許's last byte escaped: a '\' put there to undo that goes
        // where the target writes 許 without such a byte, and a quote or
        // '$' gets one of its own.
        const char escaped = bytes_[next];
        if (!is && needs_escape(escaped)) Emit(U'\\');
        if (escaped != '\\' || is) Emit(static_cast<unsigned char>(escaped));
        at = next + 1;
      } else if (!was && is && ascii_next) {
        Emit(U'\\');
      }
    }
    written_ = to;
  }

  std::string_view bytes_;
  Encoding source_, target_;
  const std::function<void(std::u32string_view, size_t, bool)>& put_;
  size_t written_ = 0;  // Bytes handed on.
  std::u32string out_;  // Code points not handed on yet.
  DecodedText kept_, unit_;
};

}  // namespace

void PutKeepingPhpStrings(
    std::string_view bytes, Encoding source, Encoding target,
    const std::function<void(std::u32string_view, size_t, bool)>& put) {
  PhpStringsWriter(bytes, source, target, put).Write();
}

}  // namespace tovenrak::core
