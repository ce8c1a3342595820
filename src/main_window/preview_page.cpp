#include "main_window/preview_page.h"

#include <algorithm>
#include <system_error>

#include "core/encoding/codec.h"
#include "core/encoding/document_text.h"
#include "core/markup/convert_markup.h"
#include "core/markup/html_tokenizer.h"

namespace tovenrak::main_window {

namespace {

constexpr size_t kNotFound = std::string_view::npos;

// Where the tag `name` ("<head") first begins in `page`: followed by white
// space, '/' or '>'.
size_t FindTag(std::string_view page, core::Encoding encoding,
               std::string_view name) {
  for (size_t at = core::FindAscii(page, encoding, name, 0, true);
       at != kNotFound;
       at = core::FindAscii(page, encoding, name, at + 1, true)) {
    const size_t next = at + name.size();
    if (next < page.size() && (page[next] == '>' || page[next] == '/' ||
                               core::IsHtmlSpace(page[next])))
      return at;
  }
  return kNotFound;
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

bool IsPlainText(std::string_view name, std::string_view bytes,
                 core::Encoding encoding) {
  // White space and '<' are units of their own in every encoding.
  size_t first = core::ByteOrderMarkLength(bytes, encoding);
  while (first < bytes.size() && core::IsHtmlSpace(bytes[first])) ++first;
  const core::DecodedText start = core::Decode(
      bytes.substr(first, std::min<size_t>(4, bytes.size() - first)), encoding);
  return !core::LooksLikeMarkup(name, start.text);
}

std::string PreviewPage(std::string_view page, core::Encoding encoding,
                        const std::filesystem::path& folder, bool as_text) {
  std::string head =
      "<meta charset=\"" + std::string(core::DeclaredName(encoding)) + "\">";
  if (as_text) {
    head += "<plaintext>";
  } else if (!folder.empty() && FindTag(page, encoding, "<base") == kNotFound) {
    head += "<base href=\"" + FolderAddress(folder) + "\">";
  }
  size_t at = core::ByteOrderMarkLength(page, encoding);
  constexpr size_t kPrescan = 1024;
  if (!as_text) {
    const size_t doctype =
        FindTag(page.substr(0, kPrescan), encoding, "<!doctype");
    const size_t close =
        doctype == kNotFound ? kNotFound : page.find('>', doctype);
    if (close != kNotFound) at = close + 1;
  }
  std::string out;
  out.reserve(page.size() + head.size());
  out.append(page.substr(0, at));
  out += head;
  out.append(page.substr(at));
  return out;
}

}  // namespace tovenrak::main_window
