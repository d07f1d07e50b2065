// The progress sheet's grid under the mouse: a band cell shows the QSO behind its mark in the QSO
// panel, the QTH cell flips its row between marks and per-band QSO counts, a double click on a band
// cell opens the entry window for a new QSO of that code and band.

#include <QRegularExpression>

#include "core/BandLayout.h"
#include "core/HamlogAccess.h"
#include "core/QsoFields.h"
#include "core/SharedSettings.h"
#include "forms/logbook/QSODATA.h"
#include "forms/logbook/TEMP_LOG.h"
#include "forms/sheet/CWSHEET.h"
#include "logbook/LogWindowState.h"
#include "platform/ui/color.h"
#include "platform/ui/keys.h"
#include "platform/ui/msgbox.h"
#include "sheet/SheetTally.h"

namespace {

constexpr int32_t kQthColumn = 2;
constexpr int32_t kFirstCellColumn = 5;
constexpr int32_t kLastCellColumn = 26;  // the satellite column of the extended band set
constexpr int kCountColumnWidth = 700;

// The frequency text of a band column's heading, as the entry window's frequency field takes it
// ("135kHz" 0.135, "7MHz" 7, "1.2GHz" 1200, "10GHz" *10); empty for the satellite and other columns.
QString headingFrequency(const QString& heading) {
  const QString unit = heading.right(3);
  const QString number = heading.chopped(std::min<qsizetype>(3, heading.size()));
  if (unit == "kHz") return "0." + number;
  if (unit == "MHz") return number;
  if (unit == "GHz")
    return number.contains('.') ? QString::number(qRound(number.toDouble() * 1000)) : "*" + number;
  return {};
}

}  // namespace

void CWSHEET::wireGridClicks() {
  MSFlexGrid2.MouseUp = [this](int button, int, float, float) { MSFlexGrid2_MouseUp(button); };
  MSFlexGrid2.LostFocus = [this] { MSFlexGrid2_LeaveFocus(); };
  MSFlexGrid2.DblClick = [this] { MSFlexGrid2_DblClick(); };
  MSFlexGrid2.MouseWheel = [this](int delta, int shift) {
    ScrollGridOneStep(MSFlexGrid2, delta, (shift & vbShiftMask) != 0, true);
  };
}

void CWSHEET::MSFlexGrid2_MouseUp(int button) {
  if (LogWindowState.LogWindowOpen == 1) {
    if (TEMP_LOG* log = LoadedForm<TEMP_LOG>()) log->raise();
    return;
  }
  // While the list dialog is set up for an award the grid stays as it is.
  if (AwardCheckMode > 0) return;
  FlexGrid& g = MSFlexGrid2;
  if (button == vbRightButton) {
    RightClickPending = 1;
    // While the record book is open a right click on a row goes to its editor.
    if (fillRecordEditor(g.MouseRow())) return;
    if (logWindowBusy()) return;
    if (g.MouseRow() == 0)
      BandHeading_RightClick(g.MouseCol());
    else if (g.MouseRow() > 0)
      listCodeQsos(g.MouseRow(), g.MouseCol());
    return;
  }
  if (button != vbLeftButton) return;
  RightClickPending = 0;
  if (g.MouseRow() <= 0) return;
  ClickCol = g.MouseCol();
  ClickRow = g.RowSel();
  if (ClickCol != kQthColumn) {
    if (CountRowShown == 1 && ClickRow >= 1) hideCountRow(LastCellRow);
  } else {
    if (CountRowShown == 1 && ClickRow != LastCellRow && ClickRow >= 1) hideCountRow(LastCellRow);
    CountRowMaster = g.TextMatrix(ClickRow, 0).trimmed().toInt();
    if (CountRowShown == 0)
      showCountRow(ClickRow);
    else
      hideCountRow(ClickRow);
  }
  const QString qth = g.TextMatrix(ClickRow, kQthColumn);
  Text2.setText(g.TextMatrix(ClickRow, 1).section(QRegularExpression("\\s+$"), 0, 0));
  Label6.setText(qth);
  if (ClickCol < kFirstCellColumn || ClickCol > kLastCellColumn) {
    // A click off the band cells remembers column 5: a click there next counts as a repeat.
    ClickCol = kFirstCellColumn;
    LastCellCol = kFirstCellColumn;
    LastCellRow = ClickRow;
    return;
  }
  showCellQso(qth);
}

