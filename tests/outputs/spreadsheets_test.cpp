// The pieces of the spreadsheet outputs that need no window: the name rules of the ACA form, the JAG
// form of town codes and the texts of the failure reports.

#include <gtest/gtest.h>

#include <map>

#include "core/BandLayout.h"
#include "core/HamlogAccess.h"
#include "core/QsoColumns.h"
#include "core/QsoFields.h"
#include "outputs/Spreadsheets.h"
#include "platform/ui/responders.h"
#include "sheet/SheetTally.h"
#include "support/automation_recorders.h"
#include "support/sheet_log.h"
#include "support/varied_log.h"

namespace {

TEST(AcaNames, PrefectureCityGunAndWardFromTheQth) {
  auto names = [](const QString& code, const QString& qth) {
    const AcaNames n = AcaNamesOf(code, qth);
    return QStringList({n.prefecture, n.city, n.ward});
  };
  EXPECT_EQ(names("0102", "北海道旭川市"), QStringList({"北海道", "旭川", ""}));
  EXPECT_EQ(names("01001", "北海道阿寒郡(釧路)"), QStringList({"北海道", "阿寒", "(釧路)"}));
  EXPECT_EQ(names("01002", "北海道石狩支庁"), QStringList({"北海道", "石狩", ""}));
  EXPECT_EQ(names("1002", "東京都八王子市"), QStringList({"東京", "八王子", ""}));
  EXPECT_EQ(names("2201", "京都府京都市"), QStringList({"京都", "京都", ""}));
  EXPECT_EQ(names("12001", "千葉県香取郡"), QStringList({"千葉", "香取", ""}));
  EXPECT_EQ(names("110101", "横浜市鶴見区"), QStringList({"神奈川", "横浜", "鶴見"}));
  EXPECT_EQ(names("100101", "東京都千代田区"), QStringList({"東京", "２３区", "千代田"}));
  // A QTH without the character a rule looks for gives empty names, never a piece of another one.
  EXPECT_EQ(names("0101", "札幌市"), QStringList({"", "", ""}));
  EXPECT_EQ(names("1301", "さいたま"), QStringList({"", "", ""}));
}

TEST(TownCodes, JagFormTurnsEachLetterIntoItsPlaceInTheAlphabet) {
  EXPECT_EQ(JagTownCode("01001A"), "01001\n    -1");
  EXPECT_EQ(JagTownCode("13004X"), "13004\n    -24");
  EXPECT_EQ(JagTownCode("130041"), "130041");
  EXPECT_EQ(JagTownCode("01001Y"), "01001Y");
}

TEST(SpreadsheetReports, ShellAndRunTimeFailuresInTheOperatorsWords) {
  EXPECT_EQ(ShellOpenFailureText(2, kAcaWorkbook), "ACA特定申請書.xlsが見つかりません");
  EXPECT_EQ(ShellOpenFailureText(32, kCfmWkdWorkbook), "ORBEX5.XLSが開けませんでした");
  EXPECT_EQ(ShellOpenFailureText(26, kAcaWorkbook), "ACA特定申請書.xls が開けませんでした");
  EXPECT_EQ(ShellOpenFailureText(1, kChousonWorkbook), "町村管理.XLS が開けませんでした");
  EXPECT_EQ(ShellOpenFailureText(5, kOrbBookWorkbook), "何故かアクセスが拒否されました");
  EXPECT_EQ(ShellOpenFailureText(31, kOrbBookWorkbook), "．ＸＬＳが関連付けが指定されておりません");
  EXPECT_EQ(ExcelErrorText(424), "Excel が終了されました。");
  EXPECT_EQ(ExcelErrorText(1004), "Excelのｾｷｭﾘﾃｨ設定ﾚﾍﾞﾙの問題です\r\nｾｷｭﾘﾃｨﾚﾍﾞﾙを下げてください");
  EXPECT_EQ(ExcelErrorText(429), "表計算ソフトとのやり取りが思わぬ理由で失敗しました");
}

// Rows of a sheet without QSOs behind them: code, QTH, and nothing confirmed.
class PlainRows : public SearchRows {
 public:
  explicit PlainRows(QStringList codes) : codes_(std::move(codes)) {}
  QString Cell(int32_t row, int32_t column) const override {
    if (row < 1 || row > codes_.size()) return QString();
    return column == 1 ? codes_[row - 1] + "  " : column == 2 ? QStringLiteral("名 ") + codes_[row - 1] : QString();
  }
  bool Hidden(int32_t) const override { return false; }
  int32_t LastDataRow() const override { return int32_t(codes_.size()); }

