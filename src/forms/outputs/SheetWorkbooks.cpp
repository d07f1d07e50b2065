#include "forms/outputs/SheetWorkbooks.h"

#include "core/BandLayout.h"
#include "core/HamlogAccess.h"
#include "core/SharedSettings.h"
#include "forms/outputs/ListDialog.h"
#include "forms/sheet/CWSHEET.h"
#include "forms/sheet/SheetGridRows.h"
#include "outputs/Spreadsheets.h"
#include "platform/clock.h"
#include "platform/ui/doevents.h"
#include "platform/ui/msgbox.h"
#include "sheet/SheetTally.h"

namespace {

const QString kQrx = QStringLiteral("Excelシートへデータ転送中 ＱＲＸ");
const QString kReading = QStringLiteral("データ読み込み中です  ＱＲＸ");
const QString kOrbTitle = QStringLiteral("ORB本の作成");

void SetDisplayItems(bool cityGunWard, bool townVillage) {
  DisplayItemsState& d = DisplayItems;
  const QString on = cityGunWard ? "1" : "0", tv = townVillage ? "1" : "0";
  d.City = d.Gun = d.Ku = on;
  d.Town = d.Vill = tv;
  d.Dx = "0";
  d.CityOn = d.GunOn = d.KuOn = cityGunWard ? 1 : 0;
  d.TownOn = d.VillOn = townVillage ? 1 : 0;
  d.DxOn = 0;
}

}  // namespace

SheetWorkbooks::SheetWorkbooks(CWSHEET* sheet) : sheet_(sheet) {}

SheetWorkbooks::~SheetWorkbooks() = default;

void SheetWorkbooks::WireSheetMenus() {
  CWSHEET& s = *sheet_;
  s.EXCC.Click = [this] { MakeCfmWkdList(); };
  s.ORB_SHEET.Click = [this] { MakeOrbBook(); };
  s.MKchouson.Click = [this] { OpenChousonList(); };
  s.MKACA.Click = [this] { MakeAcaList(); };
  s.Command9.Click = [this] { MakeChousonExcel(); };
}

void SheetWorkbooks::rigPollStop() { pollPause_.emplace(); }

void SheetWorkbooks::rigPollStart() { pollPause_.reset(); }

bool SheetWorkbooks::keepGoing() {
  DoEvents();
  return sheet_->SheetJobRunning != 0;
}

QString SheetWorkbooks::elapsed() const {
  const int seconds = std::max(0, JobStartTime.secsTo(NowJst().time()));
  return QTime(0, 0).addSecs(seconds).toString("H:mm:ss");
}

// ---- cfm/wkd list

void SheetWorkbooks::lockForDataFile(bool locked) {
  CWSHEET& s = *sheet_;
  if (locked) {
    s.Label2.setText(QStringLiteral("Excel データを準備中です"));
    s.Frame1.show();
    s.Frame1.raise();
  } else {
    s.Frame1.hide();
    s.Label2.setText(kReading);
  }
  s.Frame5.setEnabled(!locked);
  s.Frame6.setEnabled(!locked);
  for (Menu* m : {&s.EXCC, &s.MENU, &s.DAREA, &s.DISPBAND, &s.SYUDSP, &s.RDAGN}) m->SetEnabled(!locked);
  s.SetMousePointer(locked ? vbHourglass : vbDefault);
}

void SheetWorkbooks::MakeCfmWkdList() {
  CWSHEET& s = *sheet_;
  lockForDataFile(true);
  rigPollStop();
  const bool extended = Settings.ExtendedBandSet == 1;
  QString error;
  if (!WriteExcelDataFile(SheetGridRows(s.MSFlexGrid2), extended, DisplayItems.DelQTH, error)) {
    lockForDataFile(false);
    MsgBox(ExcelDataFilePath(extended) + QStringLiteral(" を書き込めませんでした") + "\r\n" + error, vbOKOnly);
    rigPollStart();
    return;
  }
  std::unique_ptr<Workbook> book = NewWorkbook(kCfmWkdWorkbook);
  DefineMacroStandIns(*book, kCfmWkdWorkbook);
  ShellResult = book->Open();
  MsgBox(QStringLiteral("作表にかかります") + "\r\n" + QStringLiteral("次のORBEX5からのメッセージが出るまで") +
             QStringLiteral("　　ＱＲＸ"),
         vbOKOnly);
  if (ShellResult <= 32) {
    s.Frame1.hide();
    s.Label2.setText(kReading);
    MsgBox(WorkbookOpenFailureText(*book, ShellResult, kCfmWkdWorkbook), vbOKOnly);
    lockForDataFile(false);
    rigPollStart();
    return;
  }
  int32_t result = 0;
  int err = book->Attach();
  if (err == 0) err = book->Run("Main", {Settings.ExtendedBandSet}, result);
  Hamlog.LastResult = result;
  lockForDataFile(false);
  if (err != 0) {
    MsgBox(ExcelErrorText(err), vbOKOnly);
  } else if (!book->Publish(error)) {
    MsgBox(error, vbOKOnly);
  } else {
    MsgBox(QStringLiteral("作表完了です") + "\r\n", vbOKOnly);
  }
  rigPollStart();
}

