#include "platform/ui/lists.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScrollBar>

ComboBox::ComboBox(QWidget* parent, bool editable) : VbControl(parent) {
  setEditable(editable);
  setInsertPolicy(QComboBox::NoInsert);
  // A new index, chosen by the program or by the operator's pick; a pick of the item already chosen
  // comes only as activated.
  connect(this, &QComboBox::currentIndexChanged, this, [this] {
    if (quiet_ != 0) return;
    clicked_ = true;
    if (Click && !ui_detail::Quiet(*this)) Click();
  });
  connect(this, &QComboBox::activated, this, [this] {
    const bool ran = clicked_;
    clicked_ = false;
    if (!ran && quiet_ == 0 && Click && !ui_detail::Quiet(*this)) Click();
  });
  if (QLineEdit* e = lineEdit()) {
    connect(e, &QLineEdit::textEdited, this, [this] {
      if (Change && !ui_detail::Quiet(*this)) Change();
    });
    e->installEventFilter(this);
    // Qt would choose the item that the typed text reads like when the field loses the keyboard (Tab,
    // a click elsewhere, the drop-down opening), and complete the typing with an item's text.
    disconnect(e, &QLineEdit::editingFinished, this, nullptr);
    setCompleter(nullptr);
  }
}

void ComboBox::showPopup() {
  clicked_ = false;
  QComboBox::showPopup();
}

void ComboBox::wheelEvent(QWheelEvent* e) {
  clicked_ = false;
  VbControl::wheelEvent(e);
}

bool ComboBox::eventFilter(QObject* watched, QEvent* e) {
  QLineEdit* edit = lineEdit();
  if (watched != edit || editKey_) return VbControl::eventFilter(watched, e);
  if (e->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(e);
    std::unique_ptr<QKeyEvent> replaced;
    if (!ui_detail::RunKeyPress(*this, *key, KeyDown, KeyPress, replaced)) return true;
    // The field gets the key (or what KeyPress made of it); what it leaves goes on up to the box,
    // which does not run the handlers again.
    editKey_ = true;
    QCoreApplication::sendEvent(edit, replaced ? replaced.get() : key);
    editKey_ = false;
    return true;
  }
  if (e->type() == QEvent::InputMethod) {
    auto* im = static_cast<QInputMethodEvent*>(e);
    if (auto replaced = ui_detail::RunImeCommit(*this, *im, KeyPress)) {
      editKey_ = true;
      QCoreApplication::sendEvent(edit, replaced.get());
      editKey_ = false;
      return true;
    }
  }
  return VbControl::eventFilter(watched, e);
}

void ComboBox::keyPressEvent(QKeyEvent* e) {
  clicked_ = false;
  if (editKey_) {
    QComboBox::keyPressEvent(e);
    e->accept();  // keys end at the control, as everywhere
    return;
  }
  const QKeySequence::StandardKey edit = isEditable() ? QKeySequence::UnknownKey : EditKeyOf(*e);
  if (edit != QKeySequence::Copy && edit != QKeySequence::Paste) return VbControl::keyPressEvent(e);
  e->accept();
  // A drop-down list has no field of its own: a copy takes the item shown, a paste picks the item the
  // pasted text names (or begins), as typing it does. The key's KeyDown comes first, as in a text box.
  std::unique_ptr<QKeyEvent> textless;
  if (!ui_detail::RunKeyPress(*this, *e, KeyDown, KeyPress, textless)) return;
  QClipboard& clipboard = *QGuiApplication::clipboard();
  if (edit == QKeySequence::Copy) return clipboard.setText(currentText());
  const QString pasted = clipboard.text().trimmed();
  if (pasted.isEmpty()) return;
  const int exact = findText(pasted, Qt::MatchFixedString);
  const int picked = exact >= 0 ? exact : findText(pasted, Qt::MatchStartsWith);
  if (picked >= 0) setCurrentIndex(picked);
}

