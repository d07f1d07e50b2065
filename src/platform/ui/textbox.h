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

#include <QLineEdit>
#include <QPlainTextEdit>

#include "platform/ui/control.h"

class TextBox : public VbControl<QLineEdit> {
 public:
  explicit TextBox(QWidget* parent, const QString& text = QString());
  Handler Change;

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
