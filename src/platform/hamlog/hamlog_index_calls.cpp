// The index calls: idx_* on index files by path, Vidx_* on the open database's call-sign order.
#include <cstring>

#include "platform/codepage.h"
#include "platform/hamlog/hamlog.h"
#include "platform/hamlog/hamlog_session.h"
#include "platform/hamlog/index_build.h"
#include "platform/hamlog/thw_block.h"
#include "platform/vbfile.h"

using namespace hamlog;

namespace {

Session::IndexSlot* slotOf(const IndexHandle& handle) {
  const HandleHead h = ReadHead(handle);
  if (h.magic != kHandleMagic || !hamlogLib.session) return nullptr;
  auto& open = hamlogLib.session->indexSlots;
  if (h.slot >= open.size() || !open[h.slot] || open[h.slot]->serial != h.serial) return nullptr;
  return open[h.slot].get();
}

bool startsWith(const unsigned char* key, int width, const unsigned char* prefix, uint32_t length) {
  return int(length) <= width && std::memcmp(key, prefix, length) == 0;
}

// The entry at the handle's position when it still belongs to the searched run.
int32_t step(IndexHandle& handle, const Session::IndexSlot& slot) {
  HandleHead h = ReadHead(handle);
  if (h.ended) return 0;
  IndexView::Cursor c{h.base, h.log};
  const unsigned char* key;
  uint32_t rec;
  const bool more = slot.view.Next(c, key, rec) &&
                    startsWith(key, slot.view.KeyWidth(), handle.bytes + kHandleKeyOffset, h.keyLength);
  h.base = c.base;
  h.log = c.log;
  h.ended = more ? 0 : 1;
  WriteHead(handle, h);
  return more ? int32_t(rec) : 0;
}

void rememberCall(ThwRecord& thw, uint32_t serial, const IndexView::Cursor& c, const unsigned char* key,
                  uint32_t rec) {
  PrepareBlock(thw);
  ThwHead h = ReadHead(thw);
  h.callSerial = serial;
  h.callBase = c.base;
  h.callLog = c.log;
  h.callLastRec = rec;
  std::memcpy(h.callLastKey, key, kCallWidth);
  WriteHead(thw, h);
}

void endCall(ThwRecord& thw) {
  ThwHead h = ReadHead(thw);
  h.callSerial = 0;
  WriteHead(thw, h);
}

}  // namespace

int32_t idx_open(const QString& path, IndexHandle& handle) {
  idx_close(handle);
  const IndexKind* kind = IndexKindOfPath(path);
  if (!kind) return HAMLOG_BAD_ARGUMENT;
  Session& s = CurrentSession();
  const QString file = CompanionPath(path, path.right(3));
  if (const int32_t r = s.EnsureIndexFile(file, *kind); r != HAMLOG_OK) return r;
  auto slot = std::make_unique<Session::IndexSlot>();
  if (!slot->view.Open(file, *kind)) {
    s.IndexFailed(file, FileErrorReason(errno));
    return HAMLOG_FOREIGN;
  }
  slot->serial = s.NextSerial();
  size_t i = 0;
  while (i < s.indexSlots.size() && s.indexSlots[i]) ++i;
  if (i == s.indexSlots.size()) s.indexSlots.emplace_back();
  HandleHead h;
  h.magic = kHandleMagic;
  h.slot = uint32_t(i);
  h.serial = slot->serial;
  s.indexSlots[i] = std::move(slot);
  WriteHead(handle, h);
  return HAMLOG_OK;
}

int32_t idx_rebuild(const QString& hdbPath) {
  const QString hdb = CompanionPath(hdbPath, "HDB");
  const bool master = StatPath(CompanionPath(hdb, "MST")).exists;
  int32_t result = HAMLOG_OK;
  QString problem;
  for (const IndexKind* kind : {&kQsoByCode, &kQsoByCall, &kMasterByCode, &kMasterByKind}) {
    if (kind->source == IndexSource::Master && !master) continue;
    const int32_t r = CurrentSession().EnsureIndexFile(CompanionPath(hdb, kind->suffix), *kind, true);
    if (result == HAMLOG_OK) result = r, problem = CurrentSession().indexProblem;
    // A wait the operator ended is not begun again for the next index.
    if (r == HAMLOG_LOCKED) break;
  }
  CurrentSession().indexProblem = problem;
  return result;
}

int32_t idx_search(IndexHandle& handle, const QString& key, int32_t length) {
  Session::IndexSlot* slot = slotOf(handle);
  if (!slot) return 0;
  const QByteArray bytes = ToAnsi(length > 0 ? key.left(length) : key);
  HandleHead h = ReadHead(handle);
  h.ended = 1;
  WriteHead(handle, h);
  if (bytes.isEmpty() || bytes.size() > kHandleKeyRoom || bytes.size() > slot->view.KeyWidth()) return 0;
  const IndexView::Cursor c = slot->view.Seek(bytes);
  h.base = c.base;
  h.log = c.log;
  h.keyLength = uint32_t(bytes.size());
  h.ended = 0;
  WriteHead(handle, h);
  std::memcpy(handle.bytes + kHandleKeyOffset, bytes.constData(), bytes.size());
  return step(handle, *slot);
}

int32_t idx_next(IndexHandle& handle) {
  Session::IndexSlot* slot = slotOf(handle);
  return slot ? step(handle, *slot) : 0;
}

int32_t idx_close(IndexHandle& handle) {
  if (slotOf(handle)) hamlogLib.session->indexSlots[ReadHead(handle).slot].reset();
  HandleHead closed;
  closed.magic = 0;
  WriteHead(handle, closed);
  return HAMLOG_OK;
}

int32_t Vidx_search(ThwRecord& thw, const QString& call, int32_t) {
  if (!hamlogLib.session || !hamlogLib.session->db.IsOpen()) return -1;
  endCall(thw);
  const QByteArray bytes = ToAnsi(call);
  if (bytes.isEmpty() || bytes.size() > kCallWidth) return 0;
  uint32_t serial = 0;
  const IndexView* view = hamlogLib.session->db.CallIndex(&serial);
  if (!view) return 0;
  IndexView::Cursor c = view->Seek(bytes);
  const unsigned char* key;
  uint32_t rec;
  if (!view->Next(c, key, rec) || std::memcmp(key, bytes.constData(), bytes.size()) != 0) return 0;
  rememberCall(thw, serial, c, key, rec);
  return int32_t(rec);
}

int32_t Vidx_next(ThwRecord& thw, int32_t) {
  const ThwHead h = ReadHead(thw);
  if (h.magic != kThwMagic || h.callSerial == 0) return 0;
  if (!hamlogLib.session || !hamlogLib.session->db.IsOpen()) return 0;
  uint32_t serial = 0;
  const IndexView* view = hamlogLib.session->db.CallIndex(&serial);
  if (!view) return 0;
  // The index changed since the last call (a write in between): go on after the last entry given.
  IndexView::Cursor c = serial == h.callSerial ? IndexView::Cursor{h.callBase, h.callLog}
                                               : view->SeekAfter(h.callLastKey, h.callLastRec);
  const unsigned char* key;
  uint32_t rec;
  if (!view->Next(c, key, rec)) {
    endCall(thw);
    return 0;
  }
  rememberCall(thw, serial, c, key, rec);
  return int32_t(rec);
}

QString HamlogIndexProblem() { return hamlogLib.session ? hamlogLib.session->indexProblem : QString(); }
