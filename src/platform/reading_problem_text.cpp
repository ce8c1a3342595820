#include "platform/reading_problem_text.h"

#include <span>
#include <string_view>

#include "platform/os_reason_text.h"

namespace tovenrak::platform {

namespace {

struct Known {
  std::string_view english;
  const char* text;
};

// What may not end, as the reader names it.
constexpr Known kUnterminated[] = {
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
constexpr Known kBadLines[] = {
    {"not valid UTF-8", "不是有效的 UTF-8"},
    {"no tab between the phrase and its replacement",
     "词组与替换之间没有制表符"},
    {"nothing before the tab", "制表符前没有词组"},
    {"no replacement after the tab", "制表符后没有替换"},
};

std::string TextOf(std::string_view english, std::span<const Known> known) {
  for (const Known& k : known)
    if (k.english == english) return k.text;
  return std::string(english);
}

}  // namespace

std::string ReadingProblemText(const std::string& reason) {
  constexpr std::string_view kUnterminatedWord = "unterminated ",
                             kFromLine = " from line ", kLine = "line ";
  const std::string_view r = reason;
  if (r.starts_with(kUnterminatedWord)) {
    const size_t from = r.rfind(kFromLine);
    if (from != std::string_view::npos) {
      return "从第 " + std::string(r.substr(from + kFromLine.size())) +
             " 行起的" +
             TextOf(r.substr(kUnterminatedWord.size(),
                             from - kUnterminatedWord.size()),
                    kUnterminated) +
             "没有结束";
    }
  }
  // "line 2: ...", or a file's name and ": line 2: ...".
  const size_t line =
      r.starts_with(kLine) ? 0 : r.rfind(": " + std::string(kLine));
  if (line != std::string_view::npos) {
    const size_t number = line == 0 ? kLine.size() : line + 2 + kLine.size();
    const size_t colon = r.find(": ", number);
    if (colon != std::string_view::npos) {
      return std::string(r.substr(0, line == 0 ? 0 : line + 2)) + "第 " +
             std::string(r.substr(number, colon - number)) + " 行：" +
             TextOf(r.substr(colon + 2), kBadLines);
    }
  }
  return OsReasonText(reason);
}

}  // namespace tovenrak::platform
