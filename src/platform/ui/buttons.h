#pragma once
// Command buttons, check boxes and option buttons.
//
//   CommandButton Command1{this, "読み込み開始"};
//   Command1.Click = [this] { Command1_Click(); };
//   Command8.MouseUp = [this](int button, int shift, float, float) { if (button == vbRightButton) ...; };
//
//   CheckBox Check9{this, "Rig#2"};
//   Check9.Click = [this] { ... };      // runs on every change: the operator's or SetValue's
//   Check9.SetValue(0);                 // runs Click when the box was ticked
//
//   ControlArray<OptionButton> Option2{this, 0, 3};          // see control_array.h
//   Option2.Bind(&OptionButton::Click, [this](int index) { SelectListFormat(index); });
//   Option2[1].SetValue(true);          // runs Click(1) as a click does, even when already selected
//
// Option buttons with the same container (window, frame) form one group. A click anywhere on a check
// box or option button counts, beside its caption too, as on the Windows desktop.

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>

#include "platform/ui/control.h"

class CommandButton : public VbControl<QPushButton> {
 public:
  explicit CommandButton(QWidget* parent, const QString& caption = QString());
  // A left click, the Space key, or click() from code.
  Handler Click;

 protected:
  bool MouseUpBeforeDefault() const override { return true; }
};

class CheckBox : public VbControl<QCheckBox> {
 public:
  explicit CheckBox(QWidget* parent, const QString& caption = QString());
  // Every change of the value.
  Handler Click;
  // 0 unticked, 1 ticked, 2 grey.
  int Value() const;
  void SetValue(int value);

 protected:
  bool MouseUpBeforeDefault() const override { return true; }
  bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

class OptionButton : public VbControl<QRadioButton> {
 public:
  explicit OptionButton(QWidget* parent, const QString& caption = QString());
  // The button became selected (by the operator or by code), or the operator clicked it while selected.
  Handler Click;
  bool Value() const { return isChecked(); }
  // true: selects it and runs Click, also when it was selected already. false: clears it (the group
  // may then have no selection), no Click.
  void SetValue(bool value);

 protected:
  bool MouseUpBeforeDefault() const override { return true; }
  bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }

 private:
  bool toggledByClick_ = false;
};
