// From the start window's button to the filled sheet and back, as the operator goes through it.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QTimer>

#include "app/StartProgram.h"
#include "core/MasterTable.h"
#include "core/SharedSettings.h"
#include "forms/sheet/CWSHEET.h"
#include "forms/startup/ORBTOP.h"
#include "hamlogdb/hamlogdb.h"
#include "platform/hamlog/hamlog.h"
#include "platform/profile.h"
#include "platform/ui/responders.h"
#include "platform/ui/testhooks.h"
#include "rig/RigPortState.h"
#include "sheet/SheetTally.h"
#include "support/shared_state.h"
#include "support/sheet_log.h"

namespace {

struct StartToSheetTest : ::testing::Test {
  SheetLog log;
  MsgBoxResponder boxes;

  void SetUp() override {
    SetUiFailureReporter([](const QString& m) { ADD_FAILURE() << m.toStdString(); });
    log.Add({"JA1AAA,2020/01/01,7.025,CW,1002,J *", "JA1AAB,2020/01/02,14.050,CW,1002,J  "});
    QFile definitions(QStringLiteral(ORBEX_DATA_DIR "/home/政令指定都市定義.txt"));
    ASSERT_TRUE(definitions.open(QIODevice::ReadOnly));
    log.home.write("政令指定都市定義.txt", definitions.readAll());
    const QString ini = log.home.file("ORBEX5.INI");
    WritePrivateProfileString("ORB", "MYCALL", "JA1ZZZ", ini);
    WritePrivateProfileString("ORB", "HAMLOGexePOS", hamlogdb::ProgramPath(log.dir), ini);
    WritePrivateProfileString("ORB", "HAMLOGPOS", log.Hdb(), ini);
    ResetSharedState();
    ASSERT_NE(start(), nullptr);
  }
  void TearDown() override {
    UnloadAllForms();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ReleaseProgramLock();
    StartWindowHooks = {};
    SetUiFailureReporter({});
    ResetSharedState();
  }
  ORBTOP* start() {
    Form<ORBTOP>();
    ORBTOP* top = LoadedForm<ORBTOP>();
    if (top) top->Show();
    return top;
  }
  ORBTOP& top() { return *LoadedForm<ORBTOP>(); }
  void pressStart() {
    top().Command1.click();
    QCoreApplication::processEvents();
  }
};

TEST_F(StartToSheetTest, StartReturnAndStartFromThePreviousData) {
  pressStart();
  ASSERT_TRUE(IsLoaded<CWSHEET>());
  EXPECT_TRUE(LoadedForm<CWSHEET>()->isVisible());
  EXPECT_FALSE(top().isVisible());
  EXPECT_EQ(MasterTable(kCol7, kRow1002), "C");

  LoadedForm<CWSHEET>()->RTNMN.Trigger();
  QCoreApplication::processEvents();
  EXPECT_FALSE(IsLoaded<CWSHEET>());
  EXPECT_TRUE(top().isVisible());
  EXPECT_EQ(top().Check1.Value(), 1);  // HAMLOG.HDB unchanged since the reading
  EXPECT_EQ(StartFlags.StartWithPreviousData, 1);
  EXPECT_EQ(top().Label9.text(), "ｶｳﾝﾀ");
  EXPECT_TRUE(top().Command1.isEnabled());

  // From the previous data: HAMLOG is not read again.
  SheetTally.ReadPosition = 0;
  pressStart();
  ASSERT_TRUE(IsLoaded<CWSHEET>());
  EXPECT_EQ(SheetTally.ReadPosition, 0);

  // A QSO logged meanwhile: the return leaves the box unticked.
  log.Add({"JA1AAC,2020/01/03,21.050,CW,1002,J *"});
  LoadedForm<CWSHEET>()->RTNMN.Trigger();
  EXPECT_EQ(top().Check1.Value(), 0);
  EXPECT_EQ(StartFlags.StartWithPreviousData, 0);
}

TEST_F(StartToSheetTest, EscOnTheStartWindowStopsTheReading) {
  ASSERT_TRUE(hamlogdb::Generate(log.dir, 20000, 3).Ok());
  UnloadForm<ORBTOP>();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ReleaseProgramLock();
  ASSERT_NE(start(), nullptr);
  QTimer esc;
  QObject::connect(&esc, &QTimer::timeout, [] {
    ORBTOP* t = LoadedForm<ORBTOP>();
    if (t && SheetTally.ReadPosition > 0 && StartFlags.AbortReading == 0) {
      int key = vbKeyEscape;
      t->Form_KeyDown(key, 0);
    }
  });
  esc.start(0);
  boxes.Answer(vbOK);
  pressStart();
  esc.stop();
  EXPECT_EQ(boxes.texts(), QStringList{"処理が中断されました"});
  EXPECT_FALSE(IsLoaded<CWSHEET>());
  EXPECT_TRUE(top().isVisible());
  EXPECT_FALSE(QFile::exists(log.WorkFile()));
}

}  // namespace
