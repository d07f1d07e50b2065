// The progress sheet's ways out to other windows, files and programs: the call list, the panel's
// clear buttons, the QSO count file, memo files, the tips, the spot program and the league's pages.

#include "core/BandLayout.h"
#include "core/HamlogAccess.h"
#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "core/StartupSettings.h"
#include "forms/logbook/LOGDATAVIEW.h"
#include "forms/logbook/MemoDAT.h"
#include "forms/logbook/QSODATA.h"
#include "forms/logbook/TEMP_LOG.h"
#include "forms/lookup/CODE_LIST.h"
#include "forms/lookup/LicenceSearchWindows.h"
#include "forms/lookup/ViewMenkyo.h"
#include "forms/lookup/newCODE_LIST.h"
#include "forms/sheet/CWSHEET.h"
#include "forms/startup/OrbexTips.h"
#include "logbook/LogWindowState.h"
#include "platform/paths.h"
#include "platform/ui/keys.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/shell.h"
#include "platform/ui/snapshot.h"
#include "platform/vbfile.h"
#include "logbook/LogWindowState.h"
#include "sheet/SheetSearch.h"
#include "sheet/SheetTally.h"

namespace {

const QString kLeaguePage =
    QStringLiteral("https://www.jarl.org/Japanese/1_Tanoshimo/1-2_Award/Award_Main.htm");
const QString kQsoPanelCaption = QStringLiteral("QSO ﾃﾞｰﾀ");

}  // namespace

void CWSHEET::wireMenus() {
  Label6.setToolTip(QStringLiteral("ｸﾘｯｸするとｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰします。"));
  Label6.Click = [this] {
    ClearClipboard();
    SetClipboardText(Label6.text().trimmed());
  };
  List1.setToolTip(QStringLiteral("右クリックで消去"));
  List1.Click = [this] { List1_Click(); };
  List1.MouseUp = [this](int button, int, float, float) {
    if (button == vbRightButton && List1.ListIndex() >= 0) List1.RemoveItem(CallListIndex);
  };
  Command7.Click = [this] {
    Frame10.setVisible(Frame10.isHidden());
    if (Frame10.isVisible()) {
      Frame10.raise();  // over the grid, which it overlaps
      List1.setFocus();
    } else {
      Text3.setFocus();
    }
  };
  Command2.MouseUp = [this](int, int, float, float) { Command2_Click(); };
  Command6.setToolTip(QStringLiteral("右クリックで全モード"));
  Command6.MouseUp = [this](int button, int, float, float) {
    if (button != vbLeftButton && button != vbRightButton) return;
    if (Text2.text().trimmed().isEmpty()) {
      MsgBox(QStringLiteral("検索欄にコードを入れてから押してください"), vbOKOnly);
      Text2.setFocus();
      return;
    }
    QSODATA::ShowAreaQsos(Text2.text().trimmed(), kAllBands,
                          button == vbLeftButton ? ReadConditions.SelMode : "MIX");
    Text3.setFocus();
  };
  Command8.MouseUp = [this](int, int, float, float) { Command8_Click(); };
  QcntL.Click = [this] { QcntL_Click(); };
  MEMV.Click = [this] { MEMV_Click(); };
  OnePointHelp.Click = [this] { OnePointHelp_Click(); };
  SNDIF.Click = [this] { SNDIF_Click(); };
  goJARLaward.Click = [] { ShellOpen(kLeaguePage); };
  goJARL.Click = [this] {
    // Kept in the settings, as the award-entry page is, for the operator to change.
    const std::optional<QString> stored = ReadIniKey("JARL", "JARLcommittee");
    if (!stored) WriteIni("JARL", "JARLcommittee", kAwardCommitteePageUrl);
    openStoredAddress(stored.value_or(kAwardCommitteePageUrl));
  };
  jarlweb.Click = [this] { openStoredAddress(Settings.AwardEntryPageUrl); };
  LOGOPEN.Click = [] {
    if (LogWindowState.LogWindowOpen == 1) {
      if (TEMP_LOG* log = LoadedForm<TEMP_LOG>()) log->raise();
      return;
    }
    OpenLogWindow();
  };
  MEMOVIEW.Click = [this] {
    MEMOVIEW.SetEnabled(false);
    Form<MemoDAT>().Show();
    MEMOVIEW.SetEnabled(true);
  };
  QSLCHK.Click = [this] { QSLCHK_Click(); };
  LOGDATV.Click = [this] {
    // The mark follows the viewer (a checked entry toggles itself before this runs).
    const bool wasOpen = IsLoaded<LOGDATAVIEW>();
    UnloadForm<LOGDATAVIEW>();
    LOGDATV.SetChecked(false);
    if (wasOpen) return;
    LOGDATV.SetChecked(true);
    LOGDATAVIEW::OpenViewer();
  };
  QSL.Click = [] { QSODATA::ShowReissueHistory(); };
  Command11.Click = [this] {
    SetMsgBoxCentre(*this);
    Text3.setFocus();
    UnloadForm<ViewMenkyo>();
    QString call = Text3.text().trimmed().toUpper();
    if (!call.isEmpty()) SearchLicence(call);
  };
}

