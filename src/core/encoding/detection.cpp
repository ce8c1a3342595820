#include "core/encoding/detection.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

#include "core/encoding/code_tables.h"
#include "core/encoding/codec.h"
#include "core/encoding/declarations.h"
#include "core/encoding/document_text.h"
#include "core/encoding/utf8.h"

namespace tovenrak::core {

namespace {

// What the bytes look like in each reading.
struct Profile {
  // UTF-8: well-formed multi-byte sequences, bytes of malformed ones, and
  // runs of such bytes (a character cut or mangled is one run).
  size_t utf8_sequences = 0;
  size_t utf8_malformed = 0;
  size_t utf8_malformed_runs = 0;
  // Sequences of CJK characters and punctuation (U+3000-U+9FFF,
  // U+F900-U+FFFF): Chinese in UTF-8, which Big5 and GB text read as UTF-8
  // hardly ever make.
  size_t utf8_cjk = 0;
  // Sequences of three bytes or more; letters of two bytes that follow
  // one another (no ASCII or sign between), and how many of those change
  // alphabet (Alphabet).
  size_t utf8_long = 0;
  size_t utf8_neighbours = 0;
  size_t utf8_switches = 0;
  // Letters of two bytes with an ASCII letter just before or after: inside
  // a word (/θɪn/), where GB's characters read as letters stand apart.
  size_t utf8_in_words = 0;
  // Letters of two bytes that stand apart, neither in a word nor after
  // another letter, and are hardly ever written so (RareAlone): a GB
  // character among digits and tags (10元 reads 10Ԫ), where such letters in
  // UTF-8 text make words.
  size_t utf8_far_apart = 0;
  // Big5 and GB, read by their shared units: double-byte units, and bytes
  // above 0x7F that are units of their own (invalid in both).
  size_t pairs = 0;
  size_t lone_bytes = 0;
  // Those of them from C0 up, but for × and ÷: letters in Latin-1, Latin-2,
  // Windows-1251 and KOI8-R, where signs (°, ·, ©, €) are below.
  size_t lone_letters = 0;
  // GB18030 four-byte sequences that decode (invalid in Big5 and GBK).
  size_t four_byte = 0;
  size_t big5_invalid = 0;  // Pairs that are no Big5 code.
  size_t high_trails = 0;   // Pairs whose second byte is above 0xA0.
  // Pairs among the common characters and punctuation of each reading.
  size_t big5_common = 0;
  size_t gb_common = 0;
  // Pairs in GBK's user-defined areas, which GB text hardly ever holds and
  // Big5 text read as GB does in most lines (首 is AD BA).
  size_t gb_private = 0;
  // Kana in each reading, with Big5's Cyrillic (C6DA-C875) and GB's Greek,
  // Cyrillic, bopomofo and box drawing (rows A4-A9), which read as common
  // hanzi in the other; and GB's numbers (ⅰ ⑴ ㈠ ①, row A2) with its signs.
  size_t big5_kana = 0;
  size_t gb_signs = 0;
  // ETEN's numbers in Big5 (① ⑴, C6A1-C6BE), GB's common hanzi too.
  size_t big5_numbers = 0;
  // GB's Greek, Cyrillic, pinyin, bopomofo and box drawing (rows A6-A9,
  // second byte from A1, and GBK's double lines, A840-A895): a README's
  // tree of folders, a table drawn in a post, a formula, a lesson in zhuyin.
  // And of gb_common, the hanzi alone, not letters counted for their words.
  size_t gb_symbols = 0;
  size_t gb_hanzi = 0;
  // Box drawing right after the same code (──, ══): lines of a table or a
  // tree, where Big5 reads a common hanzi twice over (岸岸), which its
  // text hardly ever has (not once in 900,000 characters of real prose).
  size_t gb_box_repeats = 0;
  // Lines that begin with a tree's branch and go on with more of it after
  // spaces at most (├─src, │  └─docs): a tree of folders as `tree` draws
  // it, with single lines (TreeLines).
  size_t gb_box_lines = 0;
  // Pairs after ASCII (not after another unit) whose second byte is an
  // ASCII letter (é before s in "résumé", ü before b in " über"): a Western
  // text's accented letters.
  size_t letter_pairs = 0;
  // Kana as Shift_JIS writes them (82 9F-F1, 83 40-96: rare hanzi in GBK, no
  // Big5) and as EUC-JP does (A4A1-A4F3, A5A1-A5F6: kana in GB too, common
  // hanzi in Big5, whose text also has second bytes below 0x7F, as EUC has
  // none); Japanese is mostly kana. Pairs of EUC-KR's hangul rows (B0-C8,
  // second byte from A1): GB's first level from 啊 to 亮, where Chinese has
  // many of its most used characters after them (是 我 在 这 中); and pairs
  // before ASCII, as Korean puts a space after each word.
  size_t sjis_kana = 0;
  size_t euc_kana = 0;
  size_t gb_long_vowels = 0;  // GBK's ー (A9 60), as in ワンピース.
  size_t hangul_rows = 0;
  size_t before_ascii = 0;
  // Which codes of EUC's kana and hangul rows: Japanese and Korean write
  // many, where Big5 or GB text of a few words repeated (物件分類, 北京)
  // may have as many of them.
  std::array<uint64_t, 3> euc_kana_seen{};
  std::array<uint64_t, 37> hangul_seen{};
  // Pairs of Korean's commonest endings and particles (KoreanEndings).
  size_t hangul_endings = 0;
};

// Korean's commonest endings and particles in EUC-KR (다 는 이 의 에 을 를
// 가 로 하 고 서 지 한 게 도 요), a tenth of its syllables at the least and
// a third in running text; in GB they are uncommon hanzi (促 绰 捞 狼 俊 阑
// 甫 啊 肺 窍 绊 辑 瘤 茄 霸 档 夸), which a list of Chinese names whose
// codes all lie in the hangul rows hardly holds. Indexed by the code's
// place in those rows.
constexpr std::array<uint64_t, 37> KoreanEndings() {
  constexpr unsigned kCodes[] = {0xB4D9, 0xB4C2, 0xC0CC, 0xC0C7, 0xBFA1, 0xC0BB,
                                 0xB8A6, 0xB0A1, 0xB7CE, 0xC7CF, 0xB0ED, 0xBCAD,
                                 0xC1F6, 0xC7D1, 0xB0D4, 0xB5B5, 0xBFE4};
  std::array<uint64_t, 37> bits{};
  for (const unsigned code : kCodes) {
    const unsigned at = ((code >> 8) - 0xB0) * 94 + (code & 0xFF) - 0xA1;
    bits[at >> 6] |= uint64_t{1} << (at & 63);
  }
  return bits;
}
constexpr std::array<uint64_t, 37> kKoreanEndings = KoreanEndings();

// GB2312's first level holds its 3,755 most used hanzi (B0A1-D7F9), and rows
// A1 and A3 its common punctuation; Big5's first level its 5,401 most used
// (A440-C67E), and A140-A3BF its punctuation. A reading that makes common
// characters of the bytes is the likely one. Both tests are written without
// branches: a mispredicted branch for each character would cost more than
// the rest of looking at it.
bool IsCommonGb(unsigned lead, unsigned trail) {
  const bool hanzi =
      (lead - 0xB0u <= 0xD6u - 0xB0u) | ((lead == 0xD7) & (trail <= 0xF9));
  return (trail >= 0xA1) & (hanzi | (lead == 0xA1) | (lead == 0xA3));
}

bool IsPrivateGb(unsigned lead, unsigned trail) {
  const bool high = trail >= 0xA1;
  return ((lead - 0xAAu <= 0xAFu - 0xAAu) & high) |
         ((lead - 0xF8u <= 0xFEu - 0xF8u) & high) |
         ((lead - 0xA1u <= 0xA7u - 0xA1u) & !high);
}

bool IsAsciiLetter(unsigned byte) { return (byte | 0x20u) - 'a' <= 'z' - 'a'; }

// A letter of GB's Greek (A6A1-A6B8, A6C1-A6D8) or Cyrillic (A7A1-A7C1,
// A7D1-A7F1): its row, else 0.
unsigned GbLetterRow(unsigned lead, unsigned trail) {
  const bool greek = (lead == 0xA6) & ((trail - 0xA1u <= 0xB8u - 0xA1u) |
                                       (trail - 0xC1u <= 0xD8u - 0xC1u));
  const bool cyrillic = (lead == 0xA7) & ((trail - 0xA1u <= 0xC1u - 0xA1u) |
                                          (trail - 0xD1u <= 0xF1u - 0xD1u));
  return (greek | cyrillic) ? lead : 0;
}

bool IsCommonBig5(unsigned code) {
  return (code - 0xA440u <= 0xC67Eu - 0xA440u) |
         (code - 0xA140u <= 0xA3BFu - 0xA140u);
}

// Well-formed UTF-8 sequences it takes to forgive one run of malformed bytes.
constexpr size_t kSequencesPerRun = 8;

// Whether `tail` is the start of a UTF-8 sequence that the text ends
// before, but for a line's end: a file or a field cut at a byte count,
// which says nothing against UTF-8.
bool CutShort(std::string_view tail) {
  const auto lead = static_cast<unsigned char>(tail[0]);
  const size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                        : lead >= 0xE0 && lead <= 0xEF ? 3
                        : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                       : 0;
  size_t cut = 1;
  while (cut < length && cut < tail.size() &&
         (static_cast<unsigned char>(tail[cut]) & 0xC0) == 0x80)
    ++cut;
  return cut < length &&
         tail.find_first_not_of("\r\n", cut) == std::string_view::npos;
}

// The alphabet of a code point below U+0800: Latin, Greek, Cyrillic,
// Armenian, Hebrew, Arabic, or the rest up to U+07FF; kSign for a sign of
// Latin-1 (U+0080-U+00BF) or a combining mark, which go with any letter
// (text that was UTF-8 read as Latin-1 and written as UTF-8 again is full of
// them).
constexpr int kSign = -1;
int Alphabet(char32_t c) {
  if (c < 0xC0) return kSign;
  if (c < 0x300) return 0;
  if (c < 0x370) return kSign;
  if (c < 0x400) return 1;
  if (c < 0x530) return 2;
  if (c < 0x590) return 3;
  if (c < 0x600) return 4;
  if (c < 0x700) return 5;
  return 6;
}

// Whether a letter is hardly ever written alone, outside a word: those of
// the Cyrillic Supplement (Komi, Abkhaz and other small languages), where
// GB's 元 and its row neighbours fall. Letters of every larger alphabet,
// its minority letters and historic ones included, are taught and listed
// one by one (Ө, ѣ, Armenian, Coptic), and signs and marks stand after
// digits (a struck-through price is 1̶0̶0̶).
bool RareAlone(char32_t c) { return c >= 0x500 && c < 0x530; }

// Stops once what is asked of the UTF-8 counts is settled whatever the rest
// reads as (at most one well-formed sequence in two bytes, one of CJK in
// three): that UTF-8 is not the reading (LooksLikeUtf8, HoldsUtf8Chinese),
// and with `declared_utf8` that malformed bytes outnumber sequences
// (Confirm). Text in Big5 or GB settles it early; so does a start of the
// text in them (1,024 malformed runs, not one CJK character in 16 of them),
// which no file of UTF-8 with some lines of theirs has.
void ProfileUtf8(std::string_view bytes, bool declared_utf8, Profile& profile) {
  constexpr size_t kLegacyStart = 1024;
  const size_t n = bytes.size();
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  // Counted here and stored at the end: kept in registers.
  size_t sequences = 0, malformed = 0, runs = 0, cjk = 0, longer = 0,
         neighbours = 0, switches = 0, in_words = 0, far_apart = 0;
  // Where the last letter of two bytes ended, and its alphabet.
  size_t letter_end = std::string_view::npos;
  int last_alphabet = kSign;
  size_t malformed_end = std::string_view::npos;  // Of the last malformed byte.
  for (size_t pos = AsciiRunEnd(bytes, 0); pos < n;
       pos = AsciiRunEnd(bytes, pos)) {
    const size_t length = WellFormedUtf8Length(bytes, pos);
    // A cut after Chinese in UTF-8; a short text of GB or Big5 whose
    // characters read as letters (谢谢 is лл) may end in the first bytes of
    // a sequence too (喔 is E0 B8).
    if (length == 0 && cjk > 0 && CutShort(bytes.substr(pos))) break;
    if (length == 0) {
      ++malformed;
      runs += pos != malformed_end;
      malformed_end = ++pos;
      const size_t most = sequences + (n - pos) / 2;
      if (runs * kSequencesPerRun > most &&
          (malformed > 2 * (cjk + (n - pos) / 3) ||
           (runs >= kLegacyStart && runs > 16 * cjk)) &&
          (!declared_utf8 || malformed > most))
        break;
    } else {
      ++sequences;
      // U+3000-U+9FFF begin with E3-E9, U+F900-U+FFFF with EF A4-EF BF.
      const unsigned lead = p[pos];
      cjk += (lead - 0xE3u <= 0xE9u - 0xE3u) |
             ((lead == 0xEF) & (p[pos + 1] >= 0xA4));
      const char32_t c = length == 2 ? Utf8CodePoint(p + pos, 2) : 0;
      if (length > 2) {
        ++longer;
      } else if (const int alphabet = Alphabet(c); alphabet != kSign) {
        const bool after_letter = pos == letter_end;
        if (after_letter) {
          ++neighbours;
          switches += alphabet != last_alphabet;
        }
        letter_end = pos + 2;
        last_alphabet = alphabet;
        const bool in_word = (pos > 0 && IsAsciiLetter(p[pos - 1])) ||
                             (pos + 2 < n && IsAsciiLetter(p[pos + 2]));
        in_words += in_word;
        far_apart += !in_word && !after_letter && RareAlone(c);
      }
      pos += length;
    }
  }
  profile.utf8_sequences = sequences;
  profile.utf8_malformed = malformed;
  profile.utf8_malformed_runs = runs;
  profile.utf8_cjk = cjk;
  profile.utf8_long = longer;
  profile.utf8_neighbours = neighbours;
  profile.utf8_switches = switches;
  profile.utf8_in_words = in_words;
  profile.utf8_far_apart = far_apart;
}

// Whether the GB18030 four-byte sequence at `p` stands for a character.
bool IsFourByteCharacter(const unsigned char* p) {
  const uint32_t pointer = ((p[0] - 0x81u) * 10 + (p[1] - 0x30u)) * 1260 +
                           (p[2] - 0x81u) * 10 + (p[3] - 0x30u);
  return Gb18030FourByteCodePoint(pointer) != 0;
}

// The end of the UTF-8 at `pos`, else 0: a word of four letters of two bytes
// or more in one alphabet other than Latin, of three Hangul syllables or
// more, a run of two or more sequences of punctuation, signs or CJK, or one
// of those alone (before white space, a digit or a sign) whose second byte is
// below 0xA1, which no Big5 code has there. UTF-8 pasted into a Big5 or GB
// page (a footer, a line from another file, a language menu: “版权”, a dash
// between spaces, Русский, 한국어) is kept as it is whichever reading is
// chosen, and read as Big5 its bytes are invalid codes, enough to turn a
// short Big5 page over to GB. Big5 and GB text make such runs hardly ever;
// GBK's traditional characters make single sequences often (項的 is ED 97
// B5 C4, and 錄條 E4 9B 97 6C), but not before a byte that no code ends with.
size_t Utf8RunEnd(std::string_view bytes, size_t pos) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t n = bytes.size();
  if (p[pos] < 0xE0) {
    // Four letters or more of one alphabet other than Latin: a word
    // (Русский, Ελληνικά). GB's common characters make runs of three Latin
    // or Greek letters (目前模 reads Ŀǰģ), but hardly ever longer.
    constexpr int kLatin = 0;
    size_t end = pos;
    int alphabet = kSign;
    for (; end + 1 < n && WellFormedUtf8Length(bytes, end) == 2; end += 2) {
      const int letter = Alphabet(Utf8CodePoint(p + end, 2));
      if (letter == kSign || letter == kLatin ||
          (end > pos && letter != alphabet))
        break;
      alphabet = letter;
    }
    return end - pos >= 8 ? end : 0;
  }
  if (p[pos] - 0xEAu <= 0xEDu - 0xEAu) {
    // Three Hangul syllables (U+AC00-U+D7A3) or more: a Korean word.
    size_t end = pos;
    while (end + 2 < n && p[end] - 0xEAu <= 0xEDu - 0xEAu &&
           WellFormedUtf8Length(bytes, end) == 3)
      end += 3;
    return end - pos >= 9 ? end : 0;
  }
  // Punctuation, signs and CJK: U+2000-U+9FFF and U+F900-U+FFFF.
  const auto chinese_at = [&](size_t i) {
    return ((p[i] - 0xE2u <= 0xE9u - 0xE2u) |
            ((p[i] == 0xEF) & (p[i + 1] >= 0xA4))) &&
           WellFormedUtf8Length(bytes, i) == 3;
  };
  size_t end = pos;
  while (end + 2 < n && chinese_at(end)) end += 3;
  if (end - pos >= 6) return end;
  const bool alone = end > pos && (end == n || p[end] < 0x40);
  return alone && p[pos + 1] < 0xA1 ? end : 0;
}

// Box drawing in GB: rows A9A4-A9EF, and GBK's double lines (A840-A895).
bool IsGbBox(unsigned code) {
  return (code - 0xA9A4u <= 0xA9EFu - 0xA9A4u) |
         (code - 0xA840u <= 0xA895u - 0xA840u);
}

// The lines of `bytes` that begin, after spaces, as a tree's lines begin in
// GB (├, └ or │) and go on with ─, ├, └ or │ after a few spaces at most
// (├─src, │  └─docs). A line begins a unit, as no byte of one is a line
// feed. Big5 reads 念, 弩 or 岫 there, and then 岸, 念, 弩 or 岫: no word.
size_t TreeLines(std::string_view bytes) {
  constexpr size_t kFew = 8;
  const auto code_at = [&](size_t i) -> unsigned {
    return i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i]) << 8 |
                                      static_cast<unsigned char>(bytes[i + 1])
                                : 0;
  };
  const auto begins_branch = [](unsigned code) {
    return code == 0xA9C0 || code == 0xA9B8 || code == 0xA9A6;  // ├ └ │
  };
  const auto after_spaces = [&](size_t i) {
    const size_t end = bytes.find_first_not_of(' ', i);
    return end == std::string_view::npos ? bytes.size() : end;
  };
  size_t lines = 0;
  for (size_t line = 0; line < bytes.size();) {
    const size_t first = after_spaces(line);
    if (begins_branch(code_at(first))) {
      const size_t next = after_spaces(first + 2);
      const unsigned code = code_at(next);
      lines += next - (first + 2) <= kFew &&
               (code == 0xA9A4 || begins_branch(code));  // ─
    }
    const size_t end = bytes.find('\n', first);
    if (end == std::string_view::npos) break;
    line = end + 1;
  }
  return lines;
}

