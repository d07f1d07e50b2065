#include "startup/StartupSettings.h"

#include <QByteArray>
#include <QList>
#include <cmath>

#include "core/MASLST1.h"
#include "core/ORBEX_INI_MOD.h"
#include "core/ORB_HAMLOGDLL.h"
#include "core/SharedSettings.h"
#include "platform/paths.h"
#include "platform/vbfile.h"
#include "rig/RigPortState.h"
#include "sheet/BandLayout.h"

namespace {

// Hosts of the shortcut files; only scheme and path are fixed.
constexpr char kMakerHomePage[] = "http://orbex5.example.jp";
constexpr char kEqslPage[] = "http://www.eqsl.cc/jp/index.cfm";
constexpr char kQsoBankPage[] = "http://www.qsobank.com/user/";

QString section(const char* name) {
  IniMod.IniSection = QString::fromLatin1(name);
  return IniMod.IniSection;
}

// A stored whole number, or `fallback` with a line in `failures`.
int32_t number(const QString& key, const QString& text, int32_t fallback, QStringList& failures) {
  if (const std::optional<int32_t> n = WholeNumber(text)) return *n;
  failures << QString("[%1] %2=%3").arg(IniMod.IniSection, key, text);
  return fallback;
}

// The last path component: after the last "\" or "/".
QString fileNameOf(const QString& path) {
  const qsizetype k = std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
  return path.mid(k + 1);
}

// Rows from HAMLOGPOS on; only read when the HAMLOG program is known.
void readHamlogAndConditions(StartupReading& r) {
  SharedSettingsState& s = Settings;
  section("ORB");
  const std::optional<QString> hdb = ReadIniKey("HAMLOGPOS");
  r.HamlogPosMissing = !hdb;
  Hamlog.HamlogDbPath = hdb.value_or(QString());
  Hamlog.HdbFileName = ("\\" + fileNameOf(Hamlog.HamlogDbPath)).toUpper();

  s.UseOwnQthData = ReadIniOr("UseorgQTH", "") == "1" ? 1 : 0;
  const std::optional<QString> qth = ReadIniKey("QTHdatPOS");
  MasterList.QthDataPath = qth.value_or(QString());
  if (!qth) s.UseOwnQthData = 0;
  r.Boxes.OwnQthLabel = s.UseOwnQthData == 1;

  s.QslReceivedMarks[0] = ReadIniOr("QSL_RCV", "*");
  for (int i = 1; i <= 14; ++i) s.QslReceivedMarks[i] = ReadIniOr(QString("QSL_RCV%1").arg(i), "");
  s.QslProgramPath = ReadIniOr("HLQSL", "ORB");
  s.EditorPath = ReadIniOr("Editor", "NOTEPAD.EXE");
  s.StoredHdbDate = ReadIniOr("DBSDate", "ORB");
  s.MmqslDefFile = ReadIniOr("MMQSL", "");
  s.QslSendMark = ReadIniOr("QSLSendMark", "");
  const QString program = s.QslProgramPath.toUpper();
  s.QslProgramSet = program.contains("HLQSLN.EXE") || program.contains("MMQSL.EXE") ? 1 : 0;
  s.ModeCount = ReadIniOr("MODEC", "0");
  const int32_t modeCount = number("MODEC", s.ModeCount, 0, r.Failures);

  section("LASTCONDX");
  std::array<std::optional<QString>, 5> kinds;
  for (int i = 0; i < 5; ++i) {
    kinds[i] = ReadIniKey(QString("QSL%1").arg(i + 1));
    ReadConditions.ExcludedQslKinds[i] = kinds[i].value_or("LASTCONDX");
  }
  const std::optional<QString> mode = ReadIniKey("SELMODE");
  ReadConditions.SelMode = mode.value_or("LASTCONDX");
  if (mode) {
    // A missing category shows as an empty box: the one-character box would cut the section name to
    // its first letter, and QSOs of that category would be left out.
    for (int i = 0; i < 5; ++i) r.Boxes.QslBoxes[i] = kinds[i].value_or(QString());
    r.Boxes.ModeBox = modeCount > 0 ? *mode : "MIX";
    r.Boxes.ModeListText = r.Boxes.ModeBox;
  }
  QString start = ReadIniOr("STARTdate", "");
  if (start.size() != 8) start = "19520729";
  ReadConditions.StartDate = start;
  r.Boxes.StartDateBox = start;
  r.LoadedStartDate = start;

  section("ORB");
  s.HamLogQslMark = ReadIniOr("HamLogQSLMK", "");
  const QString hlyn = ReadIniOr("HLYN", "YES");
  s.Hlyn = hlyn == "YES" ? "YES" : "NO";
  s.HlynConfirm = s.Hlyn == "YES" ? 1 : 0;
  section("E-QSL");
  const std::optional<QString> put = ReadIniKey("PutQSOData");
  s.PutQsoData = put.value_or("E-QSL");
  s.EqslReady = put ? 1 : 0;
  section("LASTCONDX");
  s.HisRstDefault = ReadIniOr("HisRST", "") == "1" ? 1 : 0;
  s.MyRstDefault = ReadIniOr("MyRST", "") == "1" ? 1 : 0;
  section("E-QSL");
  s.EqslType = ReadIniOr("eQSL_type", "") == "1" ? "1" : "0";
  s.EqslMark = ReadIniOr("eQSL_Mark", "N");

  section("ORB");
  for (int32_t i = 1; i <= modeCount; ++i)
    r.Boxes.ModeListItems << ReadIniOr(QString("MODE%1").arg(i), "ORB");
  if (modeCount > 0) r.Boxes.ModeListItems << "DIGITAL";
  s.DigitalModes = ReadIniOr("DigitalMode", "");
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
  section("ORB");
  if (ReadIniOr("IM", "") == "1") return;
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
  section("ORB");
  WriteIni("IM", "1");
}

void WriteInternetShortcuts() {
  const QList<std::pair<const char*, const char*>> files = {
      {"go_MOX.url", kMakerHomePage}, {"eQSLcchomepage.url", kEqslPage}, {"QSOBANK.url", kQsoBankPage}};
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

  section("ORB");
  if (const std::optional<QString> data = ReadIniKey("DataFol")) {
    s.DataFolder = *data;
  } else {
    s.DataFolder = ProgramFolder() + "/GeneData/";
    WriteIni("DataFol", s.DataFolder);
  }
  MakeSureDirectoryPathExists(s.DataFolder);
  s.ExtendedBandSet = ReadIniOr("exp_Band", "") == "1" ? 1 : 0;
  ApplyBandSetLayout();
  s.FreqErrReport = ReadIniOr("FreqErrReport", "") == "1" ? "1" : "0";

  section("JARL");
  const std::optional<QString> award = ReadIniKey("JARLwebS");
  if (!award || award->contains("/Japanese/1_Tanoshimo/")) {
    s.AwardEntryPageUrl = kAwardEntryPageUrl;
    WriteIni("JARLwebS", s.AwardEntryPageUrl);
  } else {
    s.AwardEntryPageUrl = *award;
  }

  section("ORB");
  s.QslRcvOnly = ReadIniOr("QSL_RCVa", "") == "YES" ? "YES" : "NO";
  s.LastExtractedRecord = ReadIniOr("LASTP", "ORB");
  s.Rst599 = ReadIniOr("RST599", "599");
  ReadDisplayItemFlags(true, &r.Failures);
  ReadShownBands();
  for (int i = 0; i < kBandCount; ++i) WriteIni(Bands[i].key, ShownBands[i]);

  section("ORB");
  const std::optional<QString> call = ReadIniKey("MYCALL");
  r.MyCallMissing = !call;
  s.MyCall = call.value_or(QString());
  const QString wanted = ReadIniOr("WNTP", "1");
  s.WantedListType = wanted == "0" ? "1" : wanted;

  const std::optional<QString> exe = ReadIniKey("HAMLOGexePOS");
  if (!exe || !exe->toUpper().contains("W.EXE")) {
    Hamlog.HamlogExePath.clear();
    r.HamlogExeMissing = true;
    return r;
  }
  Hamlog.HamlogExePath = *exe;
  readHamlogAndConditions(r);
  return r;
}

void ReadHamlogShareSetting() {
  section("ORB");
  Settings.HamlogShare = ReadIniOr("HL share", "") == "1" ? "1" : "0";
}

void ReadRigSettings(QStringList& failures) {
  RigPortStateData& p = RigPortState;
  section("RIG_CON_CFG");
  const QString interval = ReadIniOr("Interval", "100");
  p.PostWriteWaitMs = number("Interval", interval, 100, failures);
  // A missing address reads as the section name cut to two characters, "RI".
  auto address = [](const char* key) {
    const QString a = ReadIniOr(key, "RIG_CON_CFG").left(2).leftJustified(2, u' ');
    return a == "RI" ? QString("00") : a;
  };
  p.Rig1.CivAddress = address("ICOM_RIGadrs");
  p.PollMode = ReadIniOr("VFOCHECK", "") == "YesP" ? 2 : 0;
  const QString trv = ReadIniOr("TRVIFfreq", "22");
  p.TrvIfFreqMhz = number("TRVIFfreq", trv, 22, failures);
  p.TransverterOffsetHz = int64_t{p.TrvIfFreqMhz} * 1'000'000;

  auto rig = [&](RigSetting& rig, const char* port, const char* type, const char* baud, const char* stop,
                 const char* oneStopBit) {
    const QString portName = ReadIniOr(port, "0");
    rig.PortName = portName == "0" ? "NONE" : portName;
    const std::optional<QString> model = ReadIniKey(type);
    rig.RigModel = model.value_or("Not Use");
    if (!model) rig.PortName = "NONE";
    rig.BaudText = ReadIniOr(baud, "4800");
    rig.StopBitText = ReadIniOr(stop, oneStopBit);
  };
  rig(p.Rig1, "RIGCOMCONT", "RIG_TYPE", "BAUD_RATE", "STOP_BIT", "0");
  p.Rig2.CivAddress = address("ICOM_RIGadrs2");
  rig(p.Rig2, "RIGCOMCONT2", "RIG_TYPE2", "BAUD_RATE2", "STOP_BIT2", "1");
  p.TwoRig = ReadIniOr("TWORIG", "") == "YES" ? "YES" : "NO";
  const std::optional<QString> poll = ReadIniKey("Poll_Time");
  p.PollPeriodMs = poll ? number("Poll_Time", *poll, 500, failures) : 500;
  p.UseRig(p.Rig1);
}