void CWSHEET::QSLCHK_Click() {
  LogWindowStateValues& w = LogWindowState;
  if (w.LogWindowOpen == 1) {
    if (TEMP_LOG* log = LoadedForm<TEMP_LOG>()) log->raise();
    MsgBox(QStringLiteral("LOG帳が開いていますので閉じてからにしてください"), vbOKOnly);
    return;
  }
  UnloadForm<TEMP_LOG>();
  // The menu's mark has toggled itself already: it says which way the operator switched.
  const bool on = w.QslCheckMode == 0;
  QSLCHK.SetChecked(on);
  w.QslCheckMode = on ? 1 : 0;
  w.EditMode = on ? 1 : 0;
  LOGOPEN.SetEnabled(!on);
  Label8.setVisible(on);
  if (on) {
    for (Label* l : {&Label3, &Label4, &Label5, &Label6}) l->setText(QString());
  } else {
    SheetSearch.SearchStartRow = 1;
  }
  Text3.setText(QString());
  Command1.setVisible(!on);
  Command6.setVisible(!on);
  Text2.setEnabled(!on);
  Command4.setEnabled(!on);
  Text3.setFocus();
  if (!on) {
    UnloadForm<QSODATA>();
    UnloadForm<TEMP_LOG>();
  }
}

void CWSHEET::List1_Click() {
  if (List1.ListIndex() < 0) return;
  CallListIndex = List1.ListIndex();
  Text3.setText(QString());
  Text3.setText(List1.List(CallListIndex));
  Frame10.hide();
  Label6.setText(QString());
  Frame6.setTitle(kQsoPanelCaption);
  UnloadForm<QSODATA>();
  closeEntryWindow();
  UnloadForm<CODE_LIST>();
  Text3.setFocus();
}

void CWSHEET::closeEntryWindow() {
  TEMP_LOG* log = LoadedForm<TEMP_LOG>();
  if (!log) return;
  if (LogWindowState.StoredRecordShown == 0) {
    // Asked before its call is emptied, which would let an unsaved QSO go unasked.
    if (log->isVisible() && !log->MayDropNewQso()) return;
    log->Text1.setText(QString());
    log->Text12.setText(QString());
  }
  UnloadForm<TEMP_LOG>();
}

void CWSHEET::Command2_Click() {
  Text3.setText(QString());
  Label6.setText(QString());
  Frame6.setTitle(kQsoPanelCaption);
  Frame10.hide();
  Text3.setFocus();
  UnloadForm<QSODATA>();
  closeEntryWindow();
  UnloadForm<CODE_LIST>();
  Frame1.hide();
}

void CWSHEET::Command8_Click() {
  Text2.setText(QString());
  Text3.setText(QString());
  Frame6.setTitle(kQsoPanelCaption);
  UnloadForm<QSODATA>();
  closeEntryWindow();
  UnloadForm<CODE_LIST>();
  UnloadForm<newCODE_LIST>();
  Text3.setFocus();
  SheetSearch.SearchStartRow = 1;
  MSFlexGrid2.SetTopRow(1);
  MSFlexGrid2.SetRowSel(1);
  Frame7.hide();
  Frame1.hide();
}

