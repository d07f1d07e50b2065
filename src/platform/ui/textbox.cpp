#include "platform/ui/textbox.h"

TextBox::TextBox(QWidget* parent, const QString& text) : VbControl(parent) {
  setText(text);
  connect(this, &QLineEdit::textChanged, this, [this] {
    const ui_detail::Hold echo(echo_);
    if (Change && !ui_detail::Quiet(*this)) Change();
  });
}

void TextBox::setText(const QString& text) {
  const bool same = text.left(maxLength()) == this->text();
  if (echo_ > 0) {
    if (same) return;
    QLineEdit::setText(text);
    setCursorPosition(0);
    return;
  }
  if (!same) QLineEdit::setText(text);
  filled_ = true;
  if (hasFocus())
    SelectForTyping();
  else
    setCursorPosition(0);
}

void TextBox::SelectForTyping() { setSelection(int(text().size()), -int(text().size())); }

void TextBox::keyPressEvent(QKeyEvent* e) {
  filled_ = false;
  const ui_detail::Hold typing(typing_);
  VbControl::keyPressEvent(e);
}

void TextBox::inputMethodEvent(QInputMethodEvent* e) {
  const ui_detail::Hold typing(typing_);
  VbControl::inputMethodEvent(e);
}

void TextBox::contextMenuEvent(QContextMenuEvent* e) {
  const ui_detail::Hold typing(typing_);
  VbControl::contextMenuEvent(e);
}

void TextBox::dropEvent(QDropEvent* e) {
  const ui_detail::Hold typing(typing_);
  VbControl::dropEvent(e);
}

void TextBox::mouseReleaseEvent(QMouseEvent* e) {
  const ui_detail::Hold typing(typing_);  // the middle button pastes
  VbControl::mouseReleaseEvent(e);
}

void TextBox::keyReleaseEvent(QKeyEvent* e) {
  const ui_detail::Hold echo(echo_);
  VbControl::keyReleaseEvent(e);
}

void TextBox::mousePressEvent(QMouseEvent* e) {
  filled_ = false;
  VbControl::mousePressEvent(e);
}

void TextBox::focusInEvent(QFocusEvent* e) {
  VbControl::focusInEvent(e);
  const Qt::FocusReason r = e->reason();
  if ((filled_ || keyboardSelects_) && r != Qt::MouseFocusReason && r != Qt::PopupFocusReason &&
      r != Qt::ActiveWindowFocusReason)
    SelectForTyping();
}

void TextBox::setFocus(Qt::FocusReason reason) {
  VbControl::setFocus(reason);
  if (keyboardSelects_ && reason != Qt::MouseFocusReason && !hasFocus()) SelectForTyping();
}

int TextBox::SelStart() const { return hasSelectedText() ? selectionStart() : cursorPosition(); }

void TextBox::SetSelStart(int pos) {
  filled_ = false;
  deselect();
  setCursorPosition(pos);
}

int TextBox::SelLength() const { return hasSelectedText() ? static_cast<int>(selectedText().size()) : 0; }

void TextBox::SetSelLength(int length) {
  filled_ = false;
  const int start = SelStart();
  if (length <= 0) {
    SetSelStart(start);
    return;
  }
  setSelection(start, length);
}

void TextBox::TypeOver(int length) {
  if (hasSelectedText()) {
    filled_ = false;
    return;
  }
  SetSelLength(length);
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
