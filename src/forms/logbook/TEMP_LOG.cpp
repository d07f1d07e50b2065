#include "forms/logbook/TEMP_LOG.h"

#include <QPointer>
#include <memory>

#include "core/ProgramHelp.h"
#include "forms/logbook/EqslExportFlow.h"
#include "logbook/EqslExport.h"
#include "logbook/EqslFiles.h"
#include "platform/ui/dialogs.h"

#include <QCoreApplication>
#include <QLayout>
#include <QStatusBar>
#include <algorithm>

#include "core/HamlogAccess.h"
#include "core/MasterList.h"
#include "core/QsoRules.h"
#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "forms/logbook/LOGDATAVIEW.h"
#include "forms/logbook/QSODATA.h"
#include "forms/outputs/QslPrintMenus.h"
#include "forms/lookup/CODE_LIST.h"
#include "forms/sheet/CWSHEET.h"
#include "logbook/HamlogRecordWriter.h"
#include "logbook/LocalTime.h"
#include "logbook/LogWindowState.h"
#include "logbook/QslCheck.h"
#include "logbook/QsoHandOver.h"
#include "lookup/CodeListState.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/ui/color.h"
#include "platform/ui/keys.h"
#include "platform/ui/doevents.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/shell.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/twips.h"
#include "platform/vbnumber.h"
#include "rig/RigPortState.h"

namespace {

QString u8(const char* text) { return QString::fromUtf8(text); }

const char* const kSaveCaption = "Ｌog保存(F1)";
const char* const kOpenFailed = "HAMLOGデータがOpen出来ません。";

}  // namespace

TEMP_LOG::TEMP_LOG() {
  setWindowTitle(u8("ORBEXログ"));
  KeyPreview = true;
  layOut();
  LSave.Click = [this] { SaveQso(); };
  LCan.Click = [this] { closeFromMenu(); };
  RECENDTIME.Click = [this] {
    const QTime now = NowJst().time();
    EndTimeText = LogWindowState.UtcMode == 1 ? TimeText(now.addSecs(-9 * 3600), 'U') : TimeText(now, 'J');
    EndTimeRecorded = 1;
  };
  IDXAGN.Click = [this] { rebuildIndexes(); };
  DATDEL.Click = [this] { deleteShownRecord(); };
  CODECHK.Click = [this] {
    List1.hide();
    CodeCheck();
  };
  LOGHLP.Click = [] { OpenHelpPage(kHelpEntry); };
  Command2.Click = [this] { browse(-1); };
  Command3.Click = [this] { browse(1); };
  Command5.Click = [this] { browse(-100); };
  Command6.Click = [this] { browse(100); };
  Command4.Click = [this] { NewRecord(); };
  // Alt+A reaches the window's key map (new record, then the frequency), not the caption's mnemonic.
  Command4.setShortcut(QKeySequence());
  StatusBar1.MouseUp = [this](int button) {
    if (button == vbRightButton) rebuildIndexes();
  };
  HLQ.Click = [this] { PrintShownQsl(); };
  QSLform.Click = [this] {
    CommonDialog dialog(this);
    ChooseMmqslLayoutFile(dialog);
  };
  HLQ.SetEnabled(false);
  wireEqsl();
  CDX.SetEnabled(false);
  QSLform.SetVisible(false);
  JCCG.SetVisible(false);
  wireFields();
  wireCodeField();
  wireDraft();
  AddRigListener(this);
}

TEMP_LOG::~TEMP_LOG() {
  RemoveRigListener(this);
}

