// The about strip below the panes: separator, pictures, version, site link.

#pragma once

#include <QObject>
#include <functional>
#include <vector>

#include "platform/main_frame.h"

QT_BEGIN_NAMESPACE
class QPushButton;
class QWidget;
QT_END_NAMESPACE

namespace tovenrak::platform::qt {

class QtAboutStrip : public QObject {
  Q_OBJECT

 public:
  // Creates the strip's items as children of `client` (the window's client
  // area); a click on the site link calls `on_site_link`.
  QtAboutStrip(QWidget* client, std::function<void()> on_site_link);

  // Sets the site link's caption and tooltip.
  void SetSiteLink(const QString& address, const QString& tooltip);

  // Puts every item at its fixed place, moved down by `shift` twips.
  void Place(float shift = 0);

  QPushButton* site_link() const { return visit_; }

 private:
  struct Item {
    QWidget* widget;
    TwipsRect place;
  };
  QWidget* Add(QWidget* widget, const char* name, const QString& accessible,
               TwipsRect place);

  QWidget* client_;
  QPushButton* visit_;
  std::vector<Item> items_;
};

}  // namespace tovenrak::platform::qt
