#include "core/convert/fast_converter.h"

#include <array>
#include <mutex>
#include <new>

#include "core/convert/conversion_tables.h"
#include "core/convert/table_cache.h"
#include "core/convert/table_conversion.h"
#include "core/encoding/codec.h"
#include "core/io/reserve_large.h"

namespace tovenrak::core {

namespace {

constexpr size_t kVariants = 4;

class FastConverter : public Converter {
 public:
  Status Convert(std::u32string_view text, ScriptConversion how,
                 std::u32string& out) const override {
    Result<const Slot*> slot = Tables(how);
    if (!slot) return slot.error();
    try {
      ConvertWithTables(*(*slot)->tables, text, out);
    } catch (const std::bad_alloc&) {
      return NoMemoryToConvert(text.size(), "characters");
    }
    return {};
  }

  Status ConvertPlacing(std::u32string_view text, ScriptConversion how,
                        std::u32string& out,
                        std::span<size_t> places) const override {
    // Where every phrase keeps its length, every place is kept.
    if (places.empty() || KeepsLengths(how)) return Convert(text, how, out);
    Result<const Slot*> slot = Tables(how);
    if (!slot) return slot.error();
    const ConversionTables& tables = *(*slot)->tables;
    const size_t before = out.size();
    try {
      // Most often the pieces between the places convert, each on its
      // own, to what the whole does; each place is then where its piece's
      // conversion ends. The exact chain, which follows each phrase, is
      // far slower.
      ConvertWithTables(tables, text, out);
      std::u32string pieces;
      std::vector<size_t> ends;
      size_t from = 0;
      for (const size_t p : places) {
        ConvertWithTables(tables, text.substr(from, p - from), pieces);
        ends.push_back(pieces.size());
        from = p;
      }
      ConvertWithTables(tables, text.substr(from), pieces);
      if (std::u32string_view(out).substr(before) == pieces) {
        std::copy(ends.begin(), ends.end(), places.begin());
        return {};
      }
      out.resize(before);
      tables.chain().ConvertPlacing(text, out, places);
    } catch (const std::bad_alloc&) {
      return NoMemoryToConvert(text.size(), "characters");
    }
    return {};
  }

  bool KeepsLengths(ScriptConversion how) const override {
    Result<const Slot*> slot = Tables(how);
    if (!slot) return false;
    const Slot& s = **slot;
    std::call_once(s.lengths_once, [&] {
      s.keeps_lengths = true;
      for (const ChainLevel& level : s.tables->chain().run_levels()) {
        for (const CompiledDictionaryPtr& d : level.dictionaries()) {
          for (size_t i = 0; i < d->dictionary->size(); ++i) {
            if (d->dictionary->key(i).size() != d->dictionary->value(i).size())
              s.keeps_lengths = false;
          }
        }
      }
    });
    return s.keeps_lengths;
  }

  bool KeepsAsciiText(ScriptConversion how) const override {
    Result<const Slot*> slot = Tables(how);
    return slot && (*slot)->tables->KeepsAscii();
  }

  // Decodes in pieces of about kPiece bytes that stay in the cache, reusing
  // the same buffer, and converts each straight into the target encoding. A
  // piece's conversion stops at a clean position, and what follows it is
  // carried into the next piece, so no line feed is needed to cut a text.
  Status RecodeInto(
      std::string_view text, Encoding source, Encoding target,
      std::optional<ScriptConversion> how, std::string& out,
      EncodeCounts& counts,
      const std::function<void(size_t)>& consumed) const override {
    if (!how)
      return Converter::RecodeInto(text, source, target, how, out, counts,
                                   consumed);
    Result<const Slot*> slot = Tables(*how);
    if (!slot) return slot.error();
    constexpr size_t kPiece = size_t{1} << 14;
    try {
      size_t pos = PassByteOrderMark(text, source, target, out);
      DecodedText decoded;
      std::u32string converted;
      for (size_t want = kPiece;;) {
        pos = DecodeSome(text, pos, want, source, decoded);
        // What is carried into the next piece is carried decoded.
        if (consumed) consumed(pos);
        const bool final = pos == text.size();
        size_t done = ConvertToBytes(*(*slot)->tables, decoded.text, final,
                                     target, out, counts);
        if (final) break;
        // Nothing could be decided: a possible match reaches past the
        // piece. The exact chain looks for a cut the fast path could not
        // prove; failing that, the piece grows until it holds its end.
        if (done == 0) {
          converted.clear();
          done =
              (*slot)->tables->chain().ConvertPrefix(decoded.text, converted);
          Encode(converted, target, out, counts);
        }
        decoded.text.erase(0, done);
        want = done == 0 ? want * 2 : kPiece;
      }
      return {};
    } catch (const std::bad_alloc&) {
      return NoMemoryToConvert(text.size(), "bytes");
    }
  }

 private:
  struct Slot {
    std::once_flag once;
    std::unique_ptr<ConversionTables> tables;
    Error error{ErrorCode::kNotFound, {}};
    // Whether every key of the chain has a value as long, asked rarely.
    mutable std::once_flag lengths_once;
    mutable bool keeps_lengths = false;
  };

  Result<const Slot*> Tables(ScriptConversion how) const {
    Slot& slot = slots_[static_cast<size_t>(how.variant) * 2 +
                        (how.to == Script::kSimplified ? 0 : 1)];
    std::call_once(slot.once, [&] {
      Result<LoadedTables> loaded =
          LoadOrCompileTables(OpenccConfigName(how), TableCacheFolder());
      if (loaded) {
        slot.tables = std::move(loaded->tables);
      } else {
        slot.error = loaded.error();
      }
    });
    if (!slot.tables) return slot.error;
    return &slot;
  }

  mutable std::array<Slot, kVariants * 2> slots_;
};

}  // namespace

std::unique_ptr<Converter> MakeFastConverter() {
  return std::make_unique<FastConverter>();
}

}  // namespace tovenrak::core
