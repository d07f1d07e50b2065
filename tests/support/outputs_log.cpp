#include "support/outputs_log.h"

#include "core/DesignatedCities.h"
#include "outputs/Seiribo.h"
#include "platform/codepage.h"
#include "platform/vbfile.h"

OutputsLog::OutputsLog() {
  Add({"JA1AAA,2009/05/01,7.025,CW,100101,J *", "JA1AAB,2012/06/01,7.030,CW,100105,J *",
       "JA1AAC,2015/01/01,7.010,CW,110101,J *", "JA1AAD,2016/02/02,14.050,SSB,10001,J *",
       "JA1AAE,2017/03/03,7.020,CW,1002,J  ", "JA1AAF,2018/04/04,14.020,CW,1002,J E",
       "W1AW,2019/01/01,14.010,CW,501A,J *", "JA1AAG,2010/03/31,21.020,CW,110101,J *",
       "JA1AAH,2011/01/01,21.030,CW,110101,J  ", "JA0AAA,2020/03/01,435/145,FM,0901,J E"});
}

void OutputsLog::LoadSheet() {
  Prepare();
  DesignatedCityDef.DesignatedCityCodes = "1101,1001";
  Load();
}

QStringList OutputsLog::Lines(const QString& name) const {
  const QByteArray bytes = home.read(name);
  if (bytes.isEmpty()) return {};
  QStringList lines = FromAnsi(bytes).split("\r\n");
  if (lines.last().isEmpty()) lines.removeLast();
  return lines;
}

void OutputsLog::WriteRegister(const QStringList& entries) {
  VbFile f(home.file(QString::fromUtf8(kSeiriboFile)), VbMode::Output);
  for (const QString& e : entries) {
    const QStringList p = e.split(',');
    f.Write({p[0], p[1], "", "新設", "合併", "A"});
  }
  f.Close();
}
