#pragma once
// The code list "Code List": the picker beside the entry window's code field. It lists JA codes from
// the code master (the initial-letter search; JaCodeListMode 1) or DX prefixes (the DX code search),
// and copies the picked code and QTH into the entry window; a DX pick also gives the station's local
// time. Return, Esc, a double click, "閉じる(X)" and the close box close it. The JA list takes the
// keyboard when it opens and hands it back to the code field; the DX list leaves it in the entry window.
// Placed from [CFGPOS] CDLSTPOSTop / CDLSTPOSLeft, shared with the DXCC prefix list.
// The filling procedures create the rows and set the width after the load.

#include <QString>
#include <cstdint>

#include "platform/ui/flexgrid.h"
#include "platform/ui/form.h"
#include "platform/ui/menu.h"

class CODE_LIST : public VbForm {
 public:
  CODE_LIST();
  void Form_Load() override;
  void Form_Activate() override;
  void Form_KeyPress(int& keyAscii) override;
  void Form_QueryUnload(int& cancel, int unloadMode) override;
  void Form_Resize() override;

  Menu CLSCD{this, "閉じる(&X)"};
  FlexGrid MSFlexGrid1{this};

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  bool DxList() const { return !jaList_; }
  // The station's local time from the longitude columns of a row.
  void LocalTimeOfRow(int row);
  // Enter, the menu and the close box: the last pick's (or the first row's) local time once more.
  void LocalTimeOnClose();
  void MSFlexGrid1_RowColChange();
  void MSFlexGrid1_Click();
  void CloseAndStore();
  // After the operator's close: the keyboard back where the picks went.
  void BackToCodeField() const;

  bool jaList_ = false;  // fixed at the load
  int32_t rowPicked_ = 0;
  int32_t pickedRow_ = 0;
};
