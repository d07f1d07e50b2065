#include "platform/ui/buttons.h"

CommandButton::CommandButton(QWidget* parent, const QString& caption) : VbControl(parent) {
  setText(caption);
  setAutoDefault(false);
  connect(this, &QPushButton::clicked, this, [this] {
    if (Click && !ui_detail::Quiet(*this)) Click();
  });
}

CheckBox::CheckBox(QWidget* parent, const QString& caption) : VbControl(parent) {
  setText(caption);
  connect(this, &QCheckBox::stateChanged, this, [this] {
    if (Click && !ui_detail::Quiet(*this)) Click();
  });
}

int CheckBox::Value() const {
  switch (checkState()) {
    case Qt::Checked:
      return 1;
    case Qt::PartiallyChecked:
      return 2;
    default:
      return 0;
  }
}

void CheckBox::SetValue(int value) {
  if (value == 2) setTristate(true);
  setCheckState(value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
}

OptionButton::OptionButton(QWidget* parent, const QString& caption) : VbControl(parent) {
  setText(caption);
  connect(this, &QRadioButton::pressed, this, [this] { toggledByClick_ = false; });
  connect(this, &QRadioButton::toggled, this, [this](bool on) {
    toggledByClick_ = true;
    if (on && Click && !ui_detail::Quiet(*this)) Click();
  });
  // A click on the selected button changes nothing but is a click all the same.
  connect(this, &QRadioButton::clicked, this, [this] {
    const bool ran = toggledByClick_;
    toggledByClick_ = false;
    if (!ran && Click && !ui_detail::Quiet(*this)) Click();
  });
}

void OptionButton::SetValue(bool value) {
  if (value) {
    if (isChecked()) {
      if (Click && !ui_detail::Quiet(*this)) Click();
    } else {
      setChecked(true);
    }
    return;
  }
  if (!isChecked()) return;
  // A group refuses to lose its last selection; code may still clear it.
  const bool exclusive = autoExclusive();
  setAutoExclusive(false);
  setChecked(false);
  setAutoExclusive(exclusive);
}
