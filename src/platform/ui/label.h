#pragma once
// Labels: text the code writes (QLabel's text / setText), plain text, wrapped inside the label's box
// from its top-left corner as VB draws it.
//
//   Label Label9{this, "ｶｳﾝﾀ"};
//   Label9.setText("読込中");
//   Label4.Click = [this] { ... };         // left click on the label
//   SetForeColor(Label5, vbRed);           // colour.h

#include <QLabel>

#include "platform/ui/control.h"

class Label : public ClickControl<QLabel> {
 public:
  explicit Label(QWidget* parent, const QString& caption = QString());
  // A text with long words (a device path) wraps after "/", "-", "_" and "." as well.
  void SetWrapAnywhere(bool on);
  void setText(const QString& text);
  QString text() const;

 private:
  bool anywhere_ = false;
};
