#include "awards/BandStationList.h"

#include <QByteArray>
#include <QSet>
#include <array>
#include <vector>

#include "core/HamlogAccess.h"
#include "core/QsoFields.h"
#include "core/QsoRules.h"
#include "core/SharedSettings.h"
#include "platform/codepage.h"
#include "platform/ksort.h"
#include "platform/paths.h"
#include "platform/ui/msgbox.h"
#include "platform/vbfile.h"
#include "sheet/BuildDmyDbs.h"

namespace {

constexpr int kCallWidth = 20;

const std::array<BandStationListDef, 15>& definitions() {
  static const std::array<BandStationListDef, 15> defs = {{
      {"10", "10MHz-100.txt", {"10"}, 1000, 20020401, "Cong!!! 1,000オーバーです。"},
      {"18", "18MHz-100.txt", {"18"}, 1000, 20020401, "Cong!!! 1,000オーバーです。"},
      {"24", "24MHz-100.txt", {"24"}, 1000, 20020401, "Cong!!! 1,000オーバーです。"},
      {"ALL", "WARC-1000.txt", {"10", "18", "24"}, 10000, 20020401, "Cong!!! 10,000オーバーです。"},
      {"50", "50MHz-100.txt", {"50"}, 1000, 19520729, "Cong!!! 1,000オーバーです。"},
      {"144", "144MHz-100.txt", {"144"}, 1000, 19520729, "Cong!!! 1,000オーバーです。"},
      {"430", "430MHz-100.txt", {"430"}, 1000, 19520729, "Cong!!! 1,000オーバーです。"},
      {"VUALL", "VU-1000.txt", {"50", "144", "430", "1200", "2400"}, 10000, 19520729,
       "Cong!!! 10,000オーバーです。"},
      {"1200", "1200MHz-500.txt", {"1200"}, 500, 19520729, "Cong!!! 500オーバーです。"},
      {"2400", "2400MHz-500.txt", {"2400"}, 500, 19520729, "Cong!!! 500オーバーです。"},
      {"5600", "5600MHz-500.txt", {"5600"}, 500, 19520729, "Cong!!! 500オーバーです。"},
      {"10G", "10GHz-500.txt", {"10G"}, 500, 19520729, "Cong!!! 500オーバーです。"},
      {"24G", "24GHz-500.txt", {"24G"}, 500, 19520729, "Cong!!! 500オーバーです。"},
      {"47G", "47GHz-500.txt", {"47G"}, 500, 19520729, "Cong!!! 500オーバーです。"},
      {"77G", "75GHz-500.txt", {"77G"}, 500, 19520729, "Cong!!! 500オーバーです。"},
  }};
  return defs;
}

// The list whose lines begin with the running number.
bool numbered(const BandStationListDef& def) { return QLatin1String(def.Key) == QLatin1String("10"); }

// "YYYY-MM-DD" as the number yyyymmdd.
int32_t dateNumber(const QString& d) {
  auto digits = [&](int from, int n) {
    int32_t v = 0;
    for (int i = from; i < from + n; ++i) v = v * 10 + (d[i].unicode() - u'0');
    return v;
  };
  return digits(0, 4) * 10000 + digits(5, 2) * 100 + digits(8, 2);
}

// The confirmation rule of the reading: any received mark, or one of the fifteen marks. A QSO
// without a received mark is never confirmed, even when one of the marks is a blank.
class Confirmation {
 public:
  Confirmation() {
    anyMark_ = Settings.QslRcvOnly == QLatin1String("YES");
    for (const QString& m : Settings.QslReceivedMarks)
      if (!m.isEmpty()) marks_.insert(m);
  }
  bool operator()(const QString& received) const {
    if (received.isEmpty() || received == QLatin1String(" ")) return false;
    return anyMark_ || marks_.contains(received);
  }

 private:
  bool anyMark_ = false;
  QSet<QString> marks_;
};

}  // namespace

const BandStationListDef* FindBandStationList(const QString& bandKey) {
  for (const BandStationListDef& d : definitions())
    if (bandKey == QLatin1String(d.Key)) return &d;
  return nullptr;
}

QString BandStationListPath(const BandStationListDef& def) {
  return JoinPath(Settings.DataFolder, QString::fromUtf8(def.FileName));
}

