// The review's controls on Qt: wavy underlines in the source view with their
// tooltip, context menu and accessible description, the 审阅 menu and the
// status bar panel that counts the doubtful places.

#pragma once

#include <QObject>
#include <QString>
#include <QTextCursor>
#include <utility>
#include <vector>

#include "platform/review_view.h"

QT_BEGIN_NAMESPACE
class QLabel;
class QMenu;
QT_END_NAMESPACE

namespace tovenrak::platform::qt {

class QtMainWindow;
class QtSourceView;

class QtReviewView : public QObject, public platform::ReviewView {
  Q_OBJECT

 public:
  // Adds the menu and the count panel to `window` and watches its source
  // view, which must outlive this object.
  explicit QtReviewView(QtMainWindow& window);

  void SetListener(platform::ReviewListener* listener) override;
  void ShowMarks(const std::vector<platform::ReviewMark>& marks) override;
  bool SelectMark(int index) override;
  bool ReplaceMark(int index, const std::string& written,
                   const std::string& with, const std::string& text) override;
  size_t MarksStanding() const override;
  void ShowCount(const std::string& text) override;

  // The mark that holds document position `position`, or -1.
  int MarkAt(int position) const;
  // The text of the mark at `position` (what the tooltip and a screen
  // reader read), empty when no mark is there.
  QString MarkTextAt(int position) const;
  // A menu that offers the alternatives of mark `mark` (the one written now
  // checked), each reported to the listener; null for no mark. The caller
  // owns it.
  QMenu* CreateChoiceMenu(int mark, QWidget* parent) const;

  QLabel& count_panel() const { return *count_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateMenu(QtMainWindow& window);
  // Makes the text of the mark under the cursor the view's accessible
  // description.
  void DescribeCursor();
  // Underlines the marks in and around the part of the text shown. Finding
  // where a mark is on screen lays out its line, so underlining every mark
  // of a long document at once would lay out nearly all of it.
  void UnderlineShown();

  QtSourceView& source_view_;
  QLabel* count_;
  platform::ReviewListener* listener_ = nullptr;
  struct Shown {
    QTextCursor cursor;  // Selects the marked characters; follows edits.
    QString text;
    std::vector<QString> alternatives;
  };
  std::vector<Shown> marks_;
  // The document positions whose marks are underlined now.
  std::pair<int, int> underlined_{0, -1};
  bool marking_ = false;  // ShowMarks is placing the marks.
};

}  // namespace tovenrak::platform::qt
