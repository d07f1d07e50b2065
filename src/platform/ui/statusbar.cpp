#include "platform/ui/statusbar.h"

#include <QHelpEvent>
#include <QLayout>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QSizeGrip>
#include <QStatusBar>
#include <QStyle>
#include <QToolTip>
#include <algorithm>
#include <utility>

#include "platform/ui/keys.h"
#include "platform/ui/twips.h"

namespace {

// A panel keeps its text on one line, so the bar keeps its height: where the bar leaves it less room
// than the text needs (a port's fault and what to do about it), the text is cut at its end and shown
// whole in the panel's tool tip.
class PanelLabel : public QLabel {
 public:
  using QLabel::QLabel;
  QSize sizeHint() const override {
    const QMargins m = contentsMargins();
    const QSize line = fontMetrics().size(Qt::TextSingleLine, text().isEmpty() ? QStringLiteral(" ") : text());
    return QSize(line.width() + m.left() + m.right() + 2 * margin(), line.height() + m.top() + m.bottom());
  }
  // Squeezed by another panel's long text, a panel keeps its first ten characters or so in sight.
  QSize minimumSizeHint() const override {
    const QSize whole = sizeHint();
    return {std::min(whole.width(), 10 * fontMetrics().horizontalAdvance(QChar(0x3042))), whole.height()};
  }

 protected:
  QRect room() const { return contentsRect().adjusted(margin(), margin(), -margin(), -margin()); }
  bool cut() const { return fontMetrics().horizontalAdvance(text()) > room().width(); }
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    drawFrame(&p);
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, room().width());
    style()->drawItemText(&p, room(), QStyle::visualAlignment(layoutDirection(), alignment()), palette(),
                          isEnabled(), shown, foregroundRole());
  }
  bool event(QEvent* e) override {
    if (e->type() != QEvent::ToolTip || !toolTip().isEmpty() || !cut()) return QLabel::event(e);
    QToolTip::showText(static_cast<QHelpEvent*>(e)->globalPos(), text(), this);
    return true;
  }
};

}  // namespace

StatusBar::StatusBar(QMainWindow* window, int panels) : bar_(window->statusBar()) {
  bar_->setSizeGripEnabled(true);
  bar_->installEventFilter(this);
  for (int i = 1; i <= panels; ++i) {
    auto* l = new PanelLabel(bar_);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    l->setTextFormat(Qt::PlainText);
    l->installEventFilter(this);
    bar_->addPermanentWidget(l, i == panels ? 1 : 0);
    panels_.push_back(l);
  }
}

QLabel* StatusBar::Panel(int panel) const {
  return panel >= 1 && panel <= PanelCount() ? panels_[panel - 1].data() : nullptr;
}

QString StatusBar::PanelText(int panel) const {
  if (noting_ && panel == notePanel_) return note_;
  const QLabel* l = Panel(panel);
  return l ? l->text() : QString();
}

void StatusBar::SetPanelText(int panel, const QString& text) {
  if (QLabel* l = Panel(panel)) l->setText(text);
}

void StatusBar::ShowNote(int panel, const QString& text) {
  noting_ = !text.isEmpty();
  notePanel_ = panel;
  note_ = text;
  if (!bar_) return;
  if (!noteLabel_) noteLabel_ = overLabel();
  noteLabel_->setVisible(noting_);
  placeAcross();
  if (noting_) noteLabel_->raise();
  bar_->repaint();
}

QLabel* StatusBar::overLabel() {
  auto* l = new QLabel(bar_);
  l->setFrameShape(QFrame::Panel);
  l->setFrameShadow(QFrame::Sunken);
  l->setTextFormat(Qt::PlainText);
  l->setAutoFillBackground(true);
  return l;
}

void StatusBar::ShowAcross(const QString& text) {
  acrossText_ = text;
  if (!bar_) return;
  if (!across_) across_ = overLabel();
  across_->setVisible(!text.isEmpty());
  placeAcross();
  if (!text.isEmpty()) across_->raise();
  // A wait's note stays in front.
  if (noting_ && noteLabel_) noteLabel_->raise();
}

void StatusBar::placeAcross() {
  if (!bar_) return;
  QRect room = bar_->rect();
  if (const QSizeGrip* grip = bar_->findChild<QSizeGrip*>(); grip && grip->isVisible())
    room.setRight(grip->x() - 1);
  const std::pair<QLabel*, const QString*> labels[] = {{across_.data(), &acrossText_},
                                                       {noteLabel_.data(), &note_}};
  for (const auto& [label, text] : labels) {
    if (!label) continue;
    label->setGeometry(room);
    const int width = label->contentsRect().width() - 2 * label->margin();
    label->setText(label->fontMetrics().elidedText(*text, Qt::ElideRight, std::max(width, 0)));
    label->setToolTip(label->text() == *text ? QString() : *text);
  }
}

void StatusBar::SetPanelWidth(int panel, int twips) {
  if (QLabel* l = Panel(panel)) l->setMinimumWidth(TwipsToPx(twips));
}

void StatusBar::SetVisible(bool on) {
  if (bar_) bar_->setVisible(on);
}

bool StatusBar::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Resize && watched == bar_.data()) placeAcross();
  if (event->type() != QEvent::MouseButtonRelease || watched->signalsBlocked()) return false;
  const auto* e = static_cast<QMouseEvent*>(event);
  if (PanelClick && e->button() == Qt::LeftButton) {
    for (int i = 0; i < PanelCount(); ++i)
      if (panels_[i] == watched) PanelClick(i + 1);
  }
  if (!MouseUp) return false;
  MouseUp(VbButton(e->button()));
  // Told once: a release on a panel goes no further to the bar.
  return watched != bar_.data();
}
