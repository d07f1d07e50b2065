#include "forms/startup/ORBEX_CFG.h"

#include <exception>

#include "core/BandLayout.h"
#include "core/HamlogAccess.h"
#include "core/MasterList.h"
#include "core/ProgramHelp.h"
#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "core/StartupSettings.h"
#include "forms/awards/ACCSheet.h"
#include "forms/awards/AwardWindows.h"
#include "forms/logbook/TEMP_LOG.h"
#include "forms/rig/RigCFG.h"
#include "forms/sheet/CFG.h"
#include "forms/sheet/CWSHEET.h"
#include "forms/startup/ORBTOP.h"
#include "platform/codepage.h"
#include "platform/paths.h"
#include "platform/ui/color.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/shell.h"
#include "platform/ui/twips.h"
#include "platform/vbnumber.h"
#include "platform/vbstrings.h"

namespace {

constexpr int32_t kSetColor = 0xC0FFC0;
constexpr int kPickerFlags = cdlOFNHideReadOnly | cdlOFNFileMustExist;  // 4100

void markButton(QWidget& button, bool set) { SetBackColor(button, set ? kSetColor : vbButtonFace); }

QString onOff(bool on) { return on ? "1" : "0"; }

// The folder part of a path: the text before its last separator ("" when it has none).
QString folderOf(const QString& path) {
  const qsizetype k = std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
  return k < 0 ? QString() : path.left(k);
}

QString fileNameOf(const QString& path) {
  const qsizetype k = std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
  return path.mid(k + 1);
}

bool isCallSignCharacter(QChar c) {
  const char16_t u = c.unicode();
  return (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '/';
}

const QString kCallSignRule = "コールサインに使えるのは英大文字・数字と / だけです";

}  // namespace

ORBEX_CFG::ORBEX_CFG() {
  buildLayout();
  wireHandlers();
}

void ORBEX_CFG::buildLayout() {
  setWindowTitle("環境設定");
  Move(0, 0, 11400, 9360);

  Frame1.Move(120, 120, 2400, 720);
  Text1.Move(120, 300, 2160, 330);
  Command6.Move(2640, 180, 2640, 420);
  Label2.Move(5400, 180, 5760, 420);
  Label2.setWordWrap(true);
  Label11.Move(2640, 660, 8520, 270);
  Command10.Move(2640, 960, 2640, 420);
  Label10.Move(5400, 960, 5760, 420);
  Label10.setWordWrap(true);
  Check8.Move(120, 1500, 2400, 300);
  Check4.Move(2640, 1500, 2880, 300);
  Check7.Move(5640, 1500, 2880, 300);
  Check6.Move(120, 1860, 4200, 300);
  Check1.Move(4440, 1860, 3600, 300);
  Check3.Move(120, 2220, 5400, 300);
  Check3.SetValue(1);
  Check5.Move(120, 2580, 2400, 300);
  Command1.Move(2640, 2520, 2160, 420);
  Label4.Move(4920, 2520, 6240, 420);
  Label4.setWordWrap(true);

  Frame2.Move(120, 3060, 11160, 2640);
  Check2.Move(120, 300, 3000, 300);
  Label1.Move(3240, 300, 3000, 300);
  Label5.Move(120, 660, 1200, 300);
  int left = 1320;
  for (TextBox* box : MarkBoxes()) {
    box->Move(left, 640, 420, 330);
    box->setMaxLength(1);
    box->setAlignment(Qt::AlignCenter);
    left += 480;
  }
  Label8.Move(1320, 1000, 6000, 270);
  Label6.Move(120, 1360, 4200, 300);
  Text2.Move(4440, 1340, 600, 330);
  Text2.setMaxLength(1);
  Command7.Move(120, 1740, 3000, 380);
  Command7.setToolTip("QS印刷ソフトの場所を指定します");
  Label3.Move(3240, 1740, 7800, 380);
  Command18.Move(120, 2180, 3000, 380);
  Command18.setToolTip("MMQSLの印刷定義ファイルを指定します");
  Label9.Move(3240, 2180, 6600, 380);
  Text23.Move(10080, 2180, 600, 330);
  Text23.setToolTip("MMQSLで印刷した場合の発行済みマークです");

  Frame3.Move(120, 5820, 6600, 1380);
  Option7[0].setText("eQSL");
  Option7[0].Move(120, 300, 1500, 300);
  Option7[1].setText("QSOBank");
  Option7[1].Move(1740, 300, 1500, 300);
  Command13.Move(120, 720, 2160, 420);
  Command14.Move(2400, 720, 1800, 420);
  Label28.Move(4320, 300, 1800, 300);
  Text9.Move(4320, 720, 600, 330);
  Text9.setMaxLength(1);

  Frame4.Move(6840, 5820, 1800, 1380);
  Text24.Move(240, 480, 1200, 330);
  Text24.setMaxLength(3);
  Command8.Move(8760, 5880, 2520, 420);
  Command4.Move(8760, 6360, 2520, 420);
  Command5.Move(8760, 6840, 2520, 420);

  Command3.Move(120, 7380, 2880, 420);
  Label7.Move(3120, 7380, 8160, 420);
  Label7.setWordWrap(true);
  Frame5.Move(3120, 5820, 3600, 3000);
  List1.Move(120, 300, 2160, 2520);
  List1.SetMultiSelect(1);
  Command2.Move(2400, 300, 1080, 420);
  Command9.Move(2400, 840, 1080, 420);
  Frame5.setVisible(false);
  Frame5.raise();
  Picture1.setVisible(false);
}

void ORBEX_CFG::wireHandlers() {
  // Every handler that writes settings tells at its end which writes did not reach the file.
  auto act = [this](void (ORBEX_CFG::*handler)()) {
    return [this, handler] {
      (this->*handler)();
      reportFailedWrites();
    };
  };
  CFGEND.Click = act(&ORBEX_CFG::CFGEND_Click);
  CFGHLP.Click = [] { OpenHelpPage(kHelpSettings); };
  CallRigCFG.Click = [this] { Form<RigCFG>().Show(vbModeless, this); };
  Command4.Click = [] {
    StartFlags.CfgFromSettings = 1;
    Cfg.CfgMode = 0;
    Form<CFG>().Show();
  };
  Command5.Click = [this] { Command5_Click(); };

  Text1.KeyPress = [this](int& k) { Text1_KeyPress(k); };
  Text1.Change = [this] { Text1_Change(); };
  Text2.KeyPress = [this](int& k) { OverwriteKeyPress(Text2, k); };
  Text2.Change = [this] {
    // A mark typed full-width is the half-width mark HAMLOG keeps, as in the received-mark boxes.
    if (const QString narrow = NarrowText(Text2.text()); narrow != Text2.text())
      Text2.setText(narrow);
    else
      Settings.HamLogQslMark = Text2.text();
  };
  Text9.KeyPress = [this](int& k) { OverwriteKeyPress(Text9, k); };
  Text9.Change = [this] { Settings.EqslMark = Text9.text(); };
  Text23.Change = [this] { Settings.QslSendMark = Text23.text(); };
  Text24.KeyPress = [this](int& k) { Text24_KeyPress(k); };
  const std::array<TextBox*, 15> marks = MarkBoxes();
  for (int slot = 0; slot < 15; ++slot)
    marks[slot]->Change = [this, slot] {
      MarkBox_Change(slot);
      if (!loading_) reportFailedWrites();
    };

  // During the load the writes are told once, at its end.
  auto check = [this](void (ORBEX_CFG::*handler)()) {
    return [this, handler] {
      (this->*handler)();
      if (!loading_) reportFailedWrites();
    };
  };
  Check1.Click = check(&ORBEX_CFG::Check1_Click);
  Check2.Click = check(&ORBEX_CFG::Check2_Click);
  Check4.Click = check(&ORBEX_CFG::Check4_Click);
  Check5.Click = check(&ORBEX_CFG::Check5_Click);
  Check6.Click = check(&ORBEX_CFG::Check6_Click);
  Check7.Click = check(&ORBEX_CFG::Check7_Click);
  Check8.Click = check(&ORBEX_CFG::Check8_Click);
  Option7.Bind(&OptionButton::Click, [this](int index) {
    Option7_Click(index);
    if (!loading_) reportFailedWrites();
  });

  Command6.Click = act(&ORBEX_CFG::Command6_Click);
  Command10.Click = act(&ORBEX_CFG::Command10_Click);
  Command1.Click = act(&ORBEX_CFG::Command1_Click);
  Command13.Click = act(&ORBEX_CFG::Command13_Click);
  Command7.Click = act(&ORBEX_CFG::Command7_Click);
  Command18.Click = act(&ORBEX_CFG::Command18_Click);
  Command8.Click = act(&ORBEX_CFG::Command8_Click);
  Command14.Click = act(&ORBEX_CFG::Command14_Click);
  Command3.Click = [this] { Command3_Click(); };
  Command2.Click = act(&ORBEX_CFG::Command2_Click);
  Command9.Click = [this] { Command9_Click(); };
}

// ---- Opening

void ORBEX_CFG::Form_Load() {
  loading_ = true;
  try {
    loadSettings();
  } catch (const std::exception& e) {
    MsgBox("ORBEX5-CFG ERROR" + vbCrLf + IniFilePath() + " の設定を読む途中で止まりました (" +
           QString::fromLocal8Bit(e.what()) + ")");
  }
  loading_ = false;
  reportFailedWrites();
}

void ORBEX_CFG::loadSettings() {
  SharedSettingsState& s = Settings;
  KeyPreview = true;
  Text9.setText(s.EqslMark);
  Label11.setText("↓Hamlog本体(Hamlogw.exe)とHDBファイルが別フォルダにある場合指定して下さい");
  CallRigCFG.SetVisible(true);

  Check6.SetValue(s.ExtendedBandSet == 1 ? 1 : 0);
  Check7.SetValue(s.FreqErrReport == "1" ? 1 : 0);

  positionTop_ = ReadIni("CFGPOS", "CFGPOSTop");
  positionLeft_ = ReadIni("CFGPOS", "CFGPOSLeft");
  // A position that is no number counts as none.
  const std::optional<int32_t> top = WholeNumber(positionTop_);
  MoveToStoredPlace(top, WholeNumber(positionLeft_).value_or(0));
  SetHeight(9360);

  Hamlog.HamlogDbPath = ReadIniOr("ORB", "HAMLOGPOS", "");
  const bool hdb = Hamlog.HamlogDbPath.toUpper().contains("HDB");
  markButton(Command6, hdb);
  Label2.setText(hdb ? Hamlog.HamlogDbPath : "Log-DataBaseは現在設定されていません。");

  Hamlog.HamlogExePath = ReadIniOr("ORB", "HAMLOGexePOS", "");
  const bool exe = Hamlog.HamlogExePath.toUpper().contains("W.EXE");
  if (!exe) Hamlog.HamlogExePath.clear();
  markButton(Command10, exe);
  Label10.setText(exe ? Hamlog.HamlogExePath : "現在設定されていません。");

  s.QslProgramPath = ReadIni("ORB", "HLQSL");
  const QString program = s.QslProgramPath.toUpper();
  const bool qsl = program.contains("MMQSL") || program.contains("HLQSL");
  markButton(Command7, qsl);
  Label3.setText(qsl ? s.QslProgramPath : "QSL印刷ソフトは現在設定されていません。");

  s.MmqslDefFile = ReadIniOr("ORB", "MMQSL", "");
  s.QslSendMark = ReadIniOr("ORB", "QSLSendMark", "");
  Text23.setText(s.QslSendMark);
  const bool mql = s.MmqslDefFile.toUpper().contains("MMQSL");
  markButton(Command18, mql);
  Label9.setText(mql ? s.MmqslDefFile : "MMQSL印刷定義ファイルは現在設定されていません。");

  Check4.SetValue(s.HlynConfirm == 1 ? 1 : 0);
  Check8.SetValue(s.HamlogShare == "1" ? 1 : 0);

  s.JaOnly = ReadIni("ORB", "JA_Only");
  if (s.JaOnly != "1") {
    Check1.SetValue(0);
    s.JaOnly = "0";
  } else {
    Check1.SetValue(1);
  }

  s.HamLogQslMark = NarrowText(ReadIniOr("ORB", "HamLogQSLMK", ""));
  Text2.setText(s.HamLogQslMark);

  const std::array<TextBox*, 15> marks = MarkBoxes();
  s.QslReceivedMarks[0] = ReadIniOr("ORB", "QSL_RCV", "*");
  marks[0]->setText(s.QslReceivedMarks[0]);
  for (int i = 1; i <= 14; ++i) {
    s.QslReceivedMarks[i] = ReadIniOr("ORB", QString("QSL_RCV%1").arg(i), "");
    marks[i]->setText(s.QslReceivedMarks[i]);
  }

  s.QslRcvOnly = ReadIni("ORB", "QSL_RCVa");
  if (s.QslRcvOnly == "YES") {
    Check2.SetValue(1);
  } else {
    Check2.SetValue(0);
    s.QslRcvOnly = "NO";
  }

  s.Rst599 = ReadIniOr("ORB", "RST599", "599");
  Text24.setText(s.Rst599);

  s.EqslType = ReadIni("E-QSL", "eQSL_type") == "1" ? "1" : "0";
  Option7[s.EqslType == "1" ? 1 : 0].SetValue(true);

  eqslMesgCopy_ = ReadIniOr("E-QSL", "eQSL_Mesg", "");
  s.EqslMesg = eqslMesgCopy_;
  markButton(Command14, !eqslMesgCopy_.isEmpty());
  s.EqslReady = eqslMesgCopy_.isEmpty() ? 0 : 1;

  s.PutQsoData = ReadIni("E-QSL", "PutQSOData");
  if (s.PutQsoData != "E-QSL" && !s.PutQsoData.isEmpty()) {
    Command13.setToolTip("電子QSL送信機は現在　" + s.PutQsoData + " が設定されています。");
    markButton(Command13, true);
    s.EqslReady = 1;
  } else {
    markButton(Command13, false);
    Command13.setToolTip("未設定");
    s.EqslReady = 0;
  }

  Label4.setText(MasterList.QthDataPath);
  Check5.SetValue(s.UseOwnQthData == 1 ? 1 : 0);
  Command1.setEnabled(s.UseOwnQthData == 1);
  markButton(Command1, !MasterList.QthDataPath.isEmpty());

  Text1.setText(s.MyCall == "ORB" ? QString() : s.MyCall);
  acceptedCall_ = Text1.text();

  Command18.setEnabled(s.QslProgramPath.toUpper().contains("MMQSL.EXE"));
  Label7.setText(s.DigitalModes);
}

// ---- Closing

void ORBEX_CFG::CFGEND_Click() {
  storeOnClose(false);
  Unload(vbFormCode);
}

void ORBEX_CFG::Form_QueryUnload(int& /*cancel*/, int unloadMode) {
  // Only the operator's close box stores; an unload by the program or the session stores nothing.
  if (unloadMode != vbFormControlMenu) return;
  storeOnClose(true);
  reportFailedWrites();
}

// Both ways of closing store the same settings; the close box keeps the stored position when the
// window sits at the top edge or above it.
void ORBEX_CFG::storeOnClose(bool byCloseBox) {
  SharedSettingsState& s = Settings;
  if (!byCloseBox || Top() > 0) {
    store("CFGPOS", "CFGPOSTop", QString::number(Top()));
    store("CFGPOS", "CFGPOSLeft", QString::number(Left()));
  }
  store("ORB", "HLYN", s.Hlyn);
  store("ORB", "HamLogQSLMK", Text2.text());
  store("E-QSL", "eQSL_Mark", Text9.text());
  store("ORB", "UseorgQTH", onOff(Check5.Value() == 1));
  store("ORB", "QSLSendMark", s.QslSendMark);
  s.Rst599 = Text24.text();
  store("ORB", "RST599", s.Rst599);
  s.MyCall = Text1.text();
  store("ORB", "MYCALL", s.MyCall);
  if (byCloseBox) {
    const std::array<TextBox*, 15> marks = MarkBoxes();
    store("ORB", "QSL_RCV", marks[0]->text());
    for (int i = 1; i <= 14; ++i) store("ORB", QString("QSL_RCV%1").arg(i), marks[i]->text());
  }
  s.QslProgramSet = QslProgramSetOf(s.QslProgramPath);
}

void ORBEX_CFG::store(const QString& section, const QString& key, const QString& value) {
  if (!WriteIni(section, key, value)) failedWrites_ << QString("[%1] %2").arg(section, key);
}

void ORBEX_CFG::reportFailedWrites() {
  if (failedWrites_.isEmpty()) return;
  const QStringList failed = failedWrites_;
  failedWrites_.clear();
  MsgBox("設定ファイル " + IniFilePath() + " に書き込めませんでした。" + vbCrLf +
             "次の設定は今回の起動の間だけ有効です。" + vbCrLf + failed.join(vbCrLf),
         vbOKOnly | vbExclamation);
}

void ORBEX_CFG::Form_KeyDown(int& keyCode, int shift) {
  if (keyCode == vbKeyP && shift == vbAltMask) SaveClipboardSnapshot(Picture1, "ORBEX_CFG.bmp");
}

void ORBEX_CFG::Command5_Click() {
  if (ShellOpen(IniFilePath()) <= 32)
    MsgBox("環境ﾌｧｲﾙがOPEN出来ませんでした、" + IniFilePath() + " をﾃｷｽﾄｴﾃﾞｨﾀで編集してください");
}

// ---- Text boxes

void ORBEX_CFG::Text1_KeyPress(int& k) {
  if (k >= 'a' && k <= 'z') k -= 32;
  if (k == vbKeyBack) return;
  if (k < 32) return;  // Enter, Tab and the other control keys type nothing
  if (!isCallSignCharacter(QChar(k))) {
    k = 0;
    MsgBox(kCallSignRule);
    return;
  }
  Text1.TypeOver(10);
}

// Text that arrives other than by typing (pasted) is held to the same characters; a stored call sign
// is shown as it stands.
void ORBEX_CFG::Text1_Change() {
  const QString text = Text1.text();
  for (QChar c : text) {
    if (!loading_ && !isCallSignCharacter(c)) {
      MsgBox(kCallSignRule);
      Text1.setText(acceptedCall_);
      return;
    }
  }
  acceptedCall_ = text;
  Settings.MyCall = text;
  if (ORBTOP* top = LoadedForm<ORBTOP>()) top->Label1.setText(text);
}

void ORBEX_CFG::OverwriteKeyPress(TextBox& box, int& k) {
  k = NarrowAnsiCode(k);  // these boxes hold one-byte marks
  if (k >= 'a' && k <= 'z') k -= 32;
  if (k == vbKeyBack) return;
  box.TypeOver();
}

void ORBEX_CFG::Text24_KeyPress(int& k) {
  if (k == vbKeyBack) return;
  if (k < '0' || k > '9') {
    k = 0;
    return;
  }
  Text24.TypeOver();
}

void ORBEX_CFG::MarkBox_Change(int slot) {
  // A mark typed full-width through the input method is the half-width mark HAMLOG keeps.
  TextBox& box = *MarkBoxes()[slot];
  if (const QString narrow = NarrowText(box.text()); narrow != box.text()) {
    box.setText(narrow);  // and its change stores it
    return;
  }
  const QString text = box.text();
  Settings.QslReceivedMarks[slot] = text;
  store("ORB", slot == 0 ? QString("QSL_RCV") : QString("QSL_RCV%1").arg(slot), text);
}

// ---- Switches

void ORBEX_CFG::Check1_Click() {
  Settings.JaOnly = onOff(Check1.Value() == 1);
  store("ORB", "JA_Only", Settings.JaOnly);
}

void ORBEX_CFG::Check2_Click() {
  Settings.QslRcvOnly = Check2.Value() == 1 ? "YES" : "NO";
  store("ORB", "QSL_RCVa", Settings.QslRcvOnly);
}

void ORBEX_CFG::Check4_Click() {
  Settings.Hlyn = Check4.Value() == 1 ? "YES" : "NO";
  Settings.HlynConfirm = Check4.Value() == 1 ? 1 : 0;
}

void ORBEX_CFG::Check5_Click() {
  Settings.UseOwnQthData = Check5.Value() == 1 ? 1 : 0;
  Command1.setEnabled(Settings.UseOwnQthData == 1);
  if (ORBTOP* top = LoadedForm<ORBTOP>()) top->Label4.setVisible(Settings.UseOwnQthData == 1);
}

// The stored tally no longer fits another band set: the next reading starts afresh. The load only
// shows the set in force: nothing switches then, so the totals' band range and the frequency report
// survive an opening of the dialog.
void ORBEX_CFG::Check6_Click() {
  if (loading_) return;
  const auto keepBandSet = [this] {
    loading_ = true;
    Check6.SetValue(Settings.ExtendedBandSet == 1 ? 1 : 0);
    loading_ = false;
  };
  if (bandSetViewsBusy()) {
    MsgBox(QStringLiteral("読み込みや出力の処理中はバンド構成を切り替えられません。") + vbCrLf +
           QStringLiteral("処理が終わってから切り替えて下さい。"));
    keepBandSet();
    return;
  }
  // The views laid out for the old set go first; one that keeps unsaved work keeps the old set too.
  if (!closeBandSetViews()) {
    MsgBox(QStringLiteral("閉じられない画面があるため、バンド構成を切り替えませんでした。") + vbCrLf +
           QStringLiteral("その画面の内容を保存してから切り替えて下さい。"));
    keepBandSet();
    return;
  }
  Settings.ExtendedBandSet = Check6.Value() == 1 ? 1 : 0;
  store("ORB", "exp_Band", QString::number(Settings.ExtendedBandSet));
  ApplyBandSetLayout();
  if (ORBTOP* top = LoadedForm<ORBTOP>()) top->Check1.SetValue(0);
  StartFlags.StartWithPreviousData = 0;
  const QString report = JoinPath(Settings.DataFolder, "FreqError_Report.txt");
  if (FileExists(report) == 1) Kill(report);
  store("ORB", "BANDST", "");
  store("ORB", "BANDED", "");
}

bool ORBEX_CFG::bandSetViewsBusy() const {
  const ORBTOP* top = LoadedForm<ORBTOP>();
  const CWSHEET* sheet = LoadedForm<CWSHEET>();
  const ACCSheet* award = LoadedForm<ACCSheet>();
  return (top && top->Reading()) || (sheet && sheet->Busy()) || (award && award->Filling());
}

// The sheet, its totals and book, an award sheet and the display settings were laid out for the other
// band set: they go, and the operator is told which.
bool ORBEX_CFG::closeBandSetViews() {
  QStringList closed;
  if (ACCSheet* award = LoadedForm<ACCSheet>()) {
    const QString title = award->windowTitle();
    if (!award->Unload()) return false;
    closed << QStringLiteral("  ") + title;
  }
  if (CWSHEET* sheet = LoadedForm<CWSHEET>()) {
    if (!sheet->ReturnToStartWindow(this, false)) return false;
    closed << QStringLiteral("  進捗シート (集計表、ORB本など)");
  }
  if (CFG* display = LoadedForm<CFG>()) {
    if (!display->Unload()) return false;
    closed << QStringLiteral("  表示項目設定");
  }
  if (closed.isEmpty()) return true;
  MsgBox(QStringLiteral("バンド構成を切り替えるため、前のバンド構成で開いていた次の画面を閉じました。") + vbCrLf +
         closed.join(vbCrLf) + vbCrLf + QStringLiteral("「読み込み開始」やメニューから開き直して下さい。"));
  return true;
}

void ORBEX_CFG::Check7_Click() {
  Settings.FreqErrReport = onOff(Check7.Value() == 1);
  store("ORB", "FreqErrReport", Settings.FreqErrReport);
}

// A failed start is stored as asked, so the next start-up tries again.
void ORBEX_CFG::Check8_Click() {
  ORBTOP* top = LoadedForm<ORBTOP>();
  if (Check8.Value() == 1) {
    Settings.HamlogShare = "1";
    Settings.HamlogShareResult = SetHamlogShare();
    if (Settings.HamlogShareResult != 0) {
      if (top) top->Label13.setVisible(true);
      if (!Hamlog.HamlogDbPath.isEmpty()) {
        Hamlog.HdbRecordCount = CountHdbRecords();
        if (top) top->Label11.setText(QString::number(Hamlog.HdbRecordCount));
      }
    } else {
      MsgBox("共有モードが有効に出来ません HAMLOG側の共有設定を確認下さい");
    }
  } else {
    Settings.HamlogShare = "0";
    if (top) top->Label13.setVisible(false);
    if (!loading_) MsgBox("共有モードを終えるには ORBEX5 を再起動して下さい");
  }
  store("ORB", "HL share", Settings.HamlogShare);
}

void ORBEX_CFG::Option7_Click(int index) {
  Settings.EqslType = index == 1 ? "1" : "0";
  Command13.setEnabled(index == 1);
  Command14.setEnabled(index != 1);
  store("E-QSL", "eQSL_type", Settings.EqslType);
}

// ---- Pickers

// The folder of the current value, or the root when it names none.
QString ORBEX_CFG::pickerFolder(const QString& current) const {
  const QString folder = folderOf(current);
  return folder.isEmpty() ? QString("/") : RealPath(folder);
}

bool ORBEX_CFG::pickFile(const QString& title, const QString& filter, const QString& current,
                         const QString& initDir, QString& chosen) {
  CommonDialog1.DialogTitle = title;
  CommonDialog1.Filter = filter;
  CommonDialog1.Flags = kPickerFlags;
  CommonDialog1.InitDir = initDir;
  CommonDialog1.FileName = current;
  if (!CommonDialog1.ShowOpen()) return false;
  chosen = CommonDialog1.FileName;
  return true;
}

void ORBEX_CFG::Command6_Click() {
  QString p;
  if (!pickFile("Hamlog データベースを指定します", "hamlog データベース(*.HDB)|*.HDB|", Hamlog.HamlogDbPath,
                pickerFolder(Hamlog.HamlogDbPath), p)) {
    MsgBox("log データベースが指定（変更）されませんでした");
    if (!ReadIniKey("ORB", "HAMLOGPOS")) {
      if (ORBTOP* top = LoadedForm<ORBTOP>()) {
        SetForeColor(top->Label5, vbRed);
        top->Label5.setText("HAMLOG.HDB の場所未登録");
      }
    }
    return;
  }
  // Refused before it is stored: a file HAMLOG's library cannot open as its database.
  if (const QString problem = HamlogDatabaseProblem(p); !problem.isEmpty()) {
    MsgBox("HAMLOG のデータベースとして使えません。" + vbCrLf + problem + vbCrLf + p + vbCrLf + vbCrLf +
               "設定は変更していません。",
           vbOKOnly | vbExclamation);
    return;
  }
  Hamlog.HamlogDbPath = p;
  MasterList.MasterFilePath = p.left(p.size() - 3) + "MST";
  store("ORB", "HAMLOGPOS", p);
  Hamlog.HdbFileName = ("\\" + fileNameOf(p)).toUpper();
  // An entry window already open now writes into the new database: its caption says which. One not
  // open yet takes the path when it opens.
  if (TEMP_LOG* entry = LoadedForm<TEMP_LOG>()) {
    entry->setWindowTitle("ORBEX5ログ LogData=>" + Hamlog.HamlogDbPath);
    for (CommandButton* b : {&entry->Command6, &entry->Command3, &entry->Command2, &entry->Command5}) b->setVisible(true);
  }
  markButton(Command6, true);
  Label2.setText(p);
  if (ORBTOP* top = LoadedForm<ORBTOP>()) {
    SetForeColor(top->Label5, vbBlack);
    top->Label5.setText(p);
    top->Check1.SetValue(0);
  }
}

void ORBEX_CFG::Command10_Click() {
  QString p;
  if (!pickFile("Hamlogw.exe の場所を指定します", "Hamlogw.exe の場所(*W.EXE)|*W.EXE|", Hamlog.HamlogExePath,
                pickerFolder(Hamlog.HamlogExePath), p)) {
    MsgBox("Hamlogw.exe の場所は指定（変更）されませんでした");
    return;
  }
  Hamlog.HamlogExePath = p;
  store("ORB", "HAMLOGexePOS", p);
  markButton(Command10, true);
  Label10.setText(p);
}

void ORBEX_CFG::Command1_Click() {
  QString p;
  if (!pickFile("独自のQTHデータを指定します", "独自のQTHデータ(*.txt)|*.txt|", MasterList.QthDataPath,
                pickerFolder(MasterList.QthDataPath), p)) {
    MsgBox("独自のQTHデータは指定（変更）されませんでした");
    return;
  }
  MasterList.QthDataPath = p;
  store("ORB", "QTHdatPOS", p);
  markButton(Command1, true);
  Label4.setText(p);
  if (ORBTOP* top = LoadedForm<ORBTOP>()) top->Check1.SetValue(0);
}

void ORBEX_CFG::Command13_Click() {
  QString p;
  if (!pickFile("e-QSLのComQSOBank.exeを指定します", "e-QSL用ComQSOBank.exe|*.exe|", Settings.PutQsoData,
                pickerFolder(Settings.PutQsoData), p)) {
    MsgBox("ComQSOBank.exeが指定（変更）されませんでした");
    if (Settings.PutQsoData.isEmpty()) {
      markButton(Command13, false);
      Command13.setToolTip("電子QSL送信機は現在設定されていません。");
    }
    Text1.setFocus();
    return;
  }
  Settings.PutQsoData = p;
  store("E-QSL", "PutQSOData", p);
  Settings.EqslReady = 1;
  Command13.setToolTip("電子QSL送信機は現在　" + p + " が設定されています。");
  markButton(Command13, true);
  Text1.setFocus();
}

void ORBEX_CFG::Command7_Click() {
  QString p;
  if (!pickFile("QSL印刷ソフトの場所を指定します", "HLQSL(HLQSLN.exe) or MMQSL(MMQSL.exe)|HLQSLN.exe;MMQSL.exe",
                Settings.QslProgramPath, pickerFolder(Settings.QslProgramPath), p)) {
    MsgBox("QSL印刷ｿﾌﾄ の指定を中止します");
    return;
  }
  store("ORB", "HLQSL", p);
  Settings.QslProgramPath = p;
  Settings.QslProgramSet = 1;
  markButton(Command7, true);
  Label3.setText(p);
  Command18.setEnabled(p.toUpper().contains("MMQSL.EXE"));
}

void ORBEX_CFG::Command18_Click() {
  QString p;
  if (!pickFile("MMQSL定義ﾌｧｲﾙを指定します", "MMQSL定義ﾌｧｲﾙ(*.MQL)|*.mql", Settings.MmqslDefFile,
                pickerFolder(Settings.MmqslDefFile), p)) {
    MsgBox("MMQSL定義ﾌｧｲﾙ の指定を中止します");
    return;
  }
  Settings.MmqslDefFile = p;
  store("ORB", "MMQSL", p);
  markButton(Command18, true);
  Label9.setText(p);
  const QString answer = InputBox("QSL発行済みマークを指定して下さい" + vbCrLf + "半角一文字です（厳守）" + vbCrLf +
                                      vbCrLf + "これはHAMLOGにQSL発行済みマークを送る為のものです",
                                  "QSL発行済みマークの指定", Settings.QslSendMark);
  Settings.QslSendMark = answer.isEmpty() ? QString("*") : NarrowText(answer).left(1);
  Text23.setText(Settings.QslSendMark);
}

void ORBEX_CFG::Command8_Click() {
  const QString& editor = Settings.EditorPath;
  const QString folder = folderOf(editor);
  QString p;
  if (!pickFile("お気に入りの Editor の場所を指定します", "Editor(*.EXE)|*.EXE|", editor,
                folder.isEmpty() ? ProgramFolder() : RealPath(folder), p)) {
    if (Settings.EditorPath.isEmpty() || Settings.EditorPath == "ORB") Settings.EditorPath = "NOTEPAD.EXE";
    MsgBox("現在設定されている Editor は" + Settings.EditorPath + " です。");
    return;
  }
  store("ORB", "Editor", p);
  Settings.EditorPath = p;
}

void ORBEX_CFG::Command14_Click() {
  SharedSettingsState& s = Settings;
  eqslMesgCopy_ = ReadIniOr("E-QSL", "eQSL_Mesg", "");
  s.EqslMesg = InputBox("eQSLcc用QSLカードへのRemarks文を記入してください", "ORBEX5/eQSLcc用QSLカードのRemarks文作成",
                        eqslMesgCopy_);
  if (!s.EqslMesg.isEmpty()) {
    markButton(Command14, true);
    store("E-QSL", "eQSL_Mesg", s.EqslMesg);
  } else {
    s.EqslMesg = eqslMesgCopy_;
  }
  s.EqslReady = 1;
  Command14.setToolTip("eQSLcc のQSL Remarks文は「" + s.EqslMesg + "」が設定されています。");
  if (s.EqslMesg.isEmpty()) {
    markButton(Command14, false);
    MsgBox("Remarks文を記入するまでeQSLccは使用できません");
    s.EqslReady = 0;
  }
}

// ---- DIGITAL mode list

void ORBEX_CFG::Command3_Click() {
  List1.Clear();
  if (ORBTOP* top = LoadedForm<ORBTOP>()) {
    const int32_t count = WholeNumber(Settings.ModeCount).value_or(0);
    for (int i = 0; i <= count && i < top->Combo1.ListCount(); ++i) {
      const QString mode = top->Combo1.List(i).toUpper();
      List1.AddItem(mode);
      List1.SetSelected(i, Settings.DigitalModes.contains(mode));
    }
  }
  Frame5.setVisible(true);
}

void ORBEX_CFG::Command2_Click() {
  QString modes;
  for (int i = 0; i < List1.ListCount(); ++i)
    if (List1.Selected(i)) modes += List1.List(i) + ",";
  Settings.DigitalModes = modes;
  Label7.setText(modes);
  Frame5.setVisible(false);
  store("ORB", "DigitalMode", modes);
}

void ORBEX_CFG::Command9_Click() { Frame5.setVisible(false); }