BandStationScan ScanBandStations(const BandStationListDef& def) {
  BandStationScan scan;
  const FreqErrorReportBatch report;
  VbFile out(BandStationListPath(def), VbMode::Output);
  const Confirmation confirmed;
  const ReadConditionsState& rc = ReadConditions;
  const bool allModes = rc.SelMode == QLatin1String("MIX");
  // One set of base calls per band row; a station counts once per band.
  std::vector<QSet<QString>> seen(size_t(def.Bands.size()));
  for (QSet<QString>& s : seen) s.reserve(def.Capacity);
  const int32_t total = Hamlog.HdbRecordCount;
  QString call;
  // Fields are taken as the checks need them: once a QSO has passed, a record of another band has
  // nothing more to tell than its band and, when that is no date, its date.
  for (int32_t n = 1; n <= total; ++n) {
    Qso.QsoRecNo = n;
    // A record that cannot be read (the reader told the operator) adds nothing.
    if (ReadQsoRecord(n) != 0 || TakeQsoCall() != 0) continue;
    TakeQsoBand();
    const QStringView band = QStringView(Qso.QsoBand).trimmed();
    if (band.isEmpty()) continue;
    TakeQsoDate();
    if (!QsoDateIsValid(Qso.QsoDate)) {
      MsgBox(BadQsoDateMessage(n, Qso.RawDate));
      continue;
    }
    const qsizetype row = def.Bands.indexOf(band);
    if (row < 0 && scan.AnyPassed) continue;
    const int32_t date = dateNumber(Qso.QsoDate);
    if (date < def.EarliestDate) continue;
    const QString dateKey = QString::number(date);
    if (dateKey < rc.StartDate || dateKey > rc.EndDate) continue;
    if (!allModes) {
      TakeQsoMode();
      if (!ModeIsSelected(Qso.QsoMode)) continue;
    }
    TakeQsoQsl();
    bool excluded = false;
    for (const QString& kind : rc.ExcludedQslKinds) excluded = excluded || (!kind.isEmpty() && kind == Qso.QslVia);
    if (excluded || !confirmed(Qso.QslReceived)) continue;
    scan.AnyPassed = true;
    if (row < 0) continue;

    TakeQsoMode();
    TakeQsoCode();
    call = Qso.QsoCall;
    call.remove(QStringLiteral("/SO2005"));
    SplitCallSign(call);
    const QString base = QsoRules.CallBase.leftJustified(kCallWidth, u' ', true);
    if (seen[size_t(row)].contains(base)) continue;
    ++scan.Count;
    if (scan.Count > def.Capacity) {
      scan.LimitReached = true;
      MsgBox(QString::fromUtf8(def.LimitMessage));
      break;
    }
    seen[size_t(row)].insert(base);
    QList<VbItem> line;
    if (numbered(def)) line << VbItem(scan.Count);
    line << base << Qso.QsoDate << band.toString().leftJustified(4, u' ') << Qso.QsoMode
         << Qso.QsoCode.leftJustified(6, u' ') << Qso.QsoCall;
    out.Write(line);
    ++scan.Lines;
  }
  scan.FileWritten = out.Close();
  scan.WriteError = out.ErrorNumber();
  return scan;
}

bool SortBandStationList(const BandStationListDef& def) {
  // The numbered list is written in the order of its numbers; a sort of its first columns as text
  // would put 10 before 2.
  if (numbered(def)) return true;
  QString reply;
  int r = KsortBusy;
  while (r == KsortBusy) r = ksort("/k(1:20) '" + BandStationListPath(def) + "' ", reply);
  return r != KsortGaveUp;
}

QString BandStationCountMessage(const BandStationListDef& def, int32_t count) {
  const QString key = QString::fromLatin1(def.Key);
  const QString n = QString::number(count);
  if (key != "ALL" && key != "VUALL") return "現在のところ " + n + " 局です";
  if (count < 1000) return "残念でした " + n + " 局です、もう一踏ん張りしましょう";
  if (count < 2000)
    return "＼(^o^)／ 取り敢えず第一ステップクリヤー！　m(__)m　\r\n" + n + "局です、更にもう一踏ん張りしましょう";
  if (count < 9000)
    return "＼(^o^)／ 第 " + QString::number(count / 1000) + "ステップクリヤー！　m(__)m　\r\n" + n +
           "局です、更にもう一踏ん張りしましょう";
  if (count < 10000) return "＼(^o^)／ いよいよファイナルステージに突入！　m(__)m　\r\n" + n + "局です、がんばれ！がんばれ！";
  return {};
}
