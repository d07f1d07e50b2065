// The spreadsheet stand-in writes a real workbook that another reader opens, and opens one it or
// another program wrote without losing its sheets and values; MMQSL says plainly that it cannot be
// driven here.

#include <gtest/gtest.h>
#include <unzip.h>
#include <zip.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSysInfo>
#include <map>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/automation/automation.h"
#include "platform/ui/responders.h"
#include "support/qt_print.h"
#include "support/temp_home.h"
#include "support/xlsx_reader.h"

namespace {

using Members = std::vector<std::pair<QString, QByteArray>>;

// A zip made as another program would make it, member by member.
void WriteZip(const QString& path, const Members& members) {
  zipFile z = zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
  ASSERT_NE(z, nullptr);
  for (const auto& [name, bytes] : members) {
    zip_fileinfo info{};
    ASSERT_EQ(zipOpenNewFileInZip64(z, name.toUtf8().constData(), &info, nullptr, 0, nullptr, 0, nullptr,
                                    Z_DEFLATED, Z_DEFAULT_COMPRESSION, 0),
              ZIP_OK);
    ASSERT_EQ(zipWriteInFileInZip(z, bytes.constData(), unsigned(bytes.size())), ZIP_OK);
    ASSERT_EQ(zipCloseFileInZip(z), ZIP_OK);
  }
  ASSERT_EQ(zipClose(z, nullptr), ZIP_OK);
}

const QByteArray kMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const QByteArray kRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

QByteArray Worksheet(const QByteArray& rows) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><worksheet xmlns=\"" + kMain + "\"><sheetData>" + rows +
         "</sheetData></worksheet>";
}

// The parts of a workbook another program saved: its sheets listed in another order than their
// files, one part named by an absolute path, a chart sheet, rich and phonetic shared strings, inline
// and formula strings, truth values, error values and rows and cells without their positions.
Members OtherProgramsWorkbook() {
  const QByteArray workbook =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><workbook xmlns=\"" + kMain + "\" xmlns:r=\"" + kRel +
      "\"><sheets>"
      "<sheet name=\"一覧\" sheetId=\"2\" r:id=\"rId2\"/><sheet name=\"集計表\" sheetId=\"1\" r:id=\"rId1\"/>"
      "<sheet name=\"グラフ\" sheetId=\"4\" r:id=\"rId4\"/><sheet name=\"マクロ\" sheetId=\"5\" r:id=\"rId5\"/>"
      "</sheets></workbook>";
  const QByteArray rels =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
      "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
      "<Relationship Id=\"rId1\" Type=\"" + kRel + "/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
      "<Relationship Id=\"rId2\" Type=\"" + kRel + "/worksheet\" Target=\"/xl/worksheets/sheet2.xml\"/>"
      "<Relationship Id=\"rId3\" Type=\"" + kRel + "/sharedStrings\" Target=\"sharedStrings.xml\"/>"
      "<Relationship Id=\"rId4\" Type=\"" + kRel + "/chartsheet\" Target=\"chartsheets/sheet1.xml\"/>"
      "<Relationship Id=\"rId5\" Type=\"" + kRel + "/worksheet\" Target=\"worksheets/sheet3.xml\"/>"
      "</Relationships>";
  const QByteArray shared =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><sst xmlns=\"" + kMain + "\" count=\"2\" uniqueCount=\"2\">"
      "<si><t>八王子市</t><rPh sb=\"0\" eb=\"4\"><t>ハチオウジシ</t></rPh><phoneticPr fontId=\"1\"/></si>"
      "<si><r><t>ORB</t></r><r><rPr><b/></rPr><t xml:space=\"preserve\"> 本</t></r></si></sst>";
  const QByteArray list = Worksheet(
      "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>1</v></c></row>"
      "<row r=\"2\"><c r=\"A2\"><v>12.5</v></c><c r=\"B2\" t=\"inlineStr\"><is><t>直接</t></is></c>"
      "<c r=\"C2\" t=\"str\"><f>A1&amp;\"x\"</f><v>八王子市x</v></c><c r=\"D2\" t=\"b\"><v>1</v></c>"
      "<c r=\"E2\" t=\"e\"><v>#DIV/0!</v></c><c r=\"F2\" s=\"1\"/></row>"
      "<row><c><v>7</v></c><c t=\"s\"><v>0</v></c></row>");
  return {{"[Content_Types].xml", "<Types/>"},
          {"xl/workbook.xml", workbook},
          {"xl/_rels/workbook.xml.rels", rels},
          {"xl/sharedStrings.xml", shared},
          {"xl/worksheets/sheet1.xml", Worksheet("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>旧</t></is></c></row>")},
          {"xl/worksheets/sheet2.xml", list},
          {"xl/worksheets/sheet3.xml", Worksheet("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>Main</t></is></c>"
                                                 "<c r=\"B1\"><v>3</v></c></row>")}};
}

