#include "start_window_fixture.h"

#include <QCoreApplication>
#include <QFile>
#include <QTimeZone>

#include "app/StartProgram.h"
#include "core/BandLayout.h"
#include "core/HamlogAccess.h"
#include "core/MasterList.h"
#include "core/MasterTable.h"
#include "core/SharedSettings.h"
#include "hamlogdb/hamlogdb.h"
#include "platform/clock.h"
#include "platform/codepage.h"
#include "platform/hamlog/hamlog.h"
#include "platform/profile.h"
#include "platform/ui/form.h"
#include "platform/ui/testhooks.h"
#include "rig/RigPortState.h"
#include "sheet/LogPrint.h"
#include "sheet/WorkFileStamp.h"
#include "support/shared_state.h"

namespace {

QByteArray shipped(const QString& name) {
  QFile f(QStringLiteral(ORBEX_DATA_DIR "/home/") + name);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const char kLog[] =
    "\"JA1AAA\",\"2023/04/01\",\"10:00J\",\"59\",\"59\",\"7.045\",\"SSB\",\"1001\",\"\",\"J "
    "*\",\"\",\"\",\"\",\"\"\r\n"
    "\"JA2BBB\",\"2023/04/02\",\"11:00J\",\"599\",\"599\",\"14.025\",\"CW\",\"2001\",\"\",\"J  "
    "\",\"\",\"\",\"\",\"\"\r\n"
    "\"JA3CCC/3\",\"2023/04/03\",\"12:00J\",\"59\",\"59\",\"430.10\",\"FM\",\"2201\",\"\",\"P "
    "*\",\"\",\"\",\"\",\"\"\r\n";

}  // namespace

void StartWindowTest::SetUp() {
  SetUiFailureReporter([](const QString& m) { ADD_FAILURE() << m.toStdString(); });
  ResetSharedState();
  hamlogLib = HamlogLib{};
  SetFixedClock(QDateTime(QDate(2024, 5, 1), QTime(12, 0), QTimeZone(9 * 3600)));

  for (const QString& name : {QString::fromUtf8("政令指定都市定義.txt"), QString("ORBEX_TopTips.TXT")})
    home.write(name, shipped(name));
  hamlogDir = home.file("HAMLOG");
  hdbPath = hamlogdb::DatabasePath(hamlogDir);
  const QString csv = home.write("log.csv", QByteArray(kLog));
  ASSERT_TRUE(hamlogdb::Create(hamlogDir).Ok());
  ASSERT_TRUE(hamlogdb::LoadMaster(hamlogDir, QStringLiteral(ORBEX_DATA_DIR "/master.csv")).Ok());
  ASSERT_TRUE(hamlogdb::Import(hamlogDir, csv).Ok());
}

void StartWindowTest::TearDown() {
  UnloadAllForms();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ReleaseProgramLock();
  ResetClock();
  hamlogLib = HamlogLib{};
  SetUiFailureReporter({});
}

void StartWindowTest::setUpOperator() {
  set("ORB", "MYCALL", "JA1ZZZ");
  set("ORB", "HAMLOGexePOS", hamlogdb::ProgramPath(hamlogDir));
  set("ORB", "HAMLOGPOS", hdbPath);
}

void StartWindowTest::setUpPreviousReading() {
  setUpOperator();
  set("ORB", "TopTips_DISP", "NO");
  Hamlog.HamlogDbPath = hdbPath;
  home.write("DMYDBS.DAT", "previous reading\r\n");
  RecordWorkFileComplete();
  // Beside LASTP, the print of the log as the reading saw it, by today's band rule.
  LogPrint print;
  ASSERT_EQ(HamlogOpenDb(), 0);
  print.Records = Vdbf_rcount(Hamlog.Thw);
  ASSERT_EQ(PrintHdbRecords(1, print.Records, print, SilentSheetProgress()), HAMLOG_OK);
  HamlogCloseDb(0);
  set("ORB", "DBSLogPrint", print.Text());
}

void StartWindowTest::set(const char* section, const char* key, const QString& value) {
  WritePrivateProfileString(section, key, value, home.file("ORBEX5.INI"));
}

QString StartWindowTest::stored(const char* section, const char* key) const {
  return GetPrivateProfileString(section, key, "<missing>", home.file("ORBEX5.INI"));
}

ORBTOP* StartWindowTest::load() {
  Form<ORBTOP>();
  return LoadedForm<ORBTOP>();
}