void CWSHEET::QcntL_Click() {
  const QString path = JoinPath(Settings.DataFolder, "QSO_Count.TXT");
  VbFile out(path, VbMode::Output);
  if (!out.IsOpen()) return;
  // The satellite column is left out of the extended set's lines.
  const int32_t lastColumn = Settings.ExtendedBandSet == 1 ? 25 : 20;
  const BandCellArray<int32_t>& counts = SheetTally.CellQsoCounts;
  const FlexGrid& g = MSFlexGrid2;
  for (int32_t r = 1; r <= SheetTally.GridDataRows && r < g.Rows(); ++r) {
    if (g.TextMatrix(r, 1).trimmed() == "1001") continue;
    const int32_t master = g.TextMatrix(r, 0).trimmed().toInt();
    QList<VbItem> fields{g.TextMatrix(r, 1), g.TextMatrix(r, 2), g.TextMatrix(r, 3), g.TextMatrix(r, 4)};
    for (int32_t c = kFirstBandColumn; c <= lastColumn; ++c)
      fields << VbItem(counts.Contains(c, master) ? counts(c, master) : 0);
    out.Write(fields);
  }
  if (!out.Close()) {
    MsgBox(path + QStringLiteral(" を保存できませんでした。") + "\r\n" + out.ErrorText(), vbOKOnly);
    return;
  }
  MsgBox(Settings.DataFolder + QStringLiteral(" に QSO_Count.TXT を保存しました。"), vbOKOnly);
}

void CWSHEET::MEMV_Click() {
  const std::optional<QString> folder = ReadIniKey("ORB", "RCVDFOL");
  CommonDialog1.InitDir = folder.value_or(Settings.DataFolder);
  CommonDialog1.Filter = QStringLiteral("ﾒﾓﾃﾞｰﾀ (*.TXT)|*.TXT");
  CommonDialog1.DialogTitle = QStringLiteral("ﾒﾓﾃﾞｰﾀ閲覧");
  CommonDialog1.ShowOpen();
  // A cancel passes on the name the dialog still holds; nothing was ever chosen: nothing opens.
  if (!CommonDialog1.FileName.isEmpty()) Hamlog.LastResult = ShellOpen(CommonDialog1.FileName);
}

void CWSHEET::OnePointHelp_Click() {
  StartFlags.TipsMode = 2;
  StartFlags.TipsOnRequest = 1;
  StartFlags.TipsPath = QStringLiteral("ORBEX_Tips.TXT");
  if (FindFileOnPath(StartFlags.TipsPath).isEmpty()) {
    StartFlags.TipsMode = 0;
    MsgBox("Tips File " + StartFlags.TipsPath + QStringLiteral(" が見つかりませんでした。"), vbOKOnly);
    return;
  }
  if (OrbexTips* tips = &Form<OrbexTips>(); LoadedForm<OrbexTips>() == tips) tips->Show();
}

void CWSHEET::SNDIF_Click() {
  if (TaskRunning(SpotProgramTask)) {
    EndTask(SpotProgramTask);
    return;
  }
  const QString text = Text2.text().trimmed();
  bool numeric = false;
  const int kind = text.left(3).toInt(&numeric);
  if (text.size() < 3 || !numeric) return;
  QString address = kind <= 501 ? SpotUrl : ReadIniOr("JCcfg", "DXspotURL", QString());
  if (address.isEmpty()) {
    MsgBox(QStringLiteral("スポットサイトのアドレスが設定されていません。"), vbOKOnly);
    return;
  }
  address += kind <= 501 ? "=6=1" : "=1=1";
  SpotProgramTask = ShellStartTask(JoinPath(ProgramFolder(), "SSPT.EXE"), {address});
}

void CWSHEET::openStoredAddress(const QString& address) {
  if (address.isEmpty()) {
    MsgBox(QStringLiteral("このページのアドレスが設定されていません。"), vbOKOnly);
    return;
  }
  ShellOpen(address);
}
