// Seeded random sequences of what an operator and HAMLOG do, each view on screen compared after every
// step with the same view of a fresh start of the program on copies of the same files (a process of
// its own). ORBEX_SEQUENCE_STEPS and ORBEX_SEQUENCE_SEED choose the run; scripts/random-sequence runs a
// long one. On a failure the seed and the step are named.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QTimeZone>
#include <algorithm>
#include <utility>

#include "core/BandLayout.h"
#include "core/HamlogAccess.h"
#include "forms/awards/ACCSheet.h"
#include "forms/awards/AwardSheetRuns.h"
#include "forms/awards/MichinoekiSheet.h"
#include "forms/awards/ORBTOTAL1.h"
#include "forms/logbook/LogbookWindows.h"
#include "forms/logbook/QSODATA.h"
#include "forms/logbook/TEMP_LOG.h"
#include "forms/sheet/CWSHEET.h"
#include "hamlogdb/hamlogdb.h"
#include "hamlogdb/tool_support.h"
#include "platform/clock.h"
#include "platform/codepage.h"
#include "platform/hamlog/hamlog_session.h"
#include "platform/hamlog/hdb_layout.h"
#include "platform/profile.h"
#include "platform/ui/responders.h"
#include "platform/vbfile.h"
#include "sheet/SheetTally.h"
#include "sheet/WorkFileStore.h"
#include "startup/start_window_fixture.h"
#include "support/operator.h"
#include "support/other_process.h"
#include "support/shared_state.h"

