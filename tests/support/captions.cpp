#include "support/captions.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QRegularExpression>
#include <QMenuBar>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>

#include "platform/ui/flexgrid.h"
#include "platform/ui/look.h"
#include "platform/ui/statusbar.h"

namespace {

QString Cut(const QString& text, int need, int have) {
  return QStringLiteral("'%1' needs %2 px, has %3").arg(text).arg(need).arg(have);
}

// The control's caption as drawn ("&" marks the underlined key) and the room the style gives it.
QString Caption(const QWidget& w, QRect& room) {
  room = w.contentsRect();
  QString text;
  if (const auto* l = qobject_cast<const QLabel*>(&w)) return l->textFormat() == Qt::RichText ? QString() : l->text();
  if (const auto* b = qobject_cast<const QAbstractButton*>(&w)) {
    QStyleOptionButton opt;
    opt.initFrom(b);
    const QStyle::SubElement e = qobject_cast<const QCheckBox*>(b)      ? QStyle::SE_CheckBoxContents
                                 : qobject_cast<const QRadioButton*>(b) ? QStyle::SE_RadioButtonContents
                                                                        : QStyle::SE_PushButtonContents;
    room = b->style()->subElementRect(e, &opt, b);
    text = b->text();
  } else if (const auto* g = qobject_cast<const QGroupBox*>(&w)) {
    QStyleOptionGroupBox opt;
    opt.initFrom(g);
    opt.text = g->title();
    opt.subControls = QStyle::SC_GroupBoxLabel;
    const int left = g->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, g).left();
    room = QRect(left, 0, g->width() - left, g->height());
    text = g->title();
  }
  return text.replace(QRegularExpression(QStringLiteral("&(.)")), QStringLiteral("\\1"));
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
  QRect room;
  const QString text = Caption(control, room);
  if (text.isEmpty()) return {};
  const auto* label = qobject_cast<const QLabel*>(&control);
  const int flags = label ? int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0) : 0;
  const QRect need = control.fontMetrics().boundingRect(room, flags, text);
  if (need.width() > room.width()) return Cut(text, need.width(), room.width());
  if (need.height() > room.height() + (label ? 0 : 2)) return Cut(text, need.height(), room.height()) + " tall";
  // Shown labels and buttons lie under nothing of their window (beyond its edge they wait for it to
  // grow); frames are panels the window shows one at a time.
  QWidget* top = control.window();
  const QPoint middle = control.mapTo(top, control.rect().center());
  if (!control.isVisible() || !top->rect().contains(middle) || qobject_cast<const QGroupBox*>(&control)) return {};
  for (const QWidget* hit = top->childAt(middle); hit; hit = hit->parentWidget())
    if (hit == &control) return {};
  return QStringLiteral("'%1' lies under another control").arg(text);
}

QStringList CutCaptions(QWidget& window) {
  QStringList out;
  for (const QWidget* w : window.findChildren<QWidget*>())
    if (const QString why = CaptionCut(*w); !why.isEmpty() && !w->objectName().startsWith("qt_")) out << why;
  for (const FlexGrid* g : window.findChildren<FlexGrid*>())
    for (int c = 0; g->horizontalHeader()->isVisible() && c < g->Cols(); ++c)
      if (const QString why = CellCut(*g, 0, c); !why.isEmpty()) out << "heading " + why;
  if (auto* main = qobject_cast<QMainWindow*>(&window); main && main->menuWidget())
    for (QAction* a : main->menuBar()->actions())
      if (a->isVisible() && !main->menuBar()->rect().contains(main->menuBar()->actionGeometry(a)))
        out << "menu '" + a->text() + "' off the bar";
  for (QString& line : out) line.prepend(window.windowTitle() + ": ");
  return out;
}

QString CellCut(const FlexGrid& grid, int row, int col) {
  QString text = grid.TextMatrix(row, col);
  while (text.endsWith(u' ')) text.chop(1);  // blanks after the text show nothing
  // The text margin on each side: a heading's, or a cell's (the focus frame's and one pixel).
  const int margin = row == 0 ? grid.style()->pixelMetric(QStyle::PM_HeaderMargin)
                              : grid.style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1;
  const int need = grid.fontMetrics().horizontalAdvance(text) + 2 * margin;
  const int have = TwipsToPx(grid.ColWidth(col));
  return text.isEmpty() || have == 0 || need <= have ? QString() : Cut(text, need, have) + " in column " + QString::number(col);
}

QString NoteCut(const StatusBar& bar, int panel) {
  const QString note = bar.PanelText(panel);
  for (const QLabel* l : bar.widget()->findChildren<QLabel*>()) {
    if (l->isHidden() || (l->text() != note && l->toolTip() != note)) continue;
    const int need = l->fontMetrics().horizontalAdvance(note),
              have = l->contentsRect().width() - 2 * l->margin();
    return l->text() == note && need <= have ? QString() : Cut(note, need, have);
  }
  return QStringLiteral("'%1' not shown").arg(note);
}
