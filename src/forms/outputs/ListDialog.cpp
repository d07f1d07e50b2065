#include "forms/outputs/ListDialog.h"

#include "core/BandLayout.h"
#include "core/HamlogAccess.h"
#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "forms/awards/SeiriboSheet.h"
#include "forms/sheet/CWSHEET.h"
#include "lookup/DxccTable.h"
#include "forms/sheet/SheetGridRows.h"
#include "outputs/Seiribo.h"
#include "outputs/TextExports.h"
#include "outputs/WantedLists.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/ui/doevents.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/shell.h"
#include "sheet/SheetTally.h"

namespace {

const QString kProgressTitle = QStringLiteral("ORB/JCC/JCG 進捗状況");
const QString kWantedCaption = QStringLiteral("Wanted-LIST 作成項目選択");
constexpr int kStandardSatelliteTop = 1320;
constexpr int kExtendedSatelliteTop = 2752;
constexpr int kBoxHeight = 238;
constexpr int kBandColumnC = 2900;  // "ALL Band", the extended bands and the satellite

bool extendedSet() { return Settings.ExtendedBandSet == 1; }

}  // namespace

ListDialog::ListDialog(CWSHEET* sheet) : Frame(sheet, kWantedCaption), sheet_(sheet) {
  buildLayout();
  Option2.Bind(&OptionButton::Click, [this](int index) { SelectListFormat(index); });
  Check1.Bind(&CheckBox::MouseUp,
              [this](int index, int button, int, float, float) { PickSingleBand(index, button); });
  Command20.Click = [this] { ClearBandBoxes(); };
  Command21.Click = [this] { ClearKindBoxes(); };
  Command13.Click = [this] { CloseListDialog(); };
  Command14.Click = [this] { Go(); };
}

ListDialog::~ListDialog() = default;

void ListDialog::buildLayout() {
  // A panel over the grid: it paints its own background.
  setAutoFillBackground(true);
  Move(800, 1400, 10300, 3900);
  hide();
  Frame11.Move(120, 240, 4800, 3500);
  for (int i = 0; i <= 14; ++i) {
    Check1[i].setText(QString::fromUtf8(Bands[size_t(i)].caption));
    Check1[i].Move(i < 8 ? 120 : 1500, 240 + (i % 8) * 278, 1350, 240);
  }
  for (int i = 15; i <= 20; ++i) {
    Check1[i].setText(QString::fromUtf8(Bands[size_t(i)].caption));
    Check1[i].Move(kBandColumnC, kStandardSatelliteTop + (i - 15) * kBoxHeight, 1350, 240);
  }
  Check1[21].setText(QStringLiteral("ｻﾃﾗｲﾄ"));
  Check1[22].setText(QStringLiteral("ALL Band"));
  Check1[22].setStyleSheet(QStringLiteral("color: red"));
  Check1[22].Move(kBandColumnC, 240, 1850, 240);
  placeBandBoxes();
  Command20.Move(kBandColumnC, 600, 900, 300);
  Frame9.Move(5040, 240, 1700, 2500);
  static const char* kinds[] = {"市", "区", "郡", "町", "村", "ＤＸ"};
  for (int i = 0; i < kKindBoxCount; ++i) {
    Check2[i].setText(QString::fromUtf8(kinds[i]));
    Check2[i].Move(120, 240 + i * 300, 900, 240);
  }
  Command21.Move(900, 240, 700, 300);
  Check6.Move(6900, 240, 1200, 240);
  Check6.SetValue(1);
  Check7.Move(8200, 240, 1200, 240);
  Label16.Move(6900, 600, 1500, 240);
  Option2[0].setText(QStringLiteral("印刷"));
  Option2[0].hide();
  Option2[0].setEnabled(false);
  Option2[1].setText(QStringLiteral("Wanted"));
  Option2[2].setText(QStringLiteral("HWCV/JCV用"));
  Option2[2].setToolTip(QStringLiteral("430MHzまでの選択有効(DX対象外)"));
  Option2[3].setText(QStringLiteral("Wanted(CSV形式 ALL Band のみ)"));
  for (int i = 1; i <= 3; ++i) Option2[i].Move(6900, 900 + (i - 1) * 300, 3300, 280);
  Command14.Move(6900, 2900, 1300, 500);
  Command13.Move(8400, 2900, 1300, 500);
}