void ProfileDoubleByte(std::string_view bytes, Profile& profile) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t n = bytes.size();
  size_t pairs = 0, big5_invalid = 0, big5_common = 0, gb_common = 0,
         gb_private = 0, big5_kana = 0, gb_signs = 0, big5_numbers = 0,
         gb_symbols = 0, gb_hanzi = 0, gb_box_repeats = 0, high_trails = 0,
         letter_pairs = 0, sjis_kana = 0, euc_kana = 0, hangul_rows = 0,
         before_ascii = 0;
  size_t unit_end = std::string_view::npos;  // Where the last unit ended.
  unsigned last_code = 0;                    // Its code.
  // Letters of GB's Greek or Cyrillic side by side, of the row `word_row`,
  // the last ending at `word_end`.
  size_t word_letters = 0, word_end = std::string_view::npos;
  unsigned word_row = 0;
  for (size_t pos = AsciiRunEnd(bytes, 0); pos < n;) {
    const unsigned lead = p[pos];
    if (lead < 0x80) {
      pos = AsciiRunEnd(bytes, pos);
      continue;
    }
    // What Utf8RunEnd can take, cheaply told: a sequence of three bytes
    // before another or alone, or two letters of two bytes beyond Latin
    // (Greek begins at CD B0). Nearly half of GB's characters begin like a
    // UTF-8 sequence.
    const auto more = [&](size_t i) { return i < n && (p[i] & 0xC0) == 0x80; };
    const unsigned after = pos + 3 < n ? p[pos + 3] : 0;  // 0: the end.
    if ((lead - 0xCDu <= 0xEFu - 0xCDu) && more(pos + 1) &&
        (lead >= 0xE0 ? more(pos + 2) && ((after - 0xE0u <= 0xEFu - 0xE0u &&
                                           more(pos + 4)) ||
                                          (after < 0x40 && p[pos + 1] < 0xA1))
                      : pos + 3 < n && p[pos + 2] - 0xCDu <= 0xDFu - 0xCDu &&
                            more(pos + 3))) {
      if (const size_t end = Utf8RunEnd(bytes, pos)) {
        pos = unit_end = end;
        continue;
      }
    }
    const unsigned trail = pos + 1 < n ? p[pos + 1] : 0;
    if (!IsLeadByte(lead) || !IsTrailByte(trail)) [[unlikely]] {
      if (IsLeadByte(lead) && trail >= 0x30 && trail <= 0x39 &&
          UnitLengthIn(bytes, pos, Encoding::kGb18030) == 4) {
        if (IsFourByteCharacter(p + pos)) {
          ++profile.four_byte;
        } else {
          profile.lone_bytes += 2;
        }
        pos = unit_end = pos + 4;
      } else {
        ++profile.lone_bytes;
        profile.lone_letters +=
            (lead >= 0xC0) & (lead != 0xD7) & (lead != 0xF7);
        pos = unit_end = pos + 1;
      }
      continue;
    }
    ++pairs;
    char32_t cps[2];
    const bool big5 = DecodeBig5Pair(lead, trail, cps) != 0;
    big5_invalid += !big5;
    // Big5's bopomofo and tone marks (A374-A3BF) are GB's full-width
    // comma, colon and question mark, among others: alone between hanzi
    // they count for neither; a zhuyin spelling holds two or more together.
    const unsigned here = lead << 8 | trail;
    big5_common += big5 & IsCommonBig5(here);
    if (here - 0xA374u <= 0xA3BFu - 0xA374u) [[unlikely]] {
      const unsigned next = pos + 3 < n ? p[pos + 2] << 8 | p[pos + 3] : 0;
      const bool spelled =
          (last_code - 0xA374u <= 0xA3BFu - 0xA374u && pos == unit_end) ||
          next - 0xA374u <= 0xA3BFu - 0xA374u;
      big5_common -= !spelled;  // Every such code is a common one.
    }
    const bool common_gb = IsCommonGb(lead, trail);
    gb_common += common_gb;
    gb_hanzi += common_gb & (lead >= 0xB0);
    // A word in GB's Greek or Cyrillic (три, αβγ) reads as common Big5 hanzi
    // (A7 is the row of 我): from its third letter on, its letters count as
    // GB's common characters too, so that a GB lesson of Russian is not
    // taken for Big5.
    const unsigned row = GbLetterRow(lead, trail);
    word_letters = row != 0 && row == word_row && pos == word_end
                       ? word_letters + 1
                       : (row != 0);
    word_row = row;
    word_end = pos + 2;
    gb_common += (word_letters >= 3) + 2 * (word_letters == 3);
    // Pinyin's letters with tones in GB (A8A1-A8BA: ā á ǎ à ... ü) beside
    // an ASCII letter (nǐ hǎo) read as common Big5 hanzi too.
    gb_common += (lead == 0xA8) & (trail - 0xA1u <= 0xBAu - 0xA1u) &
                 ((pos != unit_end && pos > 0 && IsAsciiLetter(p[pos - 1])) ||
                  (pos + 2 < n && IsAsciiLetter(p[pos + 2])));
    // ...and so do its Greek letters in a formula (α=30°, δ = 88): beside
    // an operator, a space apart at most, where Big5 hanzi hardly stand.
    if (row == 0xA6) [[unlikely]] {
      const auto sign_at = [&](size_t i) {
        // Not '/', which lists words: 傷/老化 (老 is GB's ρ).
        return i < n && (p[i] == '=' || p[i] == '+' || p[i] == '*' ||
                         p[i] == '<' || p[i] == '>' || p[i] == '^');
      };
      const bool after = pos + 2 < n && p[pos + 2] == ' ' ? sign_at(pos + 3)
                                                          : sign_at(pos + 2);
      const bool before =
          pos != unit_end && pos > 0 &&
          (p[pos - 1] == ' ' ? pos > 1 && sign_at(pos - 2) : sign_at(pos - 1));
      gb_common += after || before;
    }
    gb_private += IsPrivateGb(lead, trail);
    big5_kana += (lead << 8 | trail) - 0xC6DAu <= 0xC875u - 0xC6DAu;
    big5_numbers += (lead << 8 | trail) - 0xC6A1u <= 0xC6BEu - 0xC6A1u;
    gb_signs +=
        (lead - 0xA4u <= 0xA9u - 0xA4u) | ((lead == 0xA2) & (trail >= 0xA1));
    gb_symbols += ((lead - 0xA6u <= 0xA9u - 0xA6u) & (trail >= 0xA1)) |
                  ((lead == 0xA8) & (trail - 0x40u <= 0x95u - 0x40u));
    high_trails += trail > 0xA0;
    letter_pairs += IsAsciiLetter(trail) & (pos != unit_end);
    sjis_kana += ((lead == 0x82) & (trail - 0x9Fu <= 0xF1u - 0x9Fu)) |
                 ((lead == 0x83) & (trail - 0x40u <= 0x96u - 0x40u));
    const unsigned is_kana =
        ((lead == 0xA4) & (trail - 0xA1u <= 0xF3u - 0xA1u)) |
        ((lead == 0xA5) & (trail - 0xA1u <= 0xF6u - 0xA1u));
    euc_kana += is_kana;
    profile.gb_long_vowels += (lead == 0xA9) & (trail == 0x60);
    const unsigned kana_code = is_kana * ((lead - 0xA4) * 94 + trail - 0xA1);
    profile.euc_kana_seen[kana_code >> 6] |= uint64_t{is_kana}
                                             << (kana_code & 63);
    const unsigned is_hangul =
        (lead - 0xB0u <= 0xC8u - 0xB0u) & (trail >= 0xA1);
    hangul_rows += is_hangul;
    const unsigned hangul_code =
        is_hangul * ((lead - 0xB0) * 94 + trail - 0xA1);
    profile.hangul_seen[hangul_code >> 6] |= uint64_t{is_hangul}
                                             << (hangul_code & 63);
    profile.hangul_endings +=
        is_hangul & (kKoreanEndings[hangul_code >> 6] >> (hangul_code & 63));
    before_ascii += pos + 2 < n && p[pos + 2] < 0x80;
    const unsigned code = lead << 8 | trail;
    gb_box_repeats += (code == last_code) & (pos == unit_end) & IsGbBox(code);
    last_code = code;
    pos = unit_end = pos + 2;
  }
  profile.pairs += pairs;
  profile.big5_invalid += big5_invalid;
  profile.big5_common += big5_common;
  profile.gb_common += gb_common;
  profile.gb_private += gb_private;
  profile.big5_kana += big5_kana;
  profile.gb_signs += gb_signs;
  profile.big5_numbers += big5_numbers;
  profile.gb_symbols += gb_symbols;
  profile.gb_hanzi += gb_hanzi;
  profile.gb_box_repeats += gb_box_repeats;
  // Trees are looked for in GB's reading of symbols, not in Big5's text,
  // which has user-defined codes in nearly every line.
  if (gb_private == 0 && gb_symbols > 0)
    profile.gb_box_lines += TreeLines(bytes);
  profile.high_trails += high_trails;
  profile.letter_pairs += letter_pairs;
  profile.sjis_kana += sjis_kana;
  profile.euc_kana += euc_kana;
  profile.hangul_rows += hangul_rows;
  profile.before_ascii += before_ascii;
}

