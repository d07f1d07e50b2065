#include "awards/LeagueStationCheck.h"

#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <array>
#include <cerrno>
#include <vector>

#include "core/HamlogAccess.h"
#include "core/QsoFields.h"
#include "core/QsoRules.h"
#include "core/SharedSettings.h"
#include "platform/paths.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/shell.h"
#include "platform/vbfile.h"
#include "sheet/BuildDmyDbs.h"

LeagueStationState LeagueStation;

namespace {

const char* const kBandKeys[] = {"1.9", "3.5", "7",   "10",  "14",  "18",  "21",  "24",
                                 "28",  "50",  "144", "430", "1200", "2400", "5600", "135K",
                                 "475K", "10G", "24G", "47G", "77G", "SAT",  "allBand"};

constexpr int kStationTableLimit = 100;
constexpr int kLoggedCallBytes = 20;

// One counted combination of a station.
struct Counted {
  QString band, call, year, code;
  bool operator==(const Counted&) const = default;
};

// Counts the QSOs with one listed station into the report. The call index gives the station's QSOs
// in a run; the run ends at the first QSO of another base call.
void countStation(const QString& callKey, const QString& bandKey, VbFile& report) {
  int32_t rec = Vidx_search(Hamlog.Thw, callKey, 16);
  std::vector<Counted> table;
  for (; rec >= 1 && table.size() < kStationTableLimit; rec = Vidx_next(Hamlog.Thw, 16)) {
    ClearQsoFieldBuffers();
    Qso.QsoRecNo = rec;
    if (ReadQsoBasic(rec, 0) != 0) return;
    if (Qso.QsoBand.trimmed().isEmpty()) continue;
    SplitCallSign(Qso.QsoCall);
    if (QsoRules.CallBase != callKey) return;
    const QString year = Qso.QsoDate.left(4);
    if (!LeagueYearAllowed(callKey, year)) continue;
    if (bandKey != "allBand" && Qso.QsoBand.trimmed() != bandKey) continue;
    if (!ModeIsSelected(Qso.QsoMode)) continue;
    const QString mark = Qso.QslReceived.trimmed();
    bool confirmed = false;
    if (Settings.QslRcvOnly == "YES") {
      confirmed = !mark.isEmpty();
    } else {
      for (const QString& m : Settings.QslReceivedMarks) confirmed = confirmed || (!m.isEmpty() && m == mark);
    }
    if (!confirmed) continue;
    const Counted entry{Qso.QsoBand, Qso.QsoCall, year, Qso.QsoCode};
    if (std::find(table.begin(), table.end(), entry) != table.end()) continue;
    table.push_back(entry);
    ++LeagueStation.LeaguePointCount;
    report.Print({LeagueStation.LeaguePointCount, PrintZone, Qso.QsoCode, PrintZone, Qso.QsoCall, PrintZone,
                  Qso.QsoDate, PrintZone, Qso.QsoBand, PrintZone, Qso.QsoMode});
  }
}

QString resultMessage(int32_t points, const QStringList& skipped) {
  QString text;
  if (points == 0) {
    text = QStringLiteral("対象局が見つかりませんでした。");
  } else {
    text = (points >= 5 ? QStringLiteral("Cong!!!  ") : QStringLiteral("もう一頑張りの  ")) +
           QString::number(points) + QStringLiteral("ポイントです。") + "\r\n" +
           QStringLiteral("各賞の最低ラインは　J賞=5p A賞=20p R賞=50p L賞=100p") + "\r\n" +
           QStringLiteral("更にL賞では０－９エリアの全てを含んでいないとダメですよ");
  }
  if (!skipped.isEmpty())
    text += "\r\n\r\n" + QStringLiteral("JARLstation.TXT の次の行はコールサインとして読めないため飛ばしました:") +
            "\r\n" + skipped.mid(0, 10).join("\r\n") +
            (skipped.size() > 10 ? "\r\n" + QStringLiteral("ほか %1 行").arg(skipped.size() - 10) : QString());
  return text;
}

}  // namespace

QString LeagueBandKey(int32_t bandIndex) {
  if (bandIndex < 0 || bandIndex > kAllBandsChoice) return QString();
  return QString::fromLatin1(kBandKeys[bandIndex]);
}

bool ReadStationList(const QString& path, StationList& list) {
  list = {};
  VbFile f(path, VbMode::Input, 0, VbAccess::Read);
  if (!f.IsOpen()) {
    list.readError = f.ErrorNumber();
    return false;
  }
  static const QRegularExpression callPattern(QStringLiteral("^[A-Z0-9/]+$"));
  QSet<QString> seen;
  QString raw;
  for (int n = 1; f.LineInput(raw); ++n) {
    const QString line = raw.trimmed();
    if (line.isEmpty() || line.startsWith('#') || line.startsWith(';') || line.startsWith('\'')) continue;
    const QString call = line.toUpper();
    // Call signs are ASCII, so a character outside it (or one the code page could not decode) is no call.
    if (call.size() > kLoggedCallBytes || !callPattern.match(call).hasMatch()) {
      list.skipped << QStringLiteral("行 %1: %2").arg(n).arg(line.left(30));
      continue;
    }
    SplitCallSign(call);
    const QString base = QsoRules.CallBase;
    if (base.isEmpty() || seen.contains(base)) continue;
    seen.insert(base);
    list.calls << base;
  }
  return true;
}

bool LeagueYearAllowed(const QString& call, const QString& year) {
  if (call == "8J1ITU" || call == "8N3ITU") return year == "1994";
  static const QSet<QString> until2003 = {"8J2ITU", "8J3ITU", "8J4ITU", "8J5ITU", "8J6ITU",
                                          "8J7ITU", "8J8ITU", "8J9ITU", "8J0ITU"};
  if (until2003.contains(call)) return year <= QStringLiteral("2003");
  return true;
}

void CheckJARLStationAward(int32_t bandIndex) {
  const QString bandKey = LeagueBandKey(bandIndex);
  LeagueStation.LeaguePointCount = 0;
  const QString reportPath = JoinPath(Settings.DataFolder, bandKey + "-cfm_JARLstation.TXT");
  VbFile report(reportPath, VbMode::Output);
  report.Print({"Count", PrintZone, "Code", PrintZone, "Callsign", PrintZone, "Date", PrintZone, "Band",
                PrintZone, "Mode"});
  const QString listPath = JoinPath(ProgramFolder(), "JARLstation.TXT");
  StationList list;
  if (!ReadStationList(listPath, list)) {
    report.Close();
    MsgBox(list.readError == ENOENT
               ? listPath + QStringLiteral("が見つかりません")
               : FileFaultText(listPath, QStringLiteral(" を読めません"), list.readError));
    return;
  }
  // One open of HAMLOG serves the whole list: every station is a call-index lookup.
  HamlogCloseDb(0);
  if (HamlogOpenDb() != 0) {
    report.Close();
    MsgBox(WithOpenFailureCause(QStringLiteral("HAMLOGデータがOpen出来ません。")));
    return;
  }
  {
    const FreqErrorReportBatch freqReport;
    for (const QString& call : list.calls) countStation(call, bandKey, report);
  }
  HamlogCloseDb(0);
  if (!report.Close()) {
    MsgBox(reportPath + QStringLiteral(" を書き込めませんでした。") + "\r\n" + report.ErrorText());
    return;
  }
  MsgBox(resultMessage(LeagueStation.LeaguePointCount, list.skipped));
  if (LeagueStation.LeaguePointCount > 0) Hamlog.LastResult = ShellOpen(reportPath);
}
