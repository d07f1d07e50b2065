#include "support/sheet_log.h"

#include <gtest/gtest.h>

#include "core/BandLayout.h"
#include "core/DesignatedCities.h"
#include "core/HamlogAccess.h"
#include "core/MasterList.h"
#include "core/MasterTable.h"
#include "core/QsoRules.h"
#include "core/SharedSettings.h"
#include "hamlogdb/hamlogdb.h"
#include "platform/hamlog/hamlog.h"
#include "platform/paths.h"
#include "platform/vbfile.h"
#include "sheet/BuildDmyDbs.h"
#include "sheet/SheetTally.h"
#include "sheet/WorkFileStore.h"
#include "support/shared_state.h"

namespace {

// Names as HAMLOG's master holds them: the prefecture first, but for a designated city's wards; a
// place that ceased carries "*" and its year and month.
const char* kCodes[][5] = {
    {"1001", "東京都23区", "4", "と", "1"},     {"100101", "東京都千代田区", "6", "ち", "1"},
    {"100105", "東京都文京区", "6", "ぶ", "1"}, {"1002", "東京都八王子市", "4", "は", "1"},
    {"1101", "神奈川県横浜市", "4", "よ", "1"}, {"110101", "横浜市鶴見区", "6", "つ", "1"},
    {"10001", "東京都大島支庁", "5", "お", "1"}, {"10001A", "東京都大島町", "7", "お", "1"},
    {"10001B", "東京都利島村", "8", "と", "1"}, {"0901", "長野県旧市*05/01", "4", "き", "0"},
    {"500A", "Japan", "3", "JA", ""},           {"501A", "Entity", "3", "K", ""},
};

}  // namespace

SheetLog::SheetLog() : dir(home.file("HAMLOG")) {
  hamlogLib = HamlogLib{};
  EXPECT_TRUE(hamlogdb::Create(dir).Ok());
  VbFile list(home.file("codes.csv"), VbMode::Output);
  for (const auto& c : kCodes) list.Write({c[0], c[1], c[2], c[3], c[4]});
  EXPECT_TRUE(list.Close());
  EXPECT_TRUE(hamlogdb::LoadMaster(dir, home.file("codes.csv")).Ok());
}

QString SheetLog::Hdb() const { return hamlogdb::DatabasePath(dir); }

void SheetLog::Add(const QStringList& qsos) {
  VbFile csv(home.file("qsos.csv"), VbMode::Output);
  for (const QString& q : qsos) {
    const QStringList f = q.split(',');
    csv.Write({f[0], f[1], "12:00J", "599", "599", f[2], f[3], f[4], f.value(8), f[5], "", "", f.value(6),
               f.value(7)});
  }
  EXPECT_TRUE(csv.Close());
  const hamlogdb::Outcome o = hamlogdb::Import(dir, home.file("qsos.csv"));
  EXPECT_TRUE(o.Ok()) << o.message.toStdString();
}

SheetLog::~SheetLog() { ReleaseWorkFileLines(); }

void SheetLog::AddRaw(const QString& rawDate) {
  ThwRecord thw{};
  ASSERT_EQ(HamlogOpen(0, thw, Hdb().left(Hdb().size() - 4), 1), 0);
  ASSERT_EQ(THW_read(thw, 1, 3), 0);
  SetThBuffer(thw, rawDate, 2);
  int32_t confirm = 0;
  EXPECT_EQ(THW_append(thw, 16, confirm), 0);
  HamlogClose(thw, 0);
}

void SheetLog::Prepare() {
  ResetSharedState();
  Settings.DataFolder = home.path();
  Settings.QslReceivedMarks[0] = "*";
  Settings.QslReceivedMarks[1] = "E";
  ReadConditions.ExcludedQslKinds[0] = "P";
  Hamlog.HamlogDbPath = Hdb();
  MasterList.MasterFilePath = hamlogdb::MasterPath(dir);
  MasterList.MasterHeaderLen = 235;
  PrepareSheetState();
  DesignatedCityDef.DesignatedCities = {{"横浜市", "1101", 19560901}};
  ShownBands.fill("1");
}

void PrepareSheetState() {
  Hamlog.HdbRecordCount = CountHdbRecords();
  MasterList.MasterRowCap = static_cast<int32_t>((FileLen(MasterList.MasterFilePath) - 290) / 56);
  ApplyBandSetLayout();
  MasterTable.Redim(BandLayout.KindColumn, MasterList.MasterRowCap);
}

void SheetLog::Load(SheetProgress& progress) {
  SheetTally.MasterRowCount = LoadMasterList(MasterList.MasterRecLen);
  SheetTally.SizeCellArrays(BandLayout.LastBandColumn, MasterList.MasterRowCap);
  BuildDmyDbs(progress);
}
