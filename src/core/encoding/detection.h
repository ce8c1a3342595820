// Which encoding a document is in, when the user did not say, and why.

#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/encoding/encoding.h"

namespace tovenrak::core {

// Why an encoding was chosen, strongest first.
enum class DetectionReason : uint8_t {
  kNamed,          // The user named it (not set by DetectEncoding).
  kByteOrderMark,  // The bytes begin with the encoding's byte-order mark.
  kDeclaration,    // A <meta> charset or XML declaration names it.
  kUtf8,           // Valid UTF-8 with some non-ASCII characters.
  kStatistics,     // Big5 and GB readings weighed by their characters.
  kBig5Rule,       // Nothing else decided: "big5" mentioned -> Big5, else GB.
  kAsciiOnly,      // No byte above 0x7F: the same rule, as nothing tells.
  kRun,            // Guessed, and read as more documents of its run are.
};

struct Detection {
  Encoding encoding = Encoding::kGbk;
  DetectionReason reason = DetectionReason::kBig5Rule;
  // What the document declares about itself, if anything. When it differs
  // from `encoding` and the reason is not kDeclaration, the bytes (or their
  // byte-order mark) contradicted the declaration; a GBK declaration over
  // bytes with GB18030 four-byte sequences, or GB18030's mark, gives
  // GB18030.
  std::optional<Encoding> declared;
  // The label of an encoding other than ours that the document declares,
  // when its bytes do not plainly read as UTF-8 or as Chinese in Big5 or GB
  // (some characters, nearly every unit valid, common characters at least
  // half of them), or could not tell (OtherEncoding::like_ours): a page in
  // Latin-1 or Shift_JIS,
  // which converting would garble. Empty otherwise. `encoding` is the
  // likelier reading all the same.
  std::string other_declared;
  // Set when no encoding of ours is declared and confirmed, and the bytes
  // read as the letters of a single-byte encoding (Latin-1, Latin-2,
  // Windows-1251, KOI8-R) among ASCII rather than as Chinese: converting
  // would turn "résumé" into hanzi. `encoding` is the likelier reading all
  // the same.
  bool single_byte_letters = false;
  // Set likewise when the bytes read as Japanese or Korean: a quarter of
  // the characters or more kana (Shift_JIS, or EUC-JP, whose kana GB shares),
  // or nearly all of them in EUC-KR's hangul rows with a space or a sign
  // after many: converting would garble them for good.
  bool japanese_or_korean = false;
  // Set when the bytes read about as well in another encoding, so that the
  // choice is worth checking: Big5 and GB read the text's characters equally
  // well (a title of two words often does) and the "big5" rule chose; or a
  // few bytes read as UTF-8 letters that stand apart while every unit is a
  // common character in Big5 or GB (系统 in GB reads ϵͳ, 学校 ѧУ). Stray
  // bytes alone are no characters.
  bool guessed = false;
  // When guessed, the other encodings it reads about as well in (GB as GBK):
  // a run of files settles the choice by what its other files are in
  // (FollowRun).
  std::vector<Encoding> also_reads_as;
};

// Decides the encoding of `bytes`, in this order: a byte-order mark; else the
// document's own declaration (DeclaredLabels: the XML declaration's
// encoding or the first <meta> charset, in either form), unless the bytes
// plainly contradict it; else valid UTF-8 holding some non-ASCII; else the
// likelier of Big5 and GB by invalid units and how common the decoded
// characters are; the "big5" rule only where all of these are silent (no
// byte above 0x7F, or a tie).
//
// The bytes plainly contradict a declared UTF-8 when they hold more
// malformed than well-formed multi-byte sequences; a declared Big5, GBK or
// GB18030 when they are well-formed UTF-8 with at least eight multi-byte
// sequences, or when the other of Big5 and GB is far likelier. GB text with
// GB18030 four-byte sequences is GB18030, also where it declares GBK. UTF-8
// "with some non-ASCII" forgives a run of malformed bytes (a character cut
// or mangled) among eight well-formed sequences. A text that declares an
// encoding other than ours is read as if it declared none, and noted
// (Detection::other_declared) unless its bytes read plainly as one of ours; one
// declaring an encoding that bytes cannot tell from ours
// (OtherEncoding::like_ours: Shift_JIS, EUC-KR, HZ) is always noted. All but
// the big5 rule look at the text up to 256 KiB past its first byte above 0x7F,
// no further. A text that begins with a UTF-16 byte-order mark is no
// Encoding's: check HasUtf16ByteOrderMark first. Without `page` (a text file,
// which browsers show as it is) a <meta> or XML declaration in the text
// declares nothing.
Detection DetectEncoding(std::string_view bytes, bool page = true);

// True when `text` contains "big5" in any mix of letter case, anywhere on
// Big5 and GBK unit boundaries (a mention in the body counts as much as a
// declaration): the last rule of DetectEncoding.
bool MentionsBig5(std::string_view text);

// GB18030 when `bytes`, read as GB, hold a four-byte sequence that is a
// character; else GBK. Browsers read a page labelled GBK or GB2312 so.
Encoding GbReadingOf(std::string_view bytes);

// Lines of a text read as a whole in one encoding whose bytes read plainly
// as another: a file pasted together from several, whose lines in the
// other encoding the conversion turns into other characters.
struct OtherEncodingLines {
  size_t count = 0;
  size_t first = 0;                  // The first of them, counted from 1.
  Encoding other = Encoding::kUtf8;  // The first one's.
};

// The lines of `bytes`, read as Big5 or GB (`encoding`), that hold Chinese
// in UTF-8, or characters far likelier in the other of Big5 and GB: a few
// characters at least, and far more common ones in the other reading (as
// DetectEncoding weighs them). Read as UTF-8, the lines that are not UTF-8
// but read plainly as Chinese in GB or Big5 (ReadsPlainlyAsChinese), the
// likelier named: pairs of their bytes may read as UTF-8 letters, which the
// conversion converts, and the rest is kept as invalid bytes.
std::optional<OtherEncodingLines> FindOtherEncodingLines(std::string_view bytes,
                                                         Encoding encoding);

// FindOtherEncodingLines, unless the user named the encoding or a
// byte-order mark decided it (`reason`).
std::optional<OtherEncodingLines> FindMixedLines(std::string_view bytes,
                                                 Encoding encoding,
                                                 DetectionReason reason);

// A short English phrase for `reason`, such as "declaration".
std::string_view ReasonName(DetectionReason reason);

// True when `bytes` begins with a UTF-16 byte-order mark: such a text is not
// in any Encoding and must not be read as one.
bool HasUtf16ByteOrderMark(std::string_view bytes);

}  // namespace tovenrak::core
