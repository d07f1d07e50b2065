#include "core/HamlogAccess.h"

#include <QApplication>
#include <QFileInfo>
#include <QPointer>
#include <QProgressDialog>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "core/QsoFields.h"
#include "core/QsoRules.h"
#include "platform/cores.h"
#include "platform/hamlog/db_lock.h"
#include "platform/hamlog/hamlog.h"
#include "platform/hamlog/hdb_layout.h"
#include "platform/hamlog/hdb_table.h"
#include "platform/hamlog/program_file.h"
#include "platform/ipc/ipc.h"
#include "platform/paths.h"
#include "platform/ui/doevents.h"
#include "platform/ui/form.h"
#include "platform/ui/msgbox.h"
#include "platform/vbdate.h"
#include "platform/vbfile.h"

HamlogAccessState Hamlog;

namespace {

constexpr int kFieldWidths[17] = {20, 0, 8, 6, 12, 12, 16, 16, 6, 6, 3, 64, 128, 254, 254, 0, 3};

// The buffers ThwString fills, one per field, each as wide as its field.
std::array<QString, 17> FieldBuffers;

void emptyBuffer(int field) { FieldBuffers[field].fill(u' ', kFieldWidths[field]); }

// Copies the text into `out`, reusing its storage: the readers run once per record of the log.
void assign(QString& out, QStringView text) {
  out.resize(text.size());
  std::copy(text.begin(), text.end(), out.begin());
}

// The record image the readers take their fields from instead of the block, while one is given.
const unsigned char* imageSource = nullptr;

int32_t fetch(QString& buffer, int field) {
  return imageSource ? ImageString(buffer, imageSource, field) : ThwString(buffer, Hamlog.Thw, field);
}

// Takes a field as delivered (fixed-width fields: date, time, QSL). False when the library refused;
// the buffer then stays blank.
bool takeRaw(int field, QString& out) {
  QString& buffer = FieldBuffers[field];
  Hamlog.LastResult = fetch(buffer, field);
  if (Hamlog.LastResult != 0) emptyBuffer(field);
  assign(out, buffer);
  return Hamlog.LastResult == 0;
}

// Takes a field with NUL characters removed and blanks trimmed.
bool take(int field, QString& out) {
  QString& buffer = FieldBuffers[field];
  Hamlog.LastResult = fetch(buffer, field);
  if (Hamlog.LastResult != 0) emptyBuffer(field);
  if (buffer.contains(QChar(0))) buffer.remove(QChar(0));
  assign(out, QStringView(buffer).trimmed());
  return Hamlog.LastResult == 0;
}

// "YYYY-MM-DD" of a day into text[0 .. 9].
void isoDate(int y, int m, int day, char16_t* text) {
  const int parts[8] = {y / 1000, y / 100 % 10, y / 10 % 10, y % 10, m / 10, m % 10, day / 10, day % 10};
  int k = 0;
  for (int i = 0; i < 10; ++i) text[i] = (i == 4 || i == 7) ? u'-' : char16_t(u'0' + parts[k++]);
}

void takeDate() {
  takeRaw(2, Qso.RawDate);
  // A text that is no date stays as it is, as the runtime's date formatting leaves it.
  const auto d = VbDateValue(Qso.RawDate);
  if (!d) {
    Qso.QsoDate = Qso.RawDate;
    return;
  }
  char16_t text[10];
  isoDate(d->year(), d->month(), d->day(), text);
  assign(Qso.QsoDate, QStringView(text, 10));
}

void takeQsl(bool withSent) {
  QString qsl;
  takeRaw(10, qsl);
  Qso.QslVia = qsl.left(1);
  if (withSent) Qso.QslSent = qsl.mid(1, 1);
  Qso.QslReceived = qsl.right(1);
}

// A field the library could not give: the record's values are not trusted, so none are left behind.
int32_t failedInside(const char* message) {
  const int32_t recNo = Qso.QsoRecNo;
  Qso = QsoFieldsState{};
  Qso.QsoRecNo = recNo;
  if (message) MsgBox(QString::fromUtf8(message));
  return 1;
}

// THW_read of the record into the block. A deleted record is no QSO: its fields are cleared and the
// readers answer kQsoDeleted without a word.
int32_t load(int32_t recNo, const char* message) {
  Hamlog.LastResult = THW_read(Hamlog.Thw, recNo, 3);
  if (Hamlog.LastResult == HAMLOG_OK) return 0;
  if (Hamlog.LastResult == HAMLOG_DELETED) {
    Qso = QsoFieldsState{};
    Qso.QsoRecNo = recNo;
    return kQsoDeleted;
  }
  MsgBox(Hamlog.LastResult == HAMLOG_CHANGED
             ? HamlogChangedText()
             : QString::fromUtf8(message) + "\r\n" + HamlogWriteFailureText(Hamlog.LastResult, recNo));
  return 1;
}

// Fields of ReadQsoBasic from the loaded record; `report` sends a frequency that fits no band to the
// frequency report.
int32_t takeBasic(int32_t depth, bool report) {
  if (TakeQsoCall() != 0) return 1;
  TakeQsoDate();
  if (depth == 1) return 0;
  TakeQsoMode();
  if (depth == 2) return 0;
  if (report) {
    TakeQsoBand();
  } else {
    take(6, Qso.QsoFreq);
    SetBandOfFreq();
  }
  if (depth == 3) return 0;
  TakeQsoCode();
  TakeQsoGrid();
  TakeQsoQsl();
  return 0;
}

}  // namespace

