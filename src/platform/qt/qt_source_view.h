// The source view: a plain-text editor on a light-yellow background.

#pragma once

#include <QPlainTextEdit>
#include <utility>

#include "platform/source_view.h"

namespace tovenrak::platform::qt {

class QtSourceView : public QPlainTextEdit, public platform::SourceView {
  Q_OBJECT

 public:
  explicit QtSourceView(QWidget* parent = nullptr);

  void SetText(const std::string& text) override;
  std::string Text() const override;
  bool IsModified() const override;

  // The document positions from the start of the first block shown to the
  // end of the last, widened by `margin` blocks on each side. Only the blocks
  // in the viewport are laid out for it.
  std::pair<int, int> ShownPositions(int margin) const;
};

}  // namespace tovenrak::platform::qt
