#pragma once
// Combo boxes and list boxes with VB's item API (indexes from 0, -1 = nothing chosen).
//
//   ComboBox Combo1{this};                 // editable; ComboBox{this, false} is a drop-down list
//   Combo1.AddItem("CW");  Combo1.SetText("MIX");  Combo1.SetListIndex(2);
//   Combo1.Click  = [this] { ... };        // an item was picked (see below)
//   Combo1.Change = [this] { ... };        // the edit text was typed, or set with SetText
//
//   ListBox List1{this};
//   List1.AddItem("JA1ABC");  List1.List(0);  List1.ListCount();  List1.RemoveItem(0);
//   List1.Click = [this] { ... };          // an item was picked (see below)
//   List1.SetMultiSelect(2);  List1.Selected(3);  List1.SetSelected(3, true);
//
// Click, one rule for both: it runs when the operator picks an item (a click on it, in the drop-down
// or the list; the arrow keys, Page keys or a typed initial moving the choice; Enter on an item of
// the open drop-down) and when the program chooses one (SetListIndex, SetText of a drop-down list).
// Picking the item already chosen runs it again. It never runs because the control got or lost the
// keyboard, because a drop-down opened or closed, or because the typed text of an editable box reads
// like one of its items: what is typed stays text (Change) until an item is picked. A list that gets
// the keyboard keeps its choice (ListIndex -1 when none was made). Adding, removing and clearing
// items never runs Click.
//
// Change runs when the edit text of an editable box is typed or set with SetText. GotFocus and
// LostFocus as every control (control.h): opening the drop-down is no focus change. The keys and the
// input method's text typed into an editable box's field go through KeyDown and KeyPress first, as in
// a text box; an editable box completes nothing by itself. In a drop-down list the clipboard keys work
// as in a text box: a copy takes the item shown, a paste picks the item the pasted text names.

#include <QComboBox>
#include <QListWidget>

#include "platform/ui/control.h"

class ComboBox : public VbControl<QComboBox> {
 public:
  explicit ComboBox(QWidget* parent, bool editable = true);
  Handler Click;
  Handler Change;

  void AddItem(const QString& item, int index = -1);
  void RemoveItem(int index);
  void Clear();  // removes the items; an editable box keeps its text
  int ListCount() const { return count(); }
  QString List(int index) const { return itemText(index); }
  int ListIndex() const { return currentIndex(); }
  void SetListIndex(int index) { setCurrentIndex(index); }
  QString Text() const { return currentText(); }
  // Editable: the edit text (runs Change when it differs). Drop-down list: chooses the item of that text.
  void SetText(const QString& text);

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;

 public:
  void showPopup() override;

 private:
  int quiet_ = 0;      // structural changes in progress
  bool editKey_ = false;  // a key of the field, handled already, on its way up to the box
  bool clicked_ = false;  // Click ran for the index the operator's act set
};

class ListBox : public VbControl<QListWidget> {
 public:
  explicit ListBox(QWidget* parent);
  Handler Click;

  void AddItem(const QString& item, int index = -1);
  void RemoveItem(int index);
  void Clear();
  int ListCount() const { return count(); }
  QString List(int index) const;
  void SetList(int index, const QString& text);
  int ListIndex() const { return currentRow(); }
  void SetListIndex(int index);
  // The current item's text ("" when none).
  QString Text() const;
  // 0 one item, 1 each click toggles, 2 Shift and Ctrl extend.
  void SetMultiSelect(int mode);
  bool Selected(int index) const;
  void SetSelected(int index, bool on);
  int SelCount() const;
  int TopIndex() const;
  void SetTopIndex(int index);

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;

 private:
  int quiet_ = 0;
  int rowAtPress_ = -2;
};
