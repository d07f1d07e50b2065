#pragma once
// A program folder and a tally for the award windows, and the mouse on a grid cell.

#include <gtest/gtest.h>

#include <QPoint>

#include "platform/ui/flexgrid.h"
#include "platform/ui/responders.h"
#include "support/temp_home.h"

struct AwardWindowTest : ::testing::Test {
  TempHome home;
  MsgBoxResponder boxes;
  ShellRecorder shell;

  void SetUp() override;
  void TearDown() override;
  // The centre of a cell below the heading row.
  static QPoint CellCentre(FlexGrid& g, int row, int col);
  // Presses the left button on one cell and releases it on another.
  static void Drag(FlexGrid& g, int fromRow, int fromCol, int toRow, int toCol);
  // Deletes the windows unloaded so far, as the idle event loop does.
  static void FlushDeletes();
  // Lines of a file of the program folder, without the empty text after the last line end.
  QStringList lines(const QString& name) const;
};
