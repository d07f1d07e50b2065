#pragma once
// Drives the windows the way an operator does, so a test meets what the operator meets:
//
//   Operator::Activate(w);                 // the window manager gives the window the keyboard
//   Operator::Click(w.Text4);              // lands on whatever is drawn at Text4's place in its window
//   Operator::Type("2105");                // keys to whatever holds the focus now
//   Operator::Key(Qt::Key_Tab);            // Tab, Enter, F-keys, arrows move as the window lets them
//   Operator::Commit(u"札幌市"_s);          // text committed by the input method
//   Operator::ClickCell(grid, 5, 2);       // a cell as drawn; fails the test when it is not in view
//   Operator::Pick(w.Combo1, 2);           // opens the drop-down, walks to the item, Enter
//
// Keys and clicks go through the top-level window's own event path (QWindow), so pop-ups, the focus
// chain, key previews and mouse grabs see them as they would see a real keyboard and mouse. Nothing here
// sets a control's text, caret, list index or grid rows: a test that needs those set types or clicks.

#include <QPoint>
#include <QString>
#include <Qt>

class QWidget;
class QLineEdit;
class FlexGrid;
class ComboBox;
class ListBox;

namespace Operator {

// The window manager activates `window` (the top-level window of any widget passed): it comes forward
// and the widget that last had its focus gets the keyboard.
void Activate(QWidget& window);
// The widget that holds the keyboard now (null when no window is active).
QWidget* Focus();

// Key strokes to the focus: each character of `text` pressed and released (ASCII letters, digits and
// marks; upper case with Shift).
void Type(const QString& text);
// A key with the text an X keyboard gives it (Ctrl+C its control character, Alt+Z a "z"); a chord's
// modifiers are let go before its key.
void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier);
// A key let go whose press went elsewhere (to a message box that closed on it): the release reaches
// whatever holds the keyboard now.
void Release(Qt::Key key);
// Text the input method commits into the focus (Japanese, full-width characters).
void Commit(const QString& text);
// `text` put on the clipboard, then Ctrl+V into the focus.
void Paste(const QString& text);

// A mouse click at `at` inside `control` (its centre by default), delivered at that place in its
// top-level window, which the window manager activates first when it is not active. The click lands on
// whatever is on top there; the test fails when that is not `control` or one of its children.
void Click(QWidget& control, QPoint at = {-1, -1}, Qt::MouseButton button = Qt::LeftButton,
           Qt::KeyboardModifiers mods = Qt::NoModifier);
void RightClick(QWidget& control, QPoint at = {-1, -1});
void DoubleClick(QWidget& control, QPoint at = {-1, -1});
// A click in a one-line box where it leaves the caret before character `position` of the text shown
// (with Shift, the selection runs from the caret to there).
void ClickCaret(QLineEdit& box, int position, Qt::KeyboardModifiers mods = Qt::NoModifier);
// Press at `from`, move, release at `to` (both inside `control`).
void Drag(QWidget& control, QPoint from, QPoint to);
// The widget a click at `at` inside `control` would land on.
QWidget* WidgetAt(QWidget& control, QPoint at = {-1, -1});

// A grid cell's centre in the grid's coordinates, or {-1, -1} when the cell is not (wholly) in view.
QPoint CellCentre(FlexGrid& grid, int row, int col);
// Clicks on a cell as drawn now; the test fails when the cell is not in view.
void ClickCell(FlexGrid& grid, int row, int col, Qt::MouseButton button = Qt::LeftButton);
void DoubleClickCell(FlexGrid& grid, int row, int col);
// A wheel turn over the grid: positive notches away from the operator.
void Wheel(QWidget& control, int notches);

// A click on the box's arrow: its drop-down opens (Esc closes it again).
void Drop(ComboBox& box);
// Picks item `index` of a drop-down the way an operator does: a click on the box opens its list, a
// click on the item picks it.
void Pick(ComboBox& box, int index);
// Clicks item `index` of a list box (scrolling it into view first, as the scroll bar would).
void Pick(ListBox& list, int index);

}  // namespace Operator