void TEMP_LOG::layOut() {
  struct Cell {
    QWidget* label;
    QWidget* field;
    int width;
    int labelWidth = 0;  // a caption over more than its own box (0: the box's width)
  };
  int left = 60;
  const auto row = [&left](int top, std::initializer_list<Cell> cells) {
    left = 60;
    for (const Cell& c : cells) {
      if (c.label) {
        c.label->move(TwipsToPx(left), TwipsToPx(top));
        c.label->resize(TwipsToPx(c.labelWidth > 0 ? c.labelWidth : c.width), TwipsToPx(240));
      }
      c.field->move(TwipsToPx(left), TwipsToPx(top + 240));
      c.field->resize(TwipsToPx(c.width), TwipsToPx(315));
      left += c.width + 60;
    }
  };
  row(0, {{&Label1, &Text1, 1500},
          {&Label3, &Text3, 1200},
          {&Label4, &Text4, 800},
          {&Label5, &Text5, 660},
          {&Label6, &Text6, 600},
          {&Label7, &Text8, 1000},
          {&Label8, &Combo1, 1100},
          {&Label9, &Text9, 900},
          {nullptr, &Check1, 450},
          {&Label10, &Text10, 800}});
  Label17.move(TwipsToPx(7000), TwipsToPx(0));
  Label17.hide();
  row(660, {{&Label12, &Text12, 1600},
            {&Label13, &Text13, 2900},
            {&Label11, &Text11, 300, 1020},  // "qsL s  r" heads the three QSL boxes
            {nullptr, &Text16, 300},
            {nullptr, &Text17, 300},
            {&Label14, &Text14, 2100},
            {&Label15, &Text15, 2100}});
  int x = 60;
  for (CommandButton* b :
       {&Command5, &Command2, &Command3, &Command6, &Command4, &Command7, &Command8, &Command9}) {
    b->Move(x, 1380, b == &Command7 ? 1000 : 560, 375);
    x += (b == &Command7 ? 1000 : 560) + 60;
  }
  Command2.setToolTip("-1");
  Command3.setToolTip("+1");
  Command5.setToolTip("-100");
  Command6.setToolTip("+100");
  Command4.setToolTip(u8("新規データ"));
  Label4.setToolTip(u8("ここをｸﾘｯｸするとJST/UTCを切り替えます"));
  Text4.setToolTip(u8("↓で現在時刻"));
  Text9.setToolTip(u8("ダブルクリックで頭文字入力"));
  Label14.setToolTip(u8("道の駅選択"));
  Label15.setToolTip(u8("道の駅選択"));
  StatusBar1.widget()->setToolTip(u8("右クリックでIndex再構築"));
  List1.Move(Text8.Left(), Text8.Top() + Text8.Height(), 1000, 1800);  // drops down under the frequency
  List1.hide();
  for (const char* f :
       {"1.9",  "3.5",  "7",    "10",      "14",      "18",     "21",    "24",    "28",  "50",  "144", "430",
        "1200", "2400", "5600", "145/435", "435/145", "145/29", "0.135", "0.475", "10G", "24G", "47G", "77G"})
    List1.AddItem(QString::fromLatin1(f));
  Frame7.Move(1080, 0, 4200, 1700);
  List2.Move(60, 240, 4080, 1400);
  List2.setToolTip(u8("ダブルクリックで選択  右クリックで閉じる"));
  Frame7.hide();
  Frame2.Move(6840, 360, 2600, 1000);
  Label16.Move(60, 240, 2480, 240);
  Text18.Move(60, 540, 1200, 315);
  Command1.Move(1400, 520, 900, 360);
  Frame2.hide();
  Picture1.hide();
  StatusBar1.SetPanelWidth(1, 2000);
  StatusBar1.SetPanelWidth(2, 3000);
  // Enter and Tab walk the same way.
  QWidget* chain[] = {&Text1,  &Text4,  &Text5,  &Text6,  &Text8,  &Combo1, &Text9,  &Text10,
                      &Text12, &Text13, &Text11, &Text16, &Text17, &Text14, &Text15, &Text3};
  for (size_t i = 0; i + 1 < std::size(chain); ++i) setTabOrder(chain[i], chain[i + 1]);
}

void TEMP_LOG::Form_Load() {
  Move(Left(), Top(), 14200, 3255);
  Frame7.hide();
  if (Hamlog.HdbFieldLengths[1] == 0 && !Hamlog.HamlogDbPath.isEmpty())
    ReadHdbFieldLengths(Hamlog.HamlogDbPath);
  const auto& len = Hamlog.HdbFieldLengths;
  const std::pair<TextBox*, int> widths[] = {{&Text1, 0},   {&Text5, 9},   {&Text6, 10},  {&Text8, 11},
                                             {&Text12, 13}, {&Text13, 14}, {&Text14, 15}, {&Text15, 16}};
  for (const auto& [box, f] : widths)
    if (len[f] > 0) box->setMaxLength(len[f]);
  for (auto [box, n] : {std::pair{&Text3, 10},
                        {&Text4, 6},
                        {&Text9, 6},
                        {&Text10, 6},
                        {&Text11, 1},
                        {&Text16, 1},
                        {&Text17, 1}})
    box->setMaxLength(n);
  RigPortState.ManualFreqFlag = 0;
  HLQ.SetEnabled(false);
  InsertMode = 0;
  LSave.SetEnabled(true);
  LastSavedCall.clear();
  QSLform.SetVisible(IsMmqslProgram(Settings.QslProgramPath));
  QStringList unusable;
  const std::optional<QString> top = ReadIniKey("CFGPOS", "LOGPOSTop");
  MoveToStoredPlace(
      top ? std::optional<int32_t>(StoredWindowTwips("CFGPOS", "LOGPOSTop", *top, -1, WindowTwips::Top, unusable))
          : std::nullopt,
      top ? ReadWindowTwips("CFGPOS", "LOGPOSLeft", 0, WindowTwips::Left, unusable) : 0);
  Command7.setText(Settings.EqslType == "1" ? "QSOBank" : "eQSLcc");
  SetForeColor(Label9, VbRgb(255, 0, 255));
  fillModeList();
  // The mode last used, a line of the mode list (a shorter list since makes it unusable).
  LastModeIndex = QString::number(StoredNumber("Hamlog", "LastMode", ReadIniOr("Hamlog", "LastMode", "0"), 0, -1,
                                               std::max(0, Combo1.ListCount() - 1), unusable));
  ReportUnusableSettings(unusable);
  Combo1.SetListIndex(int(VbVal(LastModeIndex)));
  Label17.setText(Combo1.Text());
  Text11.setText(Settings.HamLogQslMark);
  LogWindowState.UtcMode = 0;
  RecordSaved = 0;
  LogWindowState.StoredRecordShown = 0;
  if (LogWindowState.QslCheckMode != 1) {
    LT.SetVisible(!CodeListShared.LocalTimeText.isEmpty());
    Qrcv.SetVisible(false);
    setReportLock(5, Settings.HisRstDefault == 1);
    setReportLock(6, Settings.MyRstDefault == 1);
  } else {
    LSave.SetEnabled(false);
    LT.SetVisible(false);
    Qrcv.SetVisible(true);
  }
  StatusBar1.SetPanelText(3, u8("上書き"));
}

