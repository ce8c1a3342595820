// A file dialog that answers from a queue and a message box that answers
// as told, both recording what they were asked.

#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "support/text.h"

namespace tovenrak::fakes {

struct FakeFileDialog : platform::FileDialog {
  std::string AskOpenPath(const std::string&, const std::string&) override {
    return Answer("open");
  }
  std::string AskSavePath(const std::string&, const std::string&) override {
    return Answer("save");
  }
  std::string AskOpenPaths(const std::string&, const std::string&) override {
    return Answer("open-many");
  }
  std::string AskFolderPath(const std::string&) override {
    return Answer("folder");
  }
  void StartFrom(const std::string& path) override { started_from = path; }

  std::deque<std::string> next_answers;  // An empty queue answers as a cancel.
  std::vector<std::string> asked;     // "open", "save", "open-many", "folder"
  std::function<void()> while_asked;  // What the user does meanwhile.
  // The name the next dialog starts from: the last chosen, or StartFrom's.
  std::string started_from;

 private:
  std::string Answer(const char* kind) {
    asked.push_back(kind);
    if (while_asked) while_asked();
    if (next_answers.empty()) return "";
    std::string answer = next_answers.front();
    next_answers.pop_front();
    if (!answer.empty()) started_from = answer;
    return answer;
  }
};

// Records texts as a reader sees them, the marks around names left out; the
// last text shown, as given, in `raw`.
struct FakeMessageBox : platform::MessageBox {
  struct Shown {
    std::string text;
    platform::MessageIcon icon;
  };
  void Show(const std::string& text, platform::MessageIcon icon,
            const std::string&) override {
    shown.push_back({testing::WithoutIsolates(text), icon});
    raw = text;
  }
  bool Ask(const std::string& question, const std::string&) override {
    asked.push_back(testing::WithoutIsolates(question));
    raw = question;
    return answer_yes;
  }
  std::string raw;
  std::vector<Shown> shown;
  std::vector<std::string> asked;
  bool answer_yes = false;
};

}  // namespace tovenrak::fakes
