// The record calls: open, close, count, read, write, QSL marks, fields, version.
#include <QFileInfo>
#include <QScopeGuard>
#include <cstring>
#include <utility>

#include "platform/codepage.h"
#include "platform/hamlog/hamlog.h"
#include "platform/hamlog/hamlog_session.h"
#include "platform/hamlog/index_build.h"
#include "platform/hamlog/thw_block.h"
#include "platform/ui/msgbox.h"
#include "platform/vbfile.h"

using namespace hamlog;

HamlogLib hamlogLib;

HamlogLib::HamlogLib() = default;
HamlogLib::~HamlogLib() = default;
HamlogLib::HamlogLib(HamlogLib&&) noexcept = default;
HamlogLib& HamlogLib::operator=(HamlogLib&&) noexcept = default;

namespace {

Session& session() { return CurrentSession(); }

// HAMLOG's question before it writes the record in the block, when the caller asked for it: HAMLOG_OK
// for yes, HAMLOG_DECLINED for no. Nobody is kept out of the database while the operator decides; its
// hold is taken back afterwards (which may find it held by another program).
int32_t askBeforeWrite(QsoDatabase& db, const ThwRecord& thw, const QString& question) {
  QString call, date;
  ThwString(call, thw, 0);
  ThwString(date, thw, 2);
  db.LetGo();
  const bool agreed = MsgBox(call.trimmed() + "  " + date.trimmed() + "\r\n" + question, vbYesNo + vbQuestion,
                             QStringLiteral("HAMLOG")) == vbYes;
  if (const int32_t r = db.HoldAgain(); r != HAMLOG_OK) return r;
  return agreed ? HAMLOG_OK : HAMLOG_DECLINED;
}

void loaded(ThwRecord& thw, int32_t recNo, const unsigned char* stored) {
  ThwHead h = ReadHead(thw);
  if (h.magic != kThwMagic) h = ThwHead{};
  h.magic = kThwMagic;
  h.recNo = recNo;
  WriteHead(thw, h);
  std::memcpy(Image(thw), stored, kHdbRecordLength);
}

// The block takes the record as stored (cleaned) after a write.
int32_t reload(ThwRecord& thw, int64_t recNo) {
  unsigned char stored[kHdbRecordLength];
  if (!session().db.Table().ReadRecord(recNo, stored)) return HAMLOG_CHANGED;
  loaded(thw, int32_t(recNo), stored);
  return HAMLOG_OK;
}

int32_t qslMark(int32_t recNo, int position, int32_t mark, const PickedQso* picked) {
  if (hamlogLib.qsoOrMaster != 1) return HAMLOG_NOT_QSO;
  if (mark < 1 || mark > 255) return HAMLOG_BAD_ARGUMENT;
  return session().db.PutQslMark(recNo, position, static_cast<unsigned char>(mark), picked);
}

// A write that is in the log (confirmed or not) leaves the record as stored in the block.
int32_t reloadWritten(ThwRecord& thw, int32_t result, int64_t recNo) {
  if (result != HAMLOG_OK && result != HAMLOG_UNCONFIRMED) return result;
  const int32_t r = reload(thw, recNo);
  return r == HAMLOG_OK ? result : r;
}

}  // namespace

int32_t SetDbsShare(int32_t share) {
  hamlogLib.share = share ? 1 : 0;
  return 1;
}

int32_t HamlogOpen(int32_t, ThwRecord& thw, const QString& basePath, int32_t) {
  if (basePath.isEmpty()) return HAMLOG_BAD_ARGUMENT;
  const QString hdb = CompanionPath(basePath + ".HDB", "HDB");
  const int32_t r = session().db.Open(hdb, hamlogLib.share == 0);
  if (r == HAMLOG_OK) PrepareBlock(thw);
  return r;
}

int32_t HamlogClose(ThwRecord&, int32_t) {
  if (hamlogLib.session) hamlogLib.session->db.Close();
  return HAMLOG_OK;
}