void TEMP_LOG::fillModeList() {
  Combo1.Clear();
  const int count = int(VbVal(Settings.ModeCount));
  for (int i = 1; i <= count; ++i) Combo1.AddItem(ReadIniOr("ORB", "MODE" + QString::number(i), QString()));
}

void TEMP_LOG::storeModeIndex() {
  Label17.setText(Combo1.Text());
  // A stored QSO's mode that the settings lack is offered in the list while it is shown only: the
  // next start reads the stored modes, so the choice kept is one of them.
  if (Combo1.ListIndex() >= int(VbVal(Settings.ModeCount))) return;
  LastModeIndex = QString::number(Combo1.ListIndex());
  WriteIni("Hamlog", "LastMode", LastModeIndex);
}

void TEMP_LOG::setReportLock(int which, bool locked) {
  Label& label = which == 5 ? Label5 : Label6;
  TextBox& box = which == 5 ? Text5 : Text6;
  QFont f = label.font();
  f.setBold(locked);
  f.setUnderline(locked);
  label.setFont(f);
  box.setText(locked ? Settings.Rst599 : QString());
}

void TEMP_LOG::Form_Activate() { LogWindowState.LogWindowOpen = 1; }

void TEMP_LOG::Form_Unload(int&) {
  HamlogCloseDb(0);
  LogWindowState.LogWindowOpen = 0;
  // Whichever way it closed (Esc too), no stored QSO is shown any more: the sheet's call box works.
  LogWindowState.StoredRecordShown = 0;
  RigPortState.ManualFreqFlag = 0;
  storeModeIndex();
  RemoveRigListener(this);
}

void TEMP_LOG::SaveLogWindowPos() {
  if (!isVisible() || WindowState() != vbNormal) return;
  WriteIni("CFGPOS", "LOGPOSTop", QString::number(Top()));
  WriteIni("CFGPOS", "LOGPOSLeft", QString::number(Left()));
}

bool TEMP_LOG::askUnsaved(const QString& text) {
  Hamlog.LastResult = MsgBox(text, vbYesNo + vbExclamation, "ORBEX5");
  return Hamlog.LastResult == vbYes;
}

void TEMP_LOG::closeWindowAndLists(bool unloadSelf) {
  SaveLogWindowPos();
  CODECHK.SetVisible(false);
  LogWindowState.StoredRecordShown = 0;
  HamlogCloseDb(0);
  UnloadForm<CODE_LIST>();
  UnloadForm<QSODATA>();
  if (unloadSelf) Unload();
}

bool TEMP_LOG::nothingTypedInNewQso() const { return Text1.text().trimmed().isEmpty(); }

bool TEMP_LOG::holdsUnsaved() const {
  if (LogWindowState.EditMode == 1) return draft_.Edited();
  return !nothingTypedInNewQso() && RecordSaved == 0;
}

bool TEMP_LOG::MayDropNewQso() {
  return nothingTypedInNewQso() || LogWindowState.EditMode == 1 || RecordSaved != 0 ||
         askUnsaved(u8("LOGﾃﾞｰﾀが未保存ですが宜しいですか"));
}

void TEMP_LOG::closeFromMenu() {
  Command4.hide();
  Command8.setEnabled(false);
  Command9.setEnabled(false);
  storeModeIndex();
  if (!MayDropNewQso()) return;
  closeWindowAndLists(true);
}

void TEMP_LOG::Form_QueryUnload(int& cancel, int unloadMode) {
  if (unloadMode != vbFormControlMenu) return;
  Command4.hide();
  Command8.setEnabled(false);
  Command9.setEnabled(false);
  if (!MayDropNewQso()) {
    cancel = 1;
    return;
  }
  RecordSaved = 0;
  closeWindowAndLists(false);
}