// ---- ORB book

void SheetWorkbooks::MakeOrbBook() {
  CWSHEET& s = *sheet_;
  std::unique_ptr<Workbook> book = NewWorkbook(kOrbBookWorkbook);
  DefineMacroStandIns(*book, kOrbBookWorkbook);
  // The operator's workbook, with a table posted from the application book, is kept as it stands;
  // only a missing one is started afresh.
  ShellResult = book->OpenExisting();
  if (ShellResult == 2) ShellResult = book->Open();
  if (ShellResult == 2) {
    MsgBox(QStringLiteral("ORB_SHEET.XLS が開けませんでした"), vbOKOnly + vbSystemModal);
    return;
  }
  s.FUKUGEN.SetEnabled(true);
  // What holds for the workbook written here: no sheet protection, an .xlsx that the application book
  // posts into under its own name.
  const QString file = XlsxFileName(kOrbBookWorkbook);
  MsgBox(QStringLiteral("ORB本を ") + file + QStringLiteral("（プログラムフォルダ）に書き出し、書き終えたら表計算ソフトで開きます。") +
             "\r\n\r\n" + QStringLiteral("シートに保護はかかっていません（パスワードは不要です）。") + "\r\n\r\n" +
             QStringLiteral("手を加えて保存する場合は、ファイル名を変えずに Excel ブック (.xlsx) のまま保存して下さい。") +
             "\r\n" + QStringLiteral("「この集計表を転記」はこのファイルのシート「集計表」に転記します。"),
         vbOKOnly + vbSystemModal, kOrbTitle);
  Hamlog.LastResult = MsgBox(
      QStringLiteral("ORB本ライクな物を作りますが多少時間がかかります(PC能力次第です)") + "\r\n\r\n" +
          QStringLiteral("なおこれより表示は　ALLBand & 市、区、郡　だけに変更します。必要に応じて後で戻してください") +
          "\r\n\r\n" + QStringLiteral("作業中のExcelの画面更新を抑制すると処理が速く(半分位に)なります、抑制しますか？"),
      vbYesNoCancel + vbSystemModal, kOrbTitle);
  if (Hamlog.LastResult == vbCancel) return;
  ScreenUpdatingOff = Hamlog.LastResult == vbYes ? 1 : 0;
  JobStartTime = NowJst().time();
  SetDisplayItems(true, false);
  for (int b = 0; b < kBandCount; ++b)
    ShownBands[size_t(b)] = (b <= 14 || b == kSatelliteBand || Settings.ExtendedBandSet == 1) ? "1" : "0";
  s.DisplayForced = 1;
  rigPollStop();
  {
    MousePointerGuard hourglass(s);
    s.READAGN();
  }
  auto restoreDisplay = [&] {
    s.ChousonListMode = 0;
    s.DisplayForced = 0;
    s.ReadDispItems();
    s.ALLB.Trigger();
    s.FUKUGEN.SetEnabled(false);
    rigPollStart();
  };
  if (ShellResult <= 32) {
    s.Frame1.hide();
    MsgBox(WorkbookOpenFailureText(*book, ShellResult, kOrbBookWorkbook), vbOKOnly + vbSystemModal);
    restoreDisplay();
    return;
  }
  auto excelError = [&](int err) {
    s.SheetJobRunning = 0;
    s.Frame1.hide();
    HamlogCloseDb(0);
    s.FUKUGEN.SetEnabled(false);
    MsgBox(ExcelErrorText(err), vbOKOnly + vbSystemModal);
    rigPollStart();
  };
  s.Label2.setText(kQrx);
  s.Frame1.show();
  s.Frame1.raise();
  const auto lock = s.Progress().LockJobs();
  const SheetGridRows rows(s.MSFlexGrid2);
  int32_t result = 0;
  int err = book->Attach();
  if (err == 0) {
    book->SelectSheet(QString());
    err = book->Run("Main", {rows.LastDataRow(), Settings.ExtendedBandSet}, result);
  }
  Hamlog.LastResult = result;
  if (err != 0) return excelError(err);
  if (HamlogOpenDb() != 0) {
    MsgBox(WithOpenFailureCause(QStringLiteral("HAMLOGデータをOpen出来ません。")), vbOKOnly + vbSystemModal);
    s.Frame1.hide();
    HamlogCloseDb(0);
    s.FUKUGEN.SetEnabled(false);
    rigPollStart();
    return;
  }
  s.SheetJobRunning = 1;
  book->SetScreenUpdating(ScreenUpdatingOff != 1);
  const OrbBookResult written = WriteOrbBookCells(*book, rows, [this] { return keepGoing(); });
  book->SetScreenUpdating(true);
  HamlogCloseDb(0);
  if (written.stopped) {
    MsgBox(QStringLiteral("ORB本Excelの作成を中断します。"), vbOKOnly + vbSystemModal);
    s.Frame1.hide();
    s.FUKUGEN.SetEnabled(false);
    rigPollStart();
    return;
  }
  s.SheetJobRunning = 0;
  QString error;
  const bool published = book->Publish(error);
  s.Frame1.hide();
  if (!published)
    MsgBox(error, vbOKOnly + vbSystemModal);
  else
    MsgBox(QStringLiteral("ORB Total Count = ") + QString::number(written.confirmed) + QStringLiteral(" でした。") +
               "\r\n" + QStringLiteral("「集計表示」→「ORB本の手引き」→「集計表の転記」と進んで下さい") + "\r\n" +
               QStringLiteral("申請用の集計（累計）表を作ることが出来ます。") + "\r\n" +
               XlsxFileName(kOrbBookWorkbook) + QStringLiteral(" に書き込み済みです") + "\r\n" + QStringLiteral("所用時間 = ") +
               elapsed(),
           vbOKOnly + vbSystemModal);
  restoreDisplay();
}

