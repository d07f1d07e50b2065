#include "platform/ui/textbox.h"

TextBox::TextBox(QWidget* parent, const QString& text) : VbControl(parent) {
  setText(text);
  connect(this, &QLineEdit::textChanged, this, [this] {
    if (Change && !ui_detail::Quiet(*this)) Change();
  });
}

void TextBox::setText(const QString& text) {
  if (text.left(maxLength()) == this->text()) return;
  QLineEdit::setText(text);
  setCursorPosition(0);
}

int TextBox::SelStart() const { return hasSelectedText() ? selectionStart() : cursorPosition(); }

void TextBox::SetSelStart(int pos) {
  deselect();
  setCursorPosition(pos);
}

int TextBox::SelLength() const { return hasSelectedText() ? static_cast<int>(selectedText().size()) : 0; }

void TextBox::SetSelLength(int length) {
  const int start = SelStart();
  if (length <= 0) {
    SetSelStart(start);
    return;
  }
  setSelection(start, length);
}

MultiLineTextBox::MultiLineTextBox(QWidget* parent, const QString& text) : VbControl(parent) {
  setPlainText(text);
  last_ = text;
  connect(this, &QPlainTextEdit::textChanged, this, [this] {
    // QPlainTextEdit reports formatting changes as well; only a new text counts.
    QString now = toPlainText();
    if (now == last_) return;
    last_ = std::move(now);
    if (Change && !ui_detail::Quiet(*this)) Change();
  });
}

void MultiLineTextBox::setText(const QString& text) {
  if (text != toPlainText()) setPlainText(text);
}
