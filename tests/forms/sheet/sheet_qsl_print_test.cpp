// The QSO panel's print button: the QSO goes to the QSL program, its print lands in QSLAGN.DAT and
// the panel is emptied; the MMQSL menu starts MMQSL.

#include <gtest/gtest.h>

#include <QTest>
#include <QTimeZone>

#include "core/SharedSettings.h"
#include "forms/sheet/CWSHEET.h"
#include "logbook/LogWindowState.h"
#include "platform/clock.h"
#include "platform/codepage.h"
#include "platform/ui/responders.h"
#include "support/shared_state.h"
#include "support/sheet_log.h"

namespace {

struct SheetQslPrintTest : ::testing::Test {
  SheetLog log;
  MsgBoxResponder boxes;
  ShellRecorder shell;

  void SetUp() override {
    log.Add({"JA1AAA,2020/01/01,7.025,CW,1002,J *", "JA1AAB,2020/01/02,14.050,CW,1002,J  "});
    log.Prepare();
    Settings.DataFolder = log.home.path();
    SetFixedClock(QDateTime(QDate(2025, 2, 3), QTime(12, 0), QTimeZone(9 * 3600)));
  }
  void TearDown() override { CloseSheetAndResetState(); }
  void clickCell(CWSHEET& s, int masterRow, int col) {
    FlexGrid& g = s.MSFlexGrid2;
    for (int r = 1; r < g.Rows(); ++r)
      if (g.TextMatrix(r, 0) == " " + QString::number(masterRow))
        QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, g.visualRect(g.gridModel().index(r - 1, col)).center());
  }
};

TEST_F(SheetQslPrintTest, ThePanelsQsoIsPrintedRecordedAndThePanelEmptied) {
  Settings.QslProgramPath = log.home.write("QSL/HLQSLN.EXE", "program");
  CWSHEET& s = Form<CWSHEET>();
  s.Show();
  clickCell(s, kRow1002, 7);  // confirmed: no card to print
  EXPECT_FALSE(s.Command3.isEnabled());
  clickCell(s, kRow1002, 9);  // worked, JA1AAB
  ASSERT_TRUE(s.Command3.isEnabled());
  LogWindowState.StoredRecordShown = 1;
  QTest::mouseClick(&s.Command3, Qt::LeftButton);
  EXPECT_EQ(log.home.read("QSL/WORK2.DAT"), "JA1AAB,2\r\n");
  ASSERT_EQ(shell.started(), QStringList({Settings.QslProgramPath}));
  EXPECT_EQ(shell.calls()[0].arguments, QStringList({"LINK"}));
  EXPECT_TRUE(FromAnsi(log.home.read("QSLAGN.DAT"))
                  .startsWith("\"2025-02-03\",2,\"JA1AAB\",\"2020-01-02\",\"CW\",\"1002  \","));
  EXPECT_EQ(s.Label3.text(), "");
  EXPECT_FALSE(s.Command3.isEnabled());
  EXPECT_EQ(LogWindowState.StoredRecordShown, 0);
  EXPECT_TRUE(boxes.texts().isEmpty());
}

TEST_F(SheetQslPrintTest, WithMmqslTheHistoryIsNotWrittenAndTheMenuStartsIt) {
  Settings.QslProgramPath = "/opt/MMQSL/MMQSL.EXE";
  Settings.MmqslDefFile = "card.mql";
  CWSHEET& s = Form<CWSHEET>();
  s.Show();
  EXPECT_TRUE(s.exMMQSL.Visible());
  clickCell(s, kRow1002, 9);
  boxes.Answer(vbOK);  // MMQSL cannot be driven here
  QTest::mouseClick(&s.Command3, Qt::LeftButton);
  EXPECT_TRUE(boxes.texts().value(0).contains("Linux"));
  EXPECT_TRUE(log.home.read("QSLAGN.DAT").isEmpty());
  EXPECT_EQ(s.Label3.text(), "JA1AAB");
  s.exMMQSL.Trigger();
  EXPECT_EQ(shell.started(), QStringList({"/opt/MMQSL/MMQSL.EXE"}));
}

}  // namespace
