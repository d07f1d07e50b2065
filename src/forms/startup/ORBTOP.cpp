#include "forms/startup/ORBTOP.h"

#include <QApplication>
#include <QClipboard>
#include <QFont>
#include <QLineEdit>
#include <QScopeGuard>
#include <cerrno>

#include "awards/BandStationList.h"
#include "core/BandLayout.h"
#include "core/DesignatedCities.h"
#include "core/HamlogAccess.h"
#include "core/MasterList.h"
#include "core/MasterTable.h"
#include "core/ModeList.h"
#include "core/ProgramHelp.h"
#include "core/QsoRules.h"
#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "core/SpotRelay.h"
#include "core/StartupSettings.h"
#include "forms/awards/ACCset.h"
#include "forms/awards/AwardSheetRuns.h"
#include "forms/awards/AwardWindows.h"
#include "forms/awards/LeagueStationRun.h"
#include "forms/logbook/MemoDAT.h"
#include "forms/awards/MichinoekiSheet.h"
#include "forms/sheet/CWSHEET.h"
#include "forms/startup/ORBEX_CFG.h"
#include "forms/startup/OrbexTips.h"
#include "platform/clock.h"
#include "platform/hamlog/hamlog.h"
#include "platform/paths.h"
#include "platform/ui/color.h"
#include "platform/ui/doevents.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/shell.h"
#include "platform/ui/snapshot.h"
#include "platform/vbdate.h"
#include "platform/vbfile.h"
#include "platform/vbstrings.h"
#include "platform/vbnumber.h"
#include "rig/RigLink.h"
#include "rig/RigPortState.h"
#include "rig/RigSettings.h"
#include "sheet/WorkFileStamp.h"

StartWindowHooksState StartWindowHooks;

namespace {

const QString kTitle = "ORBEX5";
// The end box's design text: no end to the reading period.
const QString kOpenEnd = "99999999";
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

QString today() { return TodayJst().toString("yyyyMMdd"); }

// HAMLOG's code master is not beside the database: the folder (up to the database's last separator)
// and the master's file name.
QString masterMissingText(const QString& masterPath, const QString& hdbPath) {
  const qsizetype k = std::max(hdbPath.lastIndexOf(u'\\'), hdbPath.lastIndexOf(u'/')) + 1;
  return "指定されたデータフォルダ " + masterPath.left(k) + " に" + vbCrLf + masterPath.mid(k) + "が必要です";
}

// HAMLOG's code master beside the database: "HDB" at the end becomes "MST".
QString masterPathOf(const QString& hdbPath) { return hdbPath.left(hdbPath.size() - 3) + "MST"; }

// Why the code master beside the database cannot give the sheet its codes; "" when it can.
QString masterProblem(const QString& masterPath, const QString& hdbPath) {
  if (IsFolder(masterPath)) return FileFaultText(RealPath(masterPath), " を読めません", EISDIR);
  const QString found = FindFileOnPath(masterPath);
  if (found.isEmpty()) return masterMissingText(masterPath, hdbPath);
  if ((FileLen(found) - 290) / std::max(MasterList.MasterRecLen, 1) >= 1) return {};
  return found + " は " + QString::number(FileLen(found)) + " バイトしかなく、コードが1件もありません。" +
         vbCrLf + "HAMLOG でコードマスターを作り直すか、バックアップから戻して下さい。";
}

bool isUpperOrDigit(int c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z'); }

}  // namespace

QString StartWindowCaption(int major, int minor, int revision) {
  QString caption = QString("ORBEX5    Ver %1.%2").arg(major).arg(minor, 2, 10, QChar(u'0'));
  if (revision != 0) caption += QString::number(revision, 16).toUpper();
  return caption;
}

namespace {

class SpotRelayListener : public RigListener {
 public:
  explicit SpotRelayListener(ORBTOP& top) : top_(top) {}
  void RigPolled() override { top_.RelaySpotAfterPoll(); }

