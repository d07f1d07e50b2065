#include "sheet/BuildDmyDbs.h"

#include <QElapsedTimer>
#include <algorithm>

#include "core/HamlogAccess.h"
#include "core/QsoFields.h"
#include "core/QsoRules.h"
#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "platform/ksort.h"
#include "platform/paths.h"
#include "platform/ui/msgbox.h"
#include "platform/vbfile.h"
#include "sheet/Collation.h"
#include "sheet/DmyDbsLine.h"
#include "sheet/SheetFill.h"
#include "sheet/SheetProgress.h"
#include "sheet/SheetTally.h"
#include "sheet/WorkFileStamp.h"

namespace {

void closeHamlog() { HamlogCloseDb(0); }

// Every way out of a failed build: nothing committed, the reason kept for the sheet load.
void fail(SheetProgress& progress, int32_t statusCode) {
  progress.HideBusyFrame();
  SheetTally.ReadFailed = 1;
  StartFlags.ReadStatusCode = statusCode;
  SheetTally.AppendRead = 0;
}

// The file sort on a file, repeated while it is busy. False when it gave up.
bool ksortFile(SheetProgress& progress, const QString& path) {
  const QString command = QString::fromLatin1(kDmyDbsSortKey) + "'" + path + "' ";
  QString reply;
  int result;
  do {
    progress.Pump();
    result = ksort(command, reply);
  } while (result == KsortBusy);
  return result != KsortGaveUp;
}

// Sorts work-file bytes by the file's key. Lines of the form the builder writes are sorted here;
// anything else (a file edited by hand) goes through the file sort, which splits lines its own way.
bool sortBytes(SheetProgress& progress, QByteArray& data) {
  if (IsPlainDmyDbs(data)) {
    data = SortDmyDbsBytes(data);
    return true;
  }
  const QString scratch = JoinPath(ProgramFolder(), "DMYDBS.srt");
  bool sorted =
      AtomicWriteFile(scratch, data) && ksortFile(progress, scratch) && ReadWholeFile(scratch, data);
  Kill(scratch);
  return sorted;
}

void collateAndFill(SheetProgress& progress, const QByteArray& sorted) {
  progress.Status(QStringLiteral("照合中"));
  progress.SetGridRedraw(false);
  CollateDmyDbs(sorted, CurrentConfirmRule(), progress);
  FillProgressSheet(progress);
  progress.SetGridRedraw(true);
  if (Settings.FreqErrReport == QLatin1String("1") && QsoRules.FreqErrorFound == 1) ShowFreqErrorReport();
}

// "前回データで起動": the previous file, sorted and collated as it stands; LASTP is not touched.
void reusePreviousFile(SheetProgress& progress) {
  progress.Status(QStringLiteral("SORT中"));
  QByteArray data;
  if (!IsFile(DmyDbsPath()) || !ReadWholeFile(DmyDbsPath(), data)) {
    progress.PreviousDataUnusable();
    fail(progress, kReadSortGaveUp);
    return;
  }
  if (IsPlainDmyDbs(data)) {
    const QByteArray sorted = SortDmyDbsBytes(data);
    if (sorted != data && !AtomicWriteFile(DmyDbsPath(), sorted)) {
      progress.PreviousDataUnusable();
      fail(progress, kReadSortGaveUp);
      return;
    }
    data = sorted;
  } else if (!ksortFile(progress, DmyDbsPath()) || !ReadWholeFile(DmyDbsPath(), data)) {
    progress.PreviousDataUnusable();
    fail(progress, kReadSortGaveUp);
    return;
  }
  collateAndFill(progress, data);
}

// [ORB] LASTP := value; false when the settings file does not hold it afterwards.
bool writeLastp(const QString& value) {
  WriteIni("ORB", "LASTP", value);
  QString stored;
  ReadIni("ORB", "LASTP", stored);
  return stored == value;
}

// The work file and LASTP go together. LASTP goes first because its old value is at hand to put
// back when the file cannot be replaced; the old file is not.
bool commitWorkFile(const QByteArray& bytes, const QString& lastp) {
  const QString previous = Settings.LastExtractedRecord;
  if (!writeLastp(lastp) || !AtomicWriteFile(DmyDbsPath(), bytes)) {
    writeLastp(previous);
    return false;
  }
  Settings.LastExtractedRecord = lastp;
  return true;
}

// "YYYY-MM-DD" as the eight characters yyyymmdd, without allocating.
struct Yyyymmdd {
  char16_t text[8];
  explicit Yyyymmdd(const QString& iso) {
    static constexpr int from[8] = {0, 1, 2, 3, 5, 6, 8, 9};
    for (int i = 0; i < 8; ++i) text[i] = iso[from[i]].unicode();
  }
  QStringView view() const { return QStringView(text, 8); }
};

}  // namespace

