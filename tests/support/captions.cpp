#include "support/captions.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>

#include "platform/ui/flexgrid.h"
#include "platform/ui/look.h"

namespace {

// A caption as drawn: "&&" shows "&", a single "&" underlines the next character.
QString Shown(const QString& caption) {
  QString out;
  for (qsizetype i = 0; i < caption.size(); ++i) {
    if (caption[i] == u'&' && i + 1 < caption.size()) ++i;
    out += caption[i];
  }
  return out;
}

QString Cut(int need, int have, const char* what) {
  return QStringLiteral("%1 %2 px, room for %3").arg(QLatin1String(what)).arg(need).arg(have);
}

QString LabelCut(const QLabel& l) {
  if (l.text().isEmpty() || l.textFormat() == Qt::RichText) return {};
  const QFontMetrics fm = l.fontMetrics();
  const QRect room = l.contentsRect();
  const int flags = int(l.alignment()) | (l.wordWrap() ? Qt::TextWordWrap : 0);
  const QRect need = fm.boundingRect(room, flags, l.text());
  if (need.width() > room.width()) return Cut(need.width(), room.width(), "wide");
  if (need.height() > room.height()) return Cut(need.height(), room.height(), "tall");
  return {};
}

QString ButtonCut(const QAbstractButton& b) {
  if (b.text().isEmpty()) return {};
  QStyleOptionButton opt;
  opt.initFrom(&b);
  opt.text = b.text();
  QStyle::SubElement room = QStyle::SE_PushButtonContents;
  if (qobject_cast<const QCheckBox*>(&b)) room = QStyle::SE_CheckBoxContents;
  if (qobject_cast<const QRadioButton*>(&b)) room = QStyle::SE_RadioButtonContents;
  const QRect r = b.style()->subElementRect(room, &opt, &b);
  const int need = b.fontMetrics().horizontalAdvance(Shown(b.text()));
  if (need > r.width()) return Cut(need, r.width(), "wide");
  if (b.fontMetrics().height() > r.height() + 2) return Cut(b.fontMetrics().height(), r.height(), "tall");
  return {};
}

QString FrameTitleCut(const QGroupBox& g) {
  if (g.title().isEmpty()) return {};
  QStyleOptionGroupBox opt;
  opt.initFrom(&g);
  opt.text = g.title();
  opt.textAlignment = g.alignment();
  opt.lineWidth = 1;
  opt.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
  const QRect label = g.style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, &g);
  const int need = label.left() + g.fontMetrics().horizontalAdvance(Shown(g.title()));
  if (need > g.width()) return Cut(need, g.width(), "wide");
  return {};
}

QString Describe(const QWidget& w) {
  QString name = w.objectName();
  if (name.isEmpty()) name = QString::fromLatin1(w.metaObject()->className());
  return name;
}

// What lies over the middle of a shown control with a caption (empty when nothing does).
QString Covered(const QWidget& w) {
  const bool captioned = (qobject_cast<const QLabel*>(&w) && !static_cast<const QLabel&>(w).text().isEmpty()) ||
                         (qobject_cast<const QAbstractButton*>(&w) && !static_cast<const QAbstractButton&>(w).text().isEmpty());
  if (!captioned || w.width() <= 0 || w.height() <= 0) return {};
  QWidget* top = w.window();
  const QPoint middle = w.mapTo(top, w.rect().center());
  if (!top->rect().contains(middle)) return {};  // beyond the window's edge until the window grows
  QWidget* hit = top->childAt(middle);
  for (QWidget* p = hit; p; p = p->parentWidget())
    if (p == &w) return {};
  return hit ? Describe(*hit) : QStringLiteral("nothing");
}

}  // namespace

DesktopLook::DesktopLook() : before_(QApplication::font()) {
  ApplyDesktopLook(*qApp);
  // The scripts install the font the layouts were drawn for; a stand-in would measure other widths.
  if (DesktopFontFamily() != QLatin1String("IPAGothic"))
    ADD_FAILURE() << "the desktop font IPAGothic (Debian fonts-ipafont-gothic) is not installed";
}

DesktopLook::~DesktopLook() {
  QApplication::setStyle(QStringLiteral("Fusion"));
  QApplication::setFont(before_);
}

QString CaptionCut(const QWidget& control) {
  if (const auto* l = qobject_cast<const QLabel*>(&control)) return LabelCut(*l);
  if (const auto* b = qobject_cast<const QAbstractButton*>(&control)) return ButtonCut(*b);
  if (const auto* g = qobject_cast<const QGroupBox*>(&control)) return FrameTitleCut(*g);
  return {};
}

QStringList CutCaptions(QWidget& window) {
  QStringList out;
  const QString title = window.windowTitle();
  auto report = [&](const QString& what, const QString& caption, const QString& why) {
    out << QStringLiteral("%1: %2 '%3': %4").arg(title, what, caption, why);
  };
  for (const QWidget* w : window.findChildren<QWidget*>()) {
    // Qt's own parts (scroll bars, headers, the menu bar's items) are not captions of the window.
    if (w->objectName().startsWith(QLatin1String("qt_"))) continue;
    QString why = CaptionCut(*w);
    if (why.isEmpty() && w->isVisible() && !Covered(*w).isEmpty()) why = QStringLiteral("under ") + Covered(*w);
    if (why.isEmpty()) continue;
    QString caption;
    if (const auto* l = qobject_cast<const QLabel*>(w)) caption = l->text();
    if (const auto* b = qobject_cast<const QAbstractButton*>(w)) caption = b->text();
    if (const auto* g = qobject_cast<const QGroupBox*>(w)) caption = g->title();
    report(Describe(*w), caption, why);
  }
  for (const FlexGrid* g : window.findChildren<FlexGrid*>()) {
    const QHeaderView* h = g->horizontalHeader();
    if (!h->isVisible()) continue;
    const int margin = g->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, h);
    for (int c = 0; c < g->Cols() && c < h->count(); ++c) {
      const QString text = g->TextMatrix(0, c).trimmed();
      const int need = h->fontMetrics().horizontalAdvance(text) + 2 * margin;
      if (!text.isEmpty() && h->sectionSize(c) > 0 && need > h->sectionSize(c))
        report(QStringLiteral("heading"), text, Cut(need, h->sectionSize(c), "wide"));
    }
  }
  if (auto* main = qobject_cast<QMainWindow*>(&window); main && main->menuWidget()) {
    QMenuBar* bar = main->menuBar();
    for (QAction* a : bar->actions()) {
      if (!a->isVisible() || a->isSeparator()) continue;
      const QRect at = bar->actionGeometry(a);
      if (at.isNull() || !bar->rect().contains(at)) report(QStringLiteral("menu"), a->text(), QStringLiteral("off the bar"));
    }
  }
  return out;
}

QString CellCut(const FlexGrid& grid, int row, int col) {
  QString text = grid.TextMatrix(row, col);
  while (text.endsWith(u' ')) text.chop(1);  // blanks after the text show nothing
  // The item views' text margin on each side (the style's focus frame margin and one pixel).
  const int margin = grid.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &grid) + 1;
  const int need = grid.fontMetrics().horizontalAdvance(text) + 2 * margin;
  const int have = TwipsToPx(grid.ColWidth(col));
  if (need <= have) return {};
  return QStringLiteral("'%1' needs %2 px, column %3 is %4 px").arg(text).arg(need).arg(col).arg(have);
}