QString QsoDateText(const QString& rawDate) {
  const auto d = VbDateValue(rawDate);
  return d ? QsoDateText(d->year() * 10000 + d->month() * 100 + d->day()) : rawDate;
}

QString QsoDateText(int32_t yyyymmdd) {
  QString out(10, Qt::Uninitialized);
  isoDate(yyyymmdd / 10000, yyyymmdd / 100 % 100, yyyymmdd % 100, reinterpret_cast<char16_t*>(out.data()));
  return out;
}

namespace {

// A log that other programs kept reading all the time an open waited for them.
QString readersText(const QString& path) {
  return path +
         QStringLiteral("\r\nを他のプログラム (hamlogdb、バックアップ、ビューアなど) が読み込み中で、") +
         QString::number(kReaderWaitLooks / 100) +
         QStringLiteral(
             " 秒待っても終わりませんでした。\r\nそのプログラムが終わってから、もう一度やり直して下さい");
}

}  // namespace

QString HamlogChangedText() {
  return QStringLiteral(
             "HAMLOG.HDB が読み込みの途中で書き換えられました (HAMLOG で入力や整理をしていませんか)。"
             "\r\n") +
         Hamlog.HamlogDbPath + QStringLiteral("\r\nもう一度読み込んで下さい");
}

int FieldWidth(int field) { return field >= 0 && field < 17 ? kFieldWidths[field] : 0; }

int32_t SetHamlogShare() { return SetDbsShare(1); }

