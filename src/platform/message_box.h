// Modal message boxes: a notice with one OK button, or a yes/no question.

#pragma once

#include <string>

namespace tovenrak::platform {

enum class MessageIcon { kInformation, kExclamation, kWarning, kCritical };

class MessageBox {
 public:
  MessageBox() = default;
  MessageBox(const MessageBox&) = delete;
  MessageBox& operator=(const MessageBox&) = delete;
  virtual ~MessageBox() = default;

  // Shows `text` (UTF-8) under `title` and returns when the user dismisses it.
  virtual void Show(const std::string& text, MessageIcon icon,
                    const std::string& title) = 0;

  // Asks `question` (UTF-8) under `title` with the buttons Yes and No;
  // returns true for Yes. Closing the box answers No.
  virtual bool Ask(const std::string& question, const std::string& title) = 0;
};

}  // namespace tovenrak::platform
