#include "forms/sheet/SheetWindowProgress.h"

#include "core/BandLayout.h"
#include "core/MasterTable.h"
#include "core/SharedSettings.h"
#include "forms/sheet/CWSHEET.h"
#include "forms/startup/ORBTOP.h"
#include "platform/ui/doevents.h"
#include "sheet/SheetFill.h"
#include "sheet/SheetTally.h"

void SheetWindowProgress::Pump() { DoEvents(); }

void SheetWindowProgress::Status(const QString& text) {
  if (ORBTOP* top = LoadedForm<ORBTOP>()) top->ShowReadStatus(text);
  DoEvents();
}

void SheetWindowProgress::PreviousDataUnusable() {
  if (ORBTOP* top = LoadedForm<ORBTOP>()) top->ClearStartWithPreviousData();
  SheetProgress::PreviousDataUnusable();
}

void SheetWindowProgress::ReadingWholeLog() {
  // Said in the busy frame the append shows, for as long as it runs.
  if (CWSHEET* sheet = LoadedForm<CWSHEET>())
    sheet->Label2.setText(QStringLiteral("HAMLOG変更あり 全件読込中"));
  DoEvents();
}

void SheetWindowProgress::HideBusyFrame() {
  if (CWSHEET* sheet = LoadedForm<CWSHEET>()) sheet->Frame1.hide();
}

void SheetWindowProgress::SetGridRedraw(bool on) {
  if (CWSHEET* sheet = LoadedForm<CWSHEET>()) sheet->MSFlexGrid2.SetRedraw(on);
}

void SheetWindowProgress::BeginFill() {
  if (CWSHEET* sheet = LoadedForm<CWSHEET>()) {
    sheet->ResetQsoPanel();
    sheet->Command9.setText(QStringLiteral("QRX"));
    sheet->Command9.setEnabled(false);
    sheet->Frame1.show();
    sheet->Frame1.raise();
    sheet->MSFlexGrid2.SetRedraw(false);
  }
  Status(QStringLiteral("計算中"));
}

void SheetWindowProgress::EndFill() {
  CWSHEET* sheet = LoadedForm<CWSHEET>();
  if (!sheet) return;
  sheet->Command9.setText(QStringLiteral("Go"));
  sheet->Command9.setEnabled(true);
  sheet->Frame1.hide();
  FlexGrid& g = sheet->MSFlexGrid2;
  g.SetRow(0);
  g.SetCol(0);
  g.SetTopRow(1);
  g.SetRedraw(true);
}

void SheetWindowProgress::WriteRows(const std::vector<SheetViewRow>& rows) {
  CWSHEET* sheet = LoadedForm<CWSHEET>();
  if (!sheet) return;
  FlexGrid& g = sheet->MSFlexGrid2;
  const bool redraw = g.Redraw();
  g.SetRedraw(false);
  g.SetCols(BandLayout.SheetColumnCount);
  g.SetRows(1);  // a view without rows shows an empty grid, never the rows of the last view
  const int dataRows = static_cast<int>(rows.size());
  g.SetRows(1 + dataRows + 60);
  const int32_t kind = std::min(BandLayout.KindColumn, MasterTable.Columns());
  FlexGridModel& m = g.gridModel();
  for (int i = 0; i < dataRows; ++i) {
    const int r = i + 1;
    const int32_t master = rows[size_t(i)].masterRow;
    m.setText(r, 0, QStringLiteral(" ") + QString::number(master));
    for (int32_t c = 1; c <= kind; ++c) m.setText(r, c, MasterTable(c, master));
    g.SetRowHeight(r, rows[size_t(i)].hidden ? 0 : -1);
  }
  for (int r = dataRows + 1; r < g.Rows(); ++r) g.SetRowHeight(r, -1);
  g.SetRedraw(redraw);
}

void SheetWindowProgress::WriteCells(const std::vector<SheetCellText>& cells) {
  CWSHEET* sheet = LoadedForm<CWSHEET>();
  if (!sheet) return;
  FlexGridModel& m = sheet->MSFlexGrid2.gridModel();
  for (const SheetCellText& c : cells) m.setText(c.row, c.column, c.text);
}

namespace {

struct SheetJobLock : SheetProgress::JobLock {
  std::unique_ptr<LongJobGuard> guard;
};

}  // namespace

std::unique_ptr<SheetProgress::JobLock> SheetWindowProgress::LockJobs() {
  auto lock = std::make_unique<SheetJobLock>();
  CWSHEET* s = LoadedForm<CWSHEET>();
  if (!s) return lock;
  lock->guard = std::make_unique<LongJobGuard>(
      *s, std::initializer_list<LockItem>{s->MENU, s->Mksheet, s->DAREA, s->DISPBAND, s->RDAGN, s->SYUDSP, s->RigSel,
                                          s->SNDIF, s->WFopn, s->exMMQSL, s->Frame5, s->Frame2, s->Frame6,
                                          s->Frame3, s->Frame8, s->Command4, s->Command6, s->Command8,
                                          s->MSFlexGrid2});
  return lock;
}