// Detection reads no more of a text than this past its first byte above
// 0x7F: plenty to tell the encodings apart, and a large file is not read
// twice over.
constexpr size_t kWindowBytes = size_t{256} << 10;

std::string_view WindowOf(std::string_view bytes) {
  const size_t first = AsciiRunEnd(bytes, 0);
  if (bytes.size() - first <= kWindowBytes) return bytes;
  size_t end = first + kWindowBytes;
  // End before a UTF-8 sequence rather than inside it, so that well-formed
  // UTF-8 stays well formed.
  while (end > first && (static_cast<unsigned char>(bytes[end]) & 0xC0) == 0x80)
    --end;
  return bytes.substr(0, end);
}

Profile ProfileOf(std::string_view bytes, bool declared_utf8) {
  Profile profile;
  ProfileUtf8(bytes, declared_utf8, profile);
  ProfileDoubleByte(bytes, profile);
  return profile;
}

bool HasNonAscii(const Profile& p) {
  // A byte cut short at the end counts, as it would with more after it.
  return p.utf8_sequences + p.utf8_malformed + p.pairs + p.lone_bytes +
             p.four_byte >
         0;
}

// Valid UTF-8 with some non-ASCII: a character cut or mangled here and there
// is forgiven among well-formed sequences (a page pasted together, a row of
// a database export with a surrogate pair written as two). Big5 and GB text
// read as UTF-8 makes about as many runs of malformed bytes as sequences.
bool LooksLikeUtf8(const Profile& p) {
  return p.utf8_sequences > 0 &&
         p.utf8_malformed_runs * kSequencesPerRun <= p.utf8_sequences;
}