namespace {

// A wait for another program's hold of the log (any of its locks), shown in the status bar of the window
// the operator is in when it begins (whichever window started the read or write) and ended with Esc. With
// no such window up (the start, the start window, the tips) it shows in a window of its own, with its cap:
// a window's own controls are never covered by it.
struct LogWait {
  QPointer<VbForm> window;
  bool shown = false;
  std::unique_ptr<EscapableWait> esc;
  std::unique_ptr<QProgressDialog> own;
};
// A deque: a wait begun and ended inside another's events leaves the outer one's entry where it was.
std::deque<LogWait>& logWaits() {
  static std::deque<LogWait> waits;
  return waits;
}

bool lockWaitRuns() { return !logWaits().empty(); }

LogWait& beginLogWait() {
  LogWait w;
  w.window = qobject_cast<VbForm*>(QApplication::activeWindow());
  if (!w.window) w.window = VbForm::LastActive();
  w.shown = w.window && w.window->HasStatusBar();
  w.esc = std::make_unique<EscapableWait>();
  logWaits().push_back(std::move(w));
  return logWaits().back();
}

void endLogWait() {
  if (logWaits().empty()) return;
  const QPointer<VbForm> window = logWaits().back().window;
  logWaits().pop_back();
  if (window) window->ShowWaitNote(QString());
}

// "HAMLOG.lck をプロセス 22658 python3 がロック中": the file the wait is for (its whole path on a line of its
// own in a window of its own) and the program holding it, named where its lock names it.
QString heldBy(bool ownWindow) {
  const hamlog::LockHolder held = hamlog::WaitedFor();
  const QString path = held.path.isEmpty() ? Hamlog.HamlogDbPath : held.path;
  const QString who = held.process > 0 ? QStringLiteral("プロセス ") + hamlog::ProcessLabel(held.process)
                                       : QStringLiteral("他のプログラム");
  return (ownWindow ? path + QStringLiteral("\r\n") : QFileInfo(path).fileName() + ' ') +
         QStringLiteral("を") + who + (held.process > 0 ? QStringLiteral(" ") : QString()) +
         QStringLiteral("がロック中");
}

// The wait in a window of its own: the file, its holder, the seconds waited and the most it waits.
bool waitInOwnWindow(LogWait& w, int32_t look) {
  if (!w.own && qobject_cast<QApplication*>(QCoreApplication::instance())) {
    w.own = std::make_unique<QProgressDialog>();
    w.own->setWindowTitle(QStringLiteral("ORBEX5"));
    w.own->setCancelButtonText(QStringLiteral("中止"));
    w.own->setRange(0, hamlog::kLockLooks);
    w.own->setMinimumDuration(0);
    w.own->setAutoReset(false);
    w.own->show();
    w.own->activateWindow();
  }
  if (w.own && look % 50 == 1) {
    w.own->setLabelText(heldBy(true) + QStringLiteral("。\r\n待っています (Esc で中止) ") +
                        QStringLiteral("%1 秒 (%2 秒まで)").arg(look / 100).arg(hamlog::kLockLooks / 100));
    w.own->setValue(look);
  }
  return !w.esc->Escaped() && !(w.own && w.own->wasCanceled()) && look <= hamlog::kLockLooks;
}

void showLogWaits() {
  if (!hamlogLib.lockWait)
    hamlogLib.lockWait = [](int32_t look) {
      if (look == 0) {
        endLogWait();
        return false;
      }
      LogWait& w = look == 1 || logWaits().empty() ? beginLogWait() : logWaits().back();
      if (!w.shown) return waitInOwnWindow(w, look);
      if (!w.window || w.window->IsUnloaded()) return false;  // the window the write came from went
      if (look % 50 == 1) {
        const int waiting = IpcMessagesWaiting();
        w.window->ShowWaitNote(
            heldBy(false) + QStringLiteral("。待っています (Esc で中止) ") + QString::number(look / 100) +
            QStringLiteral(" 秒") +
            (waiting
                 ? QStringLiteral("　他のプログラムからの指示 %1 件は待ち終わってから行います").arg(waiting)
                 : QString()));
      }
      return !w.esc->Escaped() && w.window && !w.window->IsUnloaded();
    };
}

}  // namespace

int32_t HamlogOpenDb() {
  showLogWaits();
  if (Hamlog.HamlogClosed == 1) {
    Hamlog.LastResult =
        HamlogOpen(0, Hamlog.Thw, Hamlog.HamlogDbPath.left(Hamlog.HamlogDbPath.size() - 4), 1);
    Hamlog.HamlogClosed = Hamlog.LastResult != 0 ? 1 : 0;
    Hamlog.LastOpenResult = Hamlog.LastResult;
  } else {
    Hamlog.LastOpenResult = 0;
  }
  return Hamlog.HamlogClosed;
}

