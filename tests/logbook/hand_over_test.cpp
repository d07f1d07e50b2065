// A stored QSO as it is handed to the entry window: every field, the flags and the record copy, or
// nothing at all.
#include <gtest/gtest.h>

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
    ASSERT_EQ(HamlogOpenDb(), 0);
    // Record 2 carries the D and C flags (code 24).
    ASSERT_EQ(THW_read(Hamlog.Thw, 2, 3), 0);
    const ThwRecord old = Hamlog.Thw;
    SetThBuffer(Hamlog.Thw, "24", 16);
    int32_t confirm = 0;
    ASSERT_EQ(THW_update(Hamlog.Thw, old, 2, 16, confirm), 0);
  }
};

TEST_F(HandOver, EveryFieldComesOverWithTheRecordCopy) {
  ASSERT_EQ(THW_read(Hamlog.Thw, 1, 3), 0);
  const std::optional<StoredQso> q = TakeStoredQso();
  ASSERT_TRUE(q.has_value());
  EXPECT_EQ(q->recNo, 1);
  EXPECT_EQ(q->call, "JA1ABC");
  EXPECT_EQ(q->date, "2024-05-06");
  EXPECT_EQ(q->time, "21:05J");
  EXPECT_EQ(q->hisRst, "599");
  EXPECT_EQ(q->myRst, "579");
  EXPECT_EQ(q->freq, "7.025");
  EXPECT_EQ(q->mode, QString("CW").leftJustified(16, ' '));
  EXPECT_EQ(q->code, "1101");
  EXPECT_EQ(q->grid, "PM95");
  EXPECT_EQ(q->qslVia, "J");
  EXPECT_EQ(q->qslSent, "*");
  EXPECT_EQ(q->qslReceived, "");  // a blank third character leaves the box empty
  EXPECT_EQ(q->name, "Taro");
  EXPECT_EQ(q->qth, "QTH");
  EXPECT_EQ(q->remarks1, "rem1");
  EXPECT_FALSE(q->dxFlag);
  EXPECT_EQ(std::memcmp(q->backup.bytes, Hamlog.Thw.bytes, sizeof q->backup.bytes), 0);
}

TEST_F(HandOver, TheFlagsAreTheRecordsOwn) {
  ASSERT_EQ(THW_read(Hamlog.Thw, 2, 3), 0);
  std::optional<StoredQso> q = TakeStoredQso();
  ASSERT_TRUE(q.has_value());
  EXPECT_EQ(q->qslFlagText, "DC  ");
  EXPECT_TRUE(q->dxFlag);
  // The next record's flags are not those of the one before.
  ASSERT_EQ(THW_read(Hamlog.Thw, 1, 3), 0);
  q = TakeStoredQso();
  EXPECT_EQ(q->qslFlagText, "    ");
}

TEST_F(HandOver, ABlockWithoutARecordHandsNothingOver) {
  Hamlog.Thw = ThwRecord{};
  EXPECT_FALSE(TakeStoredQso().has_value());
}

TEST_F(HandOver, ReadingTheShownRecordAgain) {
  EXPECT_TRUE(ReadRecordAgain(2));
  EXPECT_EQ(Hamlog.HamlogClosed, 0);  // left open for the entry window
  EXPECT_EQ(TakeStoredQso()->call, "W1AW");
  EXPECT_FALSE(ReadRecordAgain(99));  // silently
  HamlogCloseDb(0);
  Hamlog.HamlogDbPath = dir + "/NONE.HDB";
  boxes.Answer(vbOK);
  EXPECT_FALSE(ReadRecordAgain(1));
  EXPECT_EQ(boxes.texts(), QStringList{QString::fromUtf8("HAMLOGデータがOpen出来ません。")});
}

}  // namespace