// A text that mixes Chinese in UTF-8 with lines in Big5 or GB (a log or a
// page pasted together, an export cut at a byte count) is read as UTF-8
// when it holds as many CJK characters as the others (each of which makes
// a malformed byte or two): its bytes of Big5 or GB are then kept as they
// are, where reading the whole as Big5 or GB would turn the UTF-8 into
// other characters.
bool HoldsUtf8Chinese(const Profile& p) {
  constexpr size_t kSome = 8;
  return p.utf8_cjk >= kSome && p.utf8_malformed <= 2 * p.utf8_cjk;
}

// Whether the UTF-8 reading reads as writing: it holds a sequence of three
// bytes or more (CJK, punctuation), or letters of two bytes side by side
// are mostly of one alphabet, as a word's are. Chinese in GB or Big5 whose
// characters all happen to be sequences of two (学院通知, D1A7 D4BA CDA8
// D6AA, reads ѧԺ֪ͨ) makes neighbours of several. With no letters side
// by side, signs (© °), Greek (5 μm) and letters in words (café) are
// writing; letters that are rare alone, each apart, are not.
bool Utf8ReadsAsWriting(const Profile& p) {
  if (p.utf8_long > 0) return true;
  if (p.utf8_neighbours > 0) return p.utf8_switches * 2 <= p.utf8_neighbours;
  return p.utf8_far_apart < p.utf8_sequences;
}

