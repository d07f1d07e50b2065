// The hamlogdb tool: what its commands leave in the HAMLOG folder and what they refuse.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <map>
#include <optional>
#include <set>
#include <tuple>

#include "hamlogdb/hamlogdb.h"
#include "platform/codepage.h"
#include "platform/hamlog/db_lock.h"
#include "platform/hamlog/hamlog.h"
#include "platform/hamlog/hamlog_session.h"
#include "platform/hamlog/program_file.h"
#include "platform/vbfile.h"
#include "support/other_process.h"
#include "support/waits.h"

namespace {

QString dataFile(const char* name) { return QString(ORBEX_DATA_DIR) + "/" + name; }

QByteArray readAll(const QString& path) {
  QByteArray bytes;
  ReadWholeFile(path, bytes);
  return bytes;
}

// A command that refused (exit code 1), its message holding each of `words`.
testing::AssertionResult Refused(const hamlogdb::Outcome& o, const QStringList& words = {}) {
  bool said = o.exitCode == 1;
  for (const QString& word : words) said = said && o.message.contains(word);
  return (said ? testing::AssertionSuccess() : testing::AssertionFailure())
         << "exit code " << o.exitCode << ": " << o.message.toStdString();
}

const QByteArray kGood =
    "\"JA1ABC\",\"2024/05/06\",\"21:05J\",\"599\",\"599\",\"7.025\",\"CW\",\"1001\",\"\",\"J  "
    "\",\"\",\"\",\"\",\"\"\r\n";

class Hamlogdb : public ::testing::Test {
 protected:
  void SetUp() override {
    hamlogLib = HamlogLib{};
    dir_ = tmp_.filePath("HAMLOG");
    ASSERT_TRUE(hamlogdb::Create(dir_).Ok());
  }
  void TearDown() override { hamlogLib = HamlogLib{}; }

  QString File(const QString& name) const { return dir_ + "/" + name; }
  QString Csv(const QByteArray& lines) {
    const QString p = tmp_.filePath("in.csv");
    EXPECT_TRUE(AtomicWriteFile(p, lines));
    return p;
  }
  int32_t Count() {
    int32_t h = 0;
    if (dbf_open(hamlogdb::DatabasePath(dir_), h) != 0) return -1;
    const int32_t n = dbf_rcount(h);
    dbf_close(h);
    return n;
  }
  // Fields of record recNo through the library, trimmed.
  QString Field(int32_t recNo, int field) {
    ThwRecord thw{};
    QString text;
    if (HamlogOpen(0, thw, dir_ + "/HAMLOG", 1) == 0 && THW_read(thw, recNo, 3) == 0)
      ThwString(text, thw, field);
    HamlogClose(thw, 0);
    return text.trimmed();
  }
  // Those fields of record recNo, joined by "|".
  QString Fields(int32_t recNo, std::initializer_list<int> fields) {
    QStringList texts;
    for (const int f : fields) texts << Field(recNo, f);
    return texts.join('|');
  }
  int32_t FirstHit(const char* suffix, const QString& key) {
    IndexHandle h{};
    if (idx_open(File(QString("HAMLOG.") + suffix), h) != 0) return -1;
    const int32_t r = idx_search(h, key, 0);
    idx_close(h);
    return r;
  }

