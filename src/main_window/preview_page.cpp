#include "main_window/preview_page.h"

#include <optional>
#include <system_error>

#include "core/encoding/codec.h"
#include "core/encoding/document_text.h"
#include "core/markup/html_tokenizer.h"

namespace tovenrak::main_window {

namespace {

constexpr size_t kNotFound = std::string_view::npos;

// Where a doctype that begins `page` ends, past the comments, white space
// and XML declaration before it; 0 when it does not begin with one.
size_t DoctypeEnd(std::string_view page) {
  const std::u8string_view units(reinterpret_cast<const char8_t*>(page.data()),
                                 page.size());
  core::BasicHtmlTokenizer<char8_t> tokenizer(units);
  core::HtmlToken token;
  while (tokenizer.Next(token)) {
    const std::u8string_view whole =
        units.substr(token.whole.begin, token.whole.size());
    switch (token.kind) {
      case core::HtmlTokenKind::kComment:
      case core::HtmlTokenKind::kServerCode:
        continue;
      case core::HtmlTokenKind::kText:
        if (token.visible == token.whole.end) continue;
        return 0;
      case core::HtmlTokenKind::kDeclaration:
        return whole.size() >= 9 &&
                       core::EqualsIgnoringCase(whole.substr(0, 9), "<!doctype")
                   ? token.whole.end
                   : 0;
      default:
        return 0;
    }
  }
  return 0;
}

// The href of the first <base> of `page` that has one, as written (read
// as markup: not one in a comment or a script); std::nullopt when none has.
std::optional<std::string> OwnBaseAddress(std::string_view page,
                                          core::Encoding encoding) {
  if (core::FindAscii(page, encoding, "<base", 0, /*ignore_case=*/true) ==
      kNotFound)
    return std::nullopt;
  const std::u8string_view units(reinterpret_cast<const char8_t*>(page.data()),
                                 page.size());
  core::BasicHtmlTokenizer<char8_t> tokenizer(units);
  core::HtmlToken token;
  auto text = [&](core::TextSpan span) {
    return units.substr(span.begin, span.size());
  };
  while (tokenizer.Next(token)) {
    if (token.kind != core::HtmlTokenKind::kStartTag ||
        !core::EqualsIgnoringCase(text(token.inner), "base"))
      continue;
    for (const core::HtmlAttribute& a : tokenizer.attributes()) {
      if (a.has_value && core::EqualsIgnoringCase(text(a.name), "href"))
        return std::string(page.substr(a.value.begin, a.value.size()));
    }
  }
  return std::nullopt;
}

// An address that leads from the document's own: no scheme ("http:"), not
// from the root ("/x").
bool IsRelative(std::string_view address) {
  const size_t end = address.find_first_of("/?#");
  return !address.starts_with('/') &&
         address.substr(0, end).find(':') == std::string_view::npos;
}

}  // namespace

std::filesystem::path FolderOf(const std::filesystem::path& path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return error ? std::filesystem::path() : absolute.parent_path();
}

std::string FolderAddress(const std::filesystem::path& folder) {
  constexpr char kHex[] = "0123456789ABCDEF";
  std::string address = "file://";
  for (const char c : folder.string()) {
    const auto b = static_cast<unsigned char>(c);
    if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') ||
        (b >= '0' && b <= '9') || c == '-' || c == '.' || c == '_' ||
        c == '~' || c == '/') {
      address += c;
    } else {
      address += '%';
      address += kHex[b >> 4];
      address += kHex[b & 15];
    }
  }
  if (address.back() != '/') address += '/';
  return address;
}

std::string PreviewPage(std::string_view page, core::Encoding encoding,
                        const std::filesystem::path& folder, bool as_text) {
  std::string head =
      "<meta charset=\"" + std::string(core::DeclaredName(encoding)) + "\">";
  if (as_text) {
    head += "<plaintext>";
  } else if (!folder.empty()) {
    // The first <base> counts: a page's own that leads from its file's
    // address (or has none) leads from the folder's here.
    const std::optional<std::string> own = OwnBaseAddress(page, encoding);
    if (!own || IsRelative(*own))
      head +=
          "<base href=\"" + FolderAddress(folder) + own.value_or("") + "\">";
  }
  const size_t mark = core::ByteOrderMarkLength(page, encoding);
  size_t at = mark;
  if (!as_text) at += DoctypeEnd(page.substr(mark));
  std::string out;
  out.reserve(page.size() + head.size());
  out.append(page.substr(0, at));
  out += head;
  out.append(page.substr(at));
  return out;
}

}  // namespace tovenrak::main_window