// So plainly UTF-8 that no declaration of Big5 or GB can stand. About one
// common GB character in five is also a well-formed UTF-8 sequence, so a
// few of them in a row happen; eight hardly ever, nor three CJK characters
// (which take a rare hanzi and the right character after it).
bool IsPlainlyUtf8(const Profile& p) {
  return p.utf8_malformed == 0 && (p.utf8_sequences >= 8 || p.utf8_cjk >= 3);
}

// An invalid unit counts against a reading far more than a common character
// counts for it: text in the right encoding has next to none.
constexpr long kInvalidWeight = 8;

// Big5's kana (ETEN's, C6E7-C7F2, counted with its Cyrillic) are GB's
// common hanzi, as GB's are Big5's: they count for Big5 where its reading
// has a few, half as many common characters besides, no invalid code, and an
// eighth of its codes with a second byte below 0xA1, which GB2312's text
// never has and Big5's punctuation (，。：) and a third of its hanzi do.
size_t Big5Kana(const Profile& p) {
  constexpr size_t kSomeKana = 4;
  const bool counted = p.big5_invalid == 0 && p.big5_kana >= kSomeKana &&
                       p.big5_common * 2 >= p.big5_kana &&
                       (p.pairs - p.high_trails) * 8 >= p.pairs;
  return counted ? p.big5_kana : 0;
}

// Whether the kana of the reading that scores lower (Big5, else GB), were
// they all counted, would make it score as high: a text too short to tell.
bool KanaWouldMatch(const Profile& p, bool big5_lower);

long Big5Score(const Profile& p) {
  return static_cast<long>(p.big5_common + Big5Kana(p)) -
         kInvalidWeight *
             static_cast<long>(p.big5_invalid + p.lone_bytes + 2 * p.four_byte);
}

// GB's kana (A4A1-A4F3, A5A1-A5F6) are Big5's commonest hanzi, so that
// Chinese quoting Japanese would read as Big5 by common characters alone.
// They count for GB where its reading has a few, half as many common
// characters besides, and no code of GBK's user-defined areas: Big5 text has
// those in nearly every line (的 is AA BA, 一 A4 40), and GB text hardly
// ever; a few of Big5's commonest words (今天不用) alone read as nothing but
// kana. Short of that, kana that would make GB as likely make a guess
// (KanaWouldMatch).
size_t GbKana(const Profile& p) {
  constexpr size_t kSomeKana = 4;
  const size_t kana = p.euc_kana + p.gb_long_vowels;
  const bool counted =
      p.gb_private == 0 && p.euc_kana >= kSomeKana && p.gb_common * 2 >= kana;
  return counted ? kana : 0;
}

