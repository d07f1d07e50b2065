#pragma once
// The QSO window "QSO Data": the QSOs of one code or of one station (forms the lists of
// logbook/QsoLists), or the QSL re-issue history of QSLAGN.DAT. In QSL-check mode it follows the
// picked QSO's code on the progress sheet and marks a received card with Insert.
//
//   QSODATA::ShowAreaQsos("11009", kAllBands, ReadConditions.SelMode);   // the sheet's code cell
//   QSODATA::ShowStationQsos(StationListCall);                          // a call typed or picked
//   QSODATA::ShowReissueHistory();                                      // QSLAGN.DAT

#include <QString>
#include <cstdint>

#include "logbook/QsoLists.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/flexgrid.h"
#include "platform/ui/form.h"
#include "platform/ui/menu.h"

struct QsoWindowStateValues {
  int32_t QsoWindowRow = 0;        // grid row picked last; 0 = none
  int32_t AreaListMode = 0;        // 1 while the window lists a code's QSOs
  int32_t ReissueHistoryMode = 0;  // 1 while it shows the QSL re-issue history
  int32_t ShiftHeld = 0;           // Shift is down: the wheel scrolls sideways
};
extern QsoWindowStateValues QsoWindowState;

class QSODATA : public VbForm {
 public:
  QSODATA();

  // The QSOs of a code (all bands: kAllBands; all modes: "MIX"), or the sheet's notice when there is none.
  static void ShowAreaQsos(const QString& key, int32_t band, const QString& mode);
  // The QSOs of a station (its card not yet come, in QSL-check mode); `call` is normalised in place.
  static void ShowStationQsos(QString& call);
  static void ShowReissueHistory();

  void Form_Load() override;
  void Form_KeyDown(int& keyCode, int shift) override;
  void Form_KeyUp(int& keyCode, int shift) override;
  void Form_Resize() override;
  void Form_QueryUnload(int& cancel, int unloadMode) override;
  void Form_Unload(int& cancel) override;

  // Caption and empty 19-column grid for a station or code list.
  void ShowStationQSOs();
  // Caption, 8-column grid and the rows of QSLAGN.DAT.
  void ShowQSLReissueHistory();
  // After a card was marked received: greets a band the sheet does not show confirmed yet.
  void QSLCHECK(const QString& freq, const QString& mode);

  // Record number and call of the row picked for QSL printing.
  int32_t PrintRecNo = 0;
  QString PrintCall;

  Menu LOGCL{this, "閉じる(&X)"};
  Menu QSLPRN{this, "QSL印刷(&Q)"};
  Menu QSLform{this, "QSL定義体"};
  FlexGrid MSFlexGrid1{this};
  CommonDialog CommonDialog1{this};

 private:
  static bool showList(const QsoList& list);
  void fillRows(const QsoList& list);
  QString listedCall_;  // the station whose QSOs the list shows ("" for other lists)
  void saveLayout(bool position);
  void copyName(int row, bool fullTrim);
  void openQso(int32_t recNo, bool sayFailure);
  void FollowCodeOnSheet();
  void MSFlexGrid1_MouseUp(int button);
  void MSFlexGrid1_MouseMove();
  void MSFlexGrid1_SelChange();
  void MSFlexGrid1_DblClick();
  void MSFlexGrid1_KeyDown(int keyCode);

  int sortDescending_ = 1;  // the next right-click sort runs descending
};