int32_t HamlogRecover(const QString& hdbPath, QStringList* notices) {
  const QString path = CompanionPath(hdbPath, "HDB");
  DbLock* lock = session().LockFor(path);
  HdbTable table;
  // What this recovery and every one before it (an open's) left for the operator.
  const auto told = qScopeGuard([notices, &table] {
    session().TakeNoticesOf(table);
    if (notices) *notices = std::exchange(session().notices, {});
  });
  const LockWait wait(hamlogLib.lockWait);
  TableStatus s = table.Open(path, lock, &wait);
  session().problem = table.Problem();
  if (s != TableStatus::Ok) return ResultOfStatus(s);
  if (!table.Writable() || !lock) return HAMLOG_READ_ONLY;
  const WriteGuard guard(lock, wait);
  if (guard.Stopped()) {
    session().problem = guard.StoppedText(HdbTable::kRecoveryStopped);
    return HAMLOG_LOCKED;
  }
  if (!guard.Held()) return HAMLOG_IO_ERROR;
  s = table.Refresh();
  if (s == TableStatus::Ok) s = table.RecoverJournal(wait);
  session().problem = table.Problem();
  if (s != TableStatus::Ok) return ResultOfStatus(s);
  // A journal's or an index's scratch file of a writer killed before it named it.
  const QFileInfo journal(table.JournalPath());
  QStringList names{journal.fileName()};
  for (const IndexKind* kind : {&kQsoByCode, &kQsoByCall, &kMasterByCode, &kMasterByKind})
    names << QFileInfo(CompanionPath(path, kind->suffix)).fileName();
  RemoveLeftoverTemporaries(journal.absolutePath(), names);
  return HAMLOG_OK;
}

int32_t dbf_open(const QString& hdbPath, int32_t& handle) {
  handle = 0;
  if (hdbPath.isEmpty()) return HAMLOG_BAD_ARGUMENT;
  const QString path = CompanionPath(hdbPath, hdbPath.right(3));
  auto slot = std::make_unique<Session::DbfSlot>();
  const TableStatus s = slot->table.Open(path, session().LockFor(path));
  session().problem = slot->table.Problem();
  if (s != TableStatus::Ok) return ResultOfStatus(s);
  // Someone holding the database alone makes it unavailable, as HamlogOpen would find.
  if (DbLock* lock = session().LockFor(path); lock && !lock->HeldOpen()) {
    if (!lock->HoldOpen(false)) return HAMLOG_IN_USE;
    lock->ReleaseOpen();
  }
  auto& open = session().dbfSlots;
  size_t i = 0;
  while (i < open.size() && open[i]) ++i;
  if (i == open.size()) open.emplace_back();
  open[i] = std::move(slot);
  handle = int32_t(i + 1);
  return HAMLOG_OK;
}

namespace {

Session::DbfSlot* dbfSlot(int32_t handle) {
  if (!hamlogLib.session) return nullptr;
  auto& open = hamlogLib.session->dbfSlots;
  return handle >= 1 && size_t(handle) <= open.size() ? open[handle - 1].get() : nullptr;
}

}  // namespace

int32_t dbf_rcount(int32_t handle) {
  Session::DbfSlot* slot = dbfSlot(handle);
  if (!slot || slot->table.Refresh() != TableStatus::Ok) return -1;
  return int32_t(slot->table.Count());
}

int32_t dbf_close(int32_t handle) {
  if (!dbfSlot(handle)) return HAMLOG_BAD_ARGUMENT;
  hamlogLib.session->dbfSlots[handle - 1].reset();
  return HAMLOG_OK;
}

int32_t THW_read(ThwRecord& thw, int32_t recNo, int32_t) {
  if (hamlogLib.qsoOrMaster != 1) return HAMLOG_NOT_QSO;
  QsoDatabase& db = session().db;
  if (!db.IsOpen()) return HAMLOG_NOT_OPEN;
  HdbTable& table = db.Table();
  if (!table.Has(recNo) && recNo >= 1) table.Refresh();  // another process may have appended since
  if (!table.Has(recNo)) return HAMLOG_NO_RECORD;
  unsigned char stored[kHdbRecordLength];
  if (!table.ReadRecord(recNo, stored)) return HAMLOG_CHANGED;
  if (stored[0] == '*') return HAMLOG_DELETED;
  loaded(thw, recNo, stored);
  return HAMLOG_OK;
}

