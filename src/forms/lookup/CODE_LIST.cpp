#include "forms/lookup/CODE_LIST.h"

#include <QShowEvent>

#include "forms/logbook/TEMP_LOG.h"
#include "forms/lookup/newCODE_LIST.h"
#include "forms/sheet/CWSHEET.h"
#include "logbook/LocalTime.h"
#include "logbook/LogWindowState.h"
#include "lookup/CodeListState.h"
#include "platform/vbnumber.h"
#include "platform/vbstrings.h"

namespace {

constexpr int kCols = 24;
constexpr int kLongitudeSideCol = 22;
constexpr int kLongitudeCol = 23;

constexpr ListColumn kShown[] = {{"件数", 0, -1},
                             {"CODE", 720, flexAlignLeftCenter},
                             {"QTH", 2760, flexAlignLeftCenter},
                             {"Prfx", 480, flexAlignCenterCenter},
                             {"AREA", 600, flexAlignCenterCenter}};

// A pick in the JA list is the code the operator enters; one in the DX list chooses among the finds of
// the call's look-up.
void PutCodeAndQth(const QString& code, const QString& qth, bool dxList) {
  if (TEMP_LOG* entry = LoadedForm<TEMP_LOG>())
    entry->PutCodeAndQth(code, qth, dxList ? TEMP_LOG::Put::Chosen : TEMP_LOG::Put::Typed);
}

}  // namespace

CODE_LIST::CODE_LIST() {
  setWindowTitle(QStringLiteral("Code List"));
  Move(0, 0, 5215, 3600);
  MSFlexGrid1.Move(0, 0, 5110, 3000);
  MSFlexGrid1.RowColChange = [this] { MSFlexGrid1_RowColChange(); };
  // Every column shown is a fixed one: a press on it selects its row, as a row header does.
  MSFlexGrid1.MouseDown = [this](int button, int, float, float) {
    const int r = MSFlexGrid1.MouseRow();
    if (button == vbLeftButton && r >= MSFlexGrid1.FixedRows() && MSFlexGrid1.MouseCol() >= 0 &&
        MSFlexGrid1.MouseCol() < MSFlexGrid1.FixedCols())
      MSFlexGrid1.SetRow(r);
  };
  MSFlexGrid1.Click = [this] { MSFlexGrid1_Click(); };
  MSFlexGrid1.DblClick = [this] {
    CodeListShared.JaCodeListMode = 0;
    Unload();
    BackToCodeField();
  };
  CLSCD.Click = [this] { CloseAndStore(); };
}

void CODE_LIST::Form_Load() {
  KeyPreview = true;
  rowPicked_ = 0;
  jaList_ = CodeListShared.JaCodeListMode == 1;
  PlaceCodeListWindow(*this);
  FlexGrid& g = MSFlexGrid1;
  g.SetCols(kCols);
  LayOutListColumns(g, kShown);
  for (int c = 5; c < kCols; ++c) g.SetColWidth(c, 0);  // hidden, the DX rows' longitude among them
  g.SetFixedCols(5);
  if (jaList_) g.SetTextMatrix(0, 3, QStringLiteral("IDX"));
}

void CODE_LIST::Form_Activate() {
  if (DxList()) LocalTimeOfRow(1);
}

void CODE_LIST::showEvent(QShowEvent* e) {
  VbForm::showEvent(e);
  // Shown inactive beside the entry window: the first row's local time comes all the same.
  if (!e->spontaneous() && DxList()) LocalTimeOfRow(1);
}

void CODE_LIST::LocalTimeOfRow(int row) {
  if (row < 1 || row >= MSFlexGrid1.Rows()) return;
  CodeListShared.LocalLongitude = static_cast<int32_t>(VbVal(MSFlexGrid1.TextMatrix(row, kLongitudeCol)));
  CodeListShared.LocalLongitudeSide = MSFlexGrid1.TextMatrix(row, kLongitudeSideCol);
  CalcLocalTimeGreeting();
}

void CODE_LIST::LocalTimeOnClose() {
  if (!DxList()) return;
  if (rowPicked_ == 0)
    LocalTimeOfRow(1);
  else
    CalcLocalTimeGreeting();  // the last pick's longitude is still in place
}

void CODE_LIST::MSFlexGrid1_RowColChange() {
  // The filling procedure moves the current cell while it builds the hidden list: no pick yet.
  if (!isVisible() || LogWindowState.QslCheckMode == 1) return;
  rowPicked_ = 1;
  pickedRow_ = MSFlexGrid1.RowSel();
  PutCodeAndQth(RTrim(MSFlexGrid1.TextMatrix(pickedRow_, 1)), RTrim(MSFlexGrid1.TextMatrix(pickedRow_, 2)),
                DxList());
  if (DxList()) LocalTimeOfRow(pickedRow_);
}

void CODE_LIST::MSFlexGrid1_Click() {
  rowPicked_ = 1;
  pickedRow_ = MSFlexGrid1.RowSel();
  if (LogWindowState.QslCheckMode == 1)
    PutCodeAndQth(MSFlexGrid1.TextMatrix(pickedRow_, 1), MSFlexGrid1.TextMatrix(pickedRow_, 2), DxList());
  if (!DxList()) return;
  LocalTimeOfRow(pickedRow_);
  TEMP_LOG* entry = LoadedForm<TEMP_LOG>();
  if (!CodeListShared.LocalTimeText.isEmpty() && entry)
    entry->setWindowTitle(QStringLiteral("ORBEXログ　") + QStringLiteral("Local Time=> ") +
                          CodeListShared.LocalTimeText);
  if (CWSHEET* sheet = LoadedForm<CWSHEET>()) sheet->Text2.setText(MSFlexGrid1.TextMatrix(pickedRow_, 1));
}

void CODE_LIST::Form_KeyPress(int& keyAscii) {
  if (keyAscii != 13 && keyAscii != 27) return;
  keyAscii = 0;
  CloseAndStore();
}

void CODE_LIST::CloseAndStore() {
  LocalTimeOnClose();
  CodeListShared.JaCodeListMode = 0;
  SaveCodeListPosition(*this);
  Unload();
  BackToCodeField();
}

void CODE_LIST::Form_QueryUnload(int& cancel, int unloadMode) {
  (void)cancel;
  if (unloadMode != vbFormControlMenu) return;
  LocalTimeOnClose();
  CodeListShared.JaCodeListMode = 0;
  if (Top() > 0) SaveCodeListPosition(*this);
  BackToCodeField();
}

// A list of JA codes holds the picks of the code field: closing it is a keyboard arrival there, which
// selects the code picked, so that typing replaces it.
void CODE_LIST::BackToCodeField() const {
  if (!jaList_) return;
  if (TEMP_LOG* entry = LoadedForm<TEMP_LOG>(); entry && entry->isVisible()) entry->ReachCodeField();
}

void CODE_LIST::Form_Resize() { FitListGrid(*this, MSFlexGrid1, 105); }