  QTemporaryDir tmp_;
  QString dir_;
};

TEST_F(Hamlogdb, CreateLeavesAnEmptyLogTheStartUpAccepts) {
  for (const char* f : {"HAMLOG.HDB", "HAMLOG.MST", "HAMLOG.dx1", "HAMLOG.dx2", "HAMLOG.dx4", "HAMLOG.dxc"})
    EXPECT_TRUE(QFile::exists(File(f))) << f;
  EXPECT_EQ(Count(), 0);
  // The program file the start-up looks for: HAMLOG.HDB less ".HDB" followed by "W.EXE", any case.
  EXPECT_EQ(ReadProgramVersion(File("HAMLOGW.EXE")), "5.40");
  EXPECT_EQ(readAll(File("HAMLOG.MST")).size(), 290);
  // A second create keeps the log that is there.
  EXPECT_TRUE(Refused(hamlogdb::Create(dir_), {"already"}));
}

TEST_F(Hamlogdb, MasterFromTheSampleCodeListHasTheLayoutTheProgramReads) {
  const hamlogdb::Outcome o = hamlogdb::LoadMaster(dir_, dataFile("master.csv"));
  ASSERT_TRUE(o.Ok()) << o.message.toStdString();
  const QByteArray mst = readAll(File("HAMLOG.MST"));
  const int records = (mst.size() - 290) / 56;
  EXPECT_EQ((mst.size() - 290) % 56, 0);
  EXPECT_EQ(records, 2646);
  // Record k at 1-based position k x 56 + 235 (HAMLOG 5.35 and later).
  auto record = [&](int k) { return mst.mid(k * 56 + 235 - 1, 56); };
  EXPECT_EQ(record(1).left(6), "0101  ");
  EXPECT_EQ(FromAnsi(record(1).mid(6, 34)).trimmed(), QString::fromUtf8("北海道札幌市"));
  EXPECT_EQ(record(1).mid(40, 1), "4");
  EXPECT_EQ(FromAnsi(record(1).mid(41, 2)), QString::fromUtf8("さ"));
  EXPECT_EQ(record(1).mid(43, 1), "8");
  EXPECT_EQ(uint8_t(record(1)[51]), 141) << "the longitude of the prefecture's capital";
  EXPECT_EQ(uint8_t(record(1)[53]), 0);
  const int32_t japan = FirstHit("dx2", "500A");
  ASSERT_GT(japan, 0);
  EXPECT_EQ(record(japan).left(6), "500A  ");
  EXPECT_EQ(FirstHit("dx4", "3JA"), japan);
  const int32_t hawaii = FirstHit("dx4", "3KH6");
  ASSERT_GT(hawaii, 0);
  EXPECT_EQ(FromAnsi(record(hawaii).mid(6, 34)).trimmed(), "Hawaii");
  EXPECT_EQ(uint8_t(record(hawaii)[51]), 157);
  EXPECT_EQ(uint8_t(record(hawaii)[53]), 128) << "west";
  EXPECT_GT(FirstHit("dx4", "4" + QString::fromUtf8("さ") + "8"), 0);
}

TEST_F(Hamlogdb, DxPrefixListLetsTheKindIndexFindAnEntityByEveryPrefix) {
  ASSERT_TRUE(hamlogdb::LoadMaster(dir_, dataFile("master.csv"), dataFile("dx_prefixes.csv")).Ok());
  const int32_t usa = FirstHit("dx2", "784A");
  ASSERT_GT(usa, 0);
  EXPECT_EQ(FirstHit("dx4", "3K"), usa);  // the record's own prefix
  EXPECT_EQ(FirstHit("dx4", "3W"), usa);  // further prefixes from the list
  EXPECT_EQ(FirstHit("dx4", "3AA"), usa);
  EXPECT_EQ(FirstHit("dx4", "3JH"), FirstHit("dx2", "500A"));
  // A prefix list naming no entity of the code list is refused.
  EXPECT_TRUE(
      Refused(hamlogdb::LoadMaster(dir_, dataFile("master.csv"), Csv("\"784A\",\"W\"\r\n\"0101\",\"X\"\r\n")),
              {"prefix 2"}));
  EXPECT_EQ(FirstHit("dx4", "3W"), usa);
  // The master loaded again without the list: its prefixes go with it.
  ASSERT_TRUE(hamlogdb::LoadMaster(dir_, dataFile("master.csv")).Ok());
  EXPECT_EQ(FirstHit("dx4", "3W"), 0);
  EXPECT_EQ(FirstHit("dx4", "3K"), usa);
}

TEST_F(Hamlogdb, BadCodeListIsRefusedAndTheOldMasterStays) {
  ASSERT_TRUE(hamlogdb::LoadMaster(dir_, dataFile("master.csv")).Ok());
  const QByteArray before = readAll(File("HAMLOG.MST"));
  const auto load = [&](const QByteArray& csv) { return hamlogdb::LoadMaster(dir_, Csv(csv)); };
  EXPECT_TRUE(Refused(load("\"0101\",\"a\",\"4\",\"x\",\"8\"\r\n\"0102345\",\"b\",\"4\",\"x\",\"8\"\r\n"),
                      {"code 2"}));
  EXPECT_TRUE(Refused(load("\"0101\",\"a\",\"4\"\r\n")));
  EXPECT_TRUE(Refused(load("\"0101\",\"a\",\"4\",\"x\",\"8\",\"141\",\"E\"\r\n"
                           "\"501A\",\"b\",\"3\",\"1A\",\"\",\"12\",\"N\"\r\n"),
                      {"code 2", "longitude"}));
  EXPECT_TRUE(Refused(hamlogdb::LoadMaster(dir_, tmp_.filePath("none.csv"))));
  EXPECT_EQ(readAll(File("HAMLOG.MST")), before);
}

TEST_F(Hamlogdb, ImportAppendsTheSampleLogFieldForField) {
  const hamlogdb::Outcome o = hamlogdb::Import(dir_, dataFile("sample_log.csv"));
  ASSERT_TRUE(o.Ok()) << o.message.toStdString();
  EXPECT_EQ(Count(), 3000);
  // "BX6VS","1975/01/03","14:11U","57","57","21.292","SSB","569A","","N  ","Jose","Taiwan","",""
  // "JH1AZW","1975/01/08","19:55J","599","599","3.521","CW","1011","","J *","Osamu","東京都小金井市",
  //   "ALL JA コンテスト",""
  EXPECT_EQ(Fields(1, {0, 2, 3, 8, 12, 16}), "BX6VS|75/01/03|14:11U|569A|Taiwan|8");  // 16: the DX flag of a DX code
  EXPECT_EQ(Fields(2, {6, 10, 11, 12, 13, 16}), QString::fromUtf8("3.521|J *|Osamu|東京都小金井市|ALL JA コンテスト|0"));
  // A second import goes on after the first.
  ASSERT_TRUE(
      hamlogdb::Import(dir_, Csv("W1AW,24/05/06,21:05u,599,599,14.025,CW,784A,FN31,J  ,Hiram,USA,,\r\n"))
          .Ok());
  EXPECT_EQ(Count(), 3001);
  EXPECT_EQ(Fields(3001, {3, 16}), "21:05U|8");
}

TEST_F(Hamlogdb, BadQsoFileIsRefusedWholeWithTheQsoAndFieldNamed) {
  const auto with = [](const char* field, const char* bad) { return QByteArray(kGood).replace(field, bad); };
  const std::pair<QByteArray, const char*> bad[] = {
      {with("2024/05/06", "2024/13/06"), "date"}, {with("21:05J", "25:05J"), "time"},
      {with("21:05J", "21:05"), "time"},          {with("\"JA1ABC\"", "\"\""), "call"},
      {with("\"J  \"", "\"J**X\""), "QSL"},       {"\"JA1ABC\",\"2024/05/06\",\"21:05J\"\r\n", "fields"},
  };
  for (const auto& [line, word] : bad)
    EXPECT_TRUE(Refused(hamlogdb::Import(dir_, Csv(kGood + kGood + line + kGood)), {"QSO 3", word})) << word;
  EXPECT_EQ(Count(), 0);
  EXPECT_EQ(hamlogdb::Import(tmp_.filePath("nowhere"), Csv(kGood)).exitCode, 1);
}

// A log whose header counts fewer QSOs than it holds: an import would write over the hidden ones.
TEST_F(Hamlogdb, ALogWhoseCountDoesNotFitItsLengthIsNotWritten) {
  ASSERT_TRUE(hamlogdb::Import(dir_, Csv(kGood + kGood + kGood)).Ok());
  QFile f(hamlogdb::DatabasePath(dir_));
  ASSERT_TRUE(f.open(QIODevice::ReadWrite));
  ASSERT_TRUE(f.seek(4));
  f.write(QByteArray("\x01\0\0\0", 4));
  f.close();
  const QByteArray before = readAll(hamlogdb::DatabasePath(dir_));
  ASSERT_FALSE(before.isEmpty());
  EXPECT_TRUE(Refused(hamlogdb::Import(dir_, Csv(kGood)), {"件数 1 件", "= 3 件分"}));
  EXPECT_EQ(readAll(hamlogdb::DatabasePath(dir_)), before);
}

// It says that it waits for another program's lock, naming the file held and the process where the lock
// names one: the log locked as a dBase program of its own locks it, or the lock file's write lock held by a
// reader (Ctrl+C ends the wait, nothing written), or the log held alone by the program's reading (the import
// goes on once the reading lets go).
TEST_F(Hamlogdb, AnImportWaitsForAnotherProgramsLockSayingSoUntilCtrlCOrItLetsGo) {
  for (const int holder : {0, 1, 2}) {
    std::optional<LockInOtherProcess> dBase;
    if (holder == 0) dBase.emplace(hamlogdb::DatabasePath(dir_));
    const int fd = holder == 0 ? -1 : LockAsAnotherProgram(File("HAMLOG.lck"), 2 - holder, 1, holder == 2);
    ASSERT_TRUE(holder == 0 ? dBase->Held() : fd >= 0);
    const QByteArray held = holder == 0 ? QString("HAMLOG.HDB is locked by another program (process %1 %2)")
                                              .arg(dBase->Process())
                                              .arg(hamlog::ProcessName(dBase->Process()))
                                              .toUtf8()
                                        : QByteArray("HAMLOG.lck is locked by another program");
    QProcess tool;
    tool.setReadChannel(QProcess::StandardError);
    tool.start(HAMLOGDB_PATH, {"import", dir_, dataFile("sample_log.csv")});
    QByteArray said;
    while (!said.contains('\n') && tool.waitForReadyRead(kEventCapMs)) said += tool.readAllStandardError();
    EXPECT_TRUE(said.startsWith(held + ": waiting")) << said.toStdString();
    holder == 2 ? ::close(fd) : ::kill(pid_t(tool.processId()), SIGINT);
    ASSERT_TRUE(tool.waitForFinished(kEventCapMs));
    said += tool.readAllStandardError();
    if (holder == 1) ::close(fd);
    EXPECT_EQ(tool.exitCode(), holder < 2 ? 2 : 0) << said.toStdString();
    EXPECT_EQ(said.contains(held + "; nothing was written"), holder < 2) << said.toStdString();
    EXPECT_EQ(Count() > 0, holder == 2);
  }
}

TEST_F(Hamlogdb, GenerateGivesARealisticReproducibleLog) {
  ASSERT_TRUE(hamlogdb::LoadMaster(dir_, dataFile("master.csv")).Ok());
  const int n = 20000;
  ASSERT_TRUE(hamlogdb::Generate(dir_, n, 11).Ok());
  ASSERT_EQ(Count(), n);

  ThwRecord thw{};
  ASSERT_EQ(HamlogOpen(0, thw, dir_ + "/HAMLOG", 1), 0);
  std::map<int32_t, int> bands;
  std::set<int> years;
  int dx = 0, confirmed = 0, workedOnly = 0, portable = 0, noBand = 0, ft8Early = 0;
  std::set<QString> calls;
  const auto field = [&thw](int f) {
    QString text;
    ThwString(text, thw, f);
    return text;
  };
  for (int32_t r = 1; r <= n; ++r) {
    ASSERT_EQ(THW_read(thw, r, 3), 0);
    const QString call = field(0), date = field(2), freq = field(6), mode = field(7), qsl = field(10);
    calls.insert(call.trimmed());
    const int yy = date.left(2).toInt();
    const int year = yy < 30 ? 2000 + yy : 1900 + yy;
    years.insert(year);
    dx += field(16).trimmed() == "8";
    (qsl[2] == '*' || qsl[2] == 'E' ? confirmed : workedOnly)++;
    portable += call.contains('/');
    const int32_t band = FreqPCheck(freq);
    noBand += band < 0;
    ++bands[band];
    ft8Early += mode.trimmed() == "FT8" && year < 2017;
  }
  HamlogClose(thw, 0);
  EXPECT_GT(dx, n / 20);
  EXPECT_LT(dx, n / 4);
  EXPECT_GT(confirmed, n / 4);
  EXPECT_GT(workedOnly, n / 4);
  EXPECT_GT(portable, n / 100);
  EXPECT_GT(noBand, 0);
  EXPECT_LT(noBand, n / 50);
  EXPECT_EQ(ft8Early, 0);
  EXPECT_GT(bands[15], 0);  // satellite
  for (int b = 0; b <= 14; ++b) EXPECT_GT(bands[b], 0) << b;
  for (int b = 0; b <= 14; ++b) EXPECT_LE(bands[b], bands[2]) << b;  // 7 MHz leads
  EXPECT_LE(*years.begin(), 1976);
  EXPECT_GE(*years.rbegin(), 2023);
  EXPECT_LT(calls.size(), size_t(n) * 3 / 4);  // stations come back

  // The same seed gives the same records.
  QTemporaryDir other;
  const QString dir2 = other.filePath("HAMLOG");
  ASSERT_TRUE(hamlogdb::Create(dir2).Ok());
  ASSERT_TRUE(hamlogdb::LoadMaster(dir2, dataFile("master.csv")).Ok());
  ASSERT_TRUE(hamlogdb::Generate(dir2, n, 11).Ok());
  EXPECT_EQ(readAll(hamlogdb::DatabasePath(dir_)).mid(545), readAll(hamlogdb::DatabasePath(dir2)).mid(545));
}

TEST_F(Hamlogdb, GenerateNeedsAMaster) { EXPECT_TRUE(Refused(hamlogdb::Generate(dir_, 10, 1), {"master"})); }

TEST_F(Hamlogdb, CommandLineDumpsAndRefusesBadArguments) {
  QString outText, errText;
  QTextStream out(&outText), err(&errText);
  ASSERT_EQ(hamlogdb::RunCommandLine({"import", dir_, dataFile("sample_log.csv")}, out, err), 0);
  outText.clear();
  ASSERT_EQ(hamlogdb::RunCommandLine({"dump", dir_, "2", "3"}, out, err), 0);
  const QStringList lines = outText.split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 2);
  EXPECT_TRUE(lines[0].startsWith("2,\"JH1AZW\",\"1975/01/08\",\"19:55J\"")) << lines[0].toStdString();
  EXPECT_TRUE(lines[1].startsWith("3,\"JA3JGR/0\""));
  const std::pair<QStringList, int> bad[] = {
      {{"dump", dir_, "5000"}, 1}, {{"dump", dir_, "x"}, 1},
      {{"generate", dir_}, 1},     {{"generate", dir_, "--qsos", "-5"}, 1},
      {{"frobnicate", dir_}, 2},   {{}, 2},
  };
  for (const auto& [args, code] : bad)
    EXPECT_EQ(hamlogdb::RunCommandLine(args, out, err), code) << args.join(' ').toStdString();
  EXPECT_TRUE(errText.contains("usage"));
}