// ---- Town/village list

void SheetWorkbooks::SetChousonDisp() {
  CWSHEET& s = *sheet_;
  SetDisplayItems(false, true);
  for (int b = 0; b < kBandCount; ++b) ShownBands[size_t(b)] = b <= 19 ? "1" : "0";
  s.READAGN();
  SheetTally.AreaViewActive = 0;
  s.SALL.SetVisible(false);
}

void SheetWorkbooks::OpenChousonList() {
  CWSHEET& s = *sheet_;
  chousonBook_ = NewWorkbook(kChousonWorkbook);
  DefineMacroStandIns(*chousonBook_, kChousonWorkbook);
  ShellResult = chousonBook_->Open();
  if (ShellResult <= 32) {
    // Open elsewhere or not writable: said now, before the operator sets up the list.
    MsgBox(ShellResult == 2 ? QStringLiteral("町村管理.XLS が開けませんでした")
                            : WorkbookOpenFailureText(*chousonBook_, ShellResult, kChousonWorkbook),
           vbOKOnly + vbSystemModal);
    chousonBook_.reset();
    s.ChousonListMode = 0;
    s.FUKUGEN.SetEnabled(false);
    s.Frame3.hide();
  } else {
    SetChousonDisp();
    s.DisplayForced = 1;
    s.ChousonListMode = 1;
    s.Frame3.show();
    s.Frame3.raise();
  }
}

void SheetWorkbooks::MakeChousonExcel() {
  CWSHEET& s = *sheet_;
  rigPollStop();
  Hamlog.LastResult =
      MsgBox(QStringLiteral("町村データ作成には多少時間がかかります　(^^ゞ") + "\r\n" +
                 QStringLiteral("作業中のExcelの画面更新を抑制すると処理が速く(半分位に)なります、抑制しますか？"),
             vbYesNo, QStringLiteral("町村データの作成"));
  ScreenUpdatingOff = Hamlog.LastResult == vbYes ? 1 : 0;
  JobStartTime = NowJst().time();
  // A second Go writes a new workbook of its own.
  std::unique_ptr<Workbook> book = std::move(chousonBook_);
  if (!book) {
    book = NewWorkbook(kChousonWorkbook);
    DefineMacroStandIns(*book, kChousonWorkbook);
    ShellResult = book->Open();
  }
  auto end = [&] {
    s.ChousonListMode = 0;
    rigPollStart();
  };
  if (ShellResult <= 32) {
    s.Frame1.hide();
    MsgBox(WorkbookOpenFailureText(*book, ShellResult, kChousonWorkbook), vbOKOnly + vbSystemModal);
    s.FUKUGEN.SetEnabled(false);
    return end();
  }
  s.Label2.setText(kQrx);
  s.Frame1.show();
  s.Frame1.raise();
  const auto lock = s.Progress().LockJobs();
  int32_t result = 0;
  int err = book->Attach();
  if (err == 0) err = book->Run("DataCls", {SheetTally.CurrentAreaLabel}, result);
  if (err == 0) book->SelectSheet(QString());
  if (err != 0) {
    MsgBox(ExcelErrorText(err), vbOKOnly);
    s.Frame1.hide();
    s.FUKUGEN.SetEnabled(false);
    return end();
  }
  if (HamlogOpenDb() != 0) {
    s.Frame1.hide();
    MsgBox(WithOpenFailureCause(QStringLiteral("HAMLOGデータがOpen出来ません。")), vbOKOnly);
    HamlogCloseDb(0);
    s.FUKUGEN.SetEnabled(false);
    return end();
  }
  book->SetScreenUpdating(ScreenUpdatingOff != 1);
  const ChousonResult written =
      WriteChousonCells(*book, SheetGridRows(s.MSFlexGrid2), s.Check4.Value() == 1, s.Check5.Value() == 1);
  s.Frame1.hide();
  HamlogCloseDb(0);
  book->SetScreenUpdating(true);
  err = book->Run("keisen1", {SheetTally.CurrentAreaLabel}, result);
  Hamlog.LastResult = result;
  QString error;
  if (err != 0) {
    MsgBox(ExcelErrorText(err), vbOKOnly);
    s.FUKUGEN.SetEnabled(false);
  } else if (!book->Publish(error)) {
    MsgBox(error, vbOKOnly);
    s.FUKUGEN.SetEnabled(false);
  } else {
    s.FUKUGEN.SetEnabled(true);
    MsgBox(QStringLiteral("町村 Total Count = ") + QString::number(written.confirmed) + "\r\n" +
               QStringLiteral(" でした。") + "\r\n" + QStringLiteral("所用時間 = ") + elapsed(),
           vbOKOnly + vbSystemModal);
  }
  end();
}

