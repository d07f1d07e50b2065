// The DX code search from the entry window's call box: one entity straight into the entry window,
// several into the code list, whose pick gives the station's local time.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QTest>
#include <QTimeZone>

#include "forms/logbook/LogbookWindows.h"
#include "forms/logbook/TEMP_LOG.h"
#include "forms/lookup/CODE_LIST.h"
#include "lookup/CodeListState.h"
#include "platform/clock.h"
#include "core/HamlogAccess.h"
#include "hamlogdb/hamlogdb.h"
#include "platform/hamlog/hamlog.h"
#include "support/cty_csv.h"
#include "support/logbook_log.h"
#include "support/operator.h"
#include "support/qt_print.h"

namespace {

class DxCodeWindow : public LogbookTest {
 protected:
  void SetUp() override {
    LogbookTest::SetUp();
    AddQsos({{"JA1AAA"}});
    auto dx = [](const char* code, const char* name, const char* head, const char* tail, int lon) {
      hamlog::MasterEntry m{code, name, "3", head, tail};
      m.longitude = lon;
      return m;
    };
    WriteMaster({dx("704A", "Hawaii", "KH", "6", -157), dx("708A", "New Zealand", "ZL", "", 175),
                 dx("709A", "Chatham", "ZL", "7", -176)});
    ConnectLogbookWindows();
    Form<TEMP_LOG>();  // the search starts from its call box
    SetFixedClock(QDateTime(QDate(2024, 5, 6), QTime(21, 0), QTimeZone(9 * 3600)));
  }
  void TearDown() override {
    UnloadForm<CODE_LIST>();
    if (TEMP_LOG* w = LoadedForm<TEMP_LOG>()) w->Unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    LogbookTest::TearDown();
  }
  // The entry window's code and QTH.
  QString entry() {
    const TEMP_LOG* w = LoadedForm<TEMP_LOG>();
    return w ? w->Text9.text() + "|" + w->Text13.text() : QString();
  }
};

TEST_F(DxCodeWindow, OneEntityGoesStraightIntoTheEntryWindow) {
  SearchDxCodeToWindows("KH6ABC");
  EXPECT_EQ(entry(), "704A|Hawaii");
  EXPECT_FALSE(IsLoaded<CODE_LIST>());
  EXPECT_EQ(CodeListShared.LocalTimeText, "02:00");
}

TEST_F(DxCodeWindow, SeveralEntitiesAreListedForAPickThatGivesTheLocalTime) {
  SearchDxCodeToWindows("ZL1ABC");
  ASSERT_TRUE(IsLoaded<CODE_LIST>());
  CODE_LIST& list = *LoadedForm<CODE_LIST>();
  EXPECT_TRUE(list.isVisible());
  FlexGrid& g = list.MSFlexGrid1;
  ASSERT_EQ(g.Rows(), 3);
  EXPECT_EQ(g.TextMatrix(1, 1), "708A");
  EXPECT_EQ(g.LeftCol(), 1);  // the code and name columns in view
  EXPECT_EQ(g.TextMatrix(2, 0), "2");
  EXPECT_EQ(g.TextMatrix(2, 2), "Chatham");
  EXPECT_EQ(g.TextMatrix(2, 22), QString::fromUtf8("西経"));
  EXPECT_EQ(g.TextMatrix(2, 23), "176");
  EXPECT_EQ(entry(), "|");
  // The operator's pick runs the local time of the logbook.
  QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, g.visualRect(g.gridModel().index(1, 1)).center());
  EXPECT_EQ(g.RowSel(), 2);
  EXPECT_EQ(CodeListShared.LocalTimeText, "01:00");  // 12:00 UTC, 176 west: 11 hours less
  // A search that finds nothing closes the list of the last one.
  SearchDxCodeToWindows("QQ1A");
  EXPECT_FALSE(IsLoaded<CODE_LIST>());
}