 private:
  QStringList codes_;
};

TEST(OrbBookCells, TokyoTakesNoRowsAndEscStopsAfterTheCurrentCode) {
  WorkbookRecorder excel;
  std::unique_ptr<Workbook> book = NewWorkbook(kOrbBookWorkbook);
  const PlainRows rows({"1002", "1001", "1003", "1004"});
  int asked = 0;
  const OrbBookResult r = WriteOrbBookCells(*book, rows, [&] { return ++asked < 2; });
  EXPECT_TRUE(r.stopped);
  EXPECT_EQ(r.confirmed, 0);
  EXPECT_EQ(excel.cell(4, 1), "1002");
  EXPECT_EQ(excel.cell(4, 2), "名 1002");
  EXPECT_EQ(excel.cell(6, 1), "1003") << "1001 is skipped without a row step";
  EXPECT_EQ(excel.cell(8, 1), "") << "stopped after 1003";
  EXPECT_EQ(excel.cell(4, 34), "") << "the satellite's call cell is written empty";
  EXPECT_TRUE(excel.calls().contains("Cell 4,34="));
  EXPECT_FALSE(excel.calls().contains("Cell 4,36="));
}

// Codes whose band cells are confirmed wherever the sheet holds a record number for them.
class ConfirmedRows : public PlainRows {
 public:
  using PlainRows::PlainRows;
  QString Cell(int32_t row, int32_t column) const override {
    if (column < 5) return PlainRows::Cell(row, column);
    const auto& numbers = SheetTally.GridCellRecordNumbers;
    return numbers.Contains(column, row) && !numbers(column, row).isEmpty() ? QStringLiteral("C") : QString();
  }
};

TEST(OrbBookCells, EveryConfirmedCellShowsTheQsoItsRecordHolds) {
  SheetLog log;
  log.Add({"JA1AAA,2020/01/01,7.025,CW,1002,J *", "JA1AAB,2020/01/02,14.050,SSB,1002,J *",
           "JA7TWN,2021/05/06,21.100,FM,1101,J *", "JA0AAA,2020/03/01,7.025,RTTY,1101,J *",
           "JH1XYZ,2019/02/03,145.00,FM,1003,J *"});
  log.Prepare();
  SheetTally.SizeCellArrays(BandLayout.LastBandColumn, 3);
  // Records out of file order, one record behind two cells, a row without any.
  const std::map<std::pair<int32_t, int32_t>, int32_t> behind{
      {{1, 7}, 4}, {{1, 9}, 2}, {{1, 11}, 4}, {{3, 7}, 1}, {{3, 20}, 5}, {{3, 9}, 3}};
  for (const auto& [at, recNo] : behind) SheetTally.GridCellRecordNumbers(at.second, at.first) = QString::number(recNo);
  WorkbookRecorder excel;
  std::unique_ptr<Workbook> book = NewWorkbook(kOrbBookWorkbook);
  ASSERT_EQ(HamlogOpenDb(), 0);
  EXPECT_EQ(WriteOrbBookCells(*book, ConfirmedRows({"1002", "1004", "1101"}), nullptr).confirmed, 6);
  for (const auto& [at, recNo] : behind) {
    ASSERT_EQ(ReadQsoBasic(recNo, 2), 0);
    const int32_t r = 4 + 2 * (at.first - 1), c = OrbBookColumn(at.second);
    EXPECT_EQ(excel.cell(r, c) + excel.cell(r, c + 1) + excel.cell(r + 1, c + 1), Qso.QsoMode + Qso.QsoCall + Qso.QsoDate);
  }
  HamlogCloseDb(0);
  EXPECT_EQ(excel.cell(6, 1) + excel.cell(6, 7) + excel.cell(6, 8), "1004") << "a code without records";
  SheetTally = {};
}

// The book made from the sheet load's column copy shows what the records read one by one show, on a
// log as years of logging leave it (deleted records, dates that are no date, odd modes and QSL marks):
// every cell confirmed by a record spread over the log, a few confirmed by none.
TEST(OrbBookCells, TheColumnCopyShowsWhatTheRecordsReadOneByOneShow) {
  SheetLog log;
  MakeVariedLog(log.dir, 3000);
  log.Prepare();
  QStringList codes;
  for (int i = 0; i < 60; ++i) codes << (i == 7 ? QStringLiteral("1001") : QString::number(1100 + i));
  SheetTally.SizeCellArrays(BandLayout.LastBandColumn, int32_t(codes.size()));
  for (int32_t row = 1, i = 0; row <= codes.size(); ++row)
    for (int32_t c = 5; c <= BandLayout.LastBandColumn; ++c, ++i)
      if (i % 13 != 0)
        SheetTally.GridCellRecordNumbers(c, row) = QString::number(i % 41 == 0 ? 0 : 1 + i * 89 % 3000);
  const auto book = [&] {
    WorkbookRecorder excel;
    std::unique_ptr<Workbook> b = NewWorkbook(kOrbBookWorkbook);
    EXPECT_EQ(HamlogOpenDb(), 0);
    const int32_t confirmed = WriteOrbBookCells(*b, ConfirmedRows(codes), nullptr).confirmed;
    HamlogCloseDb(0);
    return excel.calls().join('\n') +
           QStringLiteral("\n%1 %2 %3").arg(confirmed).arg(Qso.QsoRecNo).arg(Qso.QsoCall);
  };
  ASSERT_EQ(QsoColumns.ReadToLogEnd(), HAMLOG_OK);
  ASSERT_TRUE(QsoColumns.CoversLogEnd());
  const QString copied = book();
  QsoColumns.Drop();
  const QString read = book();
  EXPECT_EQ(copied, read);
  EXPECT_TRUE(read.contains(QStringLiteral("=24/02/30\n"))) << "a date that is no day, as stored";

  // A record past the log's end cannot be read: the operator is told, and its cell shows no QSO.
  MsgBoxResponder boxes;
  boxes.Answer(vbOK);
  SheetTally.GridCellRecordNumbers(6, 1) = QStringLiteral("9999");
  const QString unreadable = book();
  const int32_t c = OrbBookColumn(6);
  for (const QString& cell :
       {QStringLiteral("4,%1").arg(c), QStringLiteral("4,%1").arg(c + 1), QStringLiteral("5,%1").arg(c + 1)})
    EXPECT_TRUE(unreadable.contains(QStringLiteral("\nCell %1=\n").arg(cell))) << cell.toStdString();
  EXPECT_FALSE(boxes.texts().isEmpty());
  SheetTally = {};
}

TEST(TownListCells, AnEmptySheetGetsOnlyTheFrameOfTheList) {
  WorkbookRecorder excel;
  std::unique_ptr<Workbook> book = NewWorkbook(kChousonWorkbook);
  const ChousonResult r = WriteChousonCells(*book, PlainRows({}), false, false);
  EXPECT_EQ(r.written, 0);
  EXPECT_EQ(excel.calls(), QStringList({"Cell 4,1=1", "Cell 5,1=1", "Cell 6,14= cfm 合　計  = 0/0", "Cell 7,1=SUM"}));
}

}  // namespace
