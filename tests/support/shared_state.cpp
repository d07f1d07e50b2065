#include "support/shared_state.h"

#include <QCoreApplication>

#include "awards/AwardSheets.h"
#include "awards/LeagueStationCheck.h"
#include "awards/LocatorTables.h"
#include "awards/RecordBook.h"
#include "awards/RoadsideStations.h"
#include "core/BandLayout.h"
#include "core/CodeConversion.h"
#include "core/DesignatedCities.h"
#include "core/HamlogAccess.h"
#include "core/MasterList.h"
#include "core/MasterTable.h"
#include "core/QsoColumns.h"
#include "core/QsoFields.h"
#include "core/QsoRules.h"
#include "core/SharedSettings.h"
#include "forms/awards/ACCSheet.h"
#include "forms/logbook/MemoDAT.h"
#include "forms/logbook/QSODATA.h"
#include "outputs/QslPrint.h"
#include "platform/clock.h"
#include "forms/sheet/CFG.h"
#include "forms/sheet/CWSHEET.h"
#include "forms/startup/ORBTOP.h"
#include "logbook/EqslExport.h"
#include "logbook/LocalTime.h"
#include "logbook/LogWindowState.h"
#include "logbook/QslCheck.h"
#include "logbook/QsoLists.h"
#include "lookup/CodeListState.h"
#include "lookup/DxccTable.h"
#include "lookup/LicenceSearch.h"
#include "platform/hamlog/hamlog.h"
#include "platform/http.h"
#include "platform/ipc/ipc.h"
#include "platform/ui/msgbox.h"
#include "rig/RigLink.h"
#include "rig/RigPortState.h"
#include "sheet/SheetSearch.h"
#include "sheet/SheetTally.h"
#include "sheet/WorkFileStamp.h"
#include "sheet/WorkFileStore.h"

void ResetSharedState() {
  Settings = {};
  ReadConditions = {};
  StartFlags = {};
  Hamlog = {};
  MasterList = {};
  MasterTable = {};
  CodeConv = {};
  Qso = {};
  QsoRules = {};
  BandLayout = {};
  BandLayoutHooks = {};
  ShownBands.fill("1");
  CallBox = {};
  Eqsl = {};
  DisplayItems = {};
  DesignatedCityDef = {};
  RigPollStop();
  RigPortState = {};
  ReleaseWorkFileLines();
  SheetTally = {};
  BandTotals = {};
  StartWindowHooks = {};
  AwardSheets = {};
  AwardSheetHooks = {};
  LeagueStation = {};
  RecordBook = {};
  Roadside = {};
  QslPrint = {};
  Cfg = {};
  LicenceAnswer = {};
  DxccTable = {};
  CodeListShared = {};
  HttpSettings = {};
  IpcSettings = {};
  LogWindowState = {};
  EntryWindowHooks = {};
  LocalTime = {};
  QslCheck = {};
  QsoListShared = {};
  // The tools that built the test log ran in this process: their index builds are not the program's.
  hamlogLib.indexRebuilds = 0;
  QsoWindowState = {};
  MemoState = {};
  GridTables = {};
  QsoColumns.Drop();
  SheetSearch = {};
  WorkFileStamp = {};
  MsgBoxCentre = {};
}

void CloseSheetAndResetState() {
  UnloadForm<CWSHEET>();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ResetClock();
  ResetSharedState();
}
