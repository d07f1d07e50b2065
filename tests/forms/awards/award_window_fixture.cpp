#include "award_window_fixture.h"

#include <QCoreApplication>
#include <QTest>

#include "core/SharedSettings.h"
#include "platform/codepage.h"
#include "platform/ui/form.h"
#include "support/shared_state.h"

void AwardWindowTest::SetUp() {
  ResetSharedState();
  Settings.DataFolder = home.path();
}

void AwardWindowTest::TearDown() {
  for (VbForm* f : LoadedForms()) f->Unload();
  FlushDeletes();
  ResetSharedState();
}

QPoint AwardWindowTest::CellCentre(FlexGrid& g, int row, int col) {
  return g.visualRect(g.gridModel().index(row - 1, col)).center();
}

void AwardWindowTest::Drag(FlexGrid& g, int fromRow, int fromCol, int toRow, int toCol) {
  QTest::mousePress(g.viewport(), Qt::LeftButton, {}, CellCentre(g, fromRow, fromCol));
  QTest::mouseRelease(g.viewport(), Qt::LeftButton, {}, CellCentre(g, toRow, toCol));
}

void AwardWindowTest::FlushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

QStringList AwardWindowTest::lines(const QString& name) const {
  QStringList l = FromAnsi(home.read(name)).split("\r\n");
  if (!l.isEmpty() && l.back().isEmpty()) l.removeLast();
  return l;
}