// GB's symbols, likewise, are Big5's common hanzi of few strokes (├── reads
// 念岸岸). They count for GB where its reading has no code of GBK's
// user-defined areas, and either a few common hanzi besides (an eighth as
// many: a drawn table is mostly lines; Cyrillic words are no hanzi, and
// 快把我找來 in Big5 reads as nothing but letters) or lines drawn as
// repeats or as a tree's lines (a tree of English names), each of which
// counts twice over: the likeliest sign of all that the text is GB.
size_t GbSymbols(const Profile& p) {
  constexpr size_t kSomeSymbols = 4, kSomeRepeats = 2;
  const size_t drawn = p.gb_box_repeats + p.gb_box_lines;
  const bool counted = p.gb_private == 0 && p.gb_symbols >= kSomeSymbols &&
                       ((p.gb_hanzi > 0 && p.gb_hanzi * 8 >= p.gb_symbols) ||
                        drawn >= kSomeRepeats);
  return counted ? p.gb_symbols + 2 * drawn : 0;
}

long GbScore(const Profile& p) {
  return static_cast<long>(p.gb_common + p.four_byte + GbKana(p) +
                           GbSymbols(p)) -
         kInvalidWeight * static_cast<long>(p.lone_bytes);
}

bool KanaWouldMatch(const Profile& p, bool big5_lower) {
  const long big5 = Big5Score(p), gb = GbScore(p);
  if (big5_lower) {
    return p.big5_invalid == 0 && Big5Kana(p) == 0 && p.high_trails < p.pairs &&
           big5 + static_cast<long>(p.big5_kana) >= gb;
  }
  return p.gb_private == 0 && GbKana(p) == 0 &&
         gb + static_cast<long>(p.euc_kana + p.gb_long_vowels) >= big5;
}

// The GB encoding of text read as GB: GB18030 when it holds four-byte
// sequences.
Encoding GbOf(const Profile& p) {
  return p.four_byte > 0 ? Encoding::kGb18030 : Encoding::kGbk;
}

// `score` is far above `other`: by a fifth of the double-byte units at
// least, and by a few characters on a short text.
bool FarAbove(long score, long other, const Profile& p) {
  const long units = static_cast<long>(p.pairs + p.four_byte);
  return score - other >= 4 && (score - other) * 5 >= units;
}

// A few characters, every unit but one in 32 valid in Big5 or in GB, and at
// least half of them common characters: what Chinese text gives, and text
// in another encoding hardly ever. Latin-1's letters and signs before an
// ASCII letter make Big5 codes ("°C" is a common one), so in Big5 a third
// of the codes must also have a second byte above 0xA0, as two in three of
// Chinese text do; a GB common character always has one.
bool ReadsPlainlyAsChinese(const Profile& p) {
  constexpr size_t kSome = 8;
  const size_t units = p.pairs + p.four_byte;
  const bool big5 =
      (p.big5_invalid + p.lone_bytes + p.four_byte) * 32 <= units &&
      p.big5_common * 2 >= units && p.high_trails * 3 >= units;
  const bool gb =
      p.lone_bytes * 32 <= units && (p.gb_common + p.four_byte) * 2 >= units;
  return units >= kSome && (big5 || gb);
}

// Whether the UTF-8 reading of a text is to be taken over its reading as
// Chinese in Big5 or GB: it reads as writing, or Chinese is not plain. Against
// UTF-8 letters that change alphabet side by side, as no word does, two
// characters are Chinese enough when every one is a common character and no
// letter of the UTF-8 reading stands in a word of ASCII letters (a GB include
// of two words, 学院 | 校园; IPA such as /θɪn/ is such a word).
bool Utf8WinsOverChinese(const Profile& p) {
  if (Utf8ReadsAsWriting(p)) return true;
  if (ReadsPlainlyAsChinese(p)) return false;
  constexpr size_t kTwo = 2;
  const size_t units = p.pairs + p.four_byte;
  const bool all_common = p.lone_bytes == 0 && p.utf8_in_words == 0 &&
                          (p.big5_common == units || p.gb_common == units);
  return units < kTwo || !all_common;
}

// The readings in which a few bytes are as likely Chinese as they are
// UTF-8: their UTF-8 is nothing but letters of two bytes, none in a word of
// ASCII letters, and every unit is a common character in Big5 or GB (系统
// in GB reads ϵͳ; "кг" in UTF-8 reads 泻谐 in GB). A table of a few
// Chinese words makes some dozen such letters; many more are writing.
std::vector<Encoding> ChineseReadingsOf(const Profile& p) {
  constexpr size_t kFew = 32;
  std::vector<Encoding> readings;
  if (p.utf8_long + p.utf8_malformed + p.utf8_in_words + p.lone_bytes +
              p.four_byte >
          0 ||
      p.pairs == 0 || p.utf8_sequences >= kFew)
    return readings;
  if (p.gb_common >= p.pairs) readings.push_back(Encoding::kGbk);
  if (p.big5_common == p.pairs) readings.push_back(Encoding::kBig5);
  return readings;
}

// Whether the bytes read as the letters of a single-byte encoding (Latin-1,
// Latin-2, Windows-1251, KOI8-R) set among ASCII rather than as Chinese. Such
// a text's letters before a space or a sign are bytes that are no unit in
// Big5 or GB, several of them beside few units; or its units are mostly no
// common character in either reading, and either some letters are no unit
// or most units begin a word's letters after ASCII (über, résumé). Chinese
// text has next to none of these: its pages' stray signs (° · © €, bullets,
// Word's quotes) are below 0xC0, and a trail byte that is an ASCII letter
// follows another code. One with CJK in UTF-8 among its bytes is a pasted
// page (HoldsUtf8Chinese weighs it). Two letters are too few to tell.
bool ReadsAsSingleByteLetters(const Profile& p) {
  constexpr size_t kFewest = 3, kSomeLone = 4;
  const size_t units = p.pairs + p.four_byte;
  const size_t common = std::max(p.big5_common, p.gb_common + p.four_byte);
  const bool many_lone =
      p.lone_letters >= kSomeLone && p.lone_letters * 8 > units;
  const bool letters_among_rare =
      (p.lone_letters * 32 > units || p.letter_pairs * 2 > units) &&
      common * 2 < units;
  return p.utf8_cjk == 0 && units + p.lone_letters >= kFewest &&
         (many_lone || letters_among_rare);
}