QString RecoverHamlogAtStart(bool* completed) {
  showLogWaits();
  QStringList told;
  const int32_t r = HamlogRecover(Hamlog.HamlogDbPath, &told);
  if (r == HAMLOG_LOCKED)
    told << HamlogProblem() +
                QStringLiteral(
                    "。\r\nそのプログラムが HAMLOG.HDB を放した後、次に HAMLOG.HDB を使うときに仕上げます");
  if (completed) *completed = r != HAMLOG_LOCKED;
  return told.join(QStringLiteral("\r\n\r\n"));
}

QString HamlogWriteFailureText(int32_t result, int32_t recNo) {
  const QString path = Hamlog.HamlogDbPath;
  switch (result) {
    case HAMLOG_READ_ONLY:
      return path + QStringLiteral(" は読み取り専用で書き込めません");
    case HAMLOG_NO_SPACE:
      return path + QStringLiteral(" のディスクに空きがありません");
    case HAMLOG_NO_RECORD:
    case HAMLOG_DELETED:
      return QStringLiteral("交信番号 %1 のレコードはもうありません (HAMLOG で削除されています)").arg(recNo);
    case HAMLOG_STALE:
    case HAMLOG_CHANGED:
      return QStringLiteral("このデータはHAMLOGで変更（または削除）されています。表示し直してください");
    case HAMLOG_BAD_COUNT:
      return HamlogProblem();
    case HAMLOG_IN_USE:
      return QStringLiteral("他のプログラムが HAMLOG.HDB を使用中です");
    case HAMLOG_BUSY:
      return readersText(path);
    case HAMLOG_LOCKED:
    case HAMLOG_UNCONFIRMED:
      return HamlogProblem();
    case HAMLOG_IO_ERROR:
      if (!HamlogProblem().isEmpty())
        return HamlogProblem() + QStringLiteral("\r\n原因を取り除いてから、もう一度行って下さい");
      return path +
             QStringLiteral(" の読み書きに失敗しました (ディスクの異常か、ロックファイルが作れません)");
    case HAMLOG_NOT_OPEN:
      return path + QStringLiteral(
                        " が読み書きの前に閉じられていました。何も書き込んでいません。もう一度行って下さい");
    case HAMLOG_MISSING:
      return path + QStringLiteral(" が見つかりません (移動されたか削除されています)");
    case HAMLOG_FOREIGN:
      return path + QStringLiteral(" は HAMLOG のデータファイルではないか、壊れているか途中で切れています");
    case HAMLOG_DECLINED:
      return QStringLiteral("確認で「いいえ」が選ばれたので、何も書き込んでいません");
    case HAMLOG_BAD_ARGUMENT:
    case HAMLOG_NOT_QSO:
    default:
      return path +
             QStringLiteral(" に書き込む値を HAMLOG の項目に入れられませんでした。何も書き込んでいません");
  }
}

QString HamlogWriteFailureAdvice(int32_t result) {
  switch (result) {
    case HAMLOG_NO_SPACE:
      return FileErrorAdvice(ENOSPC);
    case HAMLOG_READ_ONLY:
      return FileErrorAdvice(EROFS);
    case HAMLOG_IN_USE:
      return FileErrorAdvice(EBUSY);
    case HAMLOG_IO_ERROR:
      // A named file and cause come with their own advice in the text.
      return HamlogProblem().isEmpty() ? FileErrorAdvice(EIO) : QString();
    default:
      return {};
  }
}

QString WithOpenFailureCause(const QString& text) {
  if (Hamlog.LastOpenResult == 0) return text;
  return text + QStringLiteral("\r\n") + HamlogOpenFailureText(Hamlog.LastOpenResult);
}

