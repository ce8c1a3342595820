// The source view: a plain-text editor on a light-yellow background.

#pragma once

#include <QClipboard>
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
  void ShowStart() override;

  // The document positions from the start of the first block shown to the
  // end of the last, widened by `margin` blocks on each side. Only the blocks
  // in the viewport are laid out for it.
  std::pair<int, int> ShownPositions(int margin) const;

  // Pastes the text of the clipboard or of X11's selection, if it holds
  // any, as the paste keys and the middle button do.
  void PasteText(QClipboard::Mode mode = QClipboard::Clipboard);

 signals:
  // SetText is about to replace the whole text.
  void TextReplacing();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace tovenrak::platform::qt
