// Modal message boxes with one OK button.

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
};

}  // namespace tovenrak::platform