// Every sheet with its values, as another reader sees the file.
QMap<QString, QMap<QString, QString>> Contents(const QString& path) {
  QMap<QString, QMap<QString, QString>> out;
  const XlsxFile x(path);
  EXPECT_TRUE(x.ok());
  for (const QString& name : x.SheetNames()) out[name] = x.Cells(name);
  return out;
}

// Each test's program folder, and the files it hands to the desktop to open.
class SpreadsheetStandIn : public testing::Test {
 protected:
  TempHome home;
  ShellRecorder shell;
  QString error;       // what a publishing says when it fails
  int32_t result = 0;  // a macro's
};

TEST_F(SpreadsheetStandIn, CellsAndMacroCallsLandInTheXlsxOfTheProgramFolder) {
  std::unique_ptr<Workbook> book = NewWorkbook(QStringLiteral("ACA特定申請書.xls"));
  ASSERT_GT(book->Open(), 32);
  ASSERT_EQ(book->Attach(), 0);
  book->DefineMacro("Main", [](Workbook& b, const QVariantList& args) {
    b.SelectSheet(QString());
    b.SetCell(1, 1, args.value(0));
    return 7;
  });
  book->SelectSheet(QStringLiteral("ACAデータ"));
  book->SetCell(1, 2, QStringLiteral("2020"));
  book->SetCell(4, 1, 10);
  book->SetCell(5, 3, QStringLiteral("x"));
  book->SetCell(5, 3, QString());  // emptied again
  book->SetCell(6, 2, QStringLiteral("01001") + "\n" + QStringLiteral("    -1"));
  EXPECT_EQ(book->Run("Main", {QStringLiteral("全国"), 1}, result), 0);
  EXPECT_EQ(result, 7);
  book->SetCell(7, 4, 2.5);  // the macro left the active sheet as it was
  ASSERT_TRUE(book->Publish(error)) << error.toStdString();

  const QString path = home.file("ACA特定申請書.xlsx");
  EXPECT_EQ(shell.opened(), QStringList({path}));
  XlsxFile x(path);
  ASSERT_TRUE(x.ok());
  EXPECT_EQ(x.SheetNames(), QStringList({"ACAデータ", "マクロ"}));
  for (const auto& [sheet, ref, text] : std::initializer_list<std::tuple<QString, QString, QString>>{
           {"ACAデータ", "B1", "2020"}, {"ACAデータ", "A4", "10"}, {"ACAデータ", "C5", ""}, {"ACAデータ", "B6", "01001\n    -1"},
           {"ACAデータ", "D7", "2.5"}, {"ACAデータ", "A1", "全国"}, {"マクロ", "A1", "Main"}, {"マクロ", "B1", "全国"}, {"マクロ", "C1", "1"}})
    EXPECT_EQ(x.Cell(sheet, ref), text) << sheet.toStdString() << " " << ref.toStdString();
  EXPECT_FALSE(QFile::exists(home.file(".ACA特定申請書.xlsx.part")));
}

