#include "support/operator.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QScrollBar>
#include <QStyleOptionComboBox>
#include <QTest>
#include <QWheelEvent>
#include <QWindow>

#include "platform/ui/flexgrid.h"
#include "platform/ui/lists.h"
#include "platform/ui/testhooks.h"

namespace Operator {
namespace {

QString Describe(const QWidget* w) {
  if (!w) return "nothing";
  QString name = w->metaObject()->className();
  if (!w->objectName().isEmpty()) name += " '" + w->objectName() + "'";
  if (const QWidget* top = w->window(); top != w) name += " of " + top->windowTitle();
  return name;
}

bool Within(const QWidget* w, const QWidget* ancestor) {
  for (; w; w = w->parentWidget())
    if (w == ancestor) return true;
  return false;
}

// Where the keyboard's strokes arrive: an open pop-up first, else the window the platform gave the
// keyboard to, else the active window. The operator acts on the screen as it stands: what the program
// asked of the window system (a window shown, activated) has happened.
QWindow* KeyboardWindow() {
  QCoreApplication::processEvents();
  if (QWidget* popup = QApplication::activePopupWidget()) return popup->windowHandle();
  if (QWindow* w = QGuiApplication::focusWindow()) return w;
  if (QWidget* w = QApplication::activeWindow()) return w->windowHandle();
  return nullptr;
}

QPoint CentreOr(const QWidget& w, QPoint at) { return at.x() < 0 ? w.rect().center() : at; }

// The top-level window of `control` made ready for the mouse: shown and, unless a pop-up of the
// program holds the mouse, active (a window manager activates a window that is clicked).
QWidget* MouseWindow(QWidget& control) {
  QCoreApplication::processEvents();
  QWidget* top = control.window();
  if (!top->isVisible() || !control.isVisible()) {
    ADD_FAILURE() << "a click on " << Describe(&control).toStdString() << ", which is not shown";
    return nullptr;
  }
  if (!QApplication::activePopupWidget() && QApplication::activeWindow() != top) Activate(*top);
  return top;
}

void Mouse(QWidget& control, QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers mods, bool twice) {
  QWidget* top = MouseWindow(control);
  if (!top) return;
  const QPoint local = CentreOr(control, at);
  QWidget* lands = WidgetAt(control, local);
  if (!Within(lands, &control))
    ADD_FAILURE() << "the click meant for " << Describe(&control).toStdString() << " lands on "
                  << Describe(lands).toStdString();
  const QPoint pos = control.mapTo(top, local);
  if (twice)
    QTest::mouseDClick(top->windowHandle(), button, mods, pos);
  else
    QTest::mouseClick(top->windowHandle(), button, mods, pos);
  QCoreApplication::processEvents();
}

void MouseOnCell(FlexGrid& grid, int row, int col, Qt::MouseButton button, bool twice) {
  const QPoint at = CellCentre(grid, row, col);
  if (at.x() < 0)
    ADD_FAILURE() << "cell (" << row << ", " << col << ") is not in view";
  else
    Mouse(grid, at, button, Qt::NoModifier, twice);
}

}  // namespace

void Activate(QWidget& widget) {
  QWidget* top = widget.window();
  if (!top->isVisible()) {
    ADD_FAILURE() << "activating " << Describe(top).toStdString() << ", which is not shown";
    return;
  }
  if (!HeadlessUi()) top->raise();  // the offscreen platform has no stacking order
  top->activateWindow();
  QCoreApplication::processEvents();
  if (QApplication::activeWindow() != top) QApplication::setActiveWindow(top);
  QCoreApplication::processEvents();
}

QWidget* Focus() {
  QCoreApplication::processEvents();  // what the program asked of the window system has happened
  return QApplication::focusWidget();
}

// The text X gives a key: with Ctrl a letter brings its control character (Ctrl+C "\x03").
QString KeyText(Qt::Key key, Qt::KeyboardModifiers mods) {
  const char ascii = QTest::keyToAscii(key);
  if ((mods & Qt::ControlModifier) && key >= Qt::Key_A && key <= Qt::Key_Z) return QString(QChar(key - Qt::Key_A + 1));
  return ascii ? QString(QChar::fromLatin1(ascii)) : QString();
}

// As quick hands often do, the modifiers are let go before the key (Alt up, then D).
void Key(Qt::Key key, Qt::KeyboardModifiers mods) {
  const QPointer<QWindow> w = KeyboardWindow();  // the key may close it
  if (!w) ADD_FAILURE() << "a key with no window holding the keyboard";
  if (!w) return;
  QTest::sendKeyEvent(QTest::Press, w, key, KeyText(key, mods), mods);
  for (const auto& [mod, modKey] : {std::pair{Qt::AltModifier, Qt::Key_Alt}, {Qt::ControlModifier, Qt::Key_Control},
                                    {Qt::ShiftModifier, Qt::Key_Shift}})
    if (w && (mods & mod)) QTest::simulateEvent(w, false, modKey, mods &= ~mod, QString(), false);
  if (w) QTest::simulateEvent(w, false, key, Qt::NoModifier, KeyText(key, {}), false);
  QCoreApplication::processEvents();
}

void Release(Qt::Key key) {
  if (QWindow* w = KeyboardWindow()) QTest::keyRelease(w, key);
  QCoreApplication::processEvents();
}

void Type(const QString& text) {
  for (QChar c : text) {
    const char ch = c.toLatin1();
    QWindow* w = ch > 0 ? KeyboardWindow() : nullptr;
    if (!w) {
      ADD_FAILURE() << (ch > 0 ? "typing with no window holding the keyboard" : "Type() takes ASCII; use Commit()");
      return;
    }
    QTest::keyClick(w, ch, (ch >= 'A' && ch <= 'Z') ? Qt::ShiftModifier : Qt::NoModifier);
    QCoreApplication::processEvents();
  }
}

void Commit(const QString& text) {
  QObject* target = QGuiApplication::focusObject();
  if (!target) {
    ADD_FAILURE() << "input-method text with nothing holding the keyboard";
    return;
  }
  QInputMethodEvent e;
  e.setCommitString(text);
  QCoreApplication::sendEvent(target, &e);
  QCoreApplication::processEvents();
}

void Paste(const QString& text) {
  QGuiApplication::clipboard()->setText(text);
  Key(Qt::Key_V, Qt::ControlModifier);
}

void Click(QWidget& control, QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers mods) {
  Mouse(control, at, button, mods, false);
}

void RightClick(QWidget& control, QPoint at) { Mouse(control, at, Qt::RightButton, Qt::NoModifier, false); }

void DoubleClick(QWidget& control, QPoint at) { Mouse(control, at, Qt::LeftButton, Qt::NoModifier, true); }

void ClickCaret(QLineEdit& box, int position, Qt::KeyboardModifiers mods) {
  // The span of places that give that caret; its middle is where the operator aims.
  int first = -1, last = -1;
  for (int x = 0; x < box.width(); ++x)
    if (box.cursorPositionAt(QPoint(x, box.height() / 2)) == position) {
      if (first < 0) first = x;
      last = x;
    }
  if (first < 0) {
    ADD_FAILURE() << "no place in " << Describe(&box).toStdString() << " puts the caret at " << position;
    return;
  }
  Click(box, QPoint((first + last) / 2, box.height() / 2), Qt::LeftButton, mods);
}

void Drag(QWidget& control, QPoint from, QPoint to) {
  QWidget* top = MouseWindow(control);
  if (!top) return;
  QWindow* w = top->windowHandle();
  QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, control.mapTo(top, from));
  const QPoint step = (to - from) / 4;
  for (int i = 1; i < 4; ++i) QTest::mouseMove(w, control.mapTo(top, from + step * i));
  QTest::mouseMove(w, control.mapTo(top, to));
  QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, control.mapTo(top, to));
  QCoreApplication::processEvents();
}