bool ModeIsSelected(const QString& mode) {
  const QString& selected = ReadConditions.SelMode;
  if (selected == QLatin1String("DIGITAL")) return Settings.DigitalModes.contains(mode);
  return selected == QLatin1String("MIX") || mode == selected;
}

bool QsoPassesConditions() {
  if (QStringView(Qso.QsoBand).trimmed().isEmpty()) return false;
  if (Qso.QsoCode.size() < 4 || Qso.QsoCode == QLatin1String("0100")) return false;
  if (!ModeIsSelected(Qso.QsoMode)) return false;
  for (const QString& kind : ReadConditions.ExcludedQslKinds)
    if (!kind.isEmpty() && kind == Qso.QslVia) return false;
  return true;
}

void BuildDmyDbs(SheetProgress& progress) {
  SheetTallyState& t = SheetTally;
  const auto lock = progress.LockJobs();
  if (t.AppendRead != 1 && StartFlags.StartWithPreviousData == 1) {
    reusePreviousFile(progress);
    return;
  }
  const bool append = t.AppendRead == 1;

  // HAMLOG first: when it does not open, the previous work file is not touched.
  if (HamlogOpenDb() != 0) {
    closeHamlog();
    fail(progress, append ? kReadAppendNoHamlog : kReadNoHamlog);
    return;
  }
  NoteHamlogBeforeReading();
  t.ReadPosition = append ? static_cast<int32_t>(VbValBytes(Settings.LastExtractedRecord.toLatin1())) : 0;
  progress.Status(QStringLiteral("読込中"));

  QByteArray lines;
  lines.reserve(qsizetype(std::clamp(Hamlog.HdbRecordCount - t.ReadPosition, 0, 4'000'000)) *
                kDmyDbsRecordBytes);
  int32_t lastTaken = 0;
  bool tookLine = false;
  const int32_t total = Hamlog.HdbRecordCount;
  QElapsedTimer pumpClock;
  pumpClock.start();
  int32_t sincePump = 0;
  for (;;) {
    if (progress.StopRequested()) {
      closeHamlog();
      fail(progress, kReadStoppedByEsc);
      return;
    }
    if (t.ReadPosition >= total) break;  // never past the last record
    ++t.ReadPosition;
    Qso.QsoRecNo = t.ReadPosition;
    if (ReadQsoBasic(Qso.QsoRecNo, 0) == 1) {  // it has told the operator
      closeHamlog();
      fail(progress, kReadRecordFailed);
      return;
    }
    // Esc and the counter get through every 8192 records, and at least every 50 ms.
    if (++sincePump >= 8192 || ((sincePump & 255) == 0 && pumpClock.elapsed() >= 50)) {
      progress.Counter(t.ReadPosition, total);
      sincePump = 0;
      pumpClock.restart();
    }
    if (!QsoPassesConditions()) continue;
    if (!QsoDateIsValid(Qso.QsoDate)) {
      MsgBox(BadQsoDateMessage(t.ReadPosition, Qso.RawDate), vbOKOnly);
      continue;
    }
    const Yyyymmdd date(Qso.QsoDate);
    if (date.view().compare(ReadConditions.StartDate) < 0 || date.view().compare(ReadConditions.EndDate) > 0)
      continue;
    lastTaken = t.ReadPosition;
    tookLine = true;
    t.NewLinesWritten = 1;
    AppendDmyDbsLine(lines, Qso.QsoCode, Qso.QsoBand, Qso.QslReceived, Qso.QslVia, t.ReadPosition,
                     date.view());
  }
  closeHamlog();
  if (append && !tookLine) return;  // nothing new: no sort, no collation, LASTP as it was

  progress.Status(QStringLiteral("SORT中"));
  QByteArray all;
  if (append) {
    // The lines already there stay: a file that is there but cannot be read stops the append.
    if (IsFile(DmyDbsPath()) && !ReadWholeFile(DmyDbsPath(), all)) {
      fail(progress, kReadFileError);
      return;
    }
    all += lines;
    lines.clear();
  } else {
    all.swap(lines);
  }
  if (!sortBytes(progress, all)) {
    progress.PreviousDataUnusable();
    fail(progress, kReadSortGaveUp);
    return;
  }
  // A rewrite that took no line writes the previous LASTP back.
  if (!commitWorkFile(all, tookLine ? QString::number(lastTaken) : Settings.LastExtractedRecord)) {
    fail(progress, kReadFileError);
    return;
  }
  RecordWorkFileComplete();
  collateAndFill(progress, all);
}