TEST_F(SpreadsheetStandIn, AnOpenOrWriteProtectedWorkbookIsRefusedAndLeftAsItWas) {
  EXPECT_EQ(XlsxFileName("ORB_SHEET.XLS"), "ORB_SHEET.xlsx");
  const QString lock = home.write(".~lock.ORB_SHEET.xlsx#", "someone");
  std::unique_ptr<Workbook> book = NewWorkbook("ORB_SHEET.XLS");
  EXPECT_EQ(book->Open(), 5);
  EXPECT_TRUE(book->ErrorText().contains("他のプログラムで開かれています"));
  EXPECT_EQ(book->Attach(), 424);

  QFile::remove(lock);
  home.write("ORB_SHEET.xlsx", "old");
  book = NewWorkbook("ORB_SHEET.XLS");
  ASSERT_GT(book->Open(), 32);
  book->SetCell(1, 1, "new");
  home.write(".~lock.ORB_SHEET.xlsx#", "opened meanwhile");
  EXPECT_FALSE(book->Publish(error));
  EXPECT_TRUE(error.contains("開かれています") && error.contains(lock)) << error.toStdString();
  EXPECT_EQ(home.read("ORB_SHEET.xlsx"), "old");
  EXPECT_TRUE(shell.opened().isEmpty());

  // LibreOffice's lock of this user on this machine holds while a spreadsheet program of the user runs.
  const QString me = QFileInfo(lock).owner();
  home.write(".~lock.ORB_SHEET.xlsx#", ("," + me + "," + QSysInfo::machineHostName() + ",09.12.2026 00:19,x;").toUtf8());
  ASSERT_TRUE(QFile::copy("/bin/sleep", home.file("soffice.bin")));
  QProcess running;
  running.start(home.file("soffice.bin"), {"60"});
  ASSERT_TRUE(running.waitForStarted());
  book = NewWorkbook("ORB_SHEET.XLS");
  EXPECT_EQ(book->Open(), 5);
  EXPECT_TRUE(book->ErrorText().contains("（ロックファイル " + lock + "、" + me + "@")) << book->ErrorText().toStdString();
  running.kill();
  running.waitForFinished();
}

TEST_F(SpreadsheetStandIn, AWorkbookItWroteOpensAgainWithTheSameSheetsAndValues) {
  std::unique_ptr<Workbook> book = NewWorkbook("ORB_SHEET.XLS");
  ASSERT_GT(book->Open(), 32);
  book->SelectSheet(QString());
  book->SetCell(1, 1, QStringLiteral("ORB本"));
  book->SetCell(2, 2, 8);
  book->SetCell(3, 1, QStringLiteral("10001") + "\n" + QStringLiteral("    -1"));
  book->SetCell(3, 3, -2.25);
  book->SetCell(4, 30, true);
  book->SelectSheet(QStringLiteral("集計表"));
  book->SetCell(1, 1, QStringLiteral("転記先"));
  ASSERT_EQ(book->Run("Main", {8, 0}, result), 0);
  ASSERT_TRUE(book->Publish(error)) << error.toStdString();
  const QString path = home.file("ORB_SHEET.xlsx");
  const auto written = Contents(path);
  ASSERT_EQ(written.keys().size(), 3);

  // Opened to be kept and written again untouched: the same workbook.
  book = NewWorkbook("ORB_SHEET.XLS");
  ASSERT_EQ(book->OpenExisting(), 42) << book->ErrorText().toStdString();
  ASSERT_EQ(book->Attach(), 0);
  ASSERT_TRUE(book->Publish(error)) << error.toStdString();
  EXPECT_EQ(Contents(path), written);
  EXPECT_EQ(XlsxFile(path).SheetNames(), QStringList({"Sheet1", "集計表", "マクロ"}));

  // Once more with a change on the second sheet and a macro call: the rest stays, the log goes on.
  book = NewWorkbook("ORB_SHEET.XLS");
  ASSERT_EQ(book->OpenExisting(), 42);
  EXPECT_EQ(book->SelectSheetAt(3), 9) << "the macro log is no worksheet of the book";
  ASSERT_EQ(book->SelectSheetAt(2), 0);
  book->SetCell(2, 1, 12);
  ASSERT_EQ(book->Run("totalMain", {0, 1}, result), 0);
  ASSERT_TRUE(book->Publish(error));
  auto expected = written;
  expected["集計表"]["A2"] = "12";
  expected["マクロ"].insert({{"A2", "totalMain"}, {"B2", "0"}, {"C2", "1"}});
  EXPECT_EQ(Contents(path), expected);
  EXPECT_EQ(shell.opened(), QStringList({path, path, path}));
}