// The shipped master, as scripts/run loads it: the entry window gives the station's local time from the
// entity's longitude, one hour for every full 15 degrees.
class ShippedMasterLocalTime : public DxCodeWindow {
 protected:
  void SetUp() override {
    DxCodeWindow::SetUp();
    ASSERT_TRUE(hamlogdb::LoadMaster(dir, ORBEX_DATA_DIR "/master.csv", ORBEX_DATA_DIR "/dx_prefixes.csv").Ok());
    ASSERT_EQ(HamlogOpenDb(), 0);  // the indexes in step with the new master, as HAMLOG keeps them
    HamlogCloseDb(0);
    hamlogLib.indexRebuilds = 0;
    SetFixedClock(QDateTime(QDate(2024, 5, 6), QTime(12, 0), QTimeZone(0)));
    ASSERT_FALSE(cty.Entities().empty()) << "cty.csv of the package hamradio-files";
    Form<TEMP_LOG>().Show();
    Operator::Activate(Form<TEMP_LOG>());
  }
  // `call` typed over in the entry window's call box and looked up (Down).
  static void lookUp(const QString& call) {
    Operator::Click(Form<TEMP_LOG>().Text1);
    Operator::Key(Qt::Key_End);
    for (int i = 0; i < 12; ++i) Operator::Key(Qt::Key_Backspace);
    Operator::Type(call);
    Operator::Key(Qt::Key_Down);
  }
  const CtyCsv cty;
};

TEST_F(ShippedMasterLocalTime, TheStationsLocalTimeIsThatOfItsEntitysUtcOffset) {
  TEMP_LOG& w = Form<TEMP_LOG>();
  // One entity goes straight into the entry window; of several the operator picks it in the code list.
  const auto look = [&](const QString& call, const CtyEntity& e) {
    lookUp(call);
    if (CODE_LIST* list = LoadedForm<CODE_LIST>()) {
      int row = 1;
      while (row < list->MSFlexGrid1.Rows() - 1 && list->MSFlexGrid1.TextMatrix(row, 2) != e.name) ++row;
      Operator::ClickCell(list->MSFlexGrid1, row, 2);
    }
    EXPECT_EQ(w.Text13.text(), e.name) << call.toStdString();
  };
  for (const QString call : {"KH6ZZZ", "DU1ZZZ", "YB1ZZZ", "CE3ZZZ", "G4ZZZ"}) {
    ASSERT_FALSE(cty.IsWholeCall(call));
    const CtyEntity& e = cty.Entities()[cty.Call(call)];
    look(call, e);
    EXPECT_EQ(w.LT.Caption(),
              "Local Time(Abt)=> " + QTime(12, 0).addSecs(int(e.utcOffset * 3600)).toString("HH:mm"))
        << call.toStdString();
  }
  // Russia in Europe and in Asia (Perm and Komi count European), a station signing "/9" in Asia, and a
  // base in Antarctica under a United States call.
  for (const QString call :
       {"RA3AA", "RW6HS", "RZ1AB", "UA4ABC", "R7AA", "UA9FAA", "RA9XA", "RX9ABC", "KC4AAA"})
    look(call, cty.Entities()[cty.Call(call)]);
  look("UA3ABC/9", cty.Entities()[cty.Call("UA9ABC")]);
  // A Japanese call after it keeps nothing of that station: no code, QTH or D tick.
  lookUp("JH8XYI");
  EXPECT_EQ(w.Text9.text() + w.Text13.text(), "");
  EXPECT_EQ(w.Check1.Value(), 0);
}

TEST_F(ShippedMasterLocalTime, WithTheDxccTableTheCallAsWrittenDecidesAndFillsTheCodeByItself) {
  ASSERT_TRUE(QFile::copy(ORBEX_DATA_DIR "/home/CodeLib.txt", home.file("CodeLib.txt")));
  // "CALL=WHOSE": the entity cty.csv gives WHOSE (none when ""); "CALL": its own.
  for (const QString& entry :
       QString(
           "DL1ABC/MM= DL1ABC/AM= F/JA1ABC=F G/JA1ABC=G W/JA1ABC=W K/JA1ABC=K I/JA1ABC=I JA1ABC/F=F "
           "JA1ABC/G=G W1ABC/6=W6ABC DL1ABC/P=DL1ABC EA8/DL1ABC/P=EA8 LA1ABC/LH=LA1ABC EA1ABC/AM= LU1ABC "
           "VP8ABC CE9AB KH6ABC KL7ABC KP4ABC KP2AB NP2AB WP4ABC FT0YA FT8YA AX9MA VI9MA AX9XA VZ9XA SY2A")
           .split(' ')) {
    const QString call = entry.section('=', 0, 0), whose = entry.section('=', -1);
    lookUp(call);
    EXPECT_FALSE(IsLoaded<CODE_LIST>()) << call.toStdString() << ": the call decides, no list";
    EXPECT_EQ(Form<TEMP_LOG>().Text13.text(), whose.isEmpty() ? QString() : cty.Entities()[cty.Call(whose)].name)
        << call.toStdString();
  }
}

}  // namespace