TEST_F(Hamlogdb, AToolWrittenLogOpensInAnOrdinaryDbaseReader) {
  const QString dbfdump = QStandardPaths::findExecutable("dbfdump");
  if (dbfdump.isEmpty()) GTEST_SKIP() << "dbfdump (shapelib) not installed";
  ASSERT_TRUE(hamlogdb::Import(dir_, dataFile("sample_log.csv")).Ok());
  ASSERT_TRUE(QFile::copy(hamlogdb::DatabasePath(dir_), tmp_.filePath("log.dbf")));  // shapelib wants .dbf
  QProcess p;
  p.start(dbfdump, {tmp_.filePath("log.dbf")});
  ASSERT_TRUE(p.waitForFinished(kEventCapMs));
  EXPECT_EQ(p.exitCode(), 0);
  const QList<QByteArray> rows = p.readAllStandardOutput().split('\n');
  ASSERT_GE(rows.size(), 3001);
  EXPECT_TRUE(rows[0].startsWith("CALL"));
  EXPECT_TRUE(rows[1].startsWith("BX6VS "));
  EXPECT_TRUE(rows[2].startsWith("JH1AZW "));
  EXPECT_TRUE(FromAnsi(rows[2]).contains(QString::fromUtf8("東京都小金井市")));
}

}  // namespace