// Cells set in any order, overwritten and emptied again, before and after the workbook is read back:
// the file holds what the last setting of each cell said, as another reader sees it.
TEST_F(SpreadsheetStandIn, CellsSetInAnyOrderHoldTheirLastValue) {
  const QVariantList values{QStringLiteral(" 八王子 "), "A&B <c>", QStringLiteral("ＪＡ１"), QString(), 3, -2.25, 1e20, true, false};
  QMap<QString, QString> expected;
  uint32_t seed = 7;
  auto fill = [&](Workbook& b, int count) {
    for (int i = 0; i < count; ++i) {
      seed = seed * 1103515245u + 12345u;
      const int row = 1 + int(seed >> 8) % 40, column = 1 + int(seed >> 20) % 40;
      const QVariant& v = values[int(seed >> 4) % values.size()];
      b.SetCell(row, column, v);
      const QString ref = XlsxFile::Ref(row, column);
      if (v.typeId() == QMetaType::Bool) expected[ref] = v.toBool() ? "1" : "0";
      else if (v.typeId() != QMetaType::QString) expected[ref] = QString::number(v.toDouble(), 'g', 15);
      else if (v.toString().isEmpty()) expected.remove(ref);
      else expected[ref] = v.toString();
    }
  };
  for (const bool kept : {false, true}) {
    std::unique_ptr<Workbook> book = NewWorkbook("ORB_SHEET.XLS");
    ASSERT_GT(kept ? book->OpenExisting() : book->Open(), 32);
    book->SelectSheet(QString());
    fill(*book, 900);
    ASSERT_TRUE(book->Publish(error)) << error.toStdString();
    EXPECT_EQ(XlsxFile(home.file("ORB_SHEET.xlsx")).Cells("Sheet1"), expected) << (kept ? "kept" : "new");
  }
}

// Every member of a zip, inflated.
std::map<QString, QByteArray> Unpacked(const QString& path) {
  std::map<QString, QByteArray> out;
  unzFile z = unzOpen64(QFile::encodeName(path).constData());
  for (int e = unzGoToFirstFile(z); z && e == UNZ_OK; e = unzGoToNextFile(z)) {
    char name[512];
    unz_file_info64 info{};
    unzGetCurrentFileInfo64(z, &info, name, sizeof name, nullptr, 0, nullptr, 0);
    QByteArray& bytes = out[QString::fromUtf8(name)];
    bytes.resize(qsizetype(info.uncompressed_size));
    unzOpenCurrentFile(z);
    EXPECT_EQ(unzReadCurrentFile(z, bytes.data(), unsigned(bytes.size())), int(bytes.size()));
    EXPECT_EQ(unzCloseCurrentFile(z), UNZ_OK) << name;
  }
  unzClose(z);
  return out;
}

