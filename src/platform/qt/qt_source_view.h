// The source view: a plain-text editor on a light-yellow background.

#pragma once

#include <QPlainTextEdit>

#include "platform/source_view.h"

namespace tovenrak::platform::qt {

class QtSourceView : public QPlainTextEdit, public platform::SourceView {
  Q_OBJECT

 public:
  explicit QtSourceView(QWidget* parent = nullptr);

  void SetText(const std::string& text) override;
  std::string Text() const override;
  bool IsModified() const override;
};

}  // namespace tovenrak::platform::qt
