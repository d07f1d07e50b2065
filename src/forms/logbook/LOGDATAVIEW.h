#pragma once
// The log viewer "HAMLOG Data　Viewer": the log 100 records a page, newest page first, with paging, a
// jump to a record number and a double click that opens the record in the entry window.

#include <QString>
#include <cstdint>

#include "logbook/EqslFiles.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/flexgrid.h"
#include "platform/ui/form.h"
#include "platform/ui/menu.h"

class LOGDATAVIEW : public VbForm {
 public:
  LOGDATAVIEW();

  // What the sheet's LOGDATV menu does: shows the viewer on the newest page and marks it open.
  static void OpenViewer();

  void Form_Load() override;
  void Form_Resize() override;
  void Form_KeyDown(int& keyCode, int shift) override;
  void Form_KeyUp(int& keyCode, int shift) override;
  void Form_QueryUnload(int& cancel, int unloadMode) override;
  void Form_Unload(int& cancel) override;

  // Header row and column widths; drops the data rows.
  void SetLogGridHeader();
  // Appends the page ending at record n (HAMLOG open).
  void FillLogPage(int32_t n);
  // Writes the page to ViewerFilePath: outside the eQSL mode every row as a full export record, in it
  // the rows marked "eQSL" (those whose QSL via is eQSL_Mark left out) as eQSL records.
  EqslWriteResult WriteADIF();

  int32_t LogPageEnd = 0;
  int32_t LogSelectedRow = 0;
  int32_t QslPrintRecNo = 0;
  QString QslPrintCall;
  int32_t EqslMode = 0;
  int32_t ShiftHeld = 0;
  QString ViewerExportFolder;  // [E-LOG] eLOGFOL
  QString ViewerFilePath;      // the file the save dialogs chose
  int64_t EqslUploaderTask = 0;
  int32_t EqslMarkedRows = 0;

  Menu LOGCL{this, "閉じる(&X)"};
  Menu GOBACK{this, "<<(&B)"};
  Menu LOG_JUMP{this, "JUMP(&J)"};
  Menu GOFOWARD{this, ">>(&F)"};
  Menu QSLprnt{this, "QSL印刷(&Q)"};
  Menu QSLform{this, "QSL定義体"};
  Menu eQSLmode{this, "電子QSLモードへ(&E)"};
  Menu eQSLsend{this, "電子QSL送信"};
  Menu eQSLtype{this, "QSOBank"};
  Menu LOGtoADIF{this, "ADIF化(&A)"};
  Menu QSODat_HELP{this, "Help"};
  FlexGrid MSFlexGrid1{this};
  CommonDialog CommonDialog1{this};

 private:
  // Closes HAMLOG, opens it again and shows the page ending at n; false (window unloaded) when HAMLOG
  // could not be opened.
  bool reopenAndFill(int32_t n);
  void openFailed();
  void GOBACK_Click();
  void GOFOWARD_Click();
  void LOG_JUMP_Click();
  void QSODat_HELP_Click();
  void MSFlexGrid1_Click();
  void QSLprnt_Click();
  void MSFlexGrid1_DblClick();
  void ToggleEqslMode();
  void ToggleEqslType();
  void SendEqsl();
  void LOGtoADIF_Click();
  // The QSOs of the page's rows (marked ones only when `markedOnly`), as the files take them.
  EqslWriteResult pageQsos(bool markedOnly, std::vector<EqslQso>& qsos);
  void nothingMarked(const EqslWriteResult& r);
};