QWidget* WidgetAt(QWidget& control, QPoint at) {
  QWidget* top = control.window();
  const QPoint pos = control.mapTo(top, CentreOr(control, at));
  QWidget* hit = top->childAt(pos);
  return hit ? hit : top;
}

QPoint CellCentre(FlexGrid& grid, int row, int col) {
  const int headerRows = grid.gridModel().headerRows();
  QRect cell;
  if (row < headerRows) {
    const QHeaderView* h = grid.horizontalHeader();
    if (!h->isVisible()) return {-1, -1};
    cell = QRect(h->x() + h->sectionViewportPosition(col), h->y(), h->sectionSize(col), h->height());
  } else {
    const QWidget* vp = grid.viewport();
    cell = QRect(vp->x() + grid.columnViewportPosition(col), vp->y() + grid.rowViewportPosition(row - headerRows),
                 grid.columnWidth(col), grid.rowHeight(row - headerRows));
    if (grid.rowViewportPosition(row - headerRows) < 0 || !vp->geometry().contains(cell)) return {-1, -1};
  }
  if (cell.width() <= 0 || cell.height() <= 0 || grid.columnViewportPosition(col) < 0) return {-1, -1};
  // Whole: nothing of the grid's own (a scroll bar) nor of the window (a frame) lies over a corner.
  const QRect inner = cell.adjusted(1, 1, -2, -2);
  for (QPoint p : {inner.topLeft(), inner.topRight(), inner.bottomLeft(), inner.bottomRight(), inner.center()}) {
    QWidget* hit = WidgetAt(grid, p);
    if (!Within(hit, &grid) || qobject_cast<QScrollBar*>(hit) || Within(hit, grid.verticalScrollBar()))
      return {-1, -1};
  }
  return cell.center();
}