// ---- ACA workbook

void SheetWorkbooks::MakeAcaList() {
  CWSHEET& s = *sheet_;
  Hamlog.LastResult = MsgBox(QStringLiteral("これより進捗状況表は次の設定に変更されます") + "\r\n" +
                                 QStringLiteral("周波数　　1.9 ～ 1200MHz") + "\r\n" +
                                 QStringLiteral("郡・市・区のみ。　町村、DXは読み込みません"),
                             vbYesNo);
  if (Hamlog.LastResult == vbYes) MakeAcaExcel();
  s.ChousonListMode = 0;
  s.ReadDispItems();
  s.ALLB.Trigger();
  s.FUKUGEN.SetEnabled(false);
}

void SheetWorkbooks::MakeAcaExcel() {
  CWSHEET& s = *sheet_;
  rigPollStop();
  SetDisplayItems(true, false);
  for (int b = 0; b < kBandCount; ++b) ShownBands[size_t(b)] = b <= 12 ? "1" : "0";
  {
    MousePointerGuard hourglass(s);
    s.READAGN();
  }
  std::unique_ptr<Workbook> book = NewWorkbook(kAcaWorkbook);
  ShellResult = book->Open();
  MsgBox(QStringLiteral("作表にかかります") + "\r\n" + QStringLiteral("ORBEX5からの次のメッセージが出るまでそのまま") +
             QStringLiteral("　　ＱＲＸ"),
         vbOKOnly);
  JobStartTime = NowJst().time();
  if (ShellResult <= 32) {
    MsgBox(WorkbookOpenFailureText(*book, ShellResult, kAcaWorkbook), vbOKOnly);
    return rigPollStart();
  }
  if (const int err = book->Attach()) {
    MsgBox(ExcelErrorText(err), vbOKOnly);
    return rigPollStart();
  }
  book->SelectSheet(QStringLiteral("ACAデータ"));
  if (HamlogOpenDb() != 0) {
    s.SheetJobRunning = 0;
    MsgBox(WithOpenFailureCause(QStringLiteral("HAMLOGデータをOpen出来ません。")), vbOKOnly);
    HamlogCloseDb(0);
    return rigPollStart();
  }
  const auto lock = s.Progress().LockJobs();
  s.SheetJobRunning = 1;
  book->SetScreenUpdating(ScreenUpdatingOff != 1);
  const AcaResult written =
      WriteAcaCells(*book, SheetGridRows(s.MSFlexGrid2), ReadConditions.StartDate, [this] { return keepGoing(); });
  book->SetScreenUpdating(true);
  HamlogCloseDb(0);
  if (written.stopped) {
    MsgBox(QStringLiteral("ACAExcelの作成を中断します。"), vbOKOnly);
    return rigPollStart();
  }
  s.SheetJobRunning = 0;
  QString error;
  if (!book->Publish(error))
    MsgBox(error, vbOKOnly);
  else
    MsgBox(QStringLiteral(" Total Count = ") + QString::number(written.written) + "\r\n" + QStringLiteral(" でした。") +
               "\r\n" + QStringLiteral("所用時間 = ") + elapsed(),
           vbOKOnly);
  rigPollStart();
}