int32_t THW_append(ThwRecord& thw, int32_t, int32_t& confirm) {
  if (hamlogLib.qsoOrMaster != 1) return HAMLOG_NOT_QSO;
  PrepareBlock(thw);
  QsoDatabase& db = session().db;
  if (confirm == 1 && db.IsOpen())
    if (const int32_t r = askBeforeWrite(db, thw, QStringLiteral("このQSOをHAMLOGに登録しますか？"));
        r != HAMLOG_OK)
      return r;
  int64_t recNo = 0;
  const int32_t r = db.Append(Image(thw), &recNo);
  return reloadWritten(thw, r, recNo);
}

int32_t THW_update(ThwRecord& thw, const ThwRecord& old, int32_t recNo, int32_t, int32_t& confirm) {
  if (hamlogLib.qsoOrMaster != 1) return HAMLOG_NOT_QSO;
  if (ReadHead(old).magic != kThwMagic) return HAMLOG_BAD_ARGUMENT;
  PrepareBlock(thw);
  QsoDatabase& db = session().db;
  if (confirm == 0 && db.IsOpen())
    if (const int32_t r = askBeforeWrite(db, thw,
                                         QStringLiteral("HAMLOGのレコード ") + QString::number(recNo) +
                                             QStringLiteral(" をこの内容に更新しますか？"));
        r != HAMLOG_OK)
      return r;
  return reloadWritten(thw, db.Update(recNo, Image(old), Image(thw)), recNo);
}

int32_t QSL_Rcv(ThwRecord&, int32_t recNo, int32_t mark, const PickedQso* picked) {
  return qslMark(recNo, 2, mark, picked);
}

int32_t QSL_Send(ThwRecord&, int32_t recNo, int32_t mark, const PickedQso* picked) {
  return qslMark(recNo, 1, mark, picked);
}

QString HamlogProblem() { return hamlogLib.session ? session().problem : QString(); }

HdbScan::~HdbScan() { letGo(); }

void HdbScan::letGo() {
  if (holding_ && hamlogLib.session) hamlogLib.session->db.LetGoReading();
  holding_ = false;
}

int32_t HdbScan::Begin() {
  letGo();
  count_ = 0;
  fellShort_ = false;
  if (hamlogLib.qsoOrMaster != 1) return HAMLOG_NOT_QSO;
  QsoDatabase& db = session().db;
  if (const int32_t r = db.HoldForReading(); r != HAMLOG_OK) return r;
  holding_ = true;
  HdbTable& table = db.Table();
  if (const TableStatus s = table.Refresh(); s != TableStatus::Ok) {
    session().problem = table.Problem();
    return s == TableStatus::BadCount || s == TableStatus::Locked ? ResultOfStatus(s)
                                                                  : int32_t(HAMLOG_CHANGED);
  }
  const FileStat st = table.FileNow();
  count_ = int32_t(table.Count());
  size_ = st.size, mtimeNs_ = st.mtimeNs, device_ = st.device, inode_ = st.inode;
  if (afterBeginForTest) afterBeginForTest();
  return HAMLOG_OK;
}

int32_t HdbScan::Read(int32_t first, int32_t n, unsigned char* out) const {
  if (n <= 0) return HAMLOG_OK;
  if (first < 1 || int64_t(first) + n - 1 > count_) return HAMLOG_NO_RECORD;
  if (!hamlogLib.session || !hamlogLib.session->db.IsOpen()) return HAMLOG_NOT_OPEN;
  if (hamlogLib.session->db.Table().ReadRecords(first, n, out)) return HAMLOG_OK;
  fellShort_ = true;
  return HAMLOG_CHANGED;
}

int32_t HdbScan::ReadHeads(int32_t first, int32_t n, int width, unsigned char* out, int offset) const {
  if (n <= 0) return HAMLOG_OK;
  if (first < 1 || int64_t(first) + n - 1 > count_) return HAMLOG_NO_RECORD;
  if (!hamlogLib.session || !hamlogLib.session->db.IsOpen()) return HAMLOG_NOT_OPEN;
  if (hamlogLib.session->db.Table().ReadRecordHeads(first, n, width, out, offset)) return HAMLOG_OK;
  fellShort_ = true;
  return HAMLOG_CHANGED;
}

