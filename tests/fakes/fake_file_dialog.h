// A file dialog that answers from queues and records what it was asked.

#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/file_dialog.h"

namespace tovenrak::fakes {

struct FakeFileDialog : platform::FileDialog {
  struct Asked {
    std::string kind;  // "open", "save" or "open-many"
    std::string title;
    std::string filter;
  };
  std::string AskOpenPath(const std::string& title,
                          const std::string& filter) override {
    return Answer("open", title, filter);
  }
  std::string AskSavePath(const std::string& title,
                          const std::string& filter) override {
    return Answer("save", title, filter);
  }
  std::string AskOpenPaths(const std::string& title,
                           const std::string& filter) override {
    return Answer("open-many", title, filter);
  }

  std::deque<std::string> next_answers;  // An empty queue answers as a cancel.
  std::vector<Asked> asked;
  std::function<void()> while_asked;  // What the user does meanwhile.

 private:
  std::string Answer(const char* kind, const std::string& title,
                     const std::string& filter) {
    asked.push_back({kind, title, filter});
    if (while_asked) while_asked();
    if (next_answers.empty()) return "";
    std::string answer = next_answers.front();
    next_answers.pop_front();
    return answer;
  }
};

}  // namespace tovenrak::fakes
