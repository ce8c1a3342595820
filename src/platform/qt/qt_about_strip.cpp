#include "platform/qt/qt_about_strip.h"

#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include "platform/qt/qt_twips.h"

namespace tovenrak::platform::qt {

namespace {

QLabel* Picture(const char* file) {
  auto* label = new QLabel;
  label->setPixmap(QPixmap(QStringLiteral(":/pictures/%1").arg(file)));
  label->setScaledContents(true);
  return label;
}

QLabel* Text(const QString& text, const QFont& font, const QColor& colour) {
  auto* label = new QLabel(text);
  label->setFont(font);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, colour);
  label->setPalette(palette);
  return label;
}

QFrame* Line(QPalette::ColorRole role) {
  auto* line = new QFrame;
  line->setAutoFillBackground(true);
  QPalette palette = line->palette();
  palette.setColor(QPalette::Window, palette.color(role));
  line->setPalette(palette);
  return line;
}

QFont Font(const char* family, double points, int weight = QFont::Normal) {
  QFont font(QString::fromUtf8(family));
  font.setPointSizeF(points);
  font.setWeight(static_cast<QFont::Weight>(weight));
  return font;
}

}  // namespace

QtAboutStrip::QtAboutStrip(QWidget* client, std::function<void()> on_site_link)
    : QObject(client), client_(client) {
  // Two lines a pixel apart, dark over light, make an etched edge.
  Add(Line(QPalette::Mid), "Line1", tr("分隔线"),
      {0, kAboutStripTop, 12000, 0});
  Add(Line(QPalette::Light), "Line2", tr("分隔线"),
      {0, kAboutStripTop + 10, 12000, 0});
  Add(Picture("image1.png"), "Image1", tr("Tovenrak 图标"),
      {960, 6960, 2295, 600});
  Add(Text("v. 1.0", Font("Arial", 9), QColor(0, 255, 255)), "Version",
      "v. 1.0", {2760, 7320, 420, 225});
  const QString visit_us = tr("请访问我们的 WWW 站点以获得最新资料：");
  Add(Text(visit_us, Font("Arial", 10.5), QColor(0, 0, 192)), "Label2",
      visit_us, {3600, 6960, 4065, 240});

  visit_ = new QPushButton;
  QFont link_font = Font("Century Gothic", 15, 600);
  link_font.setUnderline(true);
  visit_->setFont(link_font);
  visit_->setFlat(true);
  visit_->setFocusPolicy(Qt::NoFocus);
  visit_->setStyleSheet(
      "QPushButton { border: none; padding: 0; text-align: left;"
      " color: rgb(0, 0, 255); background: transparent; }");
  // The hand's fingertip is the pointer's hot spot.
  visit_->setCursor(QCursor(QPixmap(":/pictures/pointer.png"), 11, 1));
  connect(visit_, &QPushButton::clicked, this,
          [on_site_link = std::move(on_site_link)] { on_site_link(); });
  Add(visit_, "Visit", "", {3720, 7200, 3495, 375});
  Add(Picture("zemlorin.png"), "Zemlorin", tr("Zemlorin 标志"),
      {7920, 6960, 2760, 660});
  // Under the panes, and among themselves in the order made: the version
  // number lies over the picture Image1.
  for (auto item = items_.rbegin(); item != items_.rend(); ++item)
    item->widget->lower();
  Place();
}

QWidget* QtAboutStrip::Add(QWidget* widget, const char* name,
                           const QString& accessible, TwipsRect place) {
  widget->setParent(client_);
  widget->setObjectName(name);
  widget->setAccessibleName(accessible);
  items_.push_back({widget, place});
  return widget;
}

void QtAboutStrip::SetSiteLink(const QString& address, const QString& tooltip) {
  visit_->setText(address);
  visit_->setAccessibleName(address);
  visit_->setToolTip(tooltip);
}

void QtAboutStrip::Place(float shift) {
  for (const Item& item : items_) {
    TwipsRect place = item.place;
    place.top += shift;
    QRect rect = TwipsToPixels(*client_, place);
    // A line (no height) is one pixel high at any resolution.
    if (item.place.height == 0) rect.setHeight(1);
    // A text set in a wider font than the one it was measured for (Arial
    // is seldom installed) grows to the left, its right edge kept: the
    // version number, over the picture's corner, lost its last digit.
    if (const auto* label = qobject_cast<const QLabel*>(item.widget);
        label != nullptr && label->pixmap().isNull()) {
      const int wanted = label->sizeHint().width();
      if (wanted > rect.width()) rect.setLeft(rect.right() + 1 - wanted);
    }
    item.widget->setGeometry(rect);
  }
}

}  // namespace tovenrak::platform::qt