int32_t HdbScan::End() const {
  if (fellShort_) return HAMLOG_CHANGED;
  if (!hamlogLib.session || !hamlogLib.session->db.IsOpen()) return HAMLOG_NOT_OPEN;
  const QsoDatabase& db = hamlogLib.session->db;
  const FileStat now = db.Table().FileNow();
  const FileStat named = StatPath(db.Path());
  const bool same = now.size == size_ && now.mtimeNs == mtimeNs_ && named.exists && named.device == device_ &&
                    named.inode == inode_;
  return same ? HAMLOG_OK : HAMLOG_CHANGED;
}

int32_t GetThdllVersion() { return hamlogLib.thdllVersion; }

int32_t SetQsoOrMaster(int32_t which) {
  hamlogLib.qsoOrMaster = which;
  return HAMLOG_OK;
}

QByteArrayView ThwBytes(const ThwRecord& thw, int32_t field) {
  const auto span = RecordFieldSpan(field);
  if (!span || ReadHead(thw).magic != kThwMagic) return {};
  return QByteArrayView(reinterpret_cast<const char*>(Image(thw)) + span->offset, span->width);
}

int32_t ThwString(QString& buffer, const ThwRecord& thw, int32_t field) {
  const ThwHead h = ReadHead(thw);
  if (field == 27) {
    const int32_t recNo = h.magic == kThwMagic ? h.recNo : 0;
    buffer = QString::number(recNo);
    return recNo;
  }
  if (h.magic != kThwMagic) {
    const auto span = RecordFieldSpan(field);
    if (!span) return HAMLOG_BAD_ARGUMENT;
    buffer.fill(' ', span->width);
    return HAMLOG_NO_RECORD;
  }
  return ImageString(buffer, Image(thw), field);
}

int32_t ImageString(QString& buffer, const unsigned char* image, int32_t field) {
  const auto span = RecordFieldSpan(field);
  if (!span) return HAMLOG_BAD_ARGUMENT;
  const unsigned char* p = image + span->offset;
  const int n = span->width;
  bool ascii = true;
  for (int i = 0; i < n && ascii; ++i) ascii = p[i] < 0x80;
  if (!ascii) {
    buffer = FromAnsi(QByteArrayView(reinterpret_cast<const char*>(p), n));
    return HAMLOG_OK;
  }
  // Most fields are ASCII: fill the caller's buffer in place, no allocation once it is large enough.
  buffer.resize(n);
  QChar* d = buffer.data();
  for (int i = 0; i < n; ++i) d[i] = QChar(char16_t(p[i]));
  return HAMLOG_OK;
}

int32_t SetThBuffer(ThwRecord& thw, const QString& text, int32_t field) {
  const auto span = RecordFieldSpan(field);
  if (!span) return HAMLOG_BAD_ARGUMENT;
  PrepareBlock(thw);
  const QByteArray bytes = FixedAnsi(text, span->width);
  std::memcpy(Image(thw) + span->offset, bytes.constData(), span->width);
  return HAMLOG_OK;
}

int32_t Vdbf_rcount(ThwRecord&) {
  if (!hamlogLib.session || !hamlogLib.session->db.IsOpen()) return 0;
  HdbTable& table = hamlogLib.session->db.Table();
  table.Refresh();
  return int32_t(table.Count());
}

int32_t Vdbf_read(ThwRecord& thw, int32_t recNo, QString& text) {
  text.clear();
  const int32_t r = THW_read(thw, recNo, 3);
  if (r != HAMLOG_OK) return r;
  QString call, date, time;
  ThwString(call, thw, 0);
  ThwString(date, thw, 2);
  ThwString(time, thw, 3);
  text = call.trimmed() + ' ' + date.trimmed() + ' ' + time.trimmed();
  return HAMLOG_OK;
}

int32_t Vdbf_delete(ThwRecord& thw, int32_t recNo) {
  if (hamlogLib.qsoOrMaster != 1) return HAMLOG_NOT_QSO;
  const ThwHead h = ReadHead(thw);
  return session().db.Delete(recNo, h.magic == kThwMagic && h.recNo == recNo ? Image(thw) : nullptr);
}

int32_t Vdbf_packwk(ThwRecord&, const QString&, int32_t) {
  if (hamlogLib.qsoOrMaster != 1) return HAMLOG_NOT_QSO;
  return session().db.Pack();
}
