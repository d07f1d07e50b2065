#include "core/StartupSettings.h"

#include <QByteArray>
#include <QList>
#include <cmath>

#include "core/BandLayout.h"
#include "core/HamlogAccess.h"
#include "core/MasterList.h"
#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "platform/paths.h"
#include "platform/vbdate.h"
#include "platform/vbfile.h"
#include "platform/vbstrings.h"

namespace {

constexpr char kEqslPage[] = "http://www.eqsl.cc/jp/index.cfm";

// The address on the URL= line of an internet shortcut file; "" when there is none.
QString shortcutAddress(const QString& path) {
  VbFile in(path, VbMode::Input);
  QString line;
  while (in.IsOpen() && !in.Eof() && in.LineInput(line))
    if (line.startsWith(QLatin1String("URL="), Qt::CaseInsensitive)) return line.mid(4);
  return {};
}

// The last path component: after the last "\" or "/".
QString fileNameOf(const QString& path) {
  const qsizetype k = std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
  return path.mid(k + 1);
}

// Rows from HAMLOGPOS on; only read when the HAMLOG program is known.
void readHamlogAndConditions(StartupReading& r) {
  SharedSettingsState& s = Settings;
  const std::optional<QString> hdb = ReadIniKey("ORB", "HAMLOGPOS");
  r.HamlogPosMissing = !hdb;
  Hamlog.HamlogDbPath = hdb.value_or(QString());
  Hamlog.HdbFileName = ("\\" + fileNameOf(Hamlog.HamlogDbPath)).toUpper();

  s.UseOwnQthData = ReadIniOr("ORB", "UseorgQTH", "") == "1" ? 1 : 0;
  const std::optional<QString> qth = ReadIniKey("ORB", "QTHdatPOS");
  MasterList.QthDataPath = qth.value_or(QString());
  if (!qth) s.UseOwnQthData = 0;
  r.Boxes.OwnQthLabel = s.UseOwnQthData == 1;

  // A mark stored full-width stands for the half-width one HAMLOG keeps.
  s.QslReceivedMarks[0] = NarrowText(ReadIniOr("ORB", "QSL_RCV", "*"));
  for (int i = 1; i <= 14; ++i) s.QslReceivedMarks[i] = NarrowText(ReadIniOr("ORB", QString("QSL_RCV%1").arg(i), ""));
  s.QslProgramPath = ReadIniOr("ORB", "HLQSL", "ORB");
  s.EditorPath = ReadIniOr("ORB", "Editor", "NOTEPAD.EXE");
  s.StoredHdbDate = ReadIniOr("ORB", "DBSDate", "ORB");
  s.MmqslDefFile = ReadIniOr("ORB", "MMQSL", "");
  s.QslSendMark = ReadIniOr("ORB", "QSLSendMark", "");
  s.QslProgramSet = QslProgramSetOf(s.QslProgramPath);
  s.ModeCount = ReadIniOr("ORB", "MODEC", "0");
  const qsizetype failuresBefore = r.Failures.size();
  const int32_t modeCount = StoredNumber("ORB", "MODEC", s.ModeCount, 0, 0, kModeCountLimit, r.Failures);
  if (r.Failures.size() > failuresBefore) s.ModeCount = "0";  // the list is edited from this count

  std::array<std::optional<QString>, 5> kinds;
  for (int i = 0; i < 5; ++i) {
    kinds[i] = ReadIniKey("LASTCONDX", QString("QSL%1").arg(i + 1));
    ReadConditions.ExcludedQslKinds[i] = kinds[i].value_or("LASTCONDX");
  }
  const std::optional<QString> mode = ReadIniKey("LASTCONDX", "SELMODE");
  ReadConditions.SelMode = mode.value_or("LASTCONDX");
  if (mode) {
    // A missing category shows as an empty box: the one-character box would cut the section name to
    // its first letter, and QSOs of that category would be left out.
    for (int i = 0; i < 5; ++i) r.Boxes.QslBoxes[i] = kinds[i].value_or(QString());
    r.Boxes.ModeBox = modeCount > 0 ? *mode : "MIX";
    r.Boxes.ModeListText = r.Boxes.ModeBox;
  }
  QString start = ReadIniOr("LASTCONDX", "STARTdate", "");
  if (start.size() == 8 && !IsEightDigitDate(start)) {
    // Eight characters but no date: every QSO would compare outside the period.
    r.Failures << "[LASTCONDX] STARTdate=" + start;
    start.clear();
  }
  if (start.size() != 8) start = "19520729";
  ReadConditions.StartDate = start;
  r.Boxes.StartDateBox = start;
  r.LoadedStartDate = start;

  s.HamLogQslMark = NarrowText(ReadIniOr("ORB", "HamLogQSLMK", ""));
  const QString hlyn = ReadIniOr("ORB", "HLYN", "YES");
  s.Hlyn = hlyn == "YES" ? "YES" : "NO";
  s.HlynConfirm = s.Hlyn == "YES" ? 1 : 0;
  const std::optional<QString> put = ReadIniKey("E-QSL", "PutQSOData");
  s.PutQsoData = put.value_or("E-QSL");
  s.EqslReady = put ? 1 : 0;
  s.HisRstDefault = ReadIniOr("LASTCONDX", "HisRST", "") == "1" ? 1 : 0;
  s.MyRstDefault = ReadIniOr("LASTCONDX", "MyRST", "") == "1" ? 1 : 0;
  s.EqslType = ReadIniOr("E-QSL", "eQSL_type", "") == "1" ? "1" : "0";
  s.EqslMark = ReadIniOr("E-QSL", "eQSL_Mark", "N");
  s.EqslMesg = ReadIniOr("E-QSL", "eQSL_Mesg", "");

  for (int32_t i = 1; i <= modeCount; ++i)
    r.Boxes.ModeListItems << ReadIniOr("ORB", QString("MODE%1").arg(i), "ORB");
  if (modeCount > 0) r.Boxes.ModeListItems << "DIGITAL";
  s.DigitalModes = ReadIniOr("ORB", "DigitalMode", "");
}

}  // namespace