void CWSHEET::showCellQso(const QString& qth) {
  const BandCellArray<QString>& numbers = SheetTally.GridCellRecordNumbers;
  const QString number = numbers.Contains(ClickCol, ClickRow) ? numbers(ClickCol, ClickRow) : QString();
  if (number.isEmpty()) {
    Qso.QsoRecNo = 0;
    LastCellCol = ClickCol;
    LastCellRow = ClickRow;
    for (Label* l : {&Label3, &Label4, &Label5}) l->setText(QString());
    Label6.setText(qth);
    return;
  }
  if (ClickRow == LastCellRow && ClickCol == LastCellCol) return;
  Qso.QsoRecNo = number.toInt();
  LastCellRow = ClickRow;
  LastCellCol = ClickCol;
  if (logWindowBusy()) return;
  // The band goes to the entry window's frequency, loaded unseen when it is not open.
  if (const QString freq = headingFrequency(MSFlexGrid2.TextMatrix(0, ClickCol)); !freq.isEmpty())
    Form<TEMP_LOG>().Text8.setText(freq);
  Frame5.setEnabled(true);
  Frame6.setEnabled(true);
  for (Menu* m : {&MENU, &DAREA, &DISPBAND, &SYUDSP, &RDAGN}) m->SetEnabled(true);
  if (Qso.QsoRecNo <= 0) {
    HamlogCloseDb(0);
    Qso.QsoRecNo = 0;
    disarmQslPrint();
    for (Label* l : {&Label3, &Label4, &Label5}) l->setText(QString());
    RightClickPending = 0;
    bringLogWindowForward();
    return;
  }
  const QString mark = MSFlexGrid2.TextMatrix(ClickRow, ClickCol);
  if (mark == "C" || Settings.QslProgramPath == "ORB" || Settings.QslProgramPath.isEmpty()) {
    bringLogWindowForward();
    disarmQslPrint();
  } else {
    SetBackColor(Command3, 0x80C0FF);
    Command3.setEnabled(true);
  }
  MSFlexGrid2.SetColWidth(BandLayout.QsoCountColumn, 0);
  CountRowTotal = 0;
  CountRowShown = 0;
  Hamlog.LastResult = HamlogOpenDb();
  if (Hamlog.LastResult != 0) {
    MsgBox(WithOpenFailureCause(QStringLiteral("HAMLOGデータがOpen出来ません。")), vbOKOnly);
  } else {
    SetMousePointer(vbHourglass);
    ReadQsoFull(Qso.QsoRecNo);
  }
  HamlogCloseDb(0);
  Label3.setText(Qso.QsoCall);
  Label4.setText(Qso.QsoDate);
  Label5.setText(Qso.QsoMode);
  Label6.setText(Qso.QsoQth);
  SetMousePointer(vbDefault);
  bringLogWindowForward();
}

bool CWSHEET::logWindowBusy() {
  const LogWindowStateValues& w = LogWindowState;
  if (w.StoredRecordShown != 1 && w.QslCheckMode != 1) return false;
  MsgBox(QStringLiteral("LOG帳open中　あるいは") + "\r\n" +
             QStringLiteral("QSL受領処理中はQSOデータを表示出来ません") +
             QString::number(w.StoredRecordShown) + QString::number(w.QslCheckMode),
         vbOKOnly);
  bringLogWindowForward();
  return true;
}

void CWSHEET::bringLogWindowForward() {
  if (TEMP_LOG* log = LoadedForm<TEMP_LOG>()) log->ZOrder();
}

void CWSHEET::listCodeQsos(int32_t row, int32_t column) {
  int32_t band = column >= kFirstCellColumn ? column - kFirstCellColumn : kAllBands;
  if (Settings.ExtendedBandSet == 1 && band >= 15 && band <= 20) {
    MsgBox(QStringLiteral("この周波数帯はHamlogの管理外です -> ") + MSFlexGrid2.TextMatrix(0, column),
           vbOKOnly);
    return;
  }
  if (Settings.ExtendedBandSet == 1 && band == 21) band = 15;  // the satellite's number in HAMLOG
  const QString code = MSFlexGrid2.TextMatrix(row, 1).section(QRegularExpression("\\s+$"), 0, 0);
  QSODATA::ShowAreaQsos(code, band, ReadConditions.SelMode);
}

