#include "logbook/HamlogRecordWriter.h"

#include "core/HamlogAccess.h"
#include "core/QsoRules.h"
#include "core/SharedSettings.h"
#include "platform/codepage.h"
#include "platform/ipc/ipc.h"
#include "platform/paths.h"
#include "platform/vbstrings.h"

namespace {

// The first character of the trimmed text, a blank when there is none. The three marks share a
// three-byte field: a double-byte character would push the next mark out of it.
QString qslChar(const QString& text) {
  const QString t = text.trimmed().left(1);
  return t.isEmpty() || AnsiLen(t) != 1 ? QStringLiteral(" ") : t;
}

QString field(const ThwRecord& thw, int number) {
  QString buffer;
  if (ThwString(buffer, thw, number) != 0) return {};
  return buffer.remove(QChar(0));
}

}  // namespace

EntryWrite WriteHamlogRecord(const QsoEntry& e, bool storedRecord, int32_t shownRecNo,
                             const ThwRecord& backup) {
  const bool confirmWrites = Settings.Hlyn == "YES";
  int32_t appendConfirm = confirmWrites ? 1 : 0;
  int32_t updateConfirm = confirmWrites ? 0 : 17;
  // The first flag comes from the box; the other three stay those of the record shown (a new record
  // starts with none).
  QsoRules.QslFlagCode = QslTextToFlags((e.dFlag ? "D" : " ") + QsoRules.QslFlagText.right(3));

  SetQsoOrMaster(1);
  ThwRecord& thw = Hamlog.Thw;
  const std::pair<int, QString> fields[] = {
      {0, e.call},
      {2, HamlogDateText(e.date)},
      {3, e.time},
      {4, e.hisRst},
      {5, RTrim(e.myRst)},
      {6, e.freq},
      {7, e.mode},
      {8, e.code},
      {9, e.grid},
      {10, qslChar(e.qslVia) + qslChar(e.qslSent) + qslChar(e.qslRcvd)},
      {11, e.name},
      {12, e.qth},
      {13, e.remarks1},
      {14, e.remarks2},
      {16, QsoRules.QslFlagCode},
  };
  EntryWrite out;
  for (const auto& [number, text] : fields)
    if ((out.result = SetThBuffer(thw, text, number)) != 0) break;

  if (out.result == 0) {
    if (!storedRecord) {
      out.result = THW_append(thw, 16, appendConfirm);
      if (out.Stored()) {
        out.recNo = Vdbf_rcount(thw);
        out.added = out.recNo != shownRecNo - 1;
      }
    } else {
      out.result = THW_update(thw, backup, shownRecNo, 16, updateConfirm);
      if (out.Stored()) out.recNo = shownRecNo;
    }
  }
  Hamlog.LastResult = out.result;
  HamlogCloseDb(out.Stored() ? 1 : 0);
  return out;
}

QsoEntry EntryOfRecord(const ThwRecord& thw) {
  QsoEntry e;
  e.call = field(thw, 0).trimmed();
  e.date = EntryDateText(field(thw, 2).trimmed());
  e.time = field(thw, 3).trimmed();
  e.hisRst = field(thw, 4).trimmed();
  e.myRst = field(thw, 5).trimmed();
  e.freq = field(thw, 6).trimmed();
  e.mode = field(thw, 7).trimmed();
  e.code = field(thw, 8).trimmed();
  e.grid = field(thw, 9).trimmed();
  const QString qsl = field(thw, 10);
  e.qslVia = qsl.mid(0, 1).trimmed();
  e.qslSent = qsl.mid(1, 1).trimmed();
  e.qslRcvd = qsl.mid(2, 1).trimmed();
  e.name = RTrim(field(thw, 11));
  e.qth = RTrim(field(thw, 12));
  e.remarks1 = RTrim(field(thw, 13));
  e.remarks2 = RTrim(field(thw, 14));
  QslFlagsToText(field(thw, 16).trimmed());
  e.dFlag = QsoRules.QslFlagText.startsWith('D');
  return e;
}

bool RecordStillShown(int32_t recNo, const ThwRecord& shown) {
  ThwRecord now{};
  if (THW_read(now, recNo, 3) != 0) return false;
  for (int f : {0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 16})
    if (field(now, f) != field(shown, f)) return false;
  return true;
}

DeleteOutcome DeleteShownRecord(int32_t recNo, const ThwRecord& shown) {
  SetQsoOrMaster(1);
  if (!RecordStillShown(recNo, shown)) return DeleteOutcome::Changed;
  // Compared once more under the log's lock, after any wait for it: a record another program changed
  // or packed away meanwhile is never the one deleted.
  ThwRecord expected = shown;
  Hamlog.LastResult = Vdbf_delete(expected, recNo);
  if (Hamlog.LastResult == HAMLOG_STALE) return DeleteOutcome::Changed;
  if (Hamlog.LastResult != 0 && Hamlog.LastResult != HAMLOG_UNCONFIRMED) return DeleteOutcome::Failed;
  Hamlog.LastResult = Vdbf_packwk(Hamlog.Thw, QString(), 58);
  // A pack in the log whose flush failed is a deletion all the same (LastResult says it is unconfirmed).
  return Hamlog.LastResult == 0 || Hamlog.LastResult == HAMLOG_UNCONFIRMED ? DeleteOutcome::Deleted
                                                                            : DeleteOutcome::Failed;
}

bool RebuildHamlogIndexes(QString* why) {
  HamlogCloseDb(0);
  // The operator asked for these builds: they are no news to tell later.
  const int32_t rebuildsBefore = hamlogLib.indexRebuilds;
  const int32_t built = idx_rebuild(Hamlog.HamlogDbPath);
  if (const QString problem = HamlogIndexProblem(); built != HAMLOG_OK && !problem.isEmpty()) {
    hamlogLib.indexRebuilds = rebuildsBefore;
    if (why) *why = problem;
    return false;
  }
  Hamlog.LastResult = HamlogOpenDb();
  hamlogLib.indexRebuilds = rebuildsBefore;
  if (Hamlog.LastResult != 0) return false;
  HamlogCloseDb(0);
  return true;
}

void RefreshHamlogWindow() {
  // HAMLOG's own window reads its data again on Alt+R; without a running HAMLOG nothing happens.
  if (IpcFind(kHamlogWindowClass)) IpcSend(kHamlogWindowClass, ToAnsi(QStringLiteral("%R")));
}