// The satellite box takes the first extended box's place in the standard set.
void ListDialog::placeBandBoxes() {
  const bool extended = extendedSet();
  for (int i = 15; i <= 20; ++i) {
    Check1[i].setVisible(extended);
    Check1[i].SetValue(0);
  }
  Check1[21].Move(kBandColumnC, extended ? kExtendedSatelliteTop : kStandardSatelliteTop);
}

void ListDialog::WireSheetMenus() {
  CWSHEET& s = *sheet_;
  s.WNTPRN.Click = [this] { OpenWantedListDialog(); };
  s.JCCchk.Click = [this] { SelectAwardCheck(kAwardJcc); };
  s.JCGchk.Click = [this] { SelectAwardCheck(kAwardJcg); };
  s.WAKUchkF.Click = [this] { SelectAwardCheck(kAwardWaku); };
  s.ORBKUchkF.Click = [this] { SelectAwardCheck(kAwardOrbKu); };
  s.WAJAchk.Click = [this] { SelectAwardCheck(kAwardWaja); };
  s.DXCCchk.Click = [this] { SelectAwardCheck(kAwardDx); };
  s.mkACAGdat.Click = [this] { MakeAcagDat(); };
  s.mkQTHdat.Click = [this] { MakeQthData(); };
  s.seiribo.Click = [this] { OpenSeiribo(); };
  s.Command10.Click = [this] { CloseChousonFrame(); };
}

ListChoices ListDialog::Choices() const {
  ListChoices c;
  for (int i = 0; i < kBandBoxCount; ++i) c.BandTicks[size_t(i)] = Check1[i].Value();
  for (int i = 0; i < kKindBoxCount; ++i) c.KindTicks[size_t(i)] = Check2[i].Value();
  c.UnworkedTick = Check6.Value();
  c.WorkedTick = Check7.Value();
  return c;
}

// ---- Sheet controls

void ListDialog::setWantedListLock(bool on) {
  CWSHEET& s = *sheet_;
  for (Menu* m :
       {&s.JccGchkSelect, &s.seiribo, &s.Mksheet, &s.MENU, &s.DAREA, &s.DISPBAND, &s.SYUDSP, &s.RDAGN, &s.WNTPRN})
    m->SetEnabled(on);
  for (QWidget* w : {static_cast<QWidget*>(&s.Command1), static_cast<QWidget*>(&s.Command2),
                     static_cast<QWidget*>(&s.Command8), static_cast<QWidget*>(&s.Frame5),
                     static_cast<QWidget*>(&s.Frame6)})
    w->setEnabled(on);
}

void ListDialog::setAwardLock(bool on) {
  CWSHEET& s = *sheet_;
  for (Menu* m : {&s.MENU, &s.DAREA, &s.DISPBAND, &s.RDAGN, &s.SYUDSP, &s.Mksheet, &s.wtd, &s.SNDIF, &s.MEMOVIEW})
    m->SetEnabled(on);
  for (QWidget* w :
       {static_cast<QWidget*>(&s.Command8), static_cast<QWidget*>(&s.Frame2),
        static_cast<QWidget*>(&s.Frame5), static_cast<QWidget*>(&s.Frame6), static_cast<QWidget*>(&Frame9)})
    w->setEnabled(on);
  s.Label6.setVisible(on);
}

void ListDialog::setGoRunning(bool running) {
  sheet_->JccGchkSelect.SetEnabled(!running);
  Command14.setText(running ? QStringLiteral("QRX") : QStringLiteral("GO !"));
  Command13.setEnabled(!running);
  Command14.setEnabled(!running);
}