void ClickCell(FlexGrid& grid, int row, int col, Qt::MouseButton button) { MouseOnCell(grid, row, col, button, false); }

void DoubleClickCell(FlexGrid& grid, int row, int col) { MouseOnCell(grid, row, col, Qt::LeftButton, true); }

void Wheel(QWidget& control, int notches) {
  if (!MouseWindow(control)) return;
  const QPoint local = control.rect().center();
  QWidget* target = WidgetAt(control, local);
  const QPoint at = target->mapFrom(&control, local);
  QWheelEvent e(at, target->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton, Qt::NoModifier,
                Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(target, &e);
  QCoreApplication::processEvents();
}

void Drop(ComboBox& box) {
  QStyleOptionComboBox opt;
  opt.initFrom(&box);
  opt.editable = box.isEditable();
  const QRect arrow = box.style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxArrow, &box);
  Click(box, arrow.isValid() ? arrow.center() : QPoint(-1, -1));
}

void Pick(ComboBox& box, int index) {
  Drop(box);
  QAbstractItemView* view = box.view();
  if (!view->isVisible()) {
    ADD_FAILURE() << "the drop-down of " << Describe(&box).toStdString() << " did not open";
    return;
  }
  const QModelIndex item = view->model()->index(index, box.modelColumn(), view->rootIndex());
  view->scrollTo(item);
  // The hand moves onto the item: a list laid over the box takes a press-and-release that never
  // moved for the click that opened it.
  const QRect at = view->visualRect(item);
  QWidget* popup = view->window();
  QTest::mouseMove(popup->windowHandle(),
                   view->viewport()->mapTo(popup, QPoint(at.left() + 2, at.center().y())));
  Click(*view->viewport(), at.center());
}

void Pick(ListBox& list, int index) {
  QListWidgetItem* item = list.item(index);
  if (!item) {
    ADD_FAILURE() << "no item " << index << " in " << Describe(&list).toStdString();
    return;
  }
  list.scrollToItem(item);
  Click(*list.viewport(), list.visualItemRect(item).center());
}

}  // namespace Operator
