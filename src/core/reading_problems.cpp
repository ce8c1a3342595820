#include "core/reading_problems.h"

#include <span>

namespace tovenrak::core {

namespace {

struct Words {
  std::string_view english;
  std::string_view chinese;
};

// What may not end, as the markup reader names it.
constexpr Words kUnterminated[] = {
    {"comment", "注释"},
    {"declaration", "声明"},
    {"<% server code", "<% 服务器代码"},
    {"end tag", "结束标签"},
    {"tag", "标签"},
    {"script", "脚本"},
    {"style", "样式表"},
    {"title", "<title> 标题"},
    {"textarea", "<textarea> 文本框"},
    {"xmp", "<xmp> 元素"},
    {"iframe", "<iframe> 元素"},
};

// What may be wrong with a line of a phrase list.
constexpr Words kBadLines[] = {
    {"not valid UTF-8", "不是有效的 UTF-8"},
    {"no tab between the phrase and its replacement",
     "词组与替换之间没有制表符"},
    {"nothing before the tab", "制表符前没有词组"},
    {"no replacement after the tab", "制表符后没有替换"},
};

// Why a file is not read, as the reader says it.
constexpr Words kUnreadFiles[] = {
    {"a link; links are not followed", "是链接，不跟随"},
    {"not a regular file", "不是普通文件"},
};

std::optional<std::string_view> ChineseOf(std::string_view english,
                                          std::span<const Words> known) {
  for (const Words& w : known)
    if (w.english == english) return w.chinese;
  return std::nullopt;
}

}  // namespace

std::optional<std::string> ReadingProblemInChinese(std::string_view reason) {
  if (const auto unread = ChineseOf(reason, kUnreadFiles))
    return std::string(*unread);
  constexpr std::string_view kUnterminatedWord = "unterminated ",
                             kFromLine = " from line ", kLine = "line ";
  if (reason.starts_with(kUnterminatedWord)) {
    const size_t from = reason.rfind(kFromLine);
    if (from == std::string_view::npos) return std::nullopt;
    const auto what = ChineseOf(reason.substr(kUnterminatedWord.size(),
                                              from - kUnterminatedWord.size()),
                                kUnterminated);
    if (!what) return std::nullopt;
    return "从第 " + std::string(reason.substr(from + kFromLine.size())) +
           " 行起的" + std::string(*what) + "没有结束";
  }
  // "line 2: ...", or a file's name and ": line 2: ...".
  const size_t line = reason.starts_with(kLine) ? 0 : reason.rfind(": line ");
  if (line == std::string_view::npos) return std::nullopt;
  const size_t number = line == 0 ? kLine.size() : line + 2 + kLine.size();
  const size_t colon = reason.find(": ", number);
  if (colon == std::string_view::npos) return std::nullopt;
  const auto what = ChineseOf(reason.substr(colon + 2), kBadLines);
  if (!what) return std::nullopt;
  return std::string(reason.substr(0, line == 0 ? 0 : line + 2)) + "第 " +
         std::string(reason.substr(number, colon - number)) + " 行：" +
         std::string(*what);
}

}  // namespace tovenrak::core