void HamlogCloseDb(int32_t flag) {
  // Not under a wait for another program's lock (a window unloaded meanwhile): the call that waits
  // closes the log itself when it is through.
  if (lockWaitRuns()) return;
  HamlogClose(Hamlog.Thw, flag);
  Hamlog.HamlogClosed = 1;
}

QString HamlogOpenFailureText(int32_t result) {
  const QString path = Hamlog.HamlogDbPath;
  switch (result) {
    case HAMLOG_BAD_COUNT:
      return HamlogProblem() + QStringLiteral("\r\n") + path;
    case HAMLOG_LOCKED:
      return HamlogProblem();
    case HAMLOG_IN_USE:
      return QStringLiteral("HAMLOG.HDB が開けません\r\n") + path +
             QStringLiteral(
                 "\r\n既に先客が使用中と思われます\r\n"
                 "このファイルを使っている HAMLOG などのプログラムを閉じてから、もう一度して下さい。");
    case HAMLOG_BUSY:
      return QStringLiteral("HAMLOG.HDB が開けません\r\n") + readersText(path);
    case HAMLOG_BAD_ARGUMENT:
    case HAMLOG_MISSING:
      if (path.trimmed().isEmpty() || result == HAMLOG_BAD_ARGUMENT)
        return QStringLiteral("HAMLOG.HDB の場所 ([ORB] HAMLOGPOS) が正しくありません: 「") + path +
               QStringLiteral("」\r\n環境設定で HAMLOG.HDB の場所を指定して下さい。");
      if (IsFolder(path)) return FileFaultText(RealPath(path), QStringLiteral(" を開けません"), EISDIR);
      return QStringLiteral("HAMLOG.HDB が見つかりません\r\n") + path;
    case HAMLOG_FOREIGN:
      return QStringLiteral("HAMLOG.HDB が開けません\r\n") + path +
             QStringLiteral("\r\nHAMLOG のデータファイルではないか、壊れているか途中で切れています。");
    case HAMLOG_IO_ERROR:
    case HAMLOG_READ_ONLY:
      return QStringLiteral("HAMLOG.HDB が開けません\r\n") + path +
             QStringLiteral(
                 "\r\nファイルが読めないか、HAMLOG のフォルダーに書き込めません"
                 " (読み取り専用、空きがない、ロックファイルが作れない)。");
    default:
      return QStringLiteral("HAMLOG.HDB が開けません\r\n") + path + QStringLiteral("\r\n") +
             HamlogWriteFailureText(result, 0);
  }
}

int32_t CountHdbRecords() {
  Hamlog.LastResult = dbf_open(Hamlog.HamlogDbPath, Hamlog.DbfHandle);
  if (Hamlog.LastResult != 0) {
    dbf_close(Hamlog.DbfHandle);
    MsgBox(Hamlog.LastResult == HAMLOG_BAD_COUNT ? HamlogProblem()
                                                 : HamlogOpenFailureText(Hamlog.LastResult));
    return 0;
  }
  const int32_t n = dbf_rcount(Hamlog.DbfHandle);
  if (n < 1) MsgBox(QString::fromUtf8("HAMLOG.HDBのデータ件数がゼロです。"));
  dbf_close(Hamlog.DbfHandle);
  return n < 0 ? 0 : n;
}

int32_t ReadQsoMode(int32_t recNo) {
  if (const int32_t r = load(recNo, "HAMLOGデータが読めませんでした。3"); r != 0) return r;
  if (!take(7, Qso.QsoMode)) return failedInside(nullptr);
  return 0;
}

int32_t ReadQsoBasic(int32_t recNo, int32_t depth) {
  if (const int32_t r = ReadQsoRecord(recNo); r != 0) return r;
  return takeBasic(depth, true);
}

int32_t ReadQsoRecord(int32_t recNo) { return load(recNo, "HAMLOGデータが読めませんでした。2"); }

