#include "outputs/AwardLists.h"

#include <QList>
#include <vector>

#include "core/BandLayout.h"
#include "core/DesignatedCities.h"
#include "core/HamlogAccess.h"
#include "core/MasterTable.h"
#include "core/QsoFields.h"
#include "core/SharedSettings.h"
#include "outputs/ListChoices.h"
#include "outputs/ListFiles.h"
#include "outputs/Seiribo.h"
#include "outputs/WardLists.h"
#include "platform/paths.h"
#include "platform/vbfile.h"
#include "platform/vbnumber.h"
#include "sheet/SheetTally.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");

bool printText(VbFile& f, const QStringList& items) {
  QList<VbItem> list;
  for (const QString& item : items) list << VbItem(item);
  return PrintZoned(f, list);
}

QString withoutSpaces(QString text) { return text.remove(' ').remove(QChar(0x3000)); }

struct Candidate {
  QString code, name, date;
  bool tokyoWard = false;  // a city from 2010-04-01 on
};

struct AwardSpec {
  const char* codeHeading;
  const char* suffix;
  const char* remainSuffix;  // "" = no remaining list
  const char* name;          // in the messages
  const char* league;        // WACA / WAGA
  const char* unit;          // 市 / 郡
};

const AwardSpec* specOf(int32_t mode) {
  static const AwardSpec jcc{"JCC_code", "-JCC.txt", "-WACA残.txt", "JCC", "WACA", "市"};
  static const AwardSpec jcg{"JCG_code", "-JCG.txt", "-WAGA残.txt", "JCG", "WAGA", "郡"};
  static const AwardSpec waja{"WAJA_code", "-WAJA.txt", "", "WAJA", "", ""};
  static const AwardSpec dx{"DX_code", "-DX.txt", "-DX残.txt", "DX", "", ""};
  switch (mode) {
    case kAwardJcc: return &jcc;
    case kAwardJcg: return &jcg;
    case kAwardWaja: return &waja;
    case kAwardDx: return &dx;
    default: return nullptr;
  }
}

class AwardWriter {
 public:
  AwardWriter(int32_t mode, const BandRange& range, const DxccLookup& dxcc)
      : mode_(mode), spec_(*specOf(mode)), range_(range), dxcc_(dxcc) {}

  OutputRun Run() {
    OutputRun run;
    const QString listPath = AwardListPath(range_.label, QString::fromUtf8(spec_.suffix));
    VbFile list(listPath, VbMode::Output);
    if (!list.IsOpen()) return failed(listPath);
    const QString remarks = mode_ == kAwardDx ? QStringLiteral("Remarks(DXCC_code)") : QStringLiteral("Remarks");
    bool ok = printText(list, {"Count", spec_.codeHeading, "Callsign", "Date", "Band", "Mode", remarks});
    ok = ok && (mode_ == kAwardWaja ? scanWaja(list) : scanUnits(list));
    if (!ok) return failed(listPath);
    QString remainPath;
    bool remainWritten = false;
    if (*spec_.remainSuffix) {
      if (!writeWorkFile()) return failed(JoinPath(Settings.DataFolder, "Work.txt"));
      remainPath = AwardListPath(range_.label, QString::fromUtf8(spec_.remainSuffix));
      if (!writeRemainList(remainPath, remainWritten)) return failed(remainPath);
    }
    if (!list.Close()) return failed(listPath);
    tell(run, listPath, remainWritten ? remainPath : QString());
    run.ok = true;
    return run;
  }

 private:
  OutputRun failed(const QString& path) {
    OutputRun run;
    run.error = QStringLiteral("QSLリストの作成に失敗しました ") + kCrLf + path;
    return run;
  }

  // The confirming QSO of a cell: read into Qso. False when HAMLOG could not give it.
  bool readQso(int32_t recordNumber) {
    Qso.QsoRecNo = recordNumber;
    return ReadQsoBasic(recordNumber, 0) == 0;
  }

  int32_t recordOf(int32_t column, int32_t row) const {
    if (!SheetTally.CellRecordNumbers.Contains(column, row)) return 0;
    return static_cast<int32_t>(VbVal(SheetTally.CellRecordNumbers(column, row)));
  }

  int32_t firstConfirmed(int32_t row) const {
    for (int32_t c = range_.first; c <= range_.last; ++c)
      if (MasterTable(c, row) == QLatin1String("C")) return c;
    return 0;
  }

