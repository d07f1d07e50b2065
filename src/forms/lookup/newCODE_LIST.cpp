#include "forms/lookup/newCODE_LIST.h"

#include "core/SettingsStore.h"
#include "forms/sheet/CWSHEET.h"
#include "lookup/CodeListState.h"
#include "lookup/DxccTable.h"
#include "platform/ui/twips.h"
#include "platform/vbnumber.h"

namespace {

const QString kSection = QStringLiteral("CFGPOS");

constexpr ListColumn kColumns[] = {{"", 0, -1},
                               {"Prefix", 1250, flexAlignLeftCenter},
                               {"Entity", 2760, flexAlignLeftCenter},
                               {"Cont.", 705, flexAlignCenterCenter},
                               {"ITU", 705, flexAlignCenterCenter},
                               {"CQ", 705, flexAlignCenterCenter},
                               {"DXCC", 705, flexAlignCenterCenter},
                               {"HLcode", 915, flexAlignCenterCenter}};

void HandToSheet(const QString& code) {
  if (CWSHEET* sheet = LoadedForm<CWSHEET>()) sheet->Text2.setText(code);
}

}  // namespace

void PlaceCodeListWindow(VbForm& window) {
  QStringList unusable;
  std::optional<int32_t> top;
  if (const std::optional<QString> t = ReadIniKey(kSection, QStringLiteral("CDLSTPOSTop")))
    top = StoredWindowTwips(kSection, QStringLiteral("CDLSTPOSTop"), *t, -1, WindowTwips::Top, unusable);
  const int32_t left = ReadWindowTwips(kSection, QStringLiteral("CDLSTPOSLeft"), 0, WindowTwips::Left, unusable);
  window.MoveToStoredPlace(top, left);
  ReportUnusableSettings(unusable);
}

void SaveCodeListPosition(const VbForm& window) {
  WriteIni(kSection, QStringLiteral("CDLSTPOSTop"), VbStr(window.Top()));
  WriteIni(kSection, QStringLiteral("CDLSTPOSLeft"), VbStr(window.Left()));
}

int LayOutListColumns(FlexGrid& grid, std::span<const ListColumn> columns) {
  int width = 0;
  for (int c = 0; c < static_cast<int>(columns.size()); ++c) {
    grid.SetColWidth(c, columns[c].width);
    width += columns[c].width;
    grid.SetTextMatrix(0, c, QString::fromUtf8(columns[c].header));
    if (columns[c].alignment >= 0) grid.SetColAlignment(c, columns[c].alignment);
  }
  return width;
}

void FitListGrid(const VbForm& window, FlexGrid& grid, int margin) {
  grid.SetWidth(std::max(0, window.Width() - margin));
  grid.SetHeight(window.ScaleHeight() == 0 ? 0 : std::max(0, window.ScaleHeight() - 30));
}

newCODE_LIST::newCODE_LIST() {
  setWindowTitle(QStringLiteral("DX Code List"));
  Move(0, 0, 8345, 3600);
  MSFlexGrid1.Move(0, 0, 8140, 3000);
  MSFlexGrid1.Click = [this] { HandToSheet(MSFlexGrid1.TextMatrix(MSFlexGrid1.RowSel(), 7)); };
  MSFlexGrid1.DblClick = [this] { Unload(); };
  MSFlexGrid1.MouseMove = [this](int, int, float, float) { MSFlexGrid1.SetToolTipText(CellUnderMouse()); };
  MSFlexGrid1.MouseUp = [this](int, int, float, float) { sz.SetCaption(CellUnderMouse()); };
  CLSCD.Click = [this] {
    SaveCodeListPosition(*this);
    CodeListShared.JaCodeListMode = 0;
    Unload();
  };
}

void newCODE_LIST::Form_Load() {
  KeyPreview = true;
  sz.SetVisible(true);
  PlaceCodeListWindow(*this);
  FlexGrid& g = MSFlexGrid1;
  g.SetCols(8);
  SetWidth(LayOutListColumns(g, kColumns) + 600);
  g.SetFixedCols(1);
}

void newCODE_LIST::Form_QueryUnload(int& cancel, int unloadMode) {
  (void)cancel;
  if (unloadMode == vbFormControlMenu && Top() > 0) SaveCodeListPosition(*this);
}

void newCODE_LIST::Form_Resize() { FitListGrid(*this, MSFlexGrid1, 205); }

QString newCODE_LIST::CellUnderMouse() const {
  const int r = MSFlexGrid1.MouseRow();
  const int c = MSFlexGrid1.MouseCol();
  return r < 0 || c < 0 ? QString() : MSFlexGrid1.TextMatrix(r, c).trimmed();
}

void ShowDXCCHits(int32_t hitCount) {
  // A call that gives no entity leaves no candidates of the call typed before it.
  if (hitCount <= 0) {
    UnloadForm<newCODE_LIST>();
    return;
  }
  newCODE_LIST& list = Form<newCODE_LIST>();
  FlexGrid& g = list.MSFlexGrid1;
  for (int32_t i = 1; i <= hitCount; ++i) {
    g.SetRows(i + 1);
    g.SetRow(1);
    g.SetCol(1);
    const DxccEntity& e = DxccTable.DxccEntityTable[DxccTable.DxccHitList[i - 1]];
    const QString cells[] = {e.Prefix, e.Entity, e.Cont, e.ITU, e.CQ, e.DXCC, e.HLcode};
    for (int c = 1; c <= 7; ++c) g.SetTextMatrix(i, c, cells[c - 1]);
  }
  list.sz.SetCaption(QString::number(hitCount));
  if (hitCount > 1) {
    g.SetTopRow(1);
    g.SetRow(1);
    g.SetCol(1);
    list.ShowInactive(LoadedForm<CWSHEET>());  // the sheet's list; the call goes on being typed where it is
    HandToSheet(g.TextMatrix(1, 7));
  } else {
    HandToSheet(g.TextMatrix(g.Row(), 7));
    UnloadForm<newCODE_LIST>();
  }
}
