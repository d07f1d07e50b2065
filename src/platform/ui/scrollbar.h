#pragma once
// Scroll bars used as number pickers (QScrollBar: value, setValue, setRange, setSingleStep, setPageStep).
//
//   ScrollBar HScroll1{this};
//   HScroll1.setRange(0, n - 1);
//   HScroll1.Change = [this] { ShowRecord(HScroll1.value()); };   // operator or setValue()

#include <QScrollBar>

#include "platform/ui/control.h"

class ScrollBar : public VbControl<QScrollBar> {
 public:
  explicit ScrollBar(QWidget* parent, Qt::Orientation orientation = Qt::Horizontal);
  // The value changed (operator or code).
  Handler Change;
  // The operator drags the thumb.
  Handler Scroll;
};
