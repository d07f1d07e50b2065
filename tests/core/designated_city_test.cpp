#include <gtest/gtest.h>

#include <QFile>

#include "core/DesignatedCities.h"
#include "platform/codepage.h"
#include "support/qt_print.h"
#include "support/temp_home.h"

namespace {

class DesignatedCityTest : public ::testing::Test {
 protected:
  void writeDefinitions(const char* utf8) {
    home.write(QString::fromUtf8(kDesignatedCityFile), ToAnsi(QString::fromUtf8(utf8)));
  }
  int32_t load() { return LoadDesignatedCityDef(badLine); }
  TempHome home;
  int32_t badLine = 0;
};

}  // namespace

TEST_F(DesignatedCityTest, ReadsDefinitionsAndBuildsTheCodeList) {
  writeDefinitions(
      "# 市名,ＪＣＣコード,発足日\r\n"
      " 横浜市, 1101 , 19560901 \r\n"
      "   # 字下げした注釈\r\n"
      "浜松市,1821,20070401");
  EXPECT_EQ(load(), 2);
  const auto& d = DesignatedCityDef;
  EXPECT_EQ(d.DesignatedCityCount, 2);
  ASSERT_EQ(d.DesignatedCities.size(), 2u);
  EXPECT_EQ(d.DesignatedCities[0].Name, QString::fromUtf8(" 横浜市"));
  EXPECT_EQ(d.DesignatedCities[0].Code, "1101");
  EXPECT_EQ(d.DesignatedCities[0].StartDate, 19560901);
  EXPECT_EQ(d.DesignatedCities[1].Name, QString::fromUtf8("浜松市"));
  EXPECT_EQ(d.DesignatedCityCodes, "1101,1821,1001");
}

TEST_F(DesignatedCityTest, LinuxLineEndsReadAsWindowsOnesAndAnotherEncodingIsNamed) {
  writeDefinitions("# 注釈\n横浜市,1101,19560901\n浜松市,1821,20070401\n");
  EXPECT_EQ(load(), 2);
  EXPECT_EQ(DesignatedCityDef.DesignatedCities[1].Name, QString::fromUtf8("浜松市"));
  home.write(QString::fromUtf8(kDesignatedCityFile), QString::fromUtf8("横浜市,1101,19560901\r\n").toUtf8());
  EXPECT_EQ(load(), -2);
  EXPECT_EQ(DesignatedCityDef.FileEncoding, "UTF-8");
  const QString text = QString::fromUtf8("横浜市,1101,19560901\r\n");
  home.write(QString::fromUtf8(kDesignatedCityFile),
             QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2));
  EXPECT_EQ(load(), -2);
  EXPECT_EQ(DesignatedCityDef.FileEncoding, "UTF-16LE");
}

TEST_F(DesignatedCityTest, ShippedFileLoads) {
  QFile shipped(QStringLiteral(ORBEX_DATA_DIR "/home/") + QString::fromUtf8(kDesignatedCityFile));
  ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
  home.write(QString::fromUtf8(kDesignatedCityFile), shipped.readAll());
  EXPECT_EQ(load(), 20);
  EXPECT_TRUE(DesignatedCityDef.DesignatedCityCodes.startsWith("1101,2001,"));
}

TEST_F(DesignatedCityTest, UnusableFilesGiveZero) {
  EXPECT_EQ(load(), 0) << "no file";
  writeDefinitions("# 注釈だけ\r\n#\r\n");
  EXPECT_EQ(load(), 0) << "comment lines only";
  writeDefinitions("横浜市,1101,1956/09/01\r\n");
  EXPECT_EQ(load(), 0) << "first day with slashes";
  EXPECT_EQ(DesignatedCityDef.DesignatedCityCount, 0);
  writeDefinitions("横浜市,1101,\r\n");
  EXPECT_EQ(load(), 0) << "no first day";
}

TEST_F(DesignatedCityTest, MalformedLineIsNamedByItsDataLineNumber) {
  writeDefinitions("# head\r\n横浜市,1101,19560901\r\n\r\n名古屋市,2001,19560901\r\n");
  EXPECT_EQ(load(), -1) << "blank line between definitions";
  EXPECT_EQ(badLine, 2);

  writeDefinitions("# a\r\n# b\r\n横浜市,1101,19560901\r\n名古屋市 2001,19560901\r\n");
  EXPECT_EQ(load(), -1) << "one comma";
  EXPECT_EQ(badLine, 2);

  writeDefinitions("横浜市,神奈川,1101,19560901\r\n");
  EXPECT_EQ(load(), -1) << "comma inside the name";
  EXPECT_EQ(badLine, 1);

  writeDefinitions("横浜市，1101，19560901\r\n");
  EXPECT_EQ(load(), -1) << "full-width commas are no separators";

  for (const char* cut :
       {"神戸市,2701,19", "神戸市,2701,1956090", "神戸市,2701,19561301", "神戸市,,19560901"}) {
    writeDefinitions(
        (QByteArray("横浜市,1101,19560901\r\n") + cut + "\r\n名古屋市,2001,19560901\r\n").constData());
    badLine = 0;
    EXPECT_EQ(load(), -1) << cut;
    EXPECT_EQ(badLine, 2) << cut;
    EXPECT_EQ(DesignatedCityDef.DesignatedCityCount, 0) << cut;
  }
}

TEST_F(DesignatedCityTest, WardCountingFollowsTheFirstDay) {
  writeDefinitions("静岡市,1801,20050401\r\n");
  ASSERT_EQ(load(), 1);
  EXPECT_TRUE(IsDesignatedCityCode("1801"));
  EXPECT_TRUE(IsDesignatedCityCode("1001"));
  EXPECT_FALSE(IsDesignatedCityCode("1802"));
  EXPECT_FALSE(CityCountsByWard("1801", 20050331));
  EXPECT_TRUE(CityCountsByWard("1801", 20050401));
  EXPECT_TRUE(CityCountsByWard("1001", 19520729));
  EXPECT_FALSE(CityCountsByWard("1802", 20240101));
}