// Whether the bytes read as Japanese or Korean (Profile::sjis_kana,
// Profile::hangul_rows) rather than as Chinese. EUC's are told by more of
// them, none a Big5 code with a second byte below 0x7F: a short Big5 title
// of common characters (物件分類) has half of them in EUC-JP's kana.
bool ReadsAsJapaneseOrKorean(const Profile& p) {
  constexpr size_t kSomeKana = 8, kMoreKana = 16, kSomeEuc = 16,
                   kKanaCodes = 10, kHangulCodes = 12;
  auto codes = [](const auto& seen) {
    size_t count = 0;
    for (const uint64_t word : seen) count += std::popcount(word);
    return count;
  };
  const size_t units = p.pairs + p.four_byte;
  const bool euc = units >= kSomeEuc && p.high_trails == units;
  const bool shift_jis = p.sjis_kana >= kSomeKana && p.sjis_kana * 4 >= units;
  const bool euc_jp = euc && p.euc_kana >= kMoreKana &&
                      p.euc_kana * 3 >= units &&
                      codes(p.euc_kana_seen) >= kKanaCodes;
  const bool euc_kr =
      euc && p.hangul_rows * 10 >= units * 9 && p.before_ascii * 8 >= units &&
      codes(p.hangul_seen) >= kHangulCodes && p.hangul_endings * 10 >= units;
  return shift_jis || euc_jp || euc_kr;
}

// The declared encoding as the bytes have it: std::nullopt when they plainly
// contradict it.
std::optional<Encoding> Confirm(Encoding declared, const Profile& p) {
  if (declared == Encoding::kUtf8) {
    if (p.utf8_malformed > p.utf8_sequences) return std::nullopt;
    return declared;
  }
  if (IsPlainlyUtf8(p) && Utf8WinsOverChinese(p)) return std::nullopt;
  const long big5 = Big5Score(p), gb = GbScore(p);
  // Chinese in UTF-8 as much as the rest: the whole is read as UTF-8.
  if (HoldsUtf8Chinese(p)) return std::nullopt;
  // A reading far below the other's overrules its declaration, however short
  // the text, but for Japanese and for GB's signs: kana, Greek, Cyrillic
  // and box drawing read as common hanzi in the other encoding, so a
  // reading of which a third of the units are such (four at least: Big5's
  // simplest characters are GB's signs too), with no invalid unit (GB text
  // has no character of GBK's user-defined areas), keeps its declaration.
  constexpr size_t kSomeSigns = 4;
  if (declared == Encoding::kBig5) {
    const bool kana = p.big5_invalid == 0 && p.big5_kana >= kSomeSigns &&
                      p.big5_kana * 3 >= p.pairs;
    if (FarAbove(gb, big5, p) && !kana) return std::nullopt;
    return declared;
  }
  const bool signs = p.gb_private == 0 && p.gb_signs >= kSomeSigns &&
                     p.gb_signs * 3 >= p.pairs;
  if (FarAbove(big5, gb, p) && !signs) return std::nullopt;
  // Too short for that, Big5 declared GB still reads as codes of GBK's
  // user-defined areas (關於我們 holds AD CC, 首頁 AD BA and AD B6), where
  // its Big5 reading is all valid and the likelier.
  constexpr long kFewMore = 2;
  if (p.gb_private > 0 && p.big5_invalid == 0 && big5 >= gb + kFewMore)
    return std::nullopt;
  return declared == Encoding::kGbk ? GbOf(p) : declared;
}

}  // namespace

Detection DetectEncoding(std::string_view bytes, bool page) {
  Detection detection;
  const std::string_view window = WindowOf(bytes);
  DeclaredLabels labels(page ? window : std::string_view());
  detection.declared = labels.First(EncodingFromLabel);
  for (const Encoding marked : {Encoding::kUtf8, Encoding::kGb18030}) {
    if (bytes.starts_with(ByteOrderMark(marked))) {
      detection.encoding = marked;
      detection.reason = DetectionReason::kByteOrderMark;
      // A GB declaration under GB18030's mark means GB18030.
      if (marked == Encoding::kGb18030 && detection.declared == Encoding::kGbk)
        detection.declared = marked;
      return detection;
    }
  }
  const Profile profile =
      ProfileOf(window, detection.declared == Encoding::kUtf8);
  if (detection.declared) {
    if (const auto confirmed = Confirm(*detection.declared, profile)) {
      detection.encoding = *confirmed;
      detection.reason = DetectionReason::kDeclaration;
      return detection;
    }
  }
  // The XML declaration may name one of ours, and the <meta> browsers read
  // another encoding.
  if (const auto other = labels.First(OtherEncodingFromLabel)) {
    const bool plainly_utf8 =
        LooksLikeUtf8(profile) && ChineseReadingsOf(profile).empty();
    if (other->like_ours || (HasNonAscii(profile) && !plainly_utf8 &&
                             !ReadsPlainlyAsChinese(profile)))
      detection.other_declared = other->label;
  }
  // Where all that Big5 or GB could read is UTF-8 pasted in (Utf8RunEnd),
  // what is left are stray bytes.
  const bool only_pasted =
      profile.pairs + profile.four_byte == 0 && profile.utf8_sequences > 0;
  if ((LooksLikeUtf8(profile) && Utf8WinsOverChinese(profile)) ||
      HoldsUtf8Chinese(profile) || only_pasted) {
    detection.encoding = Encoding::kUtf8;
    detection.reason = DetectionReason::kUtf8;
    detection.also_reads_as = ChineseReadingsOf(profile);
    detection.guessed = !detection.also_reads_as.empty();
    return detection;
  }
  detection.single_byte_letters =
      detection.other_declared.empty() && ReadsAsSingleByteLetters(profile);
  detection.japanese_or_korean =
      detection.other_declared.empty() && ReadsAsJapaneseOrKorean(profile);
  if (HasNonAscii(profile)) {
    const long big5 = Big5Score(profile), gb = GbScore(profile);
    if (big5 != gb) {
      detection.encoding = big5 > gb ? Encoding::kBig5 : GbOf(profile);
      detection.reason = DetectionReason::kStatistics;
      // A few characters apart ("à la carte 点菜": à is 角 in Big5) is a
      // guess, said as one; so is a reading that kana in the other would
      // match, were they counted (动画《ナルト》).
      const bool kana_guess = KanaWouldMatch(profile, big5 < gb);
      detection.guessed =
          std::max(big5, gb) - std::min(big5, gb) <= 1 || kana_guess;
      if (detection.guessed) {
        detection.also_reads_as = {big5 > gb ? GbOf(profile) : Encoding::kBig5};
      }
      return detection;
    }
  }
  detection.encoding = MentionsBig5(bytes) ? Encoding::kBig5 : Encoding::kGbk;
  detection.reason = HasNonAscii(profile) ? DetectionReason::kBig5Rule
                                          : DetectionReason::kAsciiOnly;
  detection.guessed = profile.pairs + profile.four_byte > 0;
  if (detection.guessed) {
    detection.also_reads_as = {detection.encoding == Encoding::kBig5
                                   ? GbOf(profile)
                                   : Encoding::kBig5};
  }
  return detection;
}