TEST_F(SpreadsheetStandIn, APostingReplacesOnlyItsSheetsAndReadsBackAsTheWholeRewrite) {
  // Blanks around and inside texts, XML's marks, control characters, Japanese; whole, fractional and
  // large numbers; truth values.
  const QVariantList values{QStringLiteral(" 八王子 "), "A&B <c>", "tab\there", "cr\rx\x01", QStringLiteral("ＪＡ１"),
                            3, -2.25, 0.1 + 0.2, 1e20, true, false};
  auto fill = [&](Workbook& b, int seed) {
    for (int i = 0; i < 60; ++i)
      b.SetCell(1 + (i * 7 + seed) % 23, 1 + (i * 5 + seed) % 31, values[(i + seed) % values.size()]);
  };
  std::unique_ptr<Workbook> book = NewWorkbook("ORB_SHEET.XLS");
  ASSERT_GT(book->Open(), 32);
  fill(*book, 0);
  book->SelectSheet(QStringLiteral("集計表"));
  fill(*book, 1);
  ASSERT_EQ(book->Run("Main", {8, 0}, result), 0);
  ASSERT_TRUE(book->Publish(error)) << error.toStdString();
  const QString path = home.file("ORB_SHEET.xlsx");
  const auto before = Unpacked(path);
  // The same posting into the book and into a copy with a calculation chain, which is written whole.
  ASSERT_TRUE(QFile::copy(path, home.file("WHOLE.xlsx")));
  zipFile z = zipOpen64(QFile::encodeName(home.file("WHOLE.xlsx")).constData(), APPEND_STATUS_ADDINZIP);
  zip_fileinfo info{};
  ASSERT_EQ(zipOpenNewFileInZip64(z, "xl/calcChain.xml", &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 6, 0), ZIP_OK);
  ASSERT_EQ(zipWriteInFileInZip(z, "<calcChain/>", 12) + zipCloseFileInZip(z) + zipClose(z, nullptr), ZIP_OK);
  for (const char* name : {"ORB_SHEET.XLS", "WHOLE.XLS"}) {
    book = NewWorkbook(name);
    ASSERT_EQ(book->OpenExisting(), 42) << book->ErrorText().toStdString();
    ASSERT_EQ(book->SelectSheetAt(2), 0);
    fill(*book, 2);
    book->SetCell(1, 1, QString());
    ASSERT_EQ(book->Run("totalMain", {0, 1}, result), 0);
    ASSERT_TRUE(book->Publish(error)) << error.toStdString();
  }
  EXPECT_EQ(Contents(path), Contents(home.file("WHOLE.xlsx")));
  EXPECT_FALSE(Unpacked(home.file("WHOLE.xlsx")).count("xl/calcChain.xml")) << "the copy was written whole";
  const auto after = Unpacked(path);
  EXPECT_EQ(after.size(), before.size());
  for (const auto& [member, bytes] : before) {
    const bool posted = member == "xl/worksheets/sheet2.xml" || member == "xl/worksheets/sheet3.xml";
    EXPECT_EQ(after.at(member) == bytes, !posted) << member.toStdString();
  }
}

TEST_F(SpreadsheetStandIn, AWorkbookOfAnotherProgramKeepsItsWorksheetsAndValues) {
  const QString path = home.file("ORB_SHEET.xlsx");
  WriteZip(path, OtherProgramsWorkbook());
  std::unique_ptr<Workbook> book = NewWorkbook("orb_sheet.xls");
  ASSERT_EQ(book->OpenExisting(), 42) << book->ErrorText().toStdString();
  ASSERT_EQ(book->SelectSheetAt(2), 0);
  book->SetCell(2, 1, QStringLiteral("新"));
  ASSERT_EQ(book->Run("totalMain", {0, 0}, result), 0);
  ASSERT_TRUE(book->Publish(error)) << error.toStdString();

  const XlsxFile x(path);
  ASSERT_TRUE(x.ok());
  EXPECT_EQ(x.SheetNames(), QStringList({"一覧", "集計表", "マクロ"})) << "a chart sheet holds no values";
  const QMap<QString, QString> list{{"A1", "八王子市"}, {"B1", "ORB 本"},      {"A2", "12.5"},    {"B2", "直接"},
                                    {"C2", "八王子市x"}, {"D2", "1"},           {"E2", "#DIV/0!"}, {"A3", "7"},
                                    {"B3", "八王子市"}};
  EXPECT_EQ(x.Cells("一覧"), list);
  EXPECT_EQ(x.Cells("集計表"), (QMap<QString, QString>{{"A1", "旧"}, {"A2", "新"}}));
  EXPECT_EQ(x.Cells("マクロ"),
            (QMap<QString, QString>{{"A1", "Main"}, {"B1", "3"}, {"A2", "totalMain"}, {"B2", "0"}, {"C2", "0"}}));
}