int32_t TakeQsoBasicFromImage(const unsigned char* image, int32_t recNo) {
  Qso.QsoRecNo = recNo;
  if (image[0] == '*') {
    Qso = QsoFieldsState{};
    Qso.QsoRecNo = recNo;
    return kQsoDeleted;
  }
  imageSource = image;
  const int32_t r = takeBasic(0, false);
  imageSource = nullptr;
  return r;
}

int HdbScanParts() { return BalancedParts(); }

namespace {
constexpr int32_t kScanRun = 1024;  // records per read: 809 KB

// A part reads four runs at least: a short pass is not spread over threads that would only start.
int64_t partsFor(int64_t records, int64_t parts) {
  return std::clamp<int64_t>(parts, 1, std::max<int64_t>(1, records / (4 * kScanRun)));
}
}  // namespace

int HdbScanParts(int64_t records) { return int(partsFor(records, HdbScanParts())); }

int32_t ScanHdbRecords(int32_t first, int32_t last, int parts, const HdbVisit& visit, const HdbPump& pump,
                       int width, int offset) {
  HdbScan scan;
  if (const int32_t r = scan.Begin(); r != HAMLOG_OK) return r;
  first = std::max(first, 1);
  last = std::min(last, scan.Count());
  if (last < first) return scan.End();
  const int64_t total = int64_t(last) - first + 1;
  constexpr int32_t kRun = kScanRun;
  parts = int(partsFor(total, parts));
  offset = std::clamp(offset, 0, hamlog::kHdbRecordLength - 1);
  width = std::clamp(width, 1, hamlog::kHdbRecordLength - offset);
  const bool whole = width == hamlog::kHdbRecordLength;

  std::atomic<bool> stop{false};
  std::atomic<int32_t> done{0}, failure{HAMLOG_OK};
  auto readPart = [&](size_t part) {
    if (stop) return;
    const int32_t from = first + int32_t(total * int64_t(part) / parts);
    const int32_t to = first + int32_t(total * int64_t(part + 1) / parts) - 1;
    std::vector<unsigned char> buffer(size_t(kRun) * size_t(width));
    for (int32_t r = from; r <= to && !stop; r += kRun) {
      const int32_t n = std::min(kRun, to - r + 1);
      const int32_t e =
          whole ? scan.Read(r, n, buffer.data()) : scan.ReadHeads(r, n, width, buffer.data(), offset);
      if (e != HAMLOG_OK) {
        failure = e;
        stop = true;
        break;
      }
      for (int32_t i = 0; i < n; ++i) {
        const unsigned char* image = buffer.data() + size_t(i) * size_t(width);
        if (offset > 0 || image[0] != '*') visit(int(part), r + i, image);
      }
      done += n;
    }
  };
  // The pump runs before, during and after the reading, so a stop request reaches even a short pass.
  if (pump && !pump(0)) return kHdbScanStopped;
  // The parts are read on the cores there are, a core taking the next part when it ends one (a core
  // that falls behind is made up by the others); this thread pumps meanwhile.
  std::mutex m;
  std::condition_variable finished;
  bool allRead = false;
  std::thread reader([&] {
    RunParts(size_t(parts), readPart);
    std::lock_guard<std::mutex> g(m);
    allRead = true;
    finished.notify_one();
  });
  bool stopped = false;
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(m);
      if (finished.wait_for(lock, std::chrono::milliseconds(30), [&] { return allRead; })) break;
    }
    if (!stopped && pump && !pump(done)) {
      stopped = true;
      stop = true;
    }
  }
  reader.join();
  if (stopped) return kHdbScanStopped;
  if (failure != HAMLOG_OK) return failure;
  if (pump && !pump(done)) return kHdbScanStopped;
  return scan.End();
}

int32_t TakeQsoCall() {
  if (!take(0, Qso.QsoCall)) return failedInside("THDLL2VB.DLLが見つかりません。3");
  return 0;
}