// ---- Wanted-list mode

void ListDialog::OpenWantedListDialog() {
  CWSHEET& s = *sheet_;
  s.AwardCheckMode = 0;
  for (QWidget* w : {static_cast<QWidget*>(&s.Command1), static_cast<QWidget*>(&s.Command2),
                     static_cast<QWidget*>(&s.Command8)})
    w->setEnabled(false);
  show();
  raise();
  setWantedListLock(false);
  for (int i = 0; i <= 14; ++i) Check1[i].SetValue(ShownBands[size_t(i)] == QLatin1String("1") ? 1 : 0);
  Check1[21].SetValue(ShownBands[kSatelliteBand] == QLatin1String("1") ? 1 : 0);
  Check1[22].SetValue(0);
  placeBandBoxes();
  Check2[0].SetValue(DisplayItems.CityOn == 1 ? 1 : 0);
  Check2[1].SetValue(DisplayItems.KuOn == 1 ? 1 : 0);
  Check2[2].SetValue(DisplayItems.GunOn == 1 ? 1 : 0);
  Check2[3].SetValue(DisplayItems.TownOn == 1 ? 1 : 0);
  Check2[4].SetValue(DisplayItems.VillOn == 1 ? 1 : 0);
  Check2[5].SetValue(0);
  const bool listening = Settings.WantedListType == QLatin1String("2");
  for (int i = 13; i <= 20; ++i) {
    Check1[i].setEnabled(!listening);
    Check1[i].SetValue(0);
  }
  Check2[5].setEnabled(!listening);
}

void ListDialog::SelectListFormat(int index) {
  Settings.WantedListType = index == 2   ? QStringLiteral("2")
                            : index == 3 ? QStringLiteral("3")
                                         : QStringLiteral("1");
  const bool listening = index == 2;
  for (int i = 12; i <= 21; ++i) Check1[i].setEnabled(!listening);
  Check2[5].setEnabled(!listening);
  WriteIni("ORB", "WNTP", Settings.WantedListType);
}

void ListDialog::ClearBandBoxes() {
  for (int i = 0; i < kBandBoxCount; ++i) Check1[i].SetValue(0);
}

void ListDialog::ClearKindBoxes() {
  for (int i = 0; i < kKindBoxCount; ++i) Check2[i].SetValue(0);
}

void ListDialog::CloseListDialog() {
  if (sheet_->AwardCheckMode > 0) {
    ResetWantedListDialog();
    return;
  }
  hide();
  setWantedListLock(true);
}

// ---- Award-check mode

void ListDialog::SelectAwardCheck(int32_t mode) {
  placeBandBoxes();
  for (int i = 12; i <= 22; ++i) Check1[i].setEnabled(true);
  if (mode == kAwardOrbKu) Check1[22].setEnabled(false);
  Check2[5].setEnabled(true);
  sheet_->AwardCheckMode = mode;
  SetupAwardCheckDialog();
}

void ListDialog::SetupAwardCheckDialog() {
  setAwardLock(false);
  for (int i = 0; i <= 2; ++i) Option2[i].setEnabled(false);
  for (int i = 0; i < kBandBoxCount; ++i) Check1[i].SetValue(0);
  for (int i = 0; i < kKindBoxCount; ++i) Check2[i].setEnabled(false);
  Check6.setEnabled(false);
  Check7.setEnabled(false);
  Command13.setText(QStringLiteral("CLOSE"));
  Check1[22].setText(QStringLiteral("ALL Band(除SAT)"));
  static const char* captions[] = {nullptr,          "ＪＣＣ", "ＪＣＧ", "ＷＡＪＡ", "ＷＡＫＵ",
                                   "ＯＲＢ上のＫＵ", nullptr,  nullptr,  "ＤＸ"};
  const int32_t mode = sheet_->AwardCheckMode;
  if (mode >= 1 && mode <= 8 && captions[mode]) {
    Check1[mode == kAwardOrbKu || mode == kAwardDx ? 0 : 22].SetValue(1);
    setTitle(QString::fromUtf8(captions[mode]) + QStringLiteral("チェック ( ") + ReadConditions.SelMode +
             " )");
  }
  show();
  raise();
}