void TEMP_LOG::Form_KeyDown(int& keyCode, int shift) {
  const int key = keyCode;
  if (key == vbKeyEscape) {
    // Esc inside the initial-letter panel closes the panel only, in the frequency list the list.
    if (Frame2.isVisible() && Text18.hasFocus()) return;
    if (List1.isVisible() && List1.hasFocus()) {
      keyCode = 0;
      List1.hide();
      reach(Text8);
      return;
    }
    keyCode = 0;
    if (holdsUnsaved() && !askUnsaved(u8("LOGﾃﾞｰﾀが未保存ですが宜しいですか"))) return;
    SaveLogWindowPos();
    RecordSaved = 0;
    Unload();
    return;
  }
  const auto focus = [this, &keyCode](QWidget& w) {
    reach(w, Qt::ShortcutFocusReason);
    keyCode = 0;
  };
  if (shift == vbAltMask) {
    switch (key) {
      case 'A':
        keyCode = 0;
        NewRecord();
        DoEvents();
        if (!IsUnloaded()) Text8.setFocus();
        break;
      case 'C':
        focus(Text1);
        break;
      case 'D':
        focus(Text3);
        break;
      case 'E':
        focus(Text9);
        break;
      case 'F':
        focus(Text8);
        break;
      case 'G':
        focus(Text10);
        break;
      case 'H':
        focus(Text5);
        break;
      case 'K':
        focus(Text15);
        break;
      case 'L':
        focus(Text11);
        break;
      case 'M':
        focus(Combo1);
        break;
      case 'N':
        focus(Text12);
        break;
      case 'P':
        keyCode = 0;
        snapshot();
        break;
      case 'Q':
        focus(Text13);
        break;
      case 'R':
        focus(Text14);
        break;
      case 'T':
        focus(Text4);
        break;
      case 'Y':
        focus(Text6);
        break;
      default:
        break;
    }
  } else {
    switch (key) {
      case vbKeyPageUp:
        keyCode = 0;
        focusNextPrevChild(false);
        break;
      case vbKeyPageDown:
        keyCode = 0;
        focusNextPrevChild(true);
        break;
      case vbKeyHome:
        focus(Text1);
        break;
      case vbKeyInsert:
        if (shift != 0) break;  // Shift+Insert pastes, Ctrl+Insert copies
        keyCode = 0;
        InsertMode = InsertMode == 0 ? 1 : 0;
        StatusBar1.SetPanelText(3, InsertMode == 1 ? u8("挿入") : u8("上書き"));
        break;
      case vbKeyF1:
        keyCode = 0;
        // The greyed "保存完了" only says the stored record shown is as saved: an edit made to it
        // afterwards must still reach HAMLOG. A new QSO is never appended twice, and QSL-check mode
        // writes the received mark only (F12).
        if (LSave.Enabled() || (LogWindowState.EditMode == 1 && LogWindowState.QslCheckMode != 1)) SaveQso();
        break;
      case vbKeyF12:
        keyCode = 0;
        if (LogWindowState.QslCheckMode == 1) markQslReceived();
        break;
      default:
        if (key > vbKeyF1 && key < vbKeyF12) {
          // F5 to F9 in the code field open its initial-letter search instead.
          if (Text9.hasFocus() && key >= vbKeyF1 + 4 && key <= vbKeyF1 + 8) break;
          QWidget* targets[] = {&Text1,  &Text4,  &Text5,  &Text8,  &Text9,
                                &Text10, &Text12, &Text13, &Text14, &Text15};
          focus(*targets[key - vbKeyF1 - 1]);
        }
        break;
    }
  }
  if (!IsUnloaded()) SaveLogWindowPos();
}

void TEMP_LOG::snapshot() {
  if (!ClipboardHasBitmap()) return;
  Picture1.SetPicture(ClipboardBitmap());
  if (SaveClipboardBitmap(JoinPath(Settings.DataFolder, "ORBEX_LOG.bmp"))) ClearClipboard();
}

// ---- the QSO and HAMLOG

QsoEntry TEMP_LOG::Entry() const { return draft_.Entry(); }

void TEMP_LOG::PutCodeAndQth(const QString& code, const QString& qth, Put how) {
  const Putting putting(*this, how);
  Text9.setText(code);
  Text13.setText(qth);
}

void TEMP_LOG::PutChosenName(const QString& name) {
  const Putting putting(*this, Put::Chosen);
  Text12.setText(name);
}

void TEMP_LOG::SetEntry(const QsoEntry& e) {
  draft_.EditStored(e);
  const ui_detail::Hold own(showing_);
  // A stored mode missing from the list is offered, so that the save keeps it.
  int index = Combo1.findText(e.mode);
  if (index < 0 && !e.mode.isEmpty()) {
    Combo1.AddItem(e.mode);
    index = Combo1.ListCount() - 1;
  }
  Combo1.SetListIndex(index);
  Label17.setText(e.mode);
  showDraft();
}