  bool printLine(VbFile& list, const QString& codeItem, const QString& remarks) {
    ++count_;
    if (Qso.QsoDate > latest_) latest_ = Qso.QsoDate;
    return printText(list, {QString::number(count_), codeItem, Qso.QsoCall, Qso.QsoDate, Qso.QsoBand,
                             Qso.QsoMode, remarks});
  }

  QString code6() const { return Qso.QsoCode.leftJustified(6, ' '); }

  bool scanWaja(VbFile& list) {
    QString lastPrefecture;
    const int32_t kind = BandLayout.KindColumn;
    for (int32_t r = 1; r <= rows(); ++r) {
      const QString k = MasterTable(kind, r);
      if (k == QLatin1String("DX")) break;
      if (KindBoxOf(k) < 0) continue;  // a row of no known kind
      const QString prefecture = MasterTable(1, r).left(2);
      if (prefecture == lastPrefecture) continue;
      const int32_t c = firstConfirmed(r);
      if (c == 0) continue;
      if (!readQso(recordOf(c, r))) return false;
      if (!printLine(list, code6().left(2), withoutSpaces(MasterTable(2, r)))) return false;
      lastPrefecture = prefecture;
    }
    return true;
  }

  bool scanUnits(VbFile& list) {
    QString lastKey;
    const int32_t kind = BandLayout.KindColumn;
    for (int32_t r = 1; r <= rows(); ++r) {
      const QString k = MasterTable(kind, r);
      const QString code = MasterTable(1, r).trimmed();
      const QString name = MasterTable(2, r);
      const bool abolished = name.contains('*');
      const QString remarks = abolished ? withoutSpaces(name) : QString();
      bool listed = false;
      if (mode_ == kAwardJcc && k == QLatin1String("C")) {
        if (const int32_t c = firstConfirmed(r)) {
          if (!readQso(recordOf(c, r)) || !printLine(list, code6(), remarks)) return false;
          lastKey = code.left(4);
          listed = true;
        }
        if (!listed && !abolished && !IsDesignatedCityCode(code.left(4)))
          candidates_.push_back({code.left(4), name.trimmed(), register_().StartDate(code.left(4))});
      } else if (mode_ == kAwardJcc && k == QLatin1String("K") && code.startsWith(QLatin1String("1001"))) {
        const int32_t ward = code.toInt();
        for (int32_t c = range_.first; c <= range_.last && !listed; ++c) {
          if (ward < kFirstTokyoWard || ward > kLastTokyoWard ||
              !SheetTally.TokyoWardRecordsTable.Contains(c, ward - kFirstTokyoWard + 1))
            break;
          const int32_t record = SheetTally.TokyoWardRecords(ward, c);
          if (record <= 0) continue;
          if (!readQso(record) || !printLine(list, code6(), remarks)) return false;
          listed = true;
        }
        if (!listed && !abolished) candidates_.push_back({code, name.trimmed(), QStringLiteral("2010-04-01"), true});
      } else if ((mode_ == kAwardJcc && k == QLatin1String("K")) || (mode_ == kAwardJcg && k == QLatin1String("G")) ||
                 (mode_ == kAwardDx && k == QLatin1String("DX"))) {
        const int keyLength = k == QLatin1String("G") ? 5 : 4;
        const QString key = code.left(keyLength);
        if (key == lastKey) continue;
        if (const int32_t c = firstConfirmed(r)) {
          if (!readQso(recordOf(c, r))) return false;
          const QString item = code6().left(keyLength);
          const QString rem = k == QLatin1String("DX") ? dxcc_(item) + " " + remarks : remarks;
          if (!printLine(list, item, rem)) return false;
          lastKey = key;
          listed = true;
        }
        if (listed || abolished) continue;
        if (k == QLatin1String("G"))
          candidates_.push_back({key, name.trimmed(), register_().StartDate(key)});
        else if (k == QLatin1String("DX") && code.contains('A'))
          candidates_.push_back({code, name.trimmed(), QString()});
      }
    }
    return true;
  }

  bool writeWorkFile() {
    VbFile work(JoinPath(Settings.DataFolder, "Work.txt"), VbMode::Output);
    int n = 0;
    for (const Candidate& c : candidates_)
      if (!work.Write({QString::number(++n), c.code, c.name, c.date})) return false;
    return work.Close();
  }