namespace {

const char* const kCalls[] = {"JA1AAA", "JA2BBB", "JH1RSQ", "JA3CCC/3", "W1AW", "VK2ABC"};
const char* const kJapaneseCalls[] = {"JA1AAA", "JA2BBB", "JH1RSQ", "JA3CCC"};
// A gun and its towns often: the marks of a gun come from the lines of all of them.
const char* const kCodes[] = {"1001",   "1002",   "100105", "110101", "25002",
                              "25002A", "25002B", "25002C", "501A"};
const char* const kBands[] = {"7.015", "14.025", "21.030", "435.00", "146.500", "10368"};
const char* const kGrids[] = {"PM95", "QM05", "PM74AB", "FN31", "QF56", "PM53XX", ""};
const char* const kStations[] = {"□10001", "□20001", ""};
const QStringList kAwards = {"square", "subsquare", "wasa", "dxcc", "member", "roadside"};

// Every box answered as an operator who goes on: OK, Yes; what the boxes said kept for a failure.
struct GoOnAnswers {
  QStringList texts;
  GoOnAnswers() {
    SetMsgBoxHook([this](const MsgBoxCall& c) {
      texts << c.text;
      const int buttons = c.style & 7;
      return MsgBoxAnswer{buttons == vbYesNo || buttons == vbYesNoCancel ? vbYes : vbOK, {}};
    });
  }
  ~GoOnAnswers() { SetMsgBoxHook({}); }
};

QStringList gridLines(FlexGrid& g) {
  QStringList lines;
  for (int r = 0; r < g.Rows(); ++r) {
    QStringList cells;
    for (int c = 0; c < g.Cols(); ++c) cells << g.TextMatrix(r, c);
    lines << cells.join('\t');
  }
  return lines;
}

// The text of the box that holds the focus typed over.
void typeOver(const QString& text) {
  Operator::Key(Qt::Key_A, Qt::ControlModifier);
  Operator::Type(text);
}

// The start button, from the previous data or reading HAMLOG afresh.
void start(ORBTOP& top, bool previous) {
  if ((top.Check1.Value() == 1) != previous) Operator::Click(top.Check1);
  Operator::Click(top.Command1);
}

// What a view shows, opened and closed again as the operator does: "sheet" (its band cells in view,
// "code band mark" each), "totals", a QSO list of the sheet ("codes CODE", a right click on the code's
// QTH cell, or "station CALL"), or an award view of the start window (kAwards).
QStringList view(ORBTOP& top, const QString& name, const QString& home) {
  CWSHEET* s = LoadedForm<CWSHEET>();
  QStringList lines;
  const QStringList list = name.split(' ');
  if (name == "sheet") {
    FlexGrid& g = s->MSFlexGrid2;
    for (int r = 1; r <= SheetTally.GridDataRows && r < g.Rows(); ++r)
      for (int c = 5; c <= BandLayout.LastBandColumn && g.RowHeight(r) > 0; ++c)
        if (g.ColWidth(c) > 0)
          lines << g.TextMatrix(r, 1).trimmed() + " " + g.TextMatrix(0, c) + " " + g.TextMatrix(r, c);
  } else if (name == "totals") {
    s->SYUDSP.Trigger();
    lines = gridLines(LoadedForm<ORBTOTAL1>()->MSFlexGrid1);
    LoadedForm<ORBTOTAL1>()->CLSCNT.Trigger();
  } else if (list.size() == 2) {
    Operator::Click(list[0] == "codes" ? s->Text2 : s->Text3);
    typeOver(list[1]);
    if (list[0] == "station") Operator::Key(Qt::Key_Return);
    FlexGrid& g = s->MSFlexGrid2;
    for (int r = 1; list[0] == "codes" && r < g.Rows(); ++r)
      if (g.TextMatrix(r, 1).trimmed() == list[1] && g.RowHeight(r) > 0) {
        Operator::ClickCell(g, r, 2, Qt::RightButton);
        break;
      }
    if (QSODATA* qsos = LoadedForm<QSODATA>())
      lines = QStringList{qsos->windowTitle()} + gridLines(qsos->MSFlexGrid1);
    Operator::Click(s->Command8);
    Operator::Click(s->Command2);
  } else {
    FileDialogResponder files;
    if (name == "member") files.Choose(home + "/acc.txt");
    Menu* menus[] = {&top.aGrigSrh, &top.aGrigSrh100, &top.aGrigSrhDX,
                     &top.xDXCC,    &top.ACCchk,      &top.MichiGet};
    menus[kAwards.indexOf(name)]->Trigger();
    if (MichinoekiSheet* m = LoadedForm<MichinoekiSheet>()) {
      lines = gridLines(m->MSFlexGrid2);
      m->RTNMN.Trigger();
    } else if (ACCSheet* a = LoadedForm<ACCSheet>()) {
      Operator::Activate(*a);
      lines = gridLines(a->MSFlexGrid2);
      a->RTNMN.Trigger();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  return lines;
}

struct RandomSequence : StartWindowTest {
  QRandomGenerator rng;
  bool offeredTick = false;  // the last step started from the previous data the window ticked itself
  GoOnAnswers answers;
  ORBTOP* top = nullptr;

  void SetUp() override {
    StartWindowTest::SetUp();
    setUpOperator();
    set("ORB", "DataFol", home.path());
    for (auto [key, value] : {std::pair{"MODE1", "CW"}, {"MODE2", "SSB"}, {"MODE3", "FM"}, {"MODEC", "3"}})
      set("ORB", key, value);
    home.write("acc.txt",
               "ACC Member List\r\n CALL   ACC#\r\n JA1AAA ACC#0012\r\n JA2BBB ACC#0003\r\n"
               " JH1RSQ ACC#0040\r\n W1AW   ACC#0001\r\n");
    home.write("道の駅.mcsv",
               ToAnsi(QString::fromUtf8("番号,名前,コード,所在地,予備\r\n□10001,道の駅東京,1001,東京都\r\n"
                                        "□20001,道の駅愛知,2001,愛知県\r\n")));
    // A master of some prefectures and entities, so that a fresh start costs little.
    QByteArray master, codes;
    ASSERT_TRUE(ReadWholeFile(QStringLiteral(ORBEX_DATA_DIR "/master.csv"), master));
    for (const QByteArray& line : master.split('\n'))
      if (QRegularExpression("^\"(01|10|11|25|5[0-2])").match(QString::fromLatin1(line)).hasMatch())
        codes += line + '\n';
    ASSERT_TRUE(hamlogdb::LoadMaster(hamlogDir, home.write("codes.csv", codes)).Ok());
    ASSERT_TRUE(hamlogdb::Generate(hamlogDir, 150, 5).Ok());
    ASSERT_TRUE(appendQsos(30));
    ConnectAwardSheets();
    ConnectLogbookWindows();
    ASSERT_NE(top = load(), nullptr);
    top->Show();
    FileDialogResponder files;  // the station list is taken in once
    files.Choose(home.file("道の駅.mcsv"));
    top->MichiGet.Trigger();
    LoadedForm<MichinoekiSheet>()->RTNMN.Trigger();
  }

  template <class T, size_t N>
  T any(T (&items)[N]) {
    return items[rng.bounded(int(N))];
  }

  // QSOs logged in HAMLOG (the tool's import, in this process or another).
  bool appendQsos(int n) {
    VbFile csv(home.file("qsos.csv"), VbMode::Output);
    for (int i = 0; i < n; ++i) {
      const QString qsl = QString("J ") + (rng.bounded(2) ? "*" : " ");
      csv.Write(
          {any(kCalls),
           QString("20%1/0%2/1%3").arg(10 + rng.bounded(14)).arg(1 + rng.bounded(9)).arg(rng.bounded(9)),
           "12:00J", "599", "599", any(kBands), rng.bounded(2) ? "CW" : "SSB", any(kCodes), any(kGrids), qsl,
           "", "", rng.bounded(3) ? "" : QString::fromUtf8("道の駅 ") + QString::fromUtf8(any(kStations)),
           ""});
    }
    return csv.Close() && hamlogdb::Import(hamlogDir, home.file("qsos.csv")).Ok();
  }

  CWSHEET* sheet() {
    CWSHEET* s = LoadedForm<CWSHEET>();
    return s && s->isVisible() ? s : nullptr;
  }

  // A "new" QSO, or one `backs` back from the last (a few when 0) "edit"ed or "remove"d; `fields` (call,
  // code, frequency, received mark) random when not given.
  void entryWindow(const QString& what, int backs = 0, QStringList fields = {}) {
    if (fields.isEmpty()) fields = {any(kCalls), any(kCodes), any(kBands), rng.bounded(2) ? "*" : " "};
    sheet()->LOGOPEN.Trigger();
    TEMP_LOG& w = *LoadedForm<TEMP_LOG>();
    Operator::Activate(w);
    if (what != "new")
      for (int k = backs > 0 ? backs : 1 + rng.bounded(12); k > 0; --k) Operator::Click(w.Command2);
    if (what == "remove") {
      w.DATDEL.Trigger();
      Operator::Key(Qt::Key_Escape);
      return;
    }
    if (what == "new") {
      Operator::Key(Qt::Key_F2);
      typeOver(fields[0]);
      Operator::Key(Qt::Key_F6);
      typeOver(fields[1]);
      Operator::Pick(w.Combo1, rng.bounded(3));
    }
    Operator::Key(Qt::Key_F5);
    typeOver(fields[2]);
    Operator::Click(w.Text17);
    typeOver(fields[3]);
    Operator::Key(Qt::Key_F1);
    Operator::Key(Qt::Key_Escape);
  }

  // A code of the master no QSO on the sheet has reached.
  QString unworkedCode() {
    const QStringList cells = view(*top, "sheet", home.path());
    for (const char* code : {"010102", "010103", "010104", "010105", "010106", "010107"})
      if (cells.filter(QRegularExpression(QString("^%1 .* [WC]$").arg(code))).isEmpty()) return code;
    return {};
  }

  // HAMLOG, another program: QSOs logged, a received mark set or taken away, a QSO deleted.
  bool hamlogWrites(int what, int32_t record = 0, char mark = 0) {
    const int32_t count = CountHdbRecords(), at = record ? record : 1 + rng.bounded(count);
    const int position = mark || rng.bounded(3) ? 2 : 0;  // or the QSL category: P is left out of the counts
    mark = mark ? mark : position == 0 ? (rng.bounded(2) ? 'P' : 'J') : rng.bounded(2) ? '*' : ' ';
    return InOtherProcess([&] {
      if (what == 0) return appendQsos(1 + rng.bounded(4));
      hamlogdb::OpenedLog log;
      if (!log.Open(hamlogDir).Ok()) return false;
      const int32_t r = what == 1 ? log.Db().PutQslMark(at, position, mark) : log.Db().Delete(at);
      return r == HAMLOG_OK || r == HAMLOG_DELETED;  // a QSO deleted before has no marks to set
    });
  }

  // Back to the start window. Where it offers the previous data, a start from them shows what a full
  // reading shows: "" when it does, else the first difference (then back again).
  QString back() {
    sheet()->RTNMN.Trigger();
    if (top->Check1.Value() != 1) return {};
    start(*top, true);
    if (!sheet()) return "the start from the previous data failed";
    const QString difference = fullReadingDifference();
    sheet()->RTNMN.Trigger();
    return difference.isEmpty() ? QString() : "from the previous data, " + difference;
  }

  QString fullReadingDifference() {
    return compareWithFreshStart(
        {{"sheet", view(*top, "sheet", home.path())}, {"totals", view(*top, "totals", home.path())}}, true);
  }

  // One step (HAMLOG "logs", "mark", "delete"; at the start window "previous" or "afresh" start and
  // the "award" views; on the sheet "append" (HAMLOG追加読込), a "new", "edit"ed or "remove"d QSO in the
  // entry window, a band or area "view", "totals", the QSO lists of "codes" and "station", "back" to the
  // start window, or back to it for an "award" view); the views it opened and closed again, with what
  // they showed. Appends and the append reading come often: the sheet's marks after them are what the
  // merge keeps. HAMLOG's writes come less often than the operator's, so that an award view often
  // follows the operator's own saves with no other program's write between (which would have the log
  // read whole again). `offered`: back()'s answer.
  std::map<QString, QStringList> step(QString& name, QString& offered) {
    static const QStringList kAtStart = {"hamlog", "previous", "afresh", "award", "award", "award"};
    static const QStringList kOnSheet = {"hamlog", "hamlog",  "append", "append", "append", "new",
                                         "new",    "edit",    "edit",   "remove", "view",   "totals",
                                         "codes",  "station", "award",  "award",  "back"};
    CWSHEET* s = sheet();
    const QStringList& steps = s ? kOnSheet : kAtStart;
    name = steps[rng.bounded(int(steps.size()))];
    if (name == "hamlog") name = QStringList{"logs", "logs", "mark", "delete"}[rng.bounded(4)];
    if (const int what = QStringList{"logs", "mark", "delete"}.indexOf(name); what >= 0) {
      EXPECT_TRUE(hamlogWrites(what)) << name.toStdString();
    } else if (name == "previous" || name == "afresh") {
      // Often after HAMLOG's writes while the start window shows, its tick decided before them.
      if (rng.bounded(2)) {
        EXPECT_TRUE(hamlogWrites(rng.bounded(3))) << name.toStdString();
      }
      offeredTick = name == "previous" && top->Check1.Value() == 1;
      start(*top, name == "previous");
    } else if (name == "award") {
      if (s) offered = back();
      name = kAwards[rng.bounded(6)];
    } else if (name == "append") {
      s->HLAPD.Trigger();
      offeredTick = true;  // an append shows what a full reading shows, whatever HAMLOG did since the reading
    } else if (name == "new" || name == "edit" || name == "remove") {
      entryWindow(name);
    } else if (name == "view") {
      Menu* views[] = {&s->ALLB, &s->BandView[2], &s->BandView[4], &s->SALL, &s->SALL1, &s->SALL3};
      any(views)->Trigger();
    } else if (name == "codes" || name == "station") {
      const QStringList marked = view(*top, "sheet", home.path()).filter(QRegularExpression(" [WC]$"));
      name = name == "codes" && !marked.isEmpty()
                 ? "codes " + marked[rng.bounded(int(marked.size()))].section(' ', 0, 0)
                 : QString("station ") + any(kJapaneseCalls);
    } else if (name == "back") {
      offered = back();
    }
    std::map<QString, QStringList> shown;
    if (name == "totals" || name.contains(' ') || kAwards.contains(name))
      shown[name] = view(*top, name, home.path());
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (sheet()) shown["sheet"] = view(*top, "sheet", home.path());
    return shown;
  }

  // The same views in a fresh start on copies of the files (from the previous data unless
  // `fullReading`); "" when they agree, else the first difference.
  QString compareWithFreshStart(const std::map<QString, QStringList>& shown, bool fullReading = false) {
    SettleWorkFile();  // the file the sheet shows, on disk
    QTemporaryDir fresh;
    const QString copy = fresh.filePath("home"), ini = copy + "/ORBEX5.INI";
    for (QDirIterator it(home.path(), QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
      const QString from = it.next(), to = copy + from.mid(home.path().size());
      QDir().mkpath(QFileInfo(to).path());
      QFile::copy(from, to);
    }
    for (const char* key : {"HAMLOGPOS", "HAMLOGexePOS", "DataFol"})
      WritePrivateProfileString("ORB", key,
                                GetPrivateProfileString("ORB", key, "", ini).replace(home.path(), copy), ini);
    QStringList request{copy, fullReading ? "afresh" : "previous"};
    for (const auto& [view, lines] : shown) request << view;
    QProcess child;
    qputenv("ORBEX_FRESH_START", request.join('\n').toUtf8());
    child.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=RandomSequenceFreshStart.Views"});
    qunsetenv("ORBEX_FRESH_START");
    if (!child.waitForFinished(60000) || child.exitCode() != 0)
      return "the fresh start failed: " + QString::fromLocal8Bit(child.readAllStandardOutput().right(2000));
    QFile f(copy + "/views.txt");
    if (!f.open(QIODevice::ReadOnly)) return "the fresh start wrote no views";
    const QStringList blocks = QString::fromUtf8(f.readAll()).split("\f");
    int i = 0;
    for (const auto& [view, got] : shown) {
      const QStringList want = blocks.value(i++).split('\n', Qt::SkipEmptyParts);
      const QSet<QString> cells(want.begin(), want.end());
      for (int k = 0; k < got.size(); ++k)
        if (view == "sheet" ? !cells.contains(got[k]) : got[k] != want.value(k))
          return view + ": " + got[k] +
                 " / fresh: " + (view == "sheet" ? QString("(other mark)") : want.value(k));
      if (view != "sheet" && got.size() != want.size())
        return view + ": lines " + QString::number(got.size());
    }
    return {};
  }
};

TEST_F(RandomSequence, EveryViewEqualsAFreshStartAfterEveryStep) {
  const auto env = [](const char* name, int otherwise) {
    return qEnvironmentVariableIsSet(name) ? qEnvironmentVariableIntValue(name) : otherwise;
  };
#if defined(__SANITIZE_ADDRESS__)
  const int steps = env("ORBEX_SEQUENCE_STEPS", 100);
#else
  const int steps = env("ORBEX_SEQUENCE_STEPS", 250);
#endif
  const uint32_t seed = env("ORBEX_SEQUENCE_SEED", 41);
  rng.seed(seed);
  QStringList done;
  for (int i = 1; i <= steps; ++i) {
    QString name, offered;
    const auto shown = step(name, offered);
    done << name;
    // A start from the previous data the window offered, after HAMLOG's writes while it showed, shows
    // what a full reading shows.
    const QString difference =
        offered.isEmpty() && !shown.empty() ? compareWithFreshStart(shown, std::exchange(offeredTick, false))
                                            : offered;
    ASSERT_TRUE(difference.isEmpty())
        << "seed " << seed << ", step " << i << " (" << name.toStdString()
        << "): " << difference.toStdString() << "\nsteps: " << done.join(", ").toStdString()
        << "\nlast messages: " << answers.texts.mid(answers.texts.size() - 8).join(" | ").toStdString();
  }
}

// A QSO deleted in the entry window, then more, as many or fewer records logged than were read.
TEST_F(RandomSequence, AnAppendAfterADeletionInTheEntryWindowShowsWhatAFullReadingShows) {
  rng.seed(3);
  for (const auto& [backs, saves] : {std::pair{1, 2}, {10, 1}, {10, 3}}) {
    SCOPED_TRACE(QString("%1 back, %2 saved").arg(backs).arg(saves).toStdString());
    start(*top, false);
    ASSERT_NE(sheet(), nullptr);
    const QString code = unworkedCode();
    entryWindow("remove", backs);
    entryWindow("new", 0, {"JA8DLA", code, "7.010", "*"});
    for (int i = 1; i < saves; ++i) entryWindow("new");
    answers.texts.clear();
    sheet()->HLAPD.Trigger();
    EXPECT_FALSE(answers.texts.join('|').contains("増えていません")) << answers.texts.join('|').toStdString();
    EXPECT_TRUE(view(*top, "sheet", home.path()).contains(code + " 7MHz C")) << code.toStdString();
    EXPECT_EQ(fullReadingDifference().toStdString(), "");
    sheet()->RTNMN.Trigger();
  }
}

// A received mark set in place on a QSO read, then a QSO appended: the append reads the log whole.
TEST_F(RandomSequence, AMarkSetInPlaceSinceTheReadingIsTakenByTheAppend) {
  rng.seed(4);
  const auto appendAndBack = [&] {
    sheet()->HLAPD.Trigger();
    EXPECT_EQ(fullReadingDifference().toStdString(), "");
    sheet()->RTNMN.Trigger();
    return top->Check1.Value();
  };
  for (const bool ours : {false, true}) {
    SCOPED_TRACE(ours ? "in the entry window" : "by HAMLOG");
    start(*top, false);
    ASSERT_NE(sheet(), nullptr);
    entryWindow("new", 0, {"JA8DLA", unworkedCode(), "7.010", " "});
    EXPECT_EQ(appendAndBack(), 1) << "the append read every record changed since the reading";
    start(*top, true);
    if (ours) {
      entryWindow("edit", 1, {"", "", "7.010", "*"});
    } else {
      ASSERT_TRUE(hamlogWrites(1, CountHdbRecords(), '*'));
    }
    entryWindow("new");
    EXPECT_EQ(appendAndBack(), 1);
  }
}

TEST_F(RandomSequence, AnotherProgramsEditBesideTheFieldsReadLeavesThePreviousDataTicked) {
  start(*top, false);
  ASSERT_NE(sheet(), nullptr);
  // The locator right after the code and the flags right after the QSL marks: nothing a reading takes.
  ASSERT_TRUE(InOtherProcess([&] {
    hamlogdb::OpenedLog log;
    unsigned char old[hamlog::kHdbRecordLength], now[hamlog::kHdbRecordLength];
    if (!log.Open(hamlogDir).Ok() || !log.Db().Table().ReadRecords(1, 1, old)) return false;
    std::copy(old, old + hamlog::kHdbRecordLength, now);
    for (const int field : {9, 16}) now[hamlog::SpanOf(field).offset] ^= 1;
    return log.Db().Update(1, old, now) == HAMLOG_OK;
  }));
  sheet()->HLAPD.Trigger();
  EXPECT_EQ(answers.texts.value(answers.texts.size() - 1).toStdString(),
            "HAMLOG.HDB は前回より増えていません。");
  sheet()->RTNMN.Trigger();
  EXPECT_EQ(top->Check1.Value(), 1) << "the log gives what the reading took";
}

// The other side of the comparison, run in a process of its own: the program started afresh on the
// copied folder, the asked views opened as the operator opens them.
TEST(RandomSequenceFreshStart, Views) {
  const QStringList request = qEnvironmentVariable("ORBEX_FRESH_START").split('\n');
  if (request.size() < 3) GTEST_SKIP() << "run by RandomSequence.EveryViewEqualsAFreshStartAfterEveryStep";
  const QString home = request[0];
  qputenv("ORBEX_HOME", QFile::encodeName(home));
  ResetSharedState();
  hamlogLib = HamlogLib{};
  SetFixedClock(QDateTime(QDate(2024, 5, 1), QTime(12, 0), QTimeZone(9 * 3600)));
  GoOnAnswers answers;
  ConnectAwardSheets();
  ConnectLogbookWindows();
  ORBTOP& top = Form<ORBTOP>();
  top.Show();
  QStringList blocks;
  for (const QString& name : request.mid(2)) {
    if (!LoadedForm<CWSHEET>() && !kAwards.contains(name)) {
      start(top, request[1] == "previous");
      ASSERT_NE(LoadedForm<CWSHEET>(), nullptr);
    }
    blocks << view(top, name, home).join('\n');
  }
  QFile out(home + "/views.txt");
  ASSERT_TRUE(out.open(QIODevice::WriteOnly));
  out.write(blocks.join('\f').toUtf8());
}

}  // namespace