 private:
  ORBTOP& top_;
};

}  // namespace

ORBTOP::ORBTOP() {
  buildLayout();
  wireHandlers();
  // The rig is polled on this window's timer.
  Timer2.Timer = [] { RigPollTick(); };
  SetRigPollTimer(&Timer2);
  spotRelay_ = std::make_unique<SpotRelayListener>(*this);
  AddRigListener(spotRelay_.get());
}

// The link must not keep a timer that goes with this window.
ORBTOP::~ORBTOP() {
  RemoveRigListener(spotRelay_.get());
  if (&RigPollTimer() == &Timer2) SetRigPollTimer(nullptr);
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

  Combo1.setToolTip("ﾓｰﾄﾞ追加はここに書いてEnterを押せば追加できます");

  // Entries that never were available, and the two bands that have no list.
  for (Menu* m : {&aGrigFLDSrh, &ELDER_AWARD, &v135K, &v475K}) m->SetEnabled(false);
}

void ORBTOP::wireHandlers() {
  myMemo.Click = [this] {
    myMemo.SetEnabled(false);
    if (!MemoDAT::ShowHelpMemo()) myMemo.SetEnabled(true);
  };
  Command1.Click = [this] { Command1_Click(); };
  Check1.Click = [this] { Check1_Click(); };
  Label7.DblClick = [this] { Text7.setText("19520729"); };
  SETCFG.Click = [this] { showSettingsDialog(); };
  MODCH.Click = [this] { MODCH_Click(); };
  JCCchk.Click = [this] { JCCchk_Click(); };
  jarlweb.Click = [] { ShellOpen(Settings.AwardEntryPageUrl); };
  OnePointHelp.Click = [this] { OnePointHelp_Click(); };
  hlp.Click = [] { OpenHelpPage(kHelpStartWindow); };
  PEND.Click = [this] { PEND_Click(); };
  Combo1.Click = [this] { Combo1_Click(); };
  const std::pair<Menu*, const char*> bandLists[] = {
      {&w10, "10"},     {&w18, "18"},     {&w24, "24"},     {&w1000, "ALL"}, {&v50, "50"},
      {&v144, "144"},   {&v430, "430"},   {&v1000, "VUALL"}, {&v1200, "1200"}, {&v2400, "2400"},
      {&v5600, "5600"}, {&v10G, "10G"},   {&v24G, "24G"},   {&v47G, "47G"},  {&v77G, "77G"}};
  for (const auto& [menu, key] : bandLists) {
    const QString bandKey = QString::fromLatin1(key);
    menu->Click = [this, bandKey] { MakeBandStationList(bandKey); };
  }
  Combo1.KeyPress = [this](int& k) { Combo1_KeyPress(k); };
  // Award views.
  ACCmodeset.Click = [] { Form<ACCset>().Show(); };
  ACCchk.Click = [] { SelectMemberList(); };
  aGrigSrh.Click = [] { SelectSquareSheet(); };
  aGrigSrh100.Click = [] { SelectSubSquareSheet(); };
  aGrigSrhDX.Click = [] { SelectWasaSheet(); };
  xDXCC.Click = [] { ShowDxccSheet(); };
  JARLstn.Click = [] { ChooseLeagueStationBand(); };
  MichiGet.Click = [] { OpenMichinoekiSheet(); };

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
  Settings.HelpFilePath = JoinPath(ProgramFolder(), "help");
  if (!loadDesignatedCities(true)) return;
  if (const QString encoding = IniForeignEncoding(); !encoding.isEmpty()) {
    // Read as it is, a Japanese path comes out garbled and the settings look incomplete.
    endProgramWithMessage(IniFilePath() + " は " + encoding + " で保存されています。" + vbCrLf +
                          "ORBEX5.INI は Windows-31J (Shift_JIS) で保存して下さい。" + vbCrLf +
                          "この先進めませんので終了します");
    return;
  }
  if (IsFolder(IniFilePath())) {
    endProgramWithMessage(IniFilePath() + " がフォルダーなので設定を読み書きできません。" + vbCrLf +
                          "このフォルダーの名前を変えるか別の場所へ移して下さい。" + vbCrLf +
                          "この先進めませんので終了します");
    return;
  }
  CleanIniViewPos();
  HamlogDllVersion = ThdllVersionNumber(GetThdllVersion()).value_or(0);

  SetHeight(4560);
  KeyPreview = true;
  resetSharedFlags();
  setWindowTitle(StartWindowCaption(kProgramVersionMajor, kProgramVersionMinor, kProgramVersionRevision));
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

void ORBTOP::tickPrevious(bool usable) {
  Check1.SetValue(usable ? 1 : 0);
  tickedOnStamp_ = usable ? HamlogStampNow() : QString();
}

void ORBTOP::ReturnFromSheet(bool previousUsable) {
  tickPrevious(previousUsable);
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

// The definitions as the file holds them now. False when they are unusable: the operator was told, and
// at the start the program ends; at a reading the reading does not start and the definitions before stay.
bool ORBTOP::loadDesignatedCities(bool atStart) {
  const DesignatedCityDefState before = DesignatedCityDef;
  const int32_t definitions = LoadDesignatedCityDef(BadDefinitionLine);
  const QString file = "政令指定都市定義ファイル (政令指定都市定義.txt) ";
  QString why;
  if (definitions == 0)
    why = file + "が存在しないか書式が正しくありません";
  else if (definitions == -2)
    why = file + "は " + DesignatedCityDef.FileEncoding + " で保存されています。" + vbCrLf +
          "Windows-31J (Shift_JIS) で保存して下さい (このままでは市名が化けます)。";
  else if (definitions == -1)
    why = file + "の " + QString::number(BadDefinitionLine) + " 行目(コメント行は除く)が異常です" + vbCrLf +
          "市名,ＪＣＣコード,発足日(yyyymmdd) が正しく区切られているか確認下さい。";
  if (why.isEmpty()) return true;
  if (atStart) {
    endProgramWithMessage(definitions == -1 ? why : why + vbCrLf + "この先進めませんので終了します");
    return false;
  }
  DesignatedCityDef = before;
  MsgBox(why + vbCrLf + "読み込みを始めませんでした。直してから「読み込み開始」を押して下さい。",
         vbOKOnly | vbExclamation, kTitle);
  return false;
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
  // What a copy killed while writing the log left is completed before the log is first used here, and
  // what could not be is told once.
  bool completed = true;
  if (IsFile(Hamlog.HamlogDbPath))
    if (const QString told = RecoverHamlogAtStart(&completed); !told.isEmpty())
      MsgBox(told, vbOKOnly | vbExclamation, kTitle);
  Settings.CurrentHdbDate = FileDateTime(Hamlog.HamlogDbPath);
  hdbFound_ = !Settings.CurrentHdbDate.isEmpty();
  if (hdbFound_) {
    WriteIni("ORB", "DBSDate", Settings.CurrentHdbDate);
    // A write left unfinished: the work file cannot be known to match the log.
    const WorkFileState work = completed ? CheckWorkFile() : WorkFileState::LogChanged;
    tickPrevious(work == WorkFileState::Valid);
    if (work == WorkFileState::Damaged) MsgBox(WorkFileDamagedText(), vbOKOnly | vbExclamation, kTitle);
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
  Combo1.AddItem("MIX");
  for (const QString& item : b.ModeListItems) Combo1.AddItem(item);
  ModeChosen = static_cast<int32_t>(WholeNumber(Settings.ModeCount).value_or(0));
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
    if (const QString problem = masterProblem(MasterList.MasterFilePath, Hamlog.HamlogDbPath);
        !problem.isEmpty())
      MsgBox(problem);
  }

  ReadRigSettings(failures_);

  if (!hdbFound_)
    MsgBox(HamlogOpenFailureText(HAMLOG_MISSING) + vbCrLf +
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
    MsgBox(kWelcome + vbCrLf + kOldHamlog, vbOKOnly | vbCritical, kTitle);
  else
    MsgBox(kWelcome);
  reportFailures();
  showStartWindowTips(1);
  showSettingsDialog();
}

void ORBTOP::incompleteSetupStart() {
  StartFlags.CfgFromSettings = 0;
  if (HamlogDllVersion < 500)
    MsgBox(kIncomplete + vbCrLf + kOldHamlog, vbOKOnly | vbCritical, kTitle);
  else
    MsgBox(kIncomplete + vbCrLf + "Hamlogw.exe や Hamlog.hdb の場所とかの指定");
  reportFailures();
  showSettingsDialog();
}

// The settings dialog, modeless, in front of the start window.
void ORBTOP::showSettingsDialog() {
  ORBEX_CFG& cfg = Form<ORBEX_CFG>();
  if (!LoadedForm<ORBEX_CFG>()) return;
  cfg.Show();
  cfg.raise();
}

void ORBTOP::reportFailures() { ReportUnusableSettings(failures_); }

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

// Help windows belong to the desktop's viewer here and stay; only the operator's close ends the rest.
void ORBTOP::Form_QueryUnload(int& cancel, int unloadMode) {
  if (unloadMode != vbFormControlMenu) return;
  DeleteWorkFilesOnExit();
  ClearClipboard();
  if (!unloadOtherWindows()) cancel = 1;
}

// Each window's own unload handling runs (the sheet closes its port and HAMLOG). False when one of
// them refused, for a job of its own that still runs.
bool ORBTOP::unloadOtherWindows() {
  for (VbForm* f : LoadedForms()) {
    if (f == this) continue;
    if (!f->Unload(vbFormCode)) return false;
  }
  return true;
}

void ORBTOP::PEND_Click() {
  DeleteWorkFilesOnExit();
  ClearClipboard();
  if (!unloadOtherWindows()) return;
  Unload(vbFormCode);
}

void ORBTOP::Form_KeyDown(int& keyCode, int shift) {
  if (keyCode == vbKeyEscape) {
    StartFlags.InterruptCode = 1;
    StartFlags.AbortReading = 1;
  } else if (keyCode == vbKeyP && shift == vbAltMask) {
    SaveClipboardSnapshot(Picture1, "ORBEX_TOP.bmp");
  }
}

// ---- Menus

void ORBTOP::OnePointHelp_Click() {
  StartFlags.TipsMode = 1;
  StartFlags.TipsOnRequest = 1;
  StartFlags.TipsPath = "ORBEX_TopTips.TXT";
  if (FindFileOnPath(StartFlags.TipsPath).isEmpty()) {
    StartFlags.TipsMode = 0;
    MsgBox("Tips File " + StartFlags.TipsPath + " が見つかりませんでした。", vbOKOnly, kTitle);
    return;
  }
  if (OrbexTips* tips = &Form<OrbexTips>(); LoadedForm<OrbexTips>() == tips) tips->Show();
}

void ORBTOP::JCCchk_Click() {
  MsgBox(QStringList{"JCC / JCG のチェックは「読み込み開始」で", "進捗状況表を作成してから可能となります",
                     "注！ 東京２３区は　区コードデータがあるもののみ「東京23区」へ変換されます。",
                     "ORBEX5の特性？として諦めて下さい　m(__)m"}
             .join(vbCrLf),
         vbOKOnly, kTitle);
}

// The sheet is only read, never loaded, for the relay: the poll runs while the sheet has the port.
void ORBTOP::RelaySpotAfterPoll() {
  QString call, code;
  if (CWSHEET* sheet = LoadedForm<CWSHEET>()) {
    call = sheet->Text3.text();
    code = sheet->Label1.text();
  }
  RelaySpot(RigPortState.FreqHz, call, code, RigPortState.ModeText);
}

void ORBTOP::MakeBandStationList(const QString& bandKey) {
  const BandStationListDef* def = FindBandStationList(bandKey);
  if (!def) return;
  Hamlog.HdbRecordCount = CountHdbRecords();
  Label11.setText(QString::number(Hamlog.HdbRecordCount));
  DoEvents();
  if (HamlogOpenDb() != 0) {
    HamlogCloseDb(0);
    MsgBox(WithOpenFailureCause("HAMLOGデータがOpen出来ません。"), vbOKOnly, kTitle);
    return;
  }
  BeginReading();
  BandStationScan scan;
  {
    const auto done = qScopeGuard([this] {
      HamlogCloseDb(0);
      EndReading();
    });
    scan = ScanBandStations(*def);
  }
  if (!scan.AnyPassed) return;
  const QString path = BandStationListPath(*def);
  if (!scan.FileWritten) {
    MsgBox(FileFaultText(path, vbCrLf + "が書き込めませんでした", scan.WriteError), vbOKOnly | vbExclamation,
           kTitle);
    return;
  }
  if (!SortBandStationList(*def)) return;
  if (const QString text = BandStationCountMessage(*def, scan.Count); !text.isEmpty()) MsgBox(text, vbOKOnly, kTitle);
  Hamlog.LastResult = ShellOpen(path);
}

// ---- Mode list

QStringList ORBTOP::storedModes() const {
  QStringList modes;
  const int32_t count = WholeNumber(Settings.ModeCount).value_or(0);
  for (int i = 1; i <= count && i < Combo1.ListCount(); ++i) modes << Combo1.List(i);
  return modes;
}

int32_t ORBTOP::insertStoredMode(const QString& mode) {
  const int32_t count = WholeNumber(Settings.ModeCount).value_or(0);
  Combo1.AddItem(mode, count + 1);
  if (Combo1.ListCount() == count + 2) Combo1.AddItem("DIGITAL");
  Settings.ModeCount = QString::number(count + 1);
  return count + 1;
}

void ORBTOP::reportIniWriteFailure() {
  MsgBox("設定ファイル " + IniFilePath() + " に書き込めませんでした。" + vbCrLf + "モードの一覧は今回の起動の間だけ有効です。",
         vbOKOnly | vbExclamation, kTitle);
}

void ORBTOP::Combo1_Click() {
  const int index = Combo1.ListIndex();
  if (index < 0) return;
  Text6.setText(Combo1.List(index).toUpper());
  ModeChosen = index;
  ClearStartWithPreviousData();
  Command1.setFocus();
}

void ORBTOP::Combo1_KeyPress(int& k) {
  if (k == vbKeyReturn) {
    k = 0;
    const QString typed = Combo1.Text();
    if (typed.isEmpty())
      deleteChosenMode();
    else
      addMode(typed);
    return;
  }
  if (k == vbKeyBack) return;
  if (k >= 'a' && k <= 'z') k -= 32;
  if (!isUpperOrDigit(k)) {
    k = 0;
    return;
  }
  // A name never grows past four characters while it is typed.
  const QLineEdit* edit = Combo1.lineEdit();
  if (edit && edit->text().size() >= kModeNameLength && !edit->hasSelectedText()) k = 0;
}

void ORBTOP::addMode(const QString& typed) {
  const QString name = typed.toUpper();
  if (const QString problem = ModeNameProblem(name); !problem.isEmpty()) {
    MsgBox(problem + vbCrLf + "「" + typed + "」は登録しませんでした。", vbOKOnly, kTitle);
    return;
  }
  // The new key and the count only: the keys before it stay as they are.
  ModeChosen = insertStoredMode(name);
  const bool countStored = WriteIni("ORB", "MODEC", Settings.ModeCount);
  if (!WriteIni("ORB", "MODE" + Settings.ModeCount, name) || !countStored) reportIniWriteFailure();
  if (QLineEdit* edit = Combo1.lineEdit()) edit->selectAll();
}

void ORBTOP::deleteChosenMode() {
  if (Text6.text() == "MIX") {
    MsgBox("これは削除できません", vbOKOnly, kTitle);
    Combo1.SetText("MIX");
    return;
  }
  const int32_t count = WholeNumber(Settings.ModeCount).value_or(0);
  // "MIX" and "DIGITAL" are not stored modes.
  if (Combo1.ListCount() <= 1 || ModeChosen < 1 || ModeChosen > count) {
    MsgBox("これは削除できません", vbOKOnly, kTitle);
    return;
  }
  Combo1.RemoveItem(ModeChosen);
  QStringList modes;
  for (int i = 1; i < count && i < Combo1.ListCount(); ++i) modes << Combo1.List(i).toUpper();
  if (!StoreModes(modes)) reportIniWriteFailure();
  ModeChosen = static_cast<int32_t>(modes.size());
}

void ORBTOP::MODCH_Click() {
  Hamlog.HdbRecordCount = CountHdbRecords();
  Label11.setText(QString::number(Hamlog.HdbRecordCount));
  if (HamlogOpenDb() != 0) {
    HamlogCloseDb(0);
    MsgBox(WithOpenFailureCause("HAMLOGデータがOpen出来ません。"), vbOKOnly, kTitle);
    return;
  }
  BeginReading();
  bool completed = false;
  {
    const auto done = qScopeGuard([this] {
      HamlogCloseDb(0);
      EndReading();
    });
    QStringList known;
    for (int i = 1; i < Combo1.ListCount(); ++i) known << Combo1.List(i);
    bool writeFailed = false;
    completed = CollectHamlogModes(known, [&](const QString& mode) {
      insertStoredMode(mode);
      writeFailed |= !WriteIni("ORB", "MODEC", Settings.ModeCount);
      writeFailed |= !WriteIni("ORB", "MODE" + Settings.ModeCount, mode);
    });
    if (writeFailed) reportIniWriteFailure();
  }
  if (!completed) return;
  ModeChosen = WholeNumber(Settings.ModeCount).value_or(0);
  const std::optional<QString> selMode = ReadIniKey("LASTCONDX", "SELMODE");
  const QString shown = selMode && ModeChosen >= 1 ? *selMode : QString("MIX");
  ReadConditions.SelMode = selMode.value_or("LASTCONDX");
  Text6.setText(shown);
  Combo1.SetText(shown);
  MsgBox("モードの読み込み＆設定が完了しました。", vbOKOnly, kTitle);
}

// ---- Reading conditions

void ORBTOP::Check1_Click() {
  StartFlags.StartWithPreviousData = Check1.Value() == 1 ? 1 : 0;
  tickedOnStamp_.clear();
}

void ORBTOP::Text1_KeyPress(int& k) {
  if (k == vbKeyBack) return;
  if (k >= 'a' && k <= 'z') k -= 32;
  if (!isUpperOrDigit(k)) {
    k = 0;
    return;
  }
  Text1.TypeOver();
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
  box.SetSelLength(1);  // a date keeps its eight digits: each typed one replaces one
}

void ORBTOP::Text7_Change() {
  ReadConditions.StartDate = Text7.text();
  if (Text7.text() != LoadedStartDate) ClearStartWithPreviousData();
}

// ---- Reading

void ORBTOP::ShowReadStatus(const QString& text) {
  // The counter ("読込中 n/N") goes after the note; the steps after the reading leave the note up.
  static const QString reading = QStringLiteral("読込中");
  if (readingNote_.isEmpty())
    Label9.setText(text);
  else
    Label9.setText(readingNote_ + (text.startsWith(reading) ? text.mid(reading.size()) : QString()));
}

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
  readingNote_.clear();
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
    // Shorter than its header and one record: no code to read, and no table to size.
    if (const QString problem = masterProblem(MasterList.MasterFilePath, Hamlog.HamlogDbPath);
        !problem.isEmpty()) {
      MsgBox(problem);
      return 1;
    }
    const QString found = FindFileOnPath(MasterList.MasterFilePath);
    MasterList.MasterRowCap = static_cast<int32_t>((FileLen(found) - 290) / MasterList.MasterRecLen);
  } else {
    VbFile in(MasterList.QthDataPath, VbMode::Input);
    if (!in.IsOpen()) {
      MsgBox("File Open Error です" + vbCrLf + FileFaultText(in.Path(), " を開けません", in.ErrorNumber()));
      return 1;
    }
    int32_t lines = 0;
    QString line;
    while (in.LineInput(line)) ++lines;
    if (lines == 0) {
      MsgBox(in.Path() + " に QTH データが1件もありません。");
      return 1;
    }
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

  // The conditions are checked before anything is written: a period that is no period would read no
  // QSO and leave an empty work file in place of the last one.
  for (TextBox* box : {&Text7, &Text8})
    if (!IsEightDigitDate(box->text()) && !(box == &Text8 && box->text() == kOpenEnd)) {
      MsgBox("読込期間の日付「" + box->text() + "」が正しくありません。" + vbCrLf +
                 "年月日を８桁の数字で入れて下さい (例 19520729)。",
             vbOKOnly | vbExclamation, kTitle);
      box->setFocus();
      return;
    }
  if (Text7.text() > Text8.text()) {
    MsgBox("読込期間の初め (" + Text7.text() + ") が終わり (" + Text8.text() + ") より後です。",
           vbOKOnly | vbExclamation, kTitle);
    Text7.setFocus();
    return;
  }
  if (CheckHamlogReady() == 1) return;
  if (Text6.text() == "DIGITAL" && Settings.DigitalModes.isEmpty()) {
    MsgBox("Digitalモードの内訳設定がありません" + vbCrLf + "「環境設定」から選択設定下さい。");
    return;
  }
  // Edited while the program runs, they count from this reading on.
  if (!loadDesignatedCities(false)) return;
  for (const QString& path :
       {JoinPath(ProgramFolder(), "DMYMST.txt"), JoinPath(ProgramFolder(), "DMYSBMST.txt")})
    if (FileExists(path) == 1) Kill(path);
  UnloadForm<OrbexTips>();

  QString jaOnly;
  ReadIni("ORB", "JA_Only", jaOnly);
  Settings.JaOnly = jaOnly == "1" ? "1" : "0";

  // The window's own tick was decided when it came; the log may have changed since (a card entered in
  // HAMLOG meanwhile): the previous data stand only when they still are what a reading gives. The
  // operator's own tick stands, but not for data of an earlier version's band rule, which put QSOs on
  // other bands than a reading does now.
  const bool ticked = StartFlags.StartWithPreviousData == 1;
  const bool recheck = ticked && !tickedOnStamp_.isEmpty() && tickedOnStamp_ != HamlogStampNow();
  WorkFileState previous = recheck ? CheckWorkFile() : WorkFileState::Valid;
  if (ticked && previous == WorkFileState::Valid && WorkFileOfEarlierBandRule())
    previous = WorkFileState::EarlierBandRule;
  if (previous != WorkFileState::Valid) {
    Check1.SetValue(0);
    StartFlags.StartWithPreviousData = 0;
  }
  // The report of the previous reading lists the QSOs of no band of the data the sheet is to show
  // again; a reading of the log reports its own.
  if (const QString report = JoinPath(Settings.DataFolder, "FreqError_Report.txt");
      StartFlags.StartWithPreviousData != 1 && FileExists(report) == 1)
    Kill(report);

  BeginReading();
  if (previous == WorkFileState::LogChanged)
    readingNote_ = QStringLiteral("HAMLOG変更あり 全件読込中");
  else if (previous != WorkFileState::Valid)
    readingNote_ = QStringLiteral("前回データ不可 全件読込中");
  if (!readingNote_.isEmpty()) Label9.setText(readingNote_);
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

void DeleteWorkFilesOnExit() {
  for (const char* name :
       {"FOREXCEL.DAT", "FOREXCELsp.DAT", "ORBEX_MEMO.TXT", "DMYMST.dat", "DMYSBMST.dat", "dmyQTHdata.dat"}) {
    const QString path = JoinPath(ProgramFolder(), name);
    if (FileExists(path) == 1) Kill(path);
  }
}
