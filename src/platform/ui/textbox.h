#pragma once
// Text boxes: one line (TextBox, a QLineEdit) or several (MultiLineTextBox, a QPlainTextEdit).
//
//   TextBox Text2{this};
//   Text2.setToolTip("...");  Text2.setMaxLength(8);  Text2.setReadOnly(true);   // Qt's own API
//   Text2.Change = [this] { Text2_Change(); };      // typed, pasted or set with setText()
//   Text2.KeyPress = [this](int& keyAscii) {
//     if (keyAscii >= 'a' && keyAscii <= 'z') keyAscii -= 32;     // rewrite
//     if (keyAscii == '*') keyAscii = 0;                          // swallow
//     if (keyAscii != 0 && !insertMode) Text2.SetSelLength(1);   // overwrite the character at the caret
//   };
//   Text2.setText("1001");                            // runs Change when the text really changes
//
// SelStart / SelLength / SelText are VB's caret and selection, counted in characters.
//
// Change runs whenever the text changes: typed, pasted, committed by the input method, or set by the
// program. setText() with a new text puts the caret at the start, where the overwrite rules of the
// windows expect it when the keyboard next arrives; setText() with the text the box holds already
// changes nothing, so a window that writes back what the operator is typing leaves the caret and the
// selection where they are. GotFocus and LostFocus as every control (control.h). When the keyboard
// arrives by the program (Enter, an F-key, setFocus) the caret stays where it was; Tab selects the
// whole text; a click puts the caret where the mouse is.

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