bool TEMP_LOG::openHamlogOrSay() {
  SetQsoOrMaster(1);
  HamlogCloseDb(0);
  Hamlog.LastResult = HamlogOpenDb();
  if (Hamlog.LastResult == 0) return true;
  MsgBox(WithOpenFailureCause(u8(kOpenFailed)));
  return false;
}

void TEMP_LOG::wireEqsl() {
  ClearEqslMarks();
  showEqslButtons(false);
  GOEQSL.Click = [] { GoToServiceSite("eQSLcchomepage.url"); };
  GOQSOBANK.Click = [] { GoToServiceSite("QSOBANK.url"); };
  Command7.MouseUp = [this](int button, int, float, float) {
    if (button == vbRightButton) {
      Command7.setText(SwitchEqslService());
      return;
    }
    if (button != vbLeftButton) return;
    CommonDialog dialog(this);
    ExportEqslFromEntry(dialog,
                        EqslQsoOfEntry(Text1.text(), Text3.text(), Text4.text(), Text5.text(), Text6.text(),
                                       Text8.text(), Label17.text()),
                        LogWindowState.ShownRecordNo);
  };
  Command7.setToolTip(u8("このデータをQsoBankへ送ります"));
  Command8.setToolTip(u8("e-QSLへのデータ抽出開始点をSETします"));
  Command9.setToolTip(u8("e-QSLへのデータ抽出終了点をSETします"));
  Command8.Click = [this] {
    StatusBar1.SetPanelText(2, SetEqslStartMark(LogWindowState.ShownRecordNo));
    Command7.setEnabled(true);
  };
  Command9.Click = [this] {
    StatusBar1.SetPanelText(2, SetEqslEndMark(LogWindowState.ShownRecordNo));
    Command7.setEnabled(true);
  };
}

void TEMP_LOG::showEqslButtons(bool storedRecord) {
  // A stored record is marked as the start or end of a run; a new one exports the run (or itself).
  Command7.setEnabled(!storedRecord);
  Command8.setEnabled(storedRecord);
  Command9.setEnabled(storedRecord);
}

bool TEMP_LOG::ShowQsoInLogWindow() {
  const std::optional<StoredQso> q = TakeStoredQso();
  if (!q) {
    HamlogCloseDb(0);
    MsgBox(u8("LOGﾃﾞｰﾀを読み取れませんでした。表示中のデータはそのままです。"));
    Text1.setFocus();
    return false;
  }
  const int32_t recNo = q->recNo;
  ShownRecordBackup = q->backup;
  SetEntry(q->entry);
  showEqslButtons(true);
  LogWindowState.EditMode = 1;
  LogWindowState.ShownRecordNo = recNo;
  LSave.SetCaption(u8(kSaveCaption));
  StatusBar1.SetPanelText(1, "Record No=" + QString::number(recNo));
  StatusBar1.SetPanelText(2, QString());
  // The record is kept in the window; HAMLOG is not held open while the operator edits it.
  HamlogCloseDb(0);
  return true;
}

bool TEMP_LOG::NewRecord(bool sheetCall) {
  LSave.SetCaption(u8(kSaveCaption));
  LSave.SetEnabled(LogWindowState.QslCheckMode != 1);
  {
    const ui_detail::Hold own(showing_);
    Combo1.SetListIndex(int(VbVal(LastModeIndex)));
    Label17.setText(Combo1.Text());
    setReportLock(5, Settings.HisRstDefault == 1);
    setReportLock(6, Settings.MyRstDefault == 1);
  }
  // The new QSO's call, date and time whether HAMLOG opens now or not: a QSO typed after a failed open
  // is never saved with the call or the time of the one before.
  EntryTime = NowJst().time();
  LogWindowState.UtcMode = 0;
  CWSHEET* sheet = LoadedForm<CWSHEET>();
  QsoEntry fresh;
  // The call is the sheet's call box as it stands now, read as the box's own look-up reads it.
  fresh.call = sheet && sheetCall ? sheet->Text3.text().trimmed().toUpper() : QString();
  fresh.date = DateText(TodayJst());
  fresh.time = TimeText(EntryTime, 'J');
  fresh.hisRst = Text5.text();
  fresh.myRst = Text6.text();
  fresh.mode = Combo1.Text();
  fresh.qslVia = Settings.HamLogQslMark;
  // The station of the last save comes along for its next QSO. A window not shown yet keeps what the
  // sheet put there for this QSO (name, band, code); its call is the box's now, not a copy of before.
  draft_.StartNew(fresh, !shownOnce_);
  showDraft();
  // A new QSO carries none of the QSL flags of the record shown before.
  QsoRules.QslFlagText = "    ";
  QsoRules.QslFlagCode = "0";
  ShownRecordBackup = ThwRecord{};
  RecordSaved = 0;
  RigPortState.ManualFreqFlag = 0;
  LogWindowState.StoredRecordShown = 0;
  CODECHK.SetVisible(false);
  LogWindowState.EditMode = 0;
  HLQ.SetEnabled(false);
  ClearEqslMarks();
  showEqslButtons(false);
  if (!openHamlogOrSay()) return false;
  const int32_t count = Vdbf_rcount(Hamlog.Thw);
  LogWindowState.LogRecordCount = count;
  LogWindowState.ShownRecordNo = count + 1;
  HamlogCloseDb(0);
  StatusBar1.SetPanelText(1, "Record No=" + QString::number(LogWindowState.ShownRecordNo));
  StatusBar1.SetPanelText(2, QString());
  Command4.hide();
  Text1.setFocus();
  return true;
}