std::optional<int32_t> ThdllVersionNumber(int32_t raw) {
  const QString digits = QString::number(static_cast<uint32_t>(raw), 16);
  bool ok = false;
  const qlonglong decimal = digits.toLongLong(&ok, 10);
  if (!ok) return std::nullopt;
  qlonglong q = decimal / 100;
  const qlonglong rest = decimal % 100;
  if (rest > 50 || (rest == 50 && q % 2 == 1)) ++q;
  return static_cast<int32_t>(q);
}

void CleanIniViewPos() {
  if (ReadIniOr("ORB", "IM", "") == "1") return;
  const QString path = IniFilePath();
  if (FileExists(path) == 1) {
    static const char* const kOld[] = {
        "[VIEWwwwPOS]", "VIEWwwwPOSTop=", "VIEWwwwPOSLeft=", "VIEWwwwPOSWidth=", "VIEWwwwPOSHeight=",
        "VIEWwwwFW=",   "VIEWwwwFH=",     "VIEWwwwTW=",      "VIEWwwwTH="};
    auto isOld = [](const QString& line) {
      for (const char* t : kOld)
        if (line.contains(QLatin1String(t))) return true;
      return false;
    };
    // The bytes of each line are written back as read; the text is only for the tests.
    QList<QByteArray> bytes;
    QStringList lines;
    {
      VbFile in(path, VbMode::Input);
      if (!in.IsOpen()) return;
      QByteArray line;
      while (in.LineInputBytes(line)) {
        bytes << line;
        lines << FromAnsi(line);
      }
    }
    qsizetype oldLines = 0;
    for (const QString& l : lines) oldLines += isOld(l) ? 1 : 0;
    if (oldLines > 0) {
      VbFile out(path, VbMode::Output);
      if (!out.IsOpen()) return;
      for (qsizetype i = 0; i < lines.size(); ++i) {
        if (isOld(lines[i])) continue;
        if (i > 0 && lines[i].contains(u'[') && !lines[i - 1].isEmpty()) out.Print({});
        out.Print({bytes[i]});
      }
      if (!out.Close()) return;
    }
  }
  WriteIni("ORB", "IM", "1");
}

