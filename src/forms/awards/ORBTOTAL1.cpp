#include "forms/awards/ORBTOTAL1.h"

#include "core/BandLayout.h"
#include "core/HamlogAccess.h"
#include "core/ProgramHelp.h"
#include "core/SharedSettings.h"
#include "forms/awards/AwardWindows.h"
#include "forms/awards/ORBBOOK.h"
#include "platform/ui/color.h"
#include "platform/ui/keys.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/shell.h"
#include "sheet/SheetTally.h"

namespace {

constexpr int kGridHeight = 3980;
constexpr int32_t kSeparatorColor = VbRgb(0, 0, 192);
constexpr int32_t kWorkedColor = VbRgb(192, 255, 255);
constexpr int kWorkedRows[] = {2, 4, 6, 8, 11, 13, 16};

}  // namespace

ORBTOTAL1::ORBTOTAL1() {
  setWindowTitle(QStringLiteral("ORB 集計表"));
  Label1.Move(120, 60, 9000, 300);
  MSFlexGrid1.Move(120, 420, 12690, kGridHeight);
  Picture1.Move(0, 0, 0, 0);
  Picture1.hide();
  MakeBMP.Click = [this] { SnapshotToDataFolder(*this, "ORBEX_TOTAL.bmp"); };
  fPRN.Click = [this] { fPRN_Click(); };
  CLSCNT.Click = [this] { CLSCNT_Click(); };
  ORBBK.Click = [this] { ORBBK_Click(); };
  CNTHELP.Click = [] { OpenHelpPage(kHelpTotals); };
  MSFlexGrid1.MouseDown = [this](int, int, float, float) { MSFlexGrid1_MouseDown(); };
  MSFlexGrid1.MouseUp = [this](int, int, float, float) { MSFlexGrid1_MouseUp(); };
}

void ORBTOTAL1::Form_Load() {
  KeyPreview = true;
  setWindowTitle(QStringLiteral("ORB 集計表  抽出モード = ") + ReadConditions.SelMode);
  PlaceStoredWindow(*this, "ATPOS");
  SetWidth(BandLayout.TotalsWindowWidth);
  lastBandColumn_ = TotalsLastBandColumn(Settings.ExtendedBandSet);
  range_ = ReadBandRange(Settings.ExtendedBandSet);
  LayoutGrid();
  // Rows and columns drawn in the program's font may be larger than the design's: all show whole.
  FlexGrid& g = MSFlexGrid1;
  FitWindowToGrid(*this, g, std::max(BandLayout.TotalsGridWidth, g.WholeWidth()));
  g.SetHeight(std::max(kGridHeight, g.WholeHeight()));
  ShowBandRangeTotals();
}

void ORBTOTAL1::LayoutGrid() {
  FlexGrid& g = MSFlexGrid1;
  g.SetRedraw(false);
  g.SetHeight(kGridHeight);
  g.SetCols(lastBandColumn_ + 1);
  g.SetRows(kTotalsRows);
  g.SetColWidth(0, 800);
  g.SetColWidth(1, 960);
  for (int c = 2; c <= lastBandColumn_; ++c) g.SetColWidth(c, c == 13 ? 720 : 680);
  for (int r : {9, 14}) {
    g.SetRowHeight(r, 120);
    for (int c = 0; c <= lastBandColumn_; ++c) g.SetCellBackColor(r, c, kSeparatorColor);
  }
  for (int r : kWorkedRows)
    for (int c = 0; c <= lastBandColumn_; ++c) g.SetCellBackColor(r, c, kWorkedColor);
  g.SetRedraw(true);
}

void ORBTOTAL1::ShowBandRangeTotals() {
  table_ = BuildTotalsTable(BandTotals, range_, Settings.ExtendedBandSet);
  Label1.setText(BandRangeCaption(range_, Settings.ExtendedBandSet));
  CopyTableToGrid(table_, MSFlexGrid1);
}

void ORBTOTAL1::MSFlexGrid1_MouseDown() {
  downRow_ = MSFlexGrid1.MouseRow();
  downCol_ = MSFlexGrid1.MouseCol();
}

void ORBTOTAL1::MSFlexGrid1_MouseUp() {
  const int upCol = MSFlexGrid1.MouseCol();
  if (downCol_ < 0 || upCol < 0) {
    // Pressed or released away from every cell: there is no column to name, so the range stays.
    MsgBox(QStringLiteral("集計する範囲は、表のバンドの列の上でドラッグして指定して下さい。"));
    return;
  }
  range_ = DraggedBandRange(downRow_, downCol_, upCol, Settings.ExtendedBandSet);
  StoreBandRange(range_);
  ShowBandRangeTotals();
}

void ORBTOTAL1::fPRN_Click() {
  CommonDialog1.DialogTitle = QStringLiteral("集計表 のﾌｧｲﾙ名を指定します");
  CommonDialog1.Filter = QStringLiteral("(*.CSV)|*.CSV|(*.TXT)|*.TXT|");
  CommonDialog1.Flags = cdlOFNHideReadOnly | cdlOFNOverwritePrompt | cdlOFNPathMustExist;
  CommonDialog1.InitDir = Settings.DataFolder;
  CommonDialog1.FileName = QStringLiteral("ORB_Total");
  if (!CommonDialog1.ShowSave()) return;
  const QString path = CommonDialog1.FileName;
  QString error;
  if (!WriteTotalsCsv(table_, path, &error)) {
    MsgBox(path + QStringLiteral(" を書き込めませんでした。") + "\r\n" + error);
    return;
  }
  Hamlog.LastResult = ShellOpen(path);
}

void ORBTOTAL1::CLSCNT_Click() {
  StoreWindowPlace(*this, "ATPOS");
  Unload();
}

void ORBTOTAL1::ORBBK_Click() { Form<ORBBOOK>().Show(); }

void ORBTOTAL1::Form_KeyDown(int& keyCode, int shift) {
  if (keyCode == vbKeyP && shift == vbAltMask) SaveClipboardSnapshot(Picture1, "ORBEX_TOTAL.bmp");
}