void TEMP_LOG::SaveQso() {
  // A compact date or time typed just before F1 takes its normal form, as leaving its box gives it; a
  // frequency its form in HAMLOG.
  normaliseDateOrTime(Text3);
  normaliseDateOrTime(Text4);
  if (const auto f = StoredFreq(Text8.text()); f && *f != Text8.text()) Text8.setText(*f);
  draft_.CallDone();
  showDraft();
  const QsoEntry typed = Entry();
  QsoEntry e = typed;
  List1.hide();
  Label17.setText(QString());
  Label17.setText(Combo1.Text());
  e.mode = Label17.text();
  e.call = typed.call.trimmed().isEmpty() ? QString() : typed.call;
  // Nothing is written while a field holds what HAMLOG cannot store: the operator is told which.
  if (const QString unstorable = UnstorableFields(e); !unstorable.isEmpty()) {
    MsgBox(u8("次の文字はHAMLOGに保存できません。書き換えてから保存して下さい。") + "\r\n" + unstorable, vbExclamation,
           "ORBEX5");
    return;
  }
  if (const EntryCheck c = CheckEntry(e); c != EntryCheck::Ok) {
    MsgBox(EntryCheckMessage(c),
           vbOKOnly + (c == EntryCheck::BadDate || c == EntryCheck::BadTime ? vbCritical : 0), "ORBEX5");
    if (c == EntryCheck::BadDate) Text3.setFocus();
    if (c == EntryCheck::BadTime) Text4.setFocus();
    return;
  }
  LastSavedCall = Text1.text().trimmed();
  const AreaCheck area = CheckCallArea(LastSavedCall, Text9.text());
  if (area.unformable) {
    MsgBox(u8("エラーです、LOGデータは保存されませんでした"));
    return;
  }
  if (area.mismatch && MsgBox(AreaMismatchQuestion(area), vbYesNo + vbQuestion) == vbNo) return;

  if (Hamlog.HamlogClosed != 0) {
    Hamlog.LastResult = HamlogOpenDb();
    if (Hamlog.LastResult != 0) {
      MsgBox(WithOpenFailureCause(u8(kOpenFailed)));
      return;
    }
  }
  const bool stored = LogWindowState.EditMode != 0;
  const QPointer<TEMP_LOG> self(this);
  const EntryWrite w = WriteHamlogRecord(e, stored, LogWindowState.ShownRecordNo, ShownRecordBackup);
  if (!self || IsUnloaded()) return;  // unloaded while the write waited or asked
  if (w.result == HAMLOG_DECLINED) {
    // HAMLOG asked and the operator said no: nothing was written, the window keeps the QSO.
    if (!stored) RecordSaved = 0;
    return;
  }
  if (!w.Stored()) {
    // Nothing is carried on as saved: the window keeps every field as typed.
    if (!stored) RecordSaved = 0;
    MsgBox(u8("書き込みに失敗しました") + "\r\n" +
           HamlogWriteFailureText(w.result, stored ? LogWindowState.ShownRecordNo : 0));
    return;
  }
  // In the log though the disk did not confirm it: saved as any other, and said once all is done.
  const QString unconfirmed = w.result == 0 ? QString() : HamlogWriteFailureText(w.result, w.recNo);
  LogWindowState.LogRecNo = w.recNo;
  Command4.show();
  if (!stored) {
    if (!w.added) {
      LSave.SetCaption(u8(kSaveCaption));
      LSave.SetEnabled(true);
    } else {
      LogWindowState.ShownRecordNo += 1;
      LSave.SetCaption(u8("保存完了"));
      LSave.SetEnabled(false);
    }
  }
  storeModeIndex();
  RecordSaved = 1;
  // What the next new QSO starts from: the QSO as HAMLOG holds it now.
  const bool shown = readBack();
  if (stored || w.added) draft_.Saved(shown ? Entry() : e);
  refreshLogViewer();
  RigPortState.ManualFreqFlag = 0;
  UnloadForm<QSODATA>();
  SaveLogWindowPos();
  RefreshHamlogWindow();
  if (!unconfirmed.isEmpty()) MsgBox(unconfirmed, vbExclamation, "ORBEX5");
}