QString ProgramVersionText() {
  return QString("%1.%2.%3").arg(kProgramVersionMajor).arg(kProgramVersionMinor).arg(kProgramVersionRevision);
}

QString KeptWebAddress(const QString& stored) {
  const QString t = stored.trimmed();
  if (t.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)) return "https://" + t.mid(7);
  return t;
}

void WriteInternetShortcuts() {
  // The maker's page and the QSOBank page: whatever the operator has there, never a host of ours.
  const auto kept = [](const char* name) { return KeptWebAddress(shortcutAddress(JoinPath(ProgramFolder(), name))); };
  const QList<std::pair<const char*, QString>> files = {
      {"go_MOX.url", kept("go_MOX.url")}, {"eQSLcchomepage.url", kEqslPage}, {"QSOBANK.url", kept("QSOBANK.url")}};
  for (const auto& [name, url] : files) {
    VbFile out(JoinPath(ProgramFolder(), name), VbMode::Output);
    out.Print({"[InternetShortcut]"});
    out.Print({QString("URL=") + url});
    out.Close();
  }
}

StartupReading ReadStartupSettings() {
  StartupReading r;
  SharedSettingsState& s = Settings;

  if (const std::optional<QString> data = ReadIniKey("ORB", "DataFol")) {
    s.DataFolder = *data;
  } else {
    s.DataFolder = ProgramFolder() + "/GeneData/";
    WriteIni("ORB", "DataFol", s.DataFolder);
  }
  MakeSureDirectoryPathExists(s.DataFolder);
  s.ExtendedBandSet = ReadIniOr("ORB", "exp_Band", "") == "1" ? 1 : 0;
  ApplyBandSetLayout();
  s.FreqErrReport = ReadIniOr("ORB", "FreqErrReport", "") == "1" ? "1" : "0";

  const std::optional<QString> award = ReadIniKey("JARL", "JARLwebS");
  if (!award || award->contains("/Japanese/1_Tanoshimo/")) {
    s.AwardEntryPageUrl = kAwardEntryPageUrl;
    WriteIni("JARL", "JARLwebS", s.AwardEntryPageUrl);
  } else {
    s.AwardEntryPageUrl = *award;
  }

  s.QslRcvOnly = ReadIniOr("ORB", "QSL_RCVa", "") == "YES" ? "YES" : "NO";
  s.LastExtractedRecord = ReadIniOr("ORB", "LASTP", "ORB");
  s.Rst599 = ReadIniOr("ORB", "RST599", "599");
  ReadDisplayItemFlags(true, &r.Failures);
  ReadShownBands();
  for (int i = 0; i < kBandCount; ++i) WriteIni("DISPBAND_ITEM", Bands[i].key, ShownBands[i]);

  const std::optional<QString> call = ReadIniKey("ORB", "MYCALL");
  r.MyCallMissing = !call;
  s.MyCall = call.value_or(QString());
  const QString wanted = ReadIniOr("ORB", "WNTP", "1");
  // "1" text, "2" listening list, "3" CSV; "0" is an old way of saying "1".
  const int32_t listType = StoredNumber("ORB", "WNTP", wanted, 1, 0, 3, r.Failures);
  s.WantedListType = listType == 0 ? "1" : QString::number(listType);

  const std::optional<QString> exe = ReadIniKey("ORB", "HAMLOGexePOS");
  if (!exe || !exe->toUpper().contains("W.EXE")) {
    Hamlog.HamlogExePath.clear();
    r.HamlogExeMissing = true;
    return r;
  }
  Hamlog.HamlogExePath = *exe;
  readHamlogAndConditions(r);
  return r;
}

int32_t QslProgramSetOf(const QString& qslProgramPath) {
  const QString program = qslProgramPath.toUpper();
  return program.contains("HLQSLN.EXE") || program.contains("MMQSL.EXE") ? 1 : 0;
}

void ReadHamlogShareSetting() { Settings.HamlogShare = ReadIniOr("ORB", "HL share", "") == "1" ? "1" : "0"; }
