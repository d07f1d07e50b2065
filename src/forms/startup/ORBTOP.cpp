#include "forms/startup/ORBTOP.h"

#include <QApplication>
#include <QClipboard>
#include <QFont>
#include <QScopeGuard>

#include "core/BandLayout.h"
#include "core/DesignatedCities.h"
#include "core/HamlogAccess.h"
#include "core/MasterList.h"
#include "core/MasterTable.h"
#include "core/QsoRules.h"
#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "core/StartupSettings.h"
#include "forms/awards/ACCset.h"
#include "forms/awards/LeagueStationRun.h"
#include "forms/logbook/MemoDAT.h"
#include "forms/sheet/CWSHEET.h"
#include "forms/startup/OrbexTips.h"
#include "platform/clock.h"
#include "platform/hamlog/hamlog.h"
#include "platform/paths.h"
#include "platform/ui/color.h"
#include "platform/ui/doevents.h"
#include "platform/ui/msgbox.h"
#include "platform/vbfile.h"
#include "platform/vbstrings.h"
#include "rig/RigPortState.h"
#include "rig/RigSettings.h"
#include "sheet/WorkFileStamp.h"

StartWindowHooksState StartWindowHooks;

namespace {

constexpr int kVersionMajor = 5;
constexpr int kVersionMinor = 0;
constexpr int kVersionRevision = 0;

const QString kTitle = "ORBEX5";
const QString kOldHamlog = "HAMLOGのバージョンが古いです、Ver5.00までは上げて下さい";
const QString kWelcome = "ご利用ありがとうございます、まず環境設定をお願いします。";
const QString kIncomplete = "環境設定が不完全です、HAMLOGﾃﾞｰﾀの指定漏れと思われます。";
const QString kUnregistered = "HAMLOG.HDB の場所未登録";
const QString kCounter = "ｶｳﾝﾀ";
const QString kStartCaption = "読み込み開始";

constexpr int32_t kIdleButton = 0xC0C0C0;
constexpr int32_t kBusyButton = 0xC0FFC0;
constexpr int32_t kCategoryBack = 0xC0FFC0;
constexpr int32_t kDateBack = 0xFFFFC0;

// Work files of the sheet and the outputs; DMYDBS.DAT stays for the next start.
const char* const kWorkFiles[] = {"FOREXCEL.DAT", "FOREXCELsp.DAT", "ORBEX_MEMO.TXT",
                                  "DMYMST.dat",   "DMYSBMST.dat",   "dmyQTHdata.dat"};

QString today() { return TodayJst().toString("yyyyMMdd"); }

// What to set while the settings dialog is not there to ask for it.
QString settingsHint() {
  if (StartWindowHooks.ShowSettingsDialog) return {};
  return vbCrLf + vbCrLf + "設定ファイル " + IniFilePath() + " の [ORB] に" + vbCrLf +
         "  MYCALL=自局のコールサイン" + vbCrLf + "  HAMLOGexePOS=Hamlogw.exe の場所" + vbCrLf +
         "  HAMLOGPOS=HAMLOG.HDB の場所" + vbCrLf + "を書いてから起動し直して下さい。";
}

// HAMLOG's code master is not beside the database: the folder (up to the database's last separator)
// and the master's file name.
QString masterMissingText(const QString& masterPath, const QString& hdbPath) {
  const qsizetype k = std::max(hdbPath.lastIndexOf(u'\\'), hdbPath.lastIndexOf(u'/')) + 1;
  return "指定されたデータフォルダ " + masterPath.left(k) + " に" + vbCrLf + masterPath.mid(k) + "が必要です";
}

// HAMLOG's code master beside the database: "HDB" at the end becomes "MST".
QString masterPathOf(const QString& hdbPath) { return hdbPath.left(hdbPath.size() - 3) + "MST"; }

bool isUpperOrDigit(int c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z'); }

}  // namespace

QString StartWindowCaption(int major, int minor, int revision) {
  QString caption = QString("ORBEX5    Ver %1.%2").arg(major).arg(minor, 2, 10, QChar(u'0'));
  if (revision != 0) caption += QString::number(revision, 16).toUpper();
  return caption;
}

ORBTOP::ORBTOP() {
  buildLayout();
  wireHandlers();
}

void ORBTOP::buildLayout() {
  setWindowTitle(kTitle);
  Move(0, 0, 9000, 4560);
  QFont big = Label1.font();
  big.setPointSizeF(big.pointSizeF() * 1.8);
  big.setBold(true);
  Label1.setFont(big);
  Label1.Move(240, 120, 2640, 540);
  Label5.Move(3000, 120, 5760, 720);
  Label5.setWordWrap(true);
  Label4.Move(240, 720, 2640, 270);
  Label10.Move(3000, 900, 1260, 270);
  Label11.Move(4260, 900, 1200, 270);
  Label13.Move(5640, 900, 900, 270);
  SetForeColor(Label13, vbRed);
  Label4.setVisible(false);
  Label13.setVisible(false);

  Frame2.Move(240, 1260, 4200, 1380);
  Label7.Move(120, 330, 540, 270);
  Label7.setToolTip("ここをダブルクリックすると初期日付１９５２年７発２９日（ORBスタート日）になります");
  Text7.Move(720, 300, 1260, 315);
  Label8.Move(2070, 330, 240, 270);
  Text8.Move(2400, 300, 1260, 315);
  Label6.Move(120, 810, 600, 270);
  Combo1.Move(720, 780, 1560, 315);
  Text6.Move(2400, 780, 1260, 315);
  Text6.setToolTip("対象とするモード");
  Text6.setReadOnly(true);
  for (TextBox* t : {&Text7, &Text8}) {
    t->setMaxLength(8);
    SetBackColor(*t, kDateBack);
  }
  Text7.setToolTip("対象となる期間の初め、８桁でお願いします");
  Text8.setToolTip("対象となる期間の終わり");

  Frame1.Move(4560, 1260, 4200, 1380);
  Frame1.setToolTip("県外移動にQSL区分をつければ除外できます");
  for (int box = 1; box <= 5; ++box) {
    TextBox& t = categoryBox(box);
    t.Move(360 + (box - 1) * 780, 540, 480, 480);
    t.setMaxLength(1);
    t.setAlignment(Qt::AlignCenter);
  }
  SetBackColor(Text1, vbRed);
  SetForeColor(Text1, vbWhite);
  Text1.setToolTip("QSL区分が P のQSOはカウントしません");
  for (int box = 2; box <= 5; ++box) {
    SetBackColor(categoryBox(box), kCategoryBack);
    SetForeColor(categoryBox(box), vbRed);
  }

  Check1.Move(240, 2820, 3600, 330);
  Check1.setToolTip("データ量が多いと毎回大変ですよねぇ");
  Command1.Move(4560, 2760, 4200, 780);
  SetBackColor(Command1, kIdleButton);
  Label9.Move(240, 3240, 3600, 300);
  Picture1.setVisible(false);

  // Entries of windows that are not part of the program yet, and the ones that never were.
  for (Menu* m : {&SETCFG,      &MODCH,   &ACCchk,   &aGrigFLDSrh, &aGrigSrh,     &aGrigSrh100,
                  &aGrigSrhDX,  &w10,     &w18,      &w24,        &w1000,       &v50,          &v144,
                  &v430,        &v1000,   &v1200,    &v2400,      &v5600,       &v10G,         &v24G,
                  &v47G,        &v77G,    &v135K,    &v475K,      &JCCchk,       &xDXCC,
                  &ELDER_AWARD, &jarlweb, &MichiGet, &PEND,        &OnePointHelp, &hlp})
    m->SetEnabled(false);
}

void ORBTOP::wireHandlers() {
  myMemo.Click = [this] {
    myMemo.SetEnabled(false);
    MemoDAT::ShowHelpMemo();
  };
  Command1.Click = [this] { Command1_Click(); };
  Check1.Click = [this] { Check1_Click(); };
  Label7.DblClick = [this] { Text7.setText("19520729"); };
  SETCFG.Click = [] {
    if (StartWindowHooks.ShowSettingsDialog) StartWindowHooks.ShowSettingsDialog();
  };
  // Award views.
  ACCmodeset.Click = [] { Form<ACCset>().Show(); };
  JARLstn.Click = [] { ChooseLeagueStationBand(); };

  for (int box = 1; box <= 5; ++box) {
    TextBox& t = categoryBox(box);
    t.GotFocus = [&t] { t.SetSelStart(0); };
    if (box == 1) {
      t.KeyPress = [this](int& k) { Text1_KeyPress(k); };
      t.Change = [this] { ClearStartWithPreviousData(); };
      t.KeyDown = [this](int& keyCode, int) {
        if (keyCode == vbKeyBack || keyCode == vbKeyDelete) ClearStartWithPreviousData();
      };
    } else {
      t.KeyPress = [this, box](int& k) { CategoryBox_KeyPress(box, k); };
      t.Change = [this, box] { CategoryBox_Change(box); };
    }
  }
  for (TextBox* t : {&Text7, &Text8}) t->GotFocus = [t] { t->SetSelStart(0); };
  Text7.KeyPress = [this](int& k) { DateBox_KeyPress(Text7, k); };
  Text7.Change = [this] { Text7_Change(); };
  Text8.KeyPress = [this](int& k) {
    const bool backspace = k == vbKeyBack;
    DateBox_KeyPress(Text8, k);
    if (!backspace) ClearStartWithPreviousData();
  };
}

TextBox& ORBTOP::categoryBox(int box) {
  TextBox* boxes[] = {&Text1, &Text2, &Text3, &Text4, &Text5};
  return *boxes[box - 1];
}

// ---- Start-up

void ORBTOP::Form_Load() {
  installHooks();
  SETCFG.SetEnabled(static_cast<bool>(StartWindowHooks.ShowSettingsDialog));
  Settings.HelpFilePath = JoinPath(ProgramFolder(), "ORBEX5.chm");
  if (!loadDesignatedCities()) return;
  CleanIniViewPos();
  HamlogDllVersion = ThdllVersionNumber(GetThdllVersion()).value_or(0);

  SetHeight(4560);
  KeyPreview = true;
  resetSharedFlags();
  setWindowTitle(StartWindowCaption(kVersionMajor, kVersionMinor, kVersionRevision));
  WriteInternetShortcuts();

  const StartupReading reading = ReadStartupSettings();
  LoadedStartDate = reading.LoadedStartDate;
  applyBoxes(reading);
  failures_ = reading.Failures;
  if (reading.HamlogExeMissing) {
    Label1.setText(reading.MyCallMissing ? "設定を！" : Settings.MyCall);
    incompleteSetupStart();
    return;
  }
  showDatabase();
  if (reading.HamlogPosMissing) {
    Label5.setText(kUnregistered);
    SetForeColor(Label5, vbRed);
    if (reading.MyCallMissing) Label1.setText("設定を！");
    incompleteSetupStart();
    return;
  }
  checkDatabaseFile();
  if (reading.MyCallMissing) {
    Label1.setText("設定を！");
    firstRunStart();
    return;
  }
  normalStart();
}

void ORBTOP::ReturnFromSheet(bool previousUsable) {
  Check1.SetValue(previousUsable ? 1 : 0);
  if (previousUsable) {
    Text6.setText(ReadConditions.SelMode);
    Combo1.SetText(ReadConditions.SelMode);
  }
  Label9.setText(QStringLiteral("ｶｳﾝﾀ"));
  Command1.setEnabled(true);
  Hamlog.HdbRecordCount = CountHdbRecords();
  Label11.setText(QString::number(Hamlog.HdbRecordCount));
  Show();
}

void ORBTOP::installHooks() {
  MasterList.ClearStartWithPreviousData = [] {
    if (ORBTOP* top = LoadedForm<ORBTOP>()) top->ClearStartWithPreviousData();
  };
  BandLayoutHooks.StartWindowBandMenus = [](int32_t extended) {
    ORBTOP* top = LoadedForm<ORBTOP>();
    if (!top) return;
    for (Menu* m : {&top->v135K, &top->v475K, &top->v10G, &top->v24G, &top->v47G, &top->v77G})
      m->SetVisible(extended == 1);
    if (extended == 1) {
      top->v135K.SetEnabled(false);
      top->v475K.SetEnabled(false);
    }
  };
}

// False when the definitions are unusable: the operator was told and the program ends.
bool ORBTOP::loadDesignatedCities() {
  const int32_t definitions = LoadDesignatedCityDef(BadDefinitionLine);
  if (definitions == 0) {
    endProgramWithMessage(
        "政令指定都市定義ファイル (政令指定都市定義.txt) が存在しないか書式が正しくありません" + vbCrLf +
        "この先進めませんので終了します");
    return false;
  }
  if (definitions == -1) {
    endProgramWithMessage("政令指定都市定義ファイル (政令指定都市定義.txt) の " +
                          QString::number(BadDefinitionLine) + " 行目(コメント行は除く)が異常です" + vbCrLf +
                          "市名,ＪＣＣコード,発足日(yyyymmdd) が正しく区切られているか確認下さい。");
    return false;
  }
  return true;
}

void ORBTOP::showDatabase() {
  Label1.setText(Settings.MyCall);
  Text8.setText(today());
  Label5.setText("HAMLOG.HDB = " + vbCrLf + Hamlog.HamlogDbPath);
  SetForeColor(Label5, vbBlack);
  Frame1.setVisible(true);
  Frame2.setVisible(true);
  Check1.setVisible(true);
}

// A database that is not there is shown in red and told later; its stored date is kept.
void ORBTOP::checkDatabaseFile() {
  Settings.CurrentHdbDate = FileDateTime(Hamlog.HamlogDbPath);
  hdbFound_ = !Settings.CurrentHdbDate.isEmpty();
  if (hdbFound_) {
    WriteIni("ORB", "DBSDate", Settings.CurrentHdbDate);
    Check1.SetValue(WorkFileStillValid() ? 1 : 0);
  } else {
    Label5.setText("HAMLOG.HDB が見つかりません" + vbCrLf + Hamlog.HamlogDbPath);
    SetForeColor(Label5, vbRed);
  }
}

void ORBTOP::resetSharedFlags() {
  Hamlog.HamlogClosed = 1;
  Settings.HamlogShare = "0";
  QsoRules.FreqErrorFound = 0;
  StartFlags.TipsOnRequest = 0;
  StartFlags.AbortReading = 0;
  StartFlags.StartWithPreviousData = 0;
  Label9.setText(kCounter);
}

void ORBTOP::applyBoxes(const StartupReading& r) {
  const StartupBoxes& b = r.Boxes;
  for (int box = 1; box <= 5; ++box) categoryBox(box).setText(b.QslBoxes[box - 1]);
  Text6.setText(b.ModeBox);
  Combo1.Clear();
  for (const QString& item : b.ModeListItems) Combo1.AddItem(item);
  Combo1.SetText(b.ModeListText);
  Text7.setText(b.StartDateBox);
  Label4.setVisible(b.OwnQthLabel);
}

void ORBTOP::normalStart() {
  StartFlags.CfgFromSettings = 0;
  if (HamlogDllVersion < 500) MsgBox(kOldHamlog, vbOKOnly | vbCritical, kTitle);

  ReadHamlogShareSetting();
  Label13.setVisible(false);
  if (Settings.HamlogShare == "1") {
    Settings.HamlogShareResult = SetHamlogShare();
    Label13.setVisible(Settings.HamlogShareResult != 0);
    if (Settings.HamlogShareResult == 0)
      MsgBox("共有モードが有効に出来ません HAMLOG側の共有設定を確認下さい");
  }
  if (hdbFound_) {
    Hamlog.HdbRecordCount = CountHdbRecords();
    Label11.setText(QString::number(Hamlog.HdbRecordCount));

    MasterList.MasterFilePath = masterPathOf(Hamlog.HamlogDbPath);
    if (FindFileOnPath(MasterList.MasterFilePath).isEmpty())
      MsgBox(masterMissingText(MasterList.MasterFilePath, Hamlog.HamlogDbPath));
  }

  ReadRigSettings(failures_);

  if (!hdbFound_)
    MsgBox("HAMLOG.HDB が見つかりません" + vbCrLf + Hamlog.HamlogDbPath + vbCrLf +
           "HAMLOG.HDB の場所 ([ORB] HAMLOGPOS) を確認下さい。設定はそのまま残してあります。");
  reportFailures();
  showStartWindowTips(0);
}

void ORBTOP::firstRunStart() {
  Text8.setText(today());
  ReadConditions.ExcludedQslKinds = {"P", "", "", "", ""};
  ReadConditions.SelMode = "MIX";
  Combo1.SetText("MIX");
  for (int i = 0; i < 5; ++i)
    WriteIni("LASTCONDX", QString("QSL%1").arg(i + 1), ReadConditions.ExcludedQslKinds[i]);
  WriteIni("LASTCONDX", "SELMODE", ReadConditions.SelMode);
  Settings.WantedListType = "1";
  WriteIni("ORB", "WNTP", "1");
  Frame1.setVisible(true);
  Frame2.setVisible(true);
  Check1.setVisible(true);
  if (!hdbFound_) {
    Label5.setText(kUnregistered);
    SetForeColor(Label5, vbRed);
  }
  StartFlags.CfgFromSettings = 0;
  if (HamlogDllVersion < 500)
    MsgBox(kWelcome + vbCrLf + kOldHamlog + settingsHint(), vbOKOnly | vbCritical, kTitle);
  else
    MsgBox(kWelcome + settingsHint());
  reportFailures();
  showStartWindowTips(1);
}

void ORBTOP::incompleteSetupStart() {
  StartFlags.CfgFromSettings = 0;
  if (HamlogDllVersion < 500)
    MsgBox(kIncomplete + vbCrLf + kOldHamlog + settingsHint(), vbOKOnly | vbCritical, kTitle);
  else
    MsgBox(kIncomplete + vbCrLf + "Hamlogw.exe や Hamlog.hdb の場所とかの指定" + settingsHint());
  reportFailures();
}

void ORBTOP::reportFailures() {
  if (failures_.isEmpty()) return;
  MsgBox("ORBEX5.INI の次の設定値は使えないので既定値で起動します。" + vbCrLf + failures_.join(vbCrLf));
  failures_.clear();
}

void ORBTOP::showStartWindowTips(int32_t onRequest) {
  StartFlags.TipsPath = "ORBEX_TopTips.TXT";
  if (FindFileOnPath(StartFlags.TipsPath).isEmpty()) {
    StartFlags.TipsMode = 0;
    return;
  }
  StartFlags.TipsMode = 1;
  StartFlags.TipsOnRequest = onRequest;
  if (OrbexTips* tips = &Form<OrbexTips>(); LoadedForm<OrbexTips>() == tips) tips->Show();
}

void ORBTOP::endProgramWithMessage(const QString& text) {
  MsgBox(text, vbOKOnly | vbCritical);
  Unload(vbFormCode);
}

// ---- Closing and keys

void ORBTOP::Form_QueryUnload(int& cancel, int unloadMode) {
  if (unloadMode != vbFormControlMenu) return;
  for (const char* name : kWorkFiles) {
    const QString path = JoinPath(ProgramFolder(), name);
    if (FileExists(path) == 1) Kill(path);
  }
  QApplication::clipboard()->clear();
  for (VbForm* f : LoadedForms()) {
    if (f == this) continue;
    if (!f->Unload(vbFormCode)) {
      cancel = 1;
      return;
    }
  }
}

void ORBTOP::Form_KeyDown(int& keyCode, int /*shift*/) {
  if (keyCode == vbKeyEscape) {
    StartFlags.InterruptCode = 1;
    StartFlags.AbortReading = 1;
  }
}

// ---- Reading conditions

void ORBTOP::Check1_Click() { StartFlags.StartWithPreviousData = Check1.Value() == 1 ? 1 : 0; }

void ORBTOP::Text1_KeyPress(int& k) {
  if (k == vbKeyBack) return;
  if (k >= 'a' && k <= 'z') k -= 32;
  if (!isUpperOrDigit(k)) {
    k = 0;
    return;
  }
  Text1.SetSelLength(1);
}

void ORBTOP::CategoryBox_KeyPress(int box, int& k) {
  if (k == vbKeyBack) return;
  if (k >= 'a' && k <= 'z') k -= 32;
  if (!isUpperOrDigit(k) && k != ' ' && k != '-' && k != '~') {
    k = 0;
    return;
  }
  TextBox& t = categoryBox(box);
  if (t.text().isEmpty()) t.setText(QString(QChar(k)));
  k = 0;
  categoryBox(box == 5 ? 2 : box + 1).setFocus();
}

void ORBTOP::CategoryBox_Change(int box) {
  TextBox& t = categoryBox(box);
  if (t.text().startsWith(u' ')) {
    SetBackColor(t, vbRed);
    t.setToolTip("スペースが除外文字として入っています。");
  } else {
    SetBackColor(t, kCategoryBack);
    t.setToolTip(QString());
  }
  ClearStartWithPreviousData();
}

void ORBTOP::DateBox_KeyPress(TextBox& box, int& k) {
  if (k == vbKeyBack) return;
  if (k < '0' || k > '9') {
    k = 0;
    return;
  }
  box.SetSelLength(1);
}

void ORBTOP::Text7_Change() {
  ReadConditions.StartDate = Text7.text();
  if (Text7.text() != LoadedStartDate) ClearStartWithPreviousData();
}

// ---- Reading

// While reading, the operator's close box is refused: the job pumps events and must not find its
// windows gone when it resumes.
void ORBTOP::BeginReading() {
  if (!reading_) {
    reading_ = true;
    LockClose();
  }
  StartFlags.AbortReading = 0;
  SetMousePointer(vbHourglass);
  DoEvents();
  Label9.setText("読込中");
  DoEvents();
  setReadingInputsEnabled(false);
  DoEvents();
  for (int i = 0; i < 5; ++i) ReadConditions.ExcludedQslKinds[i] = categoryBox(i + 1).text();
  ReadConditions.SelMode = Text6.text();
  ReadConditions.StartDate = Text7.text();
  ReadConditions.EndDate = Text8.text();
}

void ORBTOP::EndReading() {
  if (reading_) {
    reading_ = false;
    UnlockClose();
  }
  SetMousePointer(vbDefault);
  Label9.setText(kCounter);
  setReadingInputsEnabled(true);
}

void ORBTOP::setReadingInputsEnabled(bool on) {
  for (QWidget* w : std::initializer_list<QWidget*>{&Command1, &Combo1, &Text1, &Text2, &Text3, &Text4,
                                                    &Text5, &Text7, &Text8, &Check1, &Frame2})
    w->setEnabled(on);
  MENU.SetEnabled(on);
  helpmenu.SetEnabled(on);
}

int32_t ORBTOP::CheckHamlogReady() {
  HamlogDllVersion = ThdllVersionNumber(GetThdllVersion()).value_or(0);
  if (HamlogDllVersion < 503) {
    MsgBox("HAMLOGのバージョンが古いです、Ver5.03までは上げて下さい", vbOKOnly | vbCritical, kTitle);
    MasterList.MasterRecLen = HamlogDllVersion < 500 ? 49 : 55;
    MasterList.MasterHeaderLen = HamlogDllVersion < 500 ? 242 : 236;
    return 1;
  }
  MasterList.MasterRecLen = 56;
  bool numeric = false;
  const double product = GetHamlogVersion().left(4).toDouble(&numeric);
  MasterList.MasterHeaderLen = numeric && std::nearbyint(product * 100) > 534 ? 235 : 347;

  Hamlog.HdbRecordCount = CountHdbRecords();
  Label11.setText(QString::number(Hamlog.HdbRecordCount));
  DoEvents();
  if (Hamlog.HdbRecordCount <= 0) return 1;

  if (Settings.UseOwnQthData == 0) {
    MasterList.MasterFilePath = masterPathOf(Hamlog.HamlogDbPath);
    const QString found = FindFileOnPath(MasterList.MasterFilePath);
    if (found.isEmpty()) {
      MsgBox(masterMissingText(MasterList.MasterFilePath, Hamlog.HamlogDbPath));
      return 1;
    }
    MasterList.MasterRowCap = static_cast<int32_t>((FileLen(found) - 290) / MasterList.MasterRecLen);
    // Shorter than its header and one record: no code to read, and no table to size.
    if (MasterList.MasterRowCap < 1) return 1;
  } else {
    VbFile in(MasterList.QthDataPath, VbMode::Input);
    if (!in.IsOpen()) {
      MsgBox("File Open Error です");
      return 1;
    }
    int32_t lines = 0;
    QString line;
    while (in.LineInput(line)) ++lines;
    if (lines == 0) return 1;
    MasterList.MasterRowCap = lines;
  }
  MasterTable.Redim(BandLayout.KindColumn, std::max<int32_t>(MasterList.MasterRowCap, 0));
  return 0;
}

void ORBTOP::Command1_Click() {
  // The checks pump events before the button is disabled: a second click then must not start a second
  // reading, nor a close unload the window under this handler.
  if (starting_) return;
  starting_ = true;
  LockClose();
  const auto done = qScopeGuard([this] {
    starting_ = false;
    UnlockClose();
  });

  if (CheckHamlogReady() == 1) return;
  if (Text6.text() == "DIGITAL" && Settings.DigitalModes.isEmpty()) {
    MsgBox("Digitalモードの内訳設定がありません" + vbCrLf + "「環境設定」から選択設定下さい。");
    return;
  }
  for (const QString& path :
       {JoinPath(ProgramFolder(), "DMYMST.txt"), JoinPath(ProgramFolder(), "DMYSBMST.txt"),
        JoinPath(Settings.DataFolder, "FreqError_Report.txt")})
    if (FileExists(path) == 1) Kill(path);
  UnloadForm<OrbexTips>();

  QString jaOnly;
  ReadIni("ORB", "JA_Only", jaOnly);
  Settings.JaOnly = jaOnly == "1" ? "1" : "0";

  BeginReading();
  for (int i = 0; i < 5; ++i)
    WriteIni("LASTCONDX", QString("QSL%1").arg(i + 1), ReadConditions.ExcludedQslKinds[i]);
  WriteIni("LASTCONDX", "SELMODE", ReadConditions.SelMode);
  WriteIni("LASTCONDX", "STARTdate", ReadConditions.StartDate);
  SetBackColor(Command1, kBusyButton);
  Command1.setText("読み込み中です" + vbCrLf + "ＱＲＸ！");
  DoEvents();

  // A sheet whose load failed has told why and unloaded itself; the start window then stays.
  QString failure;
  bool sheetUp = false;
  try {
    if (StartWindowHooks.ShowProgressSheet) {
      sheetUp = StartWindowHooks.ShowProgressSheet();
    } else {
      Form<CWSHEET>().Show();
      sheetUp = IsLoaded<CWSHEET>();
    }
  } catch (const std::exception& e) {
    failure = QString::fromUtf8(e.what());
  }
  if (!LoadedForm<ORBTOP>()) return;
  if (!failure.isEmpty())
    MsgBox(failure);
  else if (sheetUp)
    Hide();
  SetBackColor(Command1, kIdleButton);
  Command1.setText(kStartCaption);
  StartFlags.CfgFromSettings = 0;
  StartFlags.AbortReading = 0;
  EndReading();
}