TEST_F(Hamlogdb, ImportRefusesDatesItWouldMoveACenturyAndTakesTheEdges) {
  const auto line = [](const char* date) {
    return QByteArray("JA1ABC,") + date + ",21:05J,599,599,7.025,CW,1001,,J  ,,,,\r\n";
  };
  for (const char* date : {"1929/12/31", "2030/01/01", "1899/05/06", "2124/05/06"})
    EXPECT_TRUE(Refused(hamlogdb::Import(dir_, Csv(line("1975/01/08") + line(date))),
                        {"QSO 2 (line 2)", "1930 to 2029"}))
        << date;
  EXPECT_EQ(Count(), 0);
  ASSERT_TRUE(hamlogdb::Import(dir_, Csv(line("1930/01/01") + line("2029/12/31"))).Ok());
  EXPECT_EQ(Field(1, 2), "30/01/01");
  EXPECT_EQ(Field(2, 2), "29/12/31");
}

TEST_F(Hamlogdb, ImportReadsUtf8WithOrWithoutAByteOrderMarkAndRefusesUtf16) {
  const QByteArray utf8 =
      QString::fromUtf8("JA2FT,1975/01/08,19:55J,579,599,7.025,CW,20009,,J  ,太田,丹羽郡,,\n").toUtf8();
  ASSERT_TRUE(hamlogdb::Import(dir_, Csv(utf8)).Ok());
  ASSERT_TRUE(hamlogdb::Import(dir_, Csv("\xEF\xBB\xBF" + utf8)).Ok());
  // A byte-order mark before a plain ASCII file is no part of the call.
  ASSERT_TRUE(
      hamlogdb::Import(dir_, Csv("\xEF\xBB\xBFW1AW,24/05/06,21:05U,599,599,14.025,CW,784A,,J  ,,,,\r\n"))
          .Ok());
  EXPECT_EQ(Count(), 3);
  for (int r : {1, 2}) EXPECT_EQ(Fields(r, {11, 12}), QString::fromUtf8("太田|丹羽郡")) << r;
  EXPECT_EQ(Field(3, 0), "W1AW");
  // The same text in Windows-31J still reads as Windows-31J.
  ASSERT_TRUE(hamlogdb::Import(dir_, Csv(ToAnsi(QString::fromUtf8(utf8)))).Ok());
  EXPECT_EQ(Field(4, 12), QString::fromUtf8("丹羽郡"));

  QByteArray utf16("\xFF\xFE", 2);
  for (QChar c : QString::fromUtf8(utf8))
    utf16.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
  EXPECT_TRUE(Refused(hamlogdb::Import(dir_, Csv(utf16)), {"UTF-16LE"}));
  EXPECT_EQ(Count(), 4);
}