void ComboBox::AddItem(const QString& item, int index) {
  ui_detail::Hold h(quiet_);
  const int before = currentIndex();
  const QString text = currentText();
  insertItem(index < 0 || index > count() ? count() : index, item);
  // Qt chooses the first item added to an empty box; a VB list keeps no choice.
  if (before == -1 && currentIndex() != -1) {
    setCurrentIndex(-1);
    if (isEditable()) setEditText(text);
  }
}

void ComboBox::RemoveItem(int index) {
  ui_detail::Hold h(quiet_);
  removeItem(index);
}

void ComboBox::Clear() {
  ui_detail::Hold h(quiet_);
  const QString text = currentText();
  clear();
  if (isEditable()) setEditText(text);
}

void ComboBox::SetText(const QString& text) {
  if (!isEditable()) {
    setCurrentIndex(findText(text, Qt::MatchExactly));
    return;
  }
  if (currentText() == text) return;
  setEditText(text);
  if (Change && !ui_detail::Quiet(*this)) Change();
}

ListBox::ListBox(QWidget* parent) : VbControl(parent) {
  connect(this, &QListWidget::currentRowChanged, this, [this] {
    if (quiet_ == 0 && Click && !ui_detail::Quiet(*this)) Click();
  });
}

void ListBox::AddItem(const QString& item, int index) {
  ui_detail::Hold h(quiet_);
  insertItem(index < 0 || index > count() ? count() : index, item);
}

void ListBox::RemoveItem(int index) {
  ui_detail::Hold h(quiet_);
  delete takeItem(index);
}

void ListBox::Clear() {
  ui_detail::Hold h(quiet_);
  clear();
}

QString ListBox::List(int index) const {
  const QListWidgetItem* i = item(index);
  return i ? i->text() : QString();
}

void ListBox::SetList(int index, const QString& text) {
  if (QListWidgetItem* i = item(index)) i->setText(text);
}

void ListBox::SetListIndex(int index) {
  if (index < 0) {
    setCurrentRow(-1);
    clearSelection();
    return;
  }
  setCurrentRow(index);
}

QString ListBox::Text() const {
  const QListWidgetItem* i = currentItem();
  return i ? i->text() : QString();
}

void ListBox::SetMultiSelect(int mode) {
  setSelectionMode(mode == 1   ? QAbstractItemView::MultiSelection
                   : mode == 2 ? QAbstractItemView::ExtendedSelection
                               : QAbstractItemView::SingleSelection);
}

bool ListBox::Selected(int index) const {
  const QListWidgetItem* i = item(index);
  return i && i->isSelected();
}

void ListBox::SetSelected(int index, bool on) {
  if (QListWidgetItem* i = item(index)) i->setSelected(on);
}

int ListBox::SelCount() const { return static_cast<int>(selectedItems().size()); }

int ListBox::TopIndex() const {
  const QModelIndex i = indexAt(QPoint(1, 1));
  return i.isValid() ? i.row() : (count() ? 0 : -1);
}

void ListBox::SetTopIndex(int index) {
  if (QListWidgetItem* i = item(index)) scrollToItem(i, QAbstractItemView::PositionAtTop);
}

void ListBox::mousePressEvent(QMouseEvent* e) {
  rowAtPress_ = currentRow();
  VbControl::mousePressEvent(e);
}

void ListBox::focusInEvent(QFocusEvent* e) {
  const bool none = currentRow() < 0;
  {
    ui_detail::Hold h(quiet_);
    QListWidget::focusInEvent(e);
    // Qt makes the first item current when the keyboard arrives; nothing is picked yet.
    if (none && currentRow() >= 0) selectionModel()->clearCurrentIndex();
  }
  if (ui_detail::FocusCounts(*e, true, *this) && GotFocus && !ui_detail::Quiet(*this)) GotFocus();
}

void ListBox::mouseReleaseEvent(QMouseEvent* e) {
  VbControl::mouseReleaseEvent(e);
  // A click on the item that was current already is a click all the same.
  const bool same = rowAtPress_ == currentRow();
  rowAtPress_ = -2;
  if (same && e->button() == Qt::LeftButton && itemAt(e->position().toPoint()) && Click &&
      !ui_detail::Quiet(*this))
    Click();
}