void ListDialog::ResetWantedListDialog() {
  setAwardLock(true);
  for (int i = 0; i <= 2; ++i) Option2[i].setEnabled(i != 0);  // "印刷" stays out of use
  for (int i = 0; i < kKindBoxCount; ++i) Check2[i].setEnabled(true);
  Check6.setEnabled(true);
  Check7.setEnabled(true);
  Command13.setText(QStringLiteral("CANCEL"));
  Check1[22].setText(QStringLiteral("ALL Band"));
  setTitle(kWantedCaption);
  hide();
  sheet_->AwardCheckMode = 0;
}

void ListDialog::PickSingleBand(int index, int button) {
  if (sheet_->AwardCheckMode <= 0) return;
  for (int i = 0; i < kBandBoxCount; ++i) Check1[i].SetValue(0);
  // A left release toggles the box after this handler: it then ends ticked.
  if (button != vbLeftButton) Check1[index].SetValue(1);
}

void ListDialog::CloseChousonFrame() {
  CWSHEET& s = *sheet_;
  s.Frame1.hide();
  s.Frame3.hide();
  s.ChousonListMode = 0;
  s.DisplayForced = 0;
  s.ReadDispItems();
}

// ---- GO

void ListDialog::Go() {
  if (sheet_->AwardCheckMode > 0)
    runAwardList();
  else
    runWantedList();
}

void ListDialog::showRun(const OutputRun& run) {
  if (!run.ok) {
    if (!run.error.isEmpty()) MsgBox(run.error, vbOKOnly);
    return;
  }
  for (const QString& m : run.messages) MsgBox(m, vbOKOnly);
  for (const QString& path : run.opened) Hamlog.LastResult = ShellOpen(path);
}

void ListDialog::runAwardList() {
  setGoRunning(true);
  const int32_t column = AwardBandColumn(Choices().BandTicks);
  OutputRun run;
  {
    MousePointerGuard hourglass(*sheet_);
    run = WriteAwardLists(sheet_->AwardCheckMode, column, [](const QString& hamlogCode) {
      QString key = hamlogCode;
      return DXCCCodeSearch(key, kFirstEntityId, 6);
    });
  }
  showRun(run);
  setGoRunning(false);
}

void ListDialog::enableAfterWantedList() {
  CWSHEET& s = *sheet_;
  s.Frame5.setEnabled(true);
  s.Frame6.setEnabled(true);
  for (Menu* m : {&s.Mksheet, &s.MENU, &s.DAREA, &s.DISPBAND, &s.SYUDSP, &s.RDAGN, &s.WNTPRN}) m->SetEnabled(true);
  s.SetMousePointer(vbDefault);
}

void ListDialog::closingSteps(const QString& openPath) {
  CWSHEET& s = *sheet_;
  if (!openPath.isEmpty()) Hamlog.LastResult = ShellOpen(openPath);
  for (QWidget* w : {static_cast<QWidget*>(&s.Command1), static_cast<QWidget*>(&s.Command2),
                     static_cast<QWidget*>(&s.Command8)})
    w->setEnabled(true);
  s.seiribo.SetEnabled(true);
  setGoRunning(false);
  pollPause_.reset();
}

