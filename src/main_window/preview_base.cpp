#include "main_window/preview_base.h"

#include <system_error>

#include "core/encoding/codec.h"
#include "core/encoding/document_text.h"
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

std::string WithBase(std::string_view page, core::Encoding encoding,
                     const std::filesystem::path& folder) {
  if (folder.empty() || FindTag(page, encoding, "<base") != kNotFound)
    return std::string(page);
  size_t at = core::ByteOrderMarkLength(page, encoding);
  constexpr size_t kPrescan = 1024;
  size_t after =
      core::FindAscii(page.substr(0, kPrescan), encoding, "charset", 0, true);
  if (after == kNotFound) after = FindTag(page, encoding, "<head");
  // Before a doctype a page would be laid out in quirks mode.
  if (after == kNotFound) after = FindTag(page, encoding, "<!doctype");
  if (after != kNotFound) {
    const size_t close = page.find('>', after);
    if (close != kNotFound) at = close + 1;
  }
  std::string out;
  out.reserve(page.size() + 64);
  out.append(page.substr(0, at));
  out += "<base href=\"" + FolderAddress(folder) + "\">";
  out.append(page.substr(at));
  return out;
}

}  // namespace tovenrak::main_window
