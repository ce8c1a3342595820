#include "core/convert/direction_tables.h"

#include <algorithm>
#include <cstring>

#include "core/convert/run_conversion.h"

namespace tovenrak::core {

void EncodeCodePoints(std::u32string_view cps, Encoding target,
                      std::string& out, size_t& references) {
  for (const char32_t cp : cps) {
    AppendEncodedCodePoint(cp, target, out, references);
  }
}

uint32_t DirectionTables::AddSpan(std::u32string_view cps) {
  ByteSpan span;
  span.offset = static_cast<uint32_t>(bytes.size());
  size_t references = 0;
  EncodeCodePoints(cps, target, bytes, references);
  span.size = static_cast<uint32_t>(bytes.size() - span.offset);
  span.references = static_cast<uint32_t>(references);
  max_piece = std::max<size_t>(max_piece, span.size);
  spans.push_back(span);
  return static_cast<uint32_t>(spans.size() - 1);
}

DirectionTables::DirectionTables(const ConversionPlan& plan, Encoding source,
                                 Encoding target)
    : source(source), target(target), chain(plan), units(0x10000) {
  const std::vector<ChainLevel>& levels = chain.run_levels();
  const size_t n = levels.size();
  run_reach = 0;
  for (const ChainLevel& level : levels) run_reach += level.MaxKeyLength();
  run_reach = std::max<size_t>(run_reach, 1);
  const PhraseTrie& segmentation = chain.segmentation();

  phrase_outputs.resize(chain.PhraseCount());
  for (uint32_t v = 0; v < chain.PhraseCount(); ++v) {
    PhraseOutput& out = phrase_outputs[v];
    const uint32_t index = AddSpan(chain.PhraseOutput(v));
    const ByteSpan& span = spans[index];
    out.is_inline = span.size <= PhraseOutput::kInlineBytes;
    if (out.is_inline) {
      out.size = static_cast<uint8_t>(span.size);
      std::memcpy(out.bytes, bytes.data() + span.offset, span.size);
    } else {
      std::memcpy(out.bytes, &index, sizeof index);
    }
    // An inline output is too short for more than three references.
    out.references = static_cast<uint16_t>(out.is_inline ? span.references : 0);
  }

  segmentation_pairs.assign((kPairBitMask + 1) / 64, 0);
  const PhraseTrie::Node& root = segmentation.node(0);
  for (uint32_t i = root.first; i < root.first + root.count; ++i) {
    const PhraseTrie::Node& a = segmentation.node(i);
    for (uint32_t j = a.first; j < a.first + a.count; ++j) {
      const size_t bit = PairBit(a.label, segmentation.node(j).label);
      segmentation_pairs[bit / 64] |= uint64_t{1} << (bit % 64);
    }
  }

  std::vector<std::u32string> outputs(n + 1);
  for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
    for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
      if (!IsTrailByte(static_cast<unsigned char>(trail))) continue;
      const auto unit = static_cast<Unit>((lead << 8) | trail);
      UnitInfo info;
      const int count = DecodeUnit(source, unit, info.cps);
      if (count == 0) continue;
      info.cp_count = static_cast<uint8_t>(count);

      outputs[0].assign(info.cps, info.cp_count);
      for (size_t k = 0; k < n; ++k) {
        outputs[k + 1].clear();
        levels[k].Convert(outputs[k], outputs[k + 1]);
      }
      // soft_levels has one bit per level; longer chains go entirely
      // through the exact path.
      info.hard = count > 1 || n > 32;
      for (size_t k = 0; k < n && !info.hard; ++k) {
        const std::u32string& o = outputs[k];
        if (o.empty()) {
          info.hard = true;
          break;
        }
        for (size_t i = 0; i + 1 < o.size(); ++i)
          info.hard = info.hard || levels[k].BeginsLongKey(o[i]);
        if (levels[k].BeginsLongKey(o.back())) info.soft_levels |= 1u << k;
      }
      uint8_t clean = 0;
      while (clean < n && count == 1 && !outputs[clean].empty() &&
             !levels[clean].BeginsLongKey(outputs[clean][0]) &&
             !levels[clean].ConvertOne(outputs[clean][0]).empty())
        ++clean;
      info.clean_levels = clean;
      for (size_t k = 0; k < n; ++k) {
        firsts.push_back(outputs[k].empty() ? 0 : outputs[k].front());
        lasts.push_back(outputs[k].empty() ? 0 : outputs[k].back());
      }
      info.single_output = AddSpan(outputs[n]);

      UnitEntry& entry = units[unit];
      entry.cp = info.cps[0];
      entry.cp_count = info.cp_count;
      entry.segmentation_node = segmentation.Child(0, info.cps[0]);
      if (entry.segmentation_node != PhraseTrie::kNoNode) {
        entry.segmentation_first =
            segmentation.node(entry.segmentation_node).first;
        entry.segmentation_count =
            segmentation.node(entry.segmentation_node).count;
      }
      entry.info = static_cast<uint32_t>(infos.size());
      const bool alone = !info.hard && info.soft_levels == 0;
      // A key of one code point is left to the careful path.
      if (!alone || (entry.segmentation_node != PhraseTrie::kNoNode &&
                     segmentation.Value(entry.segmentation_node) !=
                         PhraseTrie::kNoValue)) {
        entry.kind = UnitKind::kCareful;
      } else if (entry.segmentation_node != PhraseTrie::kNoNode) {
        entry.kind = UnitKind::kSegmentStart;
      } else {
        entry.kind = UnitKind::kPlain;
      }
      const ByteSpan& span = spans[info.single_output];
      if (span.references == 0 && span.size >= 1 && span.size <= 4) {
        entry.inline_size = static_cast<uint8_t>(span.size);
        for (uint32_t i = 0; i < span.size; ++i) {
          entry.out |= static_cast<uint32_t>(
                           static_cast<unsigned char>(bytes[span.offset + i]))
                       << (8 * i);
        }
      } else {
        entry.out = info.single_output;
      }
      infos.push_back(info);
    }
  }
  bytes.append(kSpanPadding, '\0');
}

}  // namespace tovenrak::core
