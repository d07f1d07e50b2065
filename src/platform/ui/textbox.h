#pragma once
// Text boxes: one line (TextBox, a QLineEdit) or several (MultiLineTextBox, a QPlainTextEdit).
//
//   TextBox Text2{this};
//   Text2.setToolTip("...");  Text2.setMaxLength(8);  Text2.setReadOnly(true);   // Qt's own API
//   Text2.Change = [this] { Text2_Change(); };      // typed, pasted or set with setText()
//   Text2.KeyPress = [this](int& keyAscii) {
//     if (keyAscii >= 'a' && keyAscii <= 'z') keyAscii -= 32;     // rewrite
//     if (keyAscii == '*') keyAscii = 0;                          // swallow
//     if (keyAscii != 0 && !insertMode) Text2.TypeOver();        // overwrite the character at the caret
//   };
//   Text2.setText("1001");                            // runs Change when the text really changes
//
// SelStart / SelLength / SelText are VB's caret and selection, counted in characters.
//
// Change runs whenever the text changes: typed, pasted, committed by the input method, or set by the
// program. A text the program puts in a box (setText(), even the one it holds already) is typed over:
// its whole text is selected with the caret at the start, now when the box holds the keyboard and
// again when the keyboard next comes to it other than by a click, until the operator types, clicks or
// the program places the caret in it (SetSelStart, SetSelLength). The first typed character replaces
// the whole selection, in overwrite typing too (TypeOver); a box of fixed form (a date, a time) selects
// one character before each typed one instead and is typed over from the start. The one exception is
// a write-back of what the operator is typing (setText() from the box's own Change or KeyUp, or from
// handlers they run): it leaves the caret and the selection where they are. GotFocus and LostFocus as every
// control (control.h). When the keyboard arrives at a box the operator typed in (Enter, an F-key,
// setFocus) the caret stays where it was; Tab selects the whole text; a click puts the caret where
// the mouse is. A box told SetKeyboardSelects(true) has its whole text selected however the keyboard
// arrives but by a click (or by coming back to its window), so that typing replaces it. DblClick runs
// as the second click lands, as every control's (a double click made during a wait that holds the
// window is held with the other input, and its job runs once the wait is over); a third click selects
// the whole text (and offers it to the X selection) as in any box, where the job left the mouse to it.

#include <QLineEdit>
#include <QPlainTextEdit>

#include "platform/ui/control.h"

class TextBox : public VbControl<QLineEdit> {
 public:
  explicit TextBox(QWidget* parent, const QString& text = QString());
  Handler Change;

  void setText(const QString& text);

  int SelStart() const;
  void SetSelStart(int pos);  // moves the caret, clears the selection
  int SelLength() const;
  void SetSelLength(int length);  // selects `length` characters from SelStart
  QString SelText() const { return selectedText(); }
  // Overwrite typing, from KeyPress: the typed character replaces the selection, the operator's or the
  // program's, when there is one, else `length` characters at the caret (0: it is inserted).
  void TypeOver(int length = 1);
  void SetKeyboardSelects(bool on) { keyboardSelects_ = on; }
  // The keyboard to this box. In a window not active now it arrives with the window, and then finds
  // the text selected as any arrival but a click does.
  void setFocus(Qt::FocusReason reason = Qt::OtherFocusReason);
  // The text changes by the operator's own hand: a key, the input method, a paste or a drop.
  bool Typing() const { return typing_ > 0; }

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void inputMethodEvent(QInputMethodEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;
  void dropEvent(QDropEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;

 private:
  void SelectForTyping();
  int echo_ = 0;         // the box's own Change or KeyUp is running
  bool filled_ = false;  // the program's text, not yet typed in
  bool keyboardSelects_ = false;
  int typing_ = 0;
};

class MultiLineTextBox : public VbControl<QPlainTextEdit> {
 public:
  explicit MultiLineTextBox(QWidget* parent, const QString& text = QString());
  Handler Change;

  QString text() const { return toPlainText(); }
  void setText(const QString& text);

 private:
  QString last_;
};
