// A stored QSO as it is handed to the entry window: every field, the flags and the record copy, or
// nothing at all.
#include <gtest/gtest.h>

#include <QFile>
#include <cstring>

#include "core/HamlogAccess.h"
#include "core/QsoRules.h"
#include "logbook/QsoHandOver.h"
#include "support/logbook_log.h"
#include "support/qt_print.h"

namespace {

class HandOver : public LogbookTest {
 protected:
  void SetUp() override {
    LogbookTest::SetUp();
    AddQsos({{"JA1ABC", "1101", "7.025", "CW", "J* ", "Taro"}, {"W1AW", "", "14.025", "SSB", "JE*", ""}});
    // Record 2 carries the D and C flags (code 24).
    ChangeStoredField(2, 16, "24");
    ASSERT_EQ(HamlogOpenDb(), 0);
  }
};

TEST_F(HandOver, EveryFieldComesOverWithTheRecordCopy) {
  ASSERT_EQ(THW_read(Hamlog.Thw, 1, 3), 0);
  const std::optional<StoredQso> q = TakeStoredQso();
  ASSERT_TRUE(q.has_value());
  EXPECT_EQ(q->recNo, 1);
  const QsoEntry& e = q->entry;
  // A blank third character of the QSL field leaves the received box empty.
  EXPECT_EQ(QStringList({e.call, e.date, e.time, e.hisRst, e.myRst, e.freq, e.mode, e.code, e.grid, e.qslVia,
                         e.qslSent, e.qslRcvd, e.name, e.qth, e.remarks1}),
            QStringList({"JA1ABC", "2024-05-06", "21:05J", "599", "579", "7.025", "CW", "1101", "PM95", "J",
                         "*", "", "Taro", "QTH", "rem1"}));
  EXPECT_FALSE(e.dFlag);
  EXPECT_EQ(std::memcmp(q->backup.bytes, Hamlog.Thw.bytes, sizeof q->backup.bytes), 0);
}

TEST_F(HandOver, TheFlagsAreTheRecordsOwn) {
  ASSERT_EQ(THW_read(Hamlog.Thw, 2, 3), 0);
  std::optional<StoredQso> q = TakeStoredQso();
  ASSERT_TRUE(q.has_value());
  EXPECT_EQ(QsoRules.QslFlagText, "DC  ");
  EXPECT_TRUE(q->entry.dFlag);
  // The next record's flags are not those of the one before.
  ASSERT_EQ(THW_read(Hamlog.Thw, 1, 3), 0);
  q = TakeStoredQso();
  EXPECT_EQ(QsoRules.QslFlagText, "    ");
  EXPECT_FALSE(q->entry.dFlag);
}

TEST_F(HandOver, ABlockWithoutARecordHandsNothingOver) {
  Hamlog.Thw = ThwRecord{};
  EXPECT_FALSE(TakeStoredQso().has_value());
}

TEST_F(HandOver, ReadingTheShownRecordAgain) {
  EXPECT_TRUE(ReadRecordAgain(2));
  EXPECT_EQ(Hamlog.HamlogClosed, 0);  // left open for the entry window
  EXPECT_EQ(TakeStoredQso()->entry.call, "W1AW");
  EXPECT_FALSE(ReadRecordAgain(99));  // silently
  EXPECT_EQ(Hamlog.HamlogClosed, 1) << "the next station list would find HAMLOG busy";
  HamlogCloseDb(0);
  const QString good = Hamlog.HamlogDbPath;
  Hamlog.HamlogDbPath = dir + "/NONE.HDB";
  boxes.Answer(vbOK);
  EXPECT_FALSE(ReadRecordAgain(1));
  EXPECT_EQ(boxes.texts(), QStringList{"HAMLOGデータがOpen出来ません。\r\nHAMLOG.HDB が見つかりません\r\n" + dir + "/NONE.HDB"});
  // A log whose header count is damaged is told apart from one that is gone.
  Hamlog.HamlogDbPath = good;
  {
    QFile hdb(Hamlog.HamlogDbPath);
    ASSERT_TRUE(hdb.open(QIODevice::ReadWrite));
    hdb.seek(4);
    hdb.write(QByteArray("\x09\0\0\0", 4));
  }
  boxes.Answer(vbOK);
  EXPECT_FALSE(ReadRecordAgain(1));
  EXPECT_TRUE(boxes.texts().last().startsWith("HAMLOGデータがOpen出来ません。\r\nHAMLOG.HDB のヘッダの件数 9 件が"))
      << boxes.texts().last().toStdString();
}

}  // namespace