  bool writeRemainList(const QString& path, bool& written) {
    VbFile out(path, VbMode::Output);
    const bool dx = mode_ == kAwardDx;
    bool ok = dx ? printText(out, {"Count", "DX_code", "DXCC_code", "QTH"})
                 : printText(out, {"Count", spec_.codeHeading, "QTH", "Remarks(発足日)"});
    int n = 0;
    for (const Candidate& c : candidates_) {
      if (!ok) break;
      // A unit founded after the latest listed QSO was not there to be worked; with no QSO listed no
      // founding date is passed over. Tokyo's wards, cities from 2010-04-01 on, stand beside a listed
      // QSO of that time only.
      if (!dx && !c.date.isEmpty() && (!latest_.isEmpty() || c.tokyoWard) && c.date > latest_) continue;
      ++n;
      ok = dx ? printText(out, {QString::number(n), c.code, dxcc_(c.code.left(4)), c.name})
              : printText(out, {QString::number(n), c.code, c.name, c.date});
    }
    if (ok && !dx) ok = printText(out, {QStringLiteral("最終交信日"), latest_});
    written = n > 0;
    return ok && out.Close();
  }

  void tell(OutputRun& run, const QString& listPath, const QString& remainPath) {
    const QString label = range_.label;
    const QString mode = ReadConditions.SelMode;
    const QString score = label + "/" + mode + " = " + QString::number(count_) + QStringLiteral("ポイント ");
    run.opened << listPath;
    if (mode_ == kAwardWaja) {
      run.messages << (count_ == 47 ? QStringLiteral("Cong!  WAJA 完成 ") : QStringLiteral("WAJA ")) + score;
      return;
    }
    if (mode_ == kAwardDx) {
      if (!remainPath.isEmpty()) run.opened << remainPath;
      return;
    }
    const QString name = QString::fromUtf8(spec_.name);
    const QString league = QString::fromUtf8(spec_.league);
    const QString unit = QString::fromUtf8(spec_.unit);
    run.messages << (count_ >= 100 ? "Cong!  " + name + " " : name + " ") + score;
    if (!remainPath.isEmpty()) {
      run.messages << name + QStringLiteral("リストに続いて ") + league + QStringLiteral(" 的に残っている") + unit +
                          QStringLiteral("リストも表示します（表示が重なりますので要注）") + kCrLf +
                          QStringLiteral("最終(cfm)交信日以降に発足した（する）") + unit + QStringLiteral("は割愛しています");
      run.opened << remainPath;
    } else {
      run.messages << QStringLiteral("Cong! 最終(cfm)交信日基準で") + league + QStringLiteral("的に残っている所はありません");
    }
  }

  int32_t rows() const { return std::min(SheetTally.MasterRowCount, MasterTable.Rows()); }

  const SeiriboRegister& register_() {
    if (!seiribo_) seiribo_ = std::make_unique<SeiriboRegister>();
    return *seiribo_;
  }

  int32_t mode_;
  const AwardSpec& spec_;
  BandRange range_;
  DxccLookup dxcc_;
  int32_t count_ = 0;
  QString latest_;
  std::vector<Candidate> candidates_;
  std::unique_ptr<SeiriboRegister> seiribo_;
};

}  // namespace

QString AwardListPath(const QString& bandLabel, const QString& suffix) {
  return JoinPath(Settings.DataFolder, bandLabel + "_" + ReadConditions.SelMode + suffix);
}

OutputRun WriteAwardLists(int32_t mode, int32_t bandColumn, const DxccLookup& dxcc) {
  if (mode == kAwardWaku || mode == kAwardOrbKu) return WriteKuLists(bandColumn, mode);
  if (!specOf(mode)) return {};
  const BandRange range = AwardBandRange(bandColumn);
  OutputRun run;
  if (!range.Valid()) {
    run.error = kNoBandMessage;
    return run;
  }
  if (HamlogOpenDb() == 1) {
    HamlogCloseDb(0);
    run.error = WithOpenFailureCause(kNoHamlogMessage);
    return run;
  }
  const DxccLookup none = [](const QString&) { return QStringLiteral("unKnown"); };
  AwardWriter writer(mode, range, dxcc ? dxcc : none);
  run = writer.Run();
  HamlogCloseDb(0);
  return run;
}