void TakeQsoDate() { takeDate(); }

void TakeQsoMode() { take(7, Qso.QsoMode); }

void TakeQsoBand() {
  take(6, Qso.QsoFreq);
  FreqToBand();
}

bool TakeQsoFreqBand() {
  take(6, Qso.QsoFreq);
  return SetBandOfFreq();
}

void TakeQsoCode() {
  take(8, Qso.CodeFixed);
  Qso.QsoCode = Qso.CodeFixed.trimmed();
}

void TakeQsoGrid() { take(9, Qso.GridLocator); }

void TakeQsoQsl() { takeQsl(false); }

int32_t ReadQsoFull(int32_t recNo) {
  if (const int32_t r = load(recNo, "HAMLOGデータが読めませんでした。1"); r != 0) return r;
  ClearQsoFieldBuffers();
  if (!take(0, Qso.QsoCall)) return failedInside(nullptr);
  takeDate();
  takeRaw(3, Qso.QsoTime);
  take(4, Qso.HisRst);
  take(5, Qso.MyRst);
  take(6, Qso.QsoFreq);
  FreqToBand();
  take(7, Qso.QsoMode);
  take(8, Qso.CodeFixed);
  Qso.QsoCode = Qso.CodeFixed.trimmed();
  take(9, Qso.GridLocator);
  take(11, Qso.QsoName);
  take(12, Qso.QsoQth);
  takeQsl(true);
  take(13, Qso.Remarks1);
  take(14, Qso.Remarks2);
  return 0;
}

void ClearQsoFieldBuffers() {
  for (int f : {0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}) emptyBuffer(f);
}

QString HamlogDatabaseProblem(const QString& path) {
  if (!IsFile(path)) return QString::fromUtf8("ファイルがありません");
  int32_t handle = 0;
  const int32_t r = dbf_open(path, handle);
  dbf_close(handle);
  if (r == HAMLOG_OK || r == HAMLOG_IN_USE) return {};
  if (r == HAMLOG_MISSING) return QString::fromUtf8("ファイルがありません");
  if (r == HAMLOG_IO_ERROR) return QString::fromUtf8("ファイルが読めません");
  return QString::fromUtf8("HAMLOG のデータベース (HAMLOG.HDB) ではありません");
}

QString GetHamlogVersion() {
  const QString exe = !Hamlog.HamlogExePath.isEmpty()
                          ? Hamlog.HamlogExePath
                          : Hamlog.HamlogDbPath.left(Hamlog.HamlogDbPath.size() - 4) + "W.EXE";
  return ReadProgramVersion(exe);
}

int32_t ReadHdbFieldLengths(const QString& path) {
  VbFile f(path, VbMode::Binary, 0, VbAccess::Read);
  if (!f.IsOpen()) {
    MsgBox(IsFile(path) ? QStringLiteral("HAMLOGが使用中ではありませんか？")
                        : HamlogOpenFailureText(HAMLOG_MISSING));
    return 0;
  }
  Hamlog.HdbFieldLengths.fill(0);
  int32_t sum = 0;
  for (int i = 0; i < 16; ++i) {
    const QByteArray b = f.Get(49 + 32 * i, 1);
    if (b.isEmpty()) break;
    Hamlog.HdbFieldLengths[i + 1] = static_cast<unsigned char>(b[0]);
    if (i == 1) Hamlog.HdbFieldLengths[0] = Hamlog.HdbFieldLengths[1] + Hamlog.HdbFieldLengths[2];
    sum += Hamlog.HdbFieldLengths[i + 1];
  }
  return sum;
}

QString HamlogOpenFailureText() {
  return QString::fromUtf8("HAMLOGのデータがOPEN出来ませんでした\r\nHAMLOG50.DLL=") +
         QString::number(QString::number(GetThdllVersion(), 16).toDouble() / 10000);
}
