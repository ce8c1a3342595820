#include "core/markup/meta_tags.h"

namespace tovenrak::core {

std::vector<MetaTag> FindMetaTags(std::u32string_view text) {
  std::vector<MetaTag> tags;
  HtmlTokenizer tokenizer(text);
  HtmlToken token;
  while (tokenizer.Next(token)) {
    if (token.kind == HtmlTokenKind::kStartTag &&
        EqualsIgnoringCase(text.substr(token.inner.begin, token.inner.size()),
                           "meta"))
      tags.push_back({token.whole, tokenizer.attributes()});
  }
  return tags;
}

}  // namespace tovenrak::core
