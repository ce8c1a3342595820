// The source view: an editor that shows the open document's text.

#pragma once

#include <string>

namespace tovenrak::platform {

class SourceView {
 public:
  SourceView() = default;
  SourceView(const SourceView&) = delete;
  SourceView& operator=(const SourceView&) = delete;
  virtual ~SourceView() = default;

  // Replaces the whole text with `text` (UTF-8). Afterwards the view counts
  // as unmodified.
  virtual void SetText(const std::string& text) = 0;

  // The whole text as the view holds it now, UTF-8.
  virtual std::string Text() const = 0;

  // True when the user has changed the text since the last SetText.
  virtual bool IsModified() const = 0;

  // Shows the text from its start, the cursor there. SetText may keep the
  // place shown, as suits a conversion of the same document.
  virtual void ShowStart() = 0;
};

}  // namespace tovenrak::platform