void CWSHEET::disarmQslPrint() {
  SetBackColor(Command3, 0xE0E0E0);
  Command3.setEnabled(false);
}

void CWSHEET::showCountRow(int32_t row) {
  FlexGrid& g = MSFlexGrid2;
  const bool redraw = g.Redraw();
  g.SetRedraw(false);
  CountRowShown = 1;
  const int32_t last = BandLayout.LastBandColumn;
  SavedRowCells.assign(size_t(last + 1), QString());
  const BandCellArray<int32_t>& counts = SheetTally.CellQsoCounts;
  for (int32_t c = kFirstCellColumn; c <= last; ++c) {
    SavedRowCells[size_t(c)] = g.TextMatrix(row, c);
    const int32_t n = counts.Contains(c, CountRowMaster) ? counts(c, CountRowMaster) : 0;
    CountRowTotal += n;
    g.SetTextMatrix(row, c, QString::number(n));
  }
  g.SetTextMatrix(row, BandLayout.QsoCountColumn, QString::number(CountRowTotal));
  g.SetColWidth(BandLayout.QsoCountColumn, kCountColumnWidth);
  g.SetRedraw(redraw);
}

void CWSHEET::hideCountRow(int32_t row) {
  FlexGrid& g = MSFlexGrid2;
  const bool redraw = g.Redraw();
  g.SetRedraw(false);
  CountRowShown = 0;
  if (row >= 1)
    for (int32_t c = kFirstCellColumn; c < static_cast<int32_t>(SavedRowCells.size()); ++c)
      g.SetTextMatrix(row, c, SavedRowCells[size_t(c)]);
  g.SetColWidth(BandLayout.QsoCountColumn, 0);
  CountRowTotal = 0;
  g.SetRedraw(redraw);
}

void CWSHEET::MSFlexGrid2_LeaveFocus() {
  if (AwardCheckMode < 1 && CountRowShown == 1) {
    if (ClickRow < 1) return;
    hideCountRow(ClickRow);
  }
  bringLogWindowForward();
}

void CWSHEET::MSFlexGrid2_DblClick() {
  FlexGrid& g = MSFlexGrid2;
  const int col = g.ColSel();
  if (LogWindowState.LogWindowOpen == 1 || AwardCheckMode > 0 || col < kFirstCellColumn ||
      col > BandLayout.LastBandColumn)
    return;
  if (LogWindowState.StoredRecordShown == 1 || LogWindowState.QslCheckMode == 1) {
    MsgBox(QString::fromUtf8("LOG帳open中　あるいは\r\nQSL受領処理中はQSOデータを表示出来ません") +
           QString::number(LogWindowState.StoredRecordShown) + "-" +
           QString::number(LogWindowState.QslCheckMode));
    bringLogWindowForward();
    return;
  }
  const int row = g.RowSel();
  const bool onRow = g.MouseRow() > 0 && row >= 1;
  TEMP_LOG& log = Form<TEMP_LOG>();
  log.Text9.setText(onRow ? g.TextMatrix(row, 1).section(QRegularExpression("\\s+$"), 0, 0) : QString());
  log.Text13.setText(onRow ? g.TextMatrix(row, kQthColumn).section(QRegularExpression("\\s+$"), 0, 0)
                           : QString());
  OpenLogWindow();
  TEMP_LOG* shown = LoadedForm<TEMP_LOG>();
  if (!shown) return;
  if (!Text3.text().trimmed().isEmpty()) {
    Text3_Change();  // prepares the station as typing does
    QString call = CallBox.StationCall;
    QSODATA::ShowStationQsos(call);
  }
  if ((shown = LoadedForm<TEMP_LOG>()) == nullptr) return;
  const QString heading = g.TextMatrix(0, col);
  if (heading.endsWith(QString::fromUtf8("ﾗｲﾄ"))) {
    shown->List1.show();
    shown->List1.setFocus();
    return;
  }
  const QString freq = headingFrequency(heading);
  if (!freq.isEmpty()) shown->Text8.setText(freq);
  shown->Text4.setFocus();
}