TEST_F(Hamlogdb, ImportRefusesBytesThatAreNoTextWithTheLine) {
  const QByteArray good = "JA1ABC,2024/05/06,21:05J,599,599,7.025,CW,1001,,J  ,,,,\r\n";
  // 0x85 0x40 is an unassigned Windows-31J code, 0xFD no lead byte; neither is UTF-8.
  for (const QByteArray& call : {QByteArray("\x85\x40"), QByteArray("JA\xFD"), QByteArray("\x82")}) {
    const QByteArray bad = call + ",2024/05/06,21:05J,599,599,7.025,CW,1001,,J  ,,,,\r\n";
    EXPECT_TRUE(Refused(hamlogdb::Import(dir_, Csv(good + "\r\n" + bad + good)), {"line 3", "Windows-31J"}))
        << call.toHex().toStdString();
  }
  EXPECT_EQ(Count(), 0);
  // A UTF-8 file (told by its mark) with a line that is not UTF-8.
  EXPECT_TRUE(Refused(hamlogdb::Import(dir_, Csv("\xEF\xBB\xBF" + good + "JA\xFF" + good.mid(6))),
                      {"line 2 holds bytes that are not UTF-8"}));
  EXPECT_EQ(Count(), 0);
}

const QByteArray kQuoted = "\"JA1ABC\",\"2024/05/06\",\"21:05J\",\"599\",\"599\",\"7.025\",\"CW\",\"1001\",\"\",\"J  \","
                           "\"say \"\"hi\"\"\",\"a, \"\"b\"\"\",\"\"\"\",\"x\"\r\n";