TEST_F(SpreadsheetStandIn, AMissingOrDamagedWorkbookIsToldAndLeftAsItWas) {
  const QString path = home.file("ORB_SHEET.xlsx");
  std::unique_ptr<Workbook> book = NewWorkbook("ORB_SHEET.XLS");
  EXPECT_EQ(book->OpenExisting(), 2);
  EXPECT_EQ(book->Attach(), 424);
  EXPECT_FALSE(book->Publish(error));
  EXPECT_FALSE(QFile::exists(path)) << "a missing workbook is not made up";

  // The bytes of a zip of these members, made in the workbook's place.
  const auto zipped = [&](const Members& members) {
    QFile::remove(path);
    WriteZip(path, members);
    return home.read("ORB_SHEET.xlsx");
  };
  const QByteArray good = zipped(OtherProgramsWorkbook());
  ASSERT_FALSE(good.isEmpty());
  Members noStrings = OtherProgramsWorkbook();
  noStrings.erase(noStrings.begin() + 3);
  Members badXml = OtherProgramsWorkbook();
  badXml[5].second = Worksheet("<row r=\"1\"><c r=\"A1\"><v>1</v></row>");
  Members badNumber = OtherProgramsWorkbook();
  badNumber[5].second = Worksheet("<row r=\"1\"><c r=\"A1\"><v>zwölf</v></c></row>");
  QByteArray flipped = good;
  const qsizetype data = flipped.indexOf("xl/worksheets/sheet2.xml") + 24;
  for (qsizetype i = data + 8; i < data + 24; ++i) flipped[i] = char(flipped[i] ^ 0x5a);

  const std::vector<std::pair<QByteArray, QString>> damaged{
      {"old", "zip"},
      {good.left(good.size() / 2), "zip"},
      {flipped, "xl/worksheets/sheet2.xml"},
      {zipped({{"a.txt", "x"}}), "xl/workbook.xml がありません"},
      {zipped(noStrings), "xl/sharedStrings.xml がありません"},
  };
  for (const auto& [bytes, why] : damaged) {
    home.write("ORB_SHEET.xlsx", bytes);
    book = NewWorkbook("ORB_SHEET.XLS");
    EXPECT_EQ(book->OpenExisting(), 11) << why.toStdString();
    EXPECT_TRUE(book->ErrorText().contains(why)) << book->ErrorText().toStdString();
    EXPECT_EQ(book->Attach(), 424);
    book->SetCell(1, 1, "x");
    EXPECT_FALSE(book->Publish(error));
    EXPECT_EQ(home.read("ORB_SHEET.xlsx"), bytes) << why.toStdString();
  }
  // A sheet whose XML or values are damaged is found when it is first written to.
  for (const auto& [members, why] : std::vector<std::pair<Members, QString>>{{badXml, "xl/worksheets/sheet2.xml"},
                                                                           {badNumber, "zwölf"}}) {
    const QByteArray bytes = zipped(members);
    book = NewWorkbook("ORB_SHEET.XLS");
    ASSERT_EQ(book->OpenExisting(), 42);
    book->SetCell(1, 1, "x");
    EXPECT_EQ(book->Attach(), 424);
    EXPECT_FALSE(book->Publish(error));
    EXPECT_TRUE(error.contains(why)) << error.toStdString();
    EXPECT_EQ(home.read("ORB_SHEET.xlsx"), bytes) << why.toStdString();
  }

  // A workbook open in another program is not read either.
  home.write("ORB_SHEET.xlsx", good);
  home.write(".~lock.ORB_SHEET.xlsx#", "someone");
  book = NewWorkbook("ORB_SHEET.XLS");
  EXPECT_EQ(book->OpenExisting(), 5);
  EXPECT_TRUE(book->ErrorText().contains("他のプログラムで開かれています"));
  EXPECT_TRUE(shell.opened().isEmpty());
}

TEST(MmqslStandIn, SaysPlainlyThatItCannotBeDrivenHere) {
  QString why;
  EXPECT_EQ(NewMmqsl(why), nullptr);
  EXPECT_TRUE(why.contains("Linux"));
  EXPECT_TRUE(why.contains("印刷されず"));
}

}  // namespace
