#include "main_window/preview_base.h"

#include <algorithm>
#include <cstddef>
#include <system_error>

namespace tovenrak::main_window {

namespace {

constexpr size_t kNotFound = std::string_view::npos;

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

// Where `lower` (ASCII, lower case) first stands in text[from, to), in any
// letter case, or kNotFound.
size_t FindIgnoringCase(std::string_view text, std::string_view lower,
                        size_t from = 0, size_t to = kNotFound) {
  to = std::min(to, text.size());
  if (lower.size() > to) return kNotFound;
  for (size_t at = from; at + lower.size() <= to; ++at) {
    if (std::equal(lower.begin(), lower.end(), text.begin() + at,
                   [](char l, char c) { return l == Lower(c); }))
      return at;
  }
  return kNotFound;
}

// Where the tag `name` ("<head") first begins in `text`: followed by white
// space, '/' or '>'.
size_t FindTag(std::string_view text, std::string_view name) {
  for (size_t at = 0; (at = text.find('<', at)) != kNotFound; ++at) {
    const size_t next = at + name.size();
    if (next < text.size() && FindIgnoringCase(text, name, at, next) == at &&
        (text[next] == '>' || text[next] == '/' || text[next] == ' ' ||
         text[next] == '\t' || text[next] == '\n' || text[next] == '\r' ||
         text[next] == '\f'))
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
  std::error_code error;
  const std::filesystem::path absolute =
      std::filesystem::absolute(folder, error);
  for (const char c : (error ? folder : absolute).string()) {
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

std::string WithBase(std::string_view page,
                     const std::filesystem::path& folder) {
  if (folder.empty() || FindTag(page, "<base") != kNotFound)
    return std::string(page);
  // The byte-order marks of UTF-8 and GB18030.
  size_t at = 0;
  for (const std::string_view mark : {"\xEF\xBB\xBF", "\x84\x31\x95\x33"}) {
    if (page.starts_with(mark)) at = mark.size();
  }
  constexpr size_t kPrescan = 1024;
  const size_t charset = FindIgnoringCase(page, "charset", 0, kPrescan);
  const size_t head = FindTag(page, "<head");
  // Before a doctype a page would be laid out in quirks mode.
  const size_t doctype = FindTag(page, "<!doctype");
  const size_t after = charset != kNotFound ? charset
                       : head != kNotFound  ? head
                                            : doctype;
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