void TEMP_LOG::showUnsaved() {
  RecordSaved = 0;
  LSave.SetCaption(u8(kSaveCaption));
  LSave.SetEnabled(LogWindowState.QslCheckMode != 1);
  Command4.hide();
}

void TEMP_LOG::refreshLogViewer() {
  if (LogWindowState.LogViewerOpen != 1) return;
  UnloadForm<LOGDATAVIEW>();
  LOGDATAVIEW::OpenViewer();
  if (CWSHEET* sheet = LoadedForm<CWSHEET>()) sheet->LOGDATV.SetChecked(true);
  LogWindowState.LogViewerOpen = 1;
  activateWindow();
}

// The record just written, as HAMLOG holds it now. The block holds it as the write stored it: when the
// log cannot be opened again at once, that is what the window takes, so that the next save of the record
// is compared with what is stored and a save that worked never looks failed.
bool TEMP_LOG::readBack() {
  const ThwRecord written = Hamlog.Thw;
  HamlogCloseDb(0);
  if (HamlogOpenDb() == 0) {
    Hamlog.LastResult = THW_read(Hamlog.Thw, LogWindowState.LogRecNo, 3);
  } else {
    Hamlog.Thw = written;
    Hamlog.LastResult = 0;
  }
  const bool shown = Hamlog.LastResult == 0 && ShowQsoInLogWindow();
  if (shown) {
    LogWindowState.LogRecNo = LogWindowState.ShownRecordNo;
    LogWindowState.StoredRecordShown = 1;
  }
  // The record is in HAMLOG now, read back or not: its card can be printed.
  HLQ.SetEnabled(true);
  HamlogCloseDb(0);
  return shown;
}

void TEMP_LOG::browse(int step) {
  if (RecordSaved == 0 && LogWindowState.StoredRecordShown == 0 && !Text1.text().trimmed().isEmpty() &&
      !askUnsaved(u8("現在のLOGﾃﾞｰﾀが未保存です") + "\r\n" + u8("スクロールすると消えますが宜しいですか")))
    return;
  LSave.SetEnabled(LogWindowState.QslCheckMode != 1);
  CODECHK.SetVisible(true);
  showEqslButtons(true);
  LogWindowState.StoredRecordShown = 1;
  if (step < 0) {
    BrowseRecNo = LogWindowState.ShownRecordNo + step;
    if (step == -1 && BrowseRecNo <= 0) return;
    BrowseRecNo = std::max<int32_t>(BrowseRecNo, 1);
  }
  if (!openHamlogOrSay()) return;
  if (step > 0) {
    LogWindowState.LogRecordCount = Vdbf_rcount(Hamlog.Thw);
    BrowseRecNo = std::min<int32_t>(LogWindowState.ShownRecordNo + step, LogWindowState.LogRecordCount);
  }
  Hamlog.LastResult = THW_read(Hamlog.Thw, BrowseRecNo, 3);
  if (Hamlog.LastResult != 0) {
    HamlogCloseDb(0);
    return;
  }
  if (!ShowQsoInLogWindow()) return;
  if (Settings.QslProgramSet == 1) HLQ.SetEnabled(true);
  RecordSaved = 0;
  LogWindowState.LogRecNo = LogWindowState.ShownRecordNo;
  LogWindowState.StoredRecordShown = 1;
}

void TEMP_LOG::PrintShownQsl() {
  List1.hide();
  storeModeIndex();
  if (LogWindowState.LogRecNo == 0) {
    MsgBox(u8("このLOG は未だ登録されていません"));
    return;
  }
  const QsoEntry e = Entry();  // the mode as the list shows it (just put into Label17)
  const QslCardQso q{.Date = e.date, .Time = e.time, .Call = e.call, .HisRst = e.hisRst, .Freq = e.freq,
                     .Mode = e.mode, .Name = e.name, .Qth = e.qth, .Via = e.qslVia, .Sent = e.qslSent,
                     .Received = e.qslRcvd, .Remarks1 = e.remarks1, .Remarks2 = e.remarks2,
                     .RecNo = LogWindowState.LogRecNo};
  const QPointer<TEMP_LOG> self(this);
  if (PrintQslCard(q) == QslPrintResult::Failed || !self) return;
  LSave.SetEnabled(false);
}

