#include "bench_corpus.h"

#include "core/convert/opencc_dictionaries.h"
#include "core/convert_document.h"
#include "core/encoding/codec.h"
#include "core/encoding/utf8.h"

namespace tovenrak::bench {

namespace {

// Whether `big5` is plain Big5 that every peer tool reads: no reference and
// only codes of the standard lead bytes 0xA1-0xF9 (no extensions).
bool PlainBig5(const std::string& big5) {
  if (big5.find("&#") != std::string::npos) return false;
  for (size_t i = 0; i < big5.size(); ++i) {
    const auto b = static_cast<unsigned char>(big5[i]);
    if (b < 0x80) continue;
    if (b < 0xA1 || b > 0xF9) return false;
    ++i;
  }
  return true;
}

const char* const kLinks[] = {"/news/", "/bbs/", "/gb/", "/doc/"};
const char* const kPunctuation[] = {"，", "。", "、", "；", "：", "！"};

}  // namespace

PageMaker::PageMaker(const core::Converter& converter, uint32_t seed)
    : converter_(converter), rng_(seed) {
  auto plan = core::LoadConversionPlan("s2tw.json");
  if (!plan || plan->chain.empty()) return;
  auto keep = [this](std::u32string_view cps, std::vector<std::string>& out) {
    std::string gbk;
    core::EncodeCounts counts;
    core::Encode(cps, core::Encoding::kGbk, gbk, counts);
    if (counts.references != 0) return;
    auto big5 = converter_.GBToBig5(gbk);
    if (big5 && PlainBig5(big5->text)) out.push_back(gbk);
  };
  const core::Dictionary& phrases = *plan->segmentation;
  for (size_t i = 0; i < phrases.size(); ++i) {
    keep(phrases.key(i), phrases_);
    // Characters as often as they occur in phrases, which is closer to
    // running text than a list of distinct characters.
    const std::u32string_view key = phrases.key(i);
    keep(key.substr(i % key.size(), 1), characters_);
  }
}

std::string PageMaker::Sentence() {
  std::string s;
  for (size_t n = 4 + Pick(12); n > 0; --n) {
    s += Pick(100) < 55 ? phrases_[Pick(phrases_.size())]
                        : characters_[Pick(characters_.size())];
  }
  // GBK punctuation, converted to Big5 with the rest.
  std::string gbk;
  core::EncodeCounts counts;
  std::u32string cps;
  const std::string_view utf8 = kPunctuation[Pick(std::size(kPunctuation))];
  for (size_t pos = 0; pos < utf8.size();) cps += core::NextUtf8(utf8, pos);
  core::Encode(cps, core::Encoding::kGbk, gbk, counts);
  return s + gbk;
}

std::string PageMaker::GbkPage(size_t bytes) {
  std::string page =
      "<html>\r\n<head>\r\n<meta http-equiv=\"Content-Type\" "
      "content=\"text/html; charset=gb2312\">\r\n<title>" +
      Sentence() + "</title>\r\n</head>\r\n<body>\r\n";
  while (page.size() < bytes) {
    page += "<p>";
    for (size_t n = 1 + Pick(6); n > 0; --n) {
      if (Pick(4) == 0) {
        page += "<a href=\"";
        page += kLinks[Pick(std::size(kLinks))];
        page += std::to_string(Pick(100000)) + ".htm\">" + Sentence() + "</a>";
      } else {
        page += Sentence();
      }
    }
    page += "</p>\r\n";
  }
  return page + "</body>\r\n</html>\r\n";
}

std::string PageMaker::ToBig5Page(const std::string& gbk_page) const {
  core::ConversionRequest request;
  request.from = core::Encoding::kGbk;
  request.to = core::Encoding::kBig5;
  auto converted = core::ConvertDocument(converter_, gbk_page, request);
  return converted ? converted->text : std::string();
}

}  // namespace tovenrak::bench