void ListDialog::runWantedList() {
  const ListChoices choices = Choices();
  if (choices.UnworkedTick == 0 && choices.WorkedTick == 0) {
    MsgBox(QStringLiteral("「未QSO」「Wkd」どちらもチェック無しでは作成出来ません　(^^ゞ"), vbOKOnly);
    return;
  }
  pollPause_.emplace();
  hide();
  setGoRunning(true);
  CWSHEET& s = *sheet_;
  const SheetGridRows rows(s.MSFlexGrid2);
  const QString format = Settings.WantedListType;
  QString path, error;
  bool ok = false;
  if (format == QLatin1String("2")) {
    path = JoinPath(Settings.DataFolder, "MachiList.txt");
    ok = WriteListeningList(path, rows, choices, error);
    if (ok)
      MsgBox(Settings.DataFolder + QStringLiteral(" にMachiList.txt　を作成しました") + "\r\n" +
                 QStringLiteral("このファイルをHWCV/JCV のフォルダへ置いて下さい。"),
             vbOKOnly, kProgressTitle);
  } else if (format == QLatin1String("0") || format == QLatin1String("1") || format == QLatin1String("3")) {
    const bool csv = format == QLatin1String("3");
    CommonDialog& d = s.CommonDialog1;
    d.DialogTitle = QStringLiteral("Wanted List のﾌｧｲﾙ名を指定します");
    d.Filter = QStringLiteral("(*.TXT)|*.TXT|(*.CSV)|*.CSV|");
    d.Flags = cdlOFNPathMustExist | cdlOFNHideReadOnly;
    d.InitDir = Settings.DataFolder;
    d.FileName =
        csv ? Settings.MyCall + QStringLiteral("_WantedList(CSV)_") + TodayJst().toString("yyyy-MM-dd")
            : QStringLiteral("ORBEX5_WantedList");
    if (d.ShowSave()) {
      s.SetMousePointer(vbHourglass);
      path = d.FileName;
      ok = WriteWantedList(path, csv ? WantedFormat::Csv : WantedFormat::Text, Settings.MyCall, rows, choices,
                           error);
      if (ok)
        MsgBox(QStringLiteral("Wanted List ") + path + QStringLiteral("を保存しました"), vbOKOnly,
               kProgressTitle);
    }
  } else {
    enableAfterWantedList();
    closingSteps(QString());
    return;
  }
  if (!ok) {
    QString text = format == QLatin1String("2")
                       ? QStringLiteral("HWCV/JCV 待ち受けList の作成は中止されました ")
                       : QStringLiteral("Wanted List のファイル書き込みは中止されました ");
    if (!error.isEmpty()) text += "\r\n" + error;
    MsgBox(text, vbOKOnly, kProgressTitle);
    path.clear();
  }
  enableAfterWantedList();
  closingSteps(path);
}

// ---- Text exports and the register

void ListDialog::MakeAcagDat() {
  const QString path = JoinPath(Settings.DataFolder, "acag.dat");
  if (!WriteAcagDat(path, TodayJst())) {
    MsgBox(QStringLiteral("acag.datの作成に失敗しました "), vbOKOnly);
    return;
  }
  Hamlog.LastResult = ShellOpen(path);
}

void ListDialog::MakeQthData() {
  CommonDialog& d = sheet_->CommonDialog1;
  d.DialogTitle = QStringLiteral("QTHデータのﾌｧｲﾙ名を指定します");
  d.Filter = QStringLiteral("(*.TXT)|*.TXT|");
  d.Flags = cdlOFNPathMustExist | cdlOFNHideReadOnly;
  d.InitDir = Settings.DataFolder;
  d.FileName = QStringLiteral("OriginalQTHdata");
  if (!d.ShowSave()) return;
  if (!WriteQthDataFile(d.FileName)) {
    MsgBox(QStringLiteral("QTHデータの書き込みに失敗しました") + "\r\n" + d.FileName, vbOKOnly);
    return;
  }
  Hamlog.LastResult = ShellOpen(d.FileName);
}

void ListDialog::OpenSeiribo() {
  CWSHEET& s = *sheet_;
  s.Label2.setText(QStringLiteral("読み込み中です　ＱＲＸ"));
  s.Frame1.show();
  s.Frame1.raise();
  DoEvents();
  Form<SeiriboSheet>().Show();
}

void ListDialog::FindInSeiribo(const QString& code) {
  sheet_->StatusBar1.SetPanelText(5, SeiriboRegister().Note(code));
}