void TEMP_LOG::deleteShownRecord() {
  if (LogWindowState.EditMode != 1 || LogWindowState.ShownRecordNo < 1) {
    MsgBox(u8("削除するデータを表示してから選んでください"));
    return;
  }
  const int32_t recNo = LogWindowState.ShownRecordNo;
  if (!openHamlogOrSay()) return;
  QString text;
  Hamlog.LastResult = Vdbf_read(Hamlog.Thw, recNo, text);
  HamlogCloseDb(0);
  if (MsgBox("Record No=" + QString::number(recNo) + "  " + text + "\r\n" + u8("このデータを削除しますか？"),
             vbYesNo + vbExclamation + vbDefaultButton2, "ORBEX5") != vbYes)
    return;
  if (!openHamlogOrSay()) return;
  const QPointer<TEMP_LOG> self(this);
  const DeleteOutcome outcome = DeleteShownRecord(recNo, ShownRecordBackup);
  HamlogCloseDb(0);
  if (!self) return;
  if (outcome == DeleteOutcome::Changed) {
    MsgBox(u8("このデータはHAMLOGで変更されています。削除しませんでした"));
    return;
  }
  if (outcome == DeleteOutcome::Failed) {
    const QString advice = HamlogWriteFailureAdvice(Hamlog.LastResult);
    MsgBox(u8("削除に失敗しました") + "\r\n" + HamlogWriteFailureText(Hamlog.LastResult, recNo) +
           (advice.isEmpty() ? QString() : "\r\n" + advice));
    return;
  }
  MsgBox(QString::number(recNo) + u8(" を削除しました") +
         (Hamlog.LastResult == HAMLOG_UNCONFIRMED ? "\r\n" + HamlogWriteFailureText(Hamlog.LastResult, recNo) : QString()));
  // The record is gone: the window turns to a blank new QSO, no call from the sheet's box either, and
  // the lists showing it are refreshed. The sheet's call box lets go of the station deleted.
  LastSavedCall.clear();
  draft_.ForgetSaved();
  if (CWSHEET* sheet = LoadedForm<CWSHEET>();
      sheet && sheet->Text3.text().trimmed().compare(Text1.text().trimmed(), Qt::CaseInsensitive) == 0)
    sheet->Text3.setText(QString());
  LogWindowState.LogRecNo = 0;
  UnloadForm<QSODATA>();
  refreshLogViewer();
  NewRecord(false);
}

void TEMP_LOG::rebuildIndexes() {
  CWSHEET* sheet = LoadedForm<CWSHEET>();
  if (sheet) {
    sheet->Label2.setText(u8("INDEX再構築中です"));
    sheet->Frame1.show();
    sheet->Frame1.raise();
    DoEvents();
  }
  QString why;
  if (!RebuildHamlogIndexes(&why)) {
    // The busy frame says it did not, for as long as a notice stands.
    if ((sheet = LoadedForm<CWSHEET>())) sheet->ShowNotice(u8("INDEXを再構築できませんでした"));
    MsgBox(why.isEmpty() ? WithOpenFailureCause(u8(kOpenFailed))
                         : u8("INDEXを再構築できませんでした (作り直せなかった索引ファイルは前のままです)。") + "\r\n" + why,
           vbExclamation, "ORBEX5");
    return;
  }
  if ((sheet = LoadedForm<CWSHEET>())) {
    sheet->Timer1.SetInterval(2000);
    sheet->Timer1.SetEnabled(true);
  }
}

void TEMP_LOG::markQslReceived() {
  Text17.setText(Settings.QslReceivedMarks[0]);
  if (MasterList.ClearStartWithPreviousData) MasterList.ClearStartWithPreviousData();
  StartFlags.StartWithPreviousData = 0;
  if (QSODATA* list = LoadedForm<QSODATA>()) {
    const int row = QsoWindowState.QsoWindowRow;
    if (row >= 1 && row < list->MSFlexGrid1.Rows())
      list->MSFlexGrid1.SetTextMatrix(row, 15, Settings.QslReceivedMarks[0]);
    if (QslCheck.SkipNewBandCheck == 0) list->QSLCHECK(Text8.text().trimmed(), Label17.text().trimmed());
  }
  // Only the record shown is marked: without one there is nothing to update.
  if (LogWindowState.EditMode != 1 || LogWindowState.ShownRecordNo < 1) return;
  if (Hamlog.HamlogClosed != 0 && HamlogOpenDb() != 0) {
    MsgBox(WithOpenFailureCause(u8(kOpenFailed)));
    return;
  }
  const QPointer<TEMP_LOG> self(this);
  const EntryWrite w = WriteHamlogRecord(Entry(), true, LogWindowState.ShownRecordNo, ShownRecordBackup);
  if (w.result == HAMLOG_DECLINED || !self) return;
  if (!w.Stored()) {
    MsgBox(u8("書き込みに失敗しました") + "\r\n" + HamlogWriteFailureText(w.result, LogWindowState.ShownRecordNo));
    return;
  }
  LogWindowState.LogRecNo = w.recNo;
  readBack();
  if (w.result == HAMLOG_UNCONFIRMED) MsgBox(HamlogWriteFailureText(w.result, w.recNo), vbExclamation, "ORBEX5");
}

void TEMP_LOG::RigFrequency(int64_t, const QString& entryText, const QString&) {
  if (LogWindowState.StoredRecordShown == 1 || RigPortState.ManualFreqFlag == 1) return;
  // Every poll brings the frequency again: only a new one is a text to type over; the same one leaves
  // the caret where the operator clicked it.
  if (Text8.text() != entryText) Text8.setText(entryText);
}