TEST_F(Hamlogdb, ImportTakesDoubledQuotesInsideAQuotedField) {
  ASSERT_TRUE(hamlogdb::Import(dir_, Csv(kQuoted)).Ok());
  EXPECT_EQ(Fields(1, {11, 12, 13, 14}), "say \"hi\"|a, \"b\"|\"|x");
}

TEST_F(Hamlogdb, DumpedFieldsImportBackAsTheyWereAndAQuoteImportCannotReadIsRefusedWithItsLine) {
  const QByteArray& line = kQuoted;
  ASSERT_TRUE(hamlogdb::Import(dir_, Csv(line)).Ok());
  const auto dump = [&](const char* record) {
    QString text;
    QTextStream out(&text), err(&text);
    EXPECT_EQ(hamlogdb::RunCommandLine({"dump", dir_, record, record}, out, err), 0);
    return text.section(',', 1).trimmed();  // without the record number
  };
  const QString first = dump("1");
  ASSERT_TRUE(hamlogdb::Import(dir_, Csv(first.toUtf8())).Ok());
  EXPECT_EQ(dump("2"), first);
  EXPECT_EQ(Fields(2, {11, 12}), "say \"hi\"|a, \"b\"");
  // A quote that is not doubled, or one left open: the file is refused with the line.
  for (const auto& [good, bad, field] : {std::tuple("\"say \"\"hi\"\"\"", "\"say \"hi\"\"", "field 11 has text after"),
                                          std::tuple("\"x\"", "\"x", "field 14 opens a quote")}) {
    EXPECT_TRUE(Refused(hamlogdb::Import(dir_, Csv(line + QByteArray(line).replace(good, bad))),
                        {QString("QSO 2 (line 2) cannot be read: ") + field}))
        << bad;
  }
  EXPECT_EQ(Count(), 2);
  // Line breaks inside a field, as another program may leave them, go out raw in their quotes and come back.
  const QString breaks = "one\r\ntwo\nthree\rfour\n\r\tfive";
  ASSERT_TRUE(hamlogdb::Import(dir_, Csv(QByteArray(line).replace("\"\"\"\",", "\"" + breaks.toUtf8() + "\","))).Ok());
  ASSERT_TRUE(hamlogdb::Import(dir_, Csv(dump("3").toUtf8() + "\n" + line)).Ok());
  EXPECT_EQ(dump("4"), dump("3"));
  EXPECT_EQ(Field(4, 13), breaks);
  EXPECT_EQ(Field(5, 13), "\"") << "the record after it";
}
