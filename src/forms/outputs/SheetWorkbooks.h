#pragma once
// The progress sheet's menu "Excel Sheet作成": the ORB book, the town/village list (with the sheet's
// frame Frame3 and its Go button), the ACA workbook and the cfm/wkd list. The cells are written by
// outputs/Spreadsheets into the automation stand-in's workbook; here are the questions, the sheet's
// display switches, the locks and the messages.

#include <QTime>
#include <cstdint>
#include <memory>
#include <optional>

#include "platform/automation/automation.h"
#include "rig/RigLink.h"

class CWSHEET;

class SheetWorkbooks {
 public:
  explicit SheetWorkbooks(CWSHEET* sheet);
  ~SheetWorkbooks();
  // Connects the sheet's menus and the Go button; the sheet calls it once, when built.
  void WireSheetMenus();

  int32_t ShellResult = 0;        // the last workbook open of any output; above 32 = done
  int32_t ScreenUpdatingOff = 0;  // 1 when the operator asked to spare the screen updating
  QTime JobStartTime;

  // EXCC "cfm/wkdリストの作成".
  void MakeCfmWkdList();
  // ORB_SHEET "ORB本の作成".
  void MakeOrbBook();
  // MKchouson "町村リストの作成" and the Go button of Frame3.
  void OpenChousonList();
  void MakeChousonExcel();
  // MKACA "ACAリストの作成".
  void MakeAcaList();

 private:
  void MakeAcaExcel();
  void SetChousonDisp();
  void lockForDataFile(bool locked);
  QString elapsed() const;
  void rigPollStop();
  void rigPollStart();
  bool keepGoing();

  CWSHEET* sheet_;
  std::unique_ptr<Workbook> chousonBook_;
  std::optional<RigPollPause> pollPause_;  // the transceiver poll, held off while a workbook is made
};