namespace {

// How many CJK characters (U+3000-U+9FFF) `line` holds, read as UTF-8;
// std::nullopt where it is not well-formed UTF-8, found at its first bytes
// mostly for a line of Big5 or GB, which is not read further.
std::optional<size_t> Utf8CjkCount(std::string_view line) {
  size_t cjk = 0;
  for (size_t pos = AsciiRunEnd(line, 0); pos < line.size();
       pos = AsciiRunEnd(line, pos)) {
    const size_t length = WellFormedUtf8Length(line, pos);
    if (length == 0) return std::nullopt;
    const auto lead = static_cast<unsigned char>(line[pos]);
    cjk += length == 3 && lead >= 0xE3 && lead <= 0xE9;
    pos += length;
  }
  return cjk;
}

// The counts of `line` that Big5Score and GbScore weigh, without what
// ProfileDoubleByte adds for UTF-8 pasted in and for letters that read as
// hanzi: at a third of its cost, what it says of most lines. A line it
// leaves in doubt is profiled in full.
Profile QuickProfile(std::string_view line) {
  const auto* p = reinterpret_cast<const unsigned char*>(line.data());
  const size_t n = line.size();
  Profile profile;
  for (size_t pos = AsciiRunEnd(line, 0); pos < n;
       pos = AsciiRunEnd(line, pos)) {
    const unsigned lead = p[pos];
    const unsigned trail = pos + 1 < n ? p[pos + 1] : 0;
    if (!IsLeadByte(lead) || !IsTrailByte(trail)) [[unlikely]] {
      if (IsLeadByte(lead) && trail >= 0x30 && trail <= 0x39 &&
          UnitLengthIn(line, pos, Encoding::kGb18030) == 4) {
        profile.four_byte += IsFourByteCharacter(p + pos);
        pos += 4;
      } else {
        ++profile.lone_bytes;
        ++pos;
      }
      continue;
    }
    ++profile.pairs;
    char32_t cps[2];
    const bool big5 = DecodeBig5Pair(lead, trail, cps) != 0;
    profile.big5_invalid += !big5;
    profile.big5_common += big5 & IsCommonBig5(lead << 8 | trail);
    profile.gb_common += IsCommonGb(lead, trail);
    pos += 2;
  }
  return profile;
}

}  // namespace

std::optional<OtherEncodingLines> FindOtherEncodingLines(std::string_view bytes,
                                                         Encoding encoding) {
  const bool big5 = encoding == Encoding::kBig5;
  // A line of fewer characters reads well in either too often to tell.
  constexpr size_t kFewest = 6;
  OtherEncodingLines found;
  size_t line = 1;
  for (size_t begin = 0; begin < bytes.size();) {
    const size_t feed = bytes.find('\n', begin);
    const size_t end = feed == std::string_view::npos ? bytes.size() : feed;
    const std::string_view text = bytes.substr(begin, end - begin);
    if (AsciiRunEnd(text, 0) < text.size()) {
      std::optional<Encoding> other;
      // The other of Big5 and GB, when far likelier.
      const auto likelier =
          [big5](const Profile& p) -> std::optional<Encoding> {
        if (p.pairs + p.four_byte < kFewest) return std::nullopt;
        // A line of the reading's own signs (a drawn table, a rule of ────,
        // ①②③, bopomofo) reads as common hanzi in the other.
        if (big5 ? p.big5_invalid == 0 &&
                       (p.big5_kana + p.big5_numbers) * 2 >= p.pairs
                 : p.gb_private == 0 && p.gb_signs * 2 >= p.pairs)
          return std::nullopt;
        const long big5_score = Big5Score(p), gb_score = GbScore(p);
        // Kana that would make the text's own reading match are its own.
        if (KanaWouldMatch(p, /*big5_lower=*/big5)) return std::nullopt;
        if (big5 && FarAbove(gb_score, big5_score, p)) return GbOf(p);
        if (!big5 && FarAbove(big5_score, gb_score, p)) return Encoding::kBig5;
        return std::nullopt;
      };
      if (encoding == Encoding::kUtf8) {
        // Pairs of its bytes may read as UTF-8 letters, and be converted
        // as such: the line is said to be in GB or Big5.
        if (!Utf8CjkCount(text)) {
          Profile p;
          ProfileDoubleByte(text, p);
          if (ReadsPlainlyAsChinese(p))
            other = GbScore(p) >= Big5Score(p) ? GbOf(p) : Encoding::kBig5;
        }
      } else if (Utf8CjkCount(text).value_or(0) >= 3) {
        other = Encoding::kUtf8;
      } else if (likelier(QuickProfile(text))) {
        Profile p;
        ProfileDoubleByte(text, p);
        other = likelier(p);
      }
      if (other) {
        if (found.count++ == 0) {
          found.first = line;
          found.other = *other;
        }
      }
    }
    ++line;
    begin = end + 1;
  }
  if (found.count == 0) return std::nullopt;
  return found;
}

std::optional<OtherEncodingLines> FindMixedLines(std::string_view bytes,
                                                 Encoding encoding,
                                                 DetectionReason reason) {
  // A declaration vouches for no line pasted or included into the page; the
  // conversion would turn what the bytes hold into other characters for good.
  if (reason == DetectionReason::kNamed ||
      reason == DetectionReason::kByteOrderMark)
    return std::nullopt;
  return FindOtherEncodingLines(bytes, encoding);
}

std::string_view ReasonName(DetectionReason reason) {
  switch (reason) {
    case DetectionReason::kNamed:
      return "named";
    case DetectionReason::kByteOrderMark:
      return "byte-order mark";
    case DetectionReason::kDeclaration:
      return "declaration";
    case DetectionReason::kUtf8:
      return "its bytes read as UTF-8";
    case DetectionReason::kStatistics:
      return "statistics";
    case DetectionReason::kAsciiOnly:
      return "ASCII only";
    case DetectionReason::kRun:
      return "like more files of the run";
    case DetectionReason::kBig5Rule:
      break;
  }
  return "whether it mentions big5";
}

bool HasUtf16ByteOrderMark(std::string_view bytes) {
  return bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
}

Encoding GbReadingOf(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  for (size_t pos = AsciiRunEnd(bytes, 0); pos < bytes.size();
       pos = AsciiRunEnd(bytes, pos)) {
    const size_t length = UnitLengthIn(bytes, pos, Encoding::kGb18030);
    if (length == 4 && IsFourByteCharacter(p + pos)) return Encoding::kGb18030;
    pos += length;
  }
  return Encoding::kGbk;
}

bool MentionsBig5(std::string_view text) {
  return FindAscii(text, Encoding::kGbk, "big5", 0, /*ignore_case=*/true) !=
         std::string_view::npos;
}

}  // namespace tovenrak::core
