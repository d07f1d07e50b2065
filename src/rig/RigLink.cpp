#include "rig/RigLink.h"

#include <QCoreApplication>
#include <QPointer>
#include <algorithm>
#include <deque>
#include <vector>

#include "platform/codepage.h"
#include "platform/serial.h"
#include "platform/ui/doevents.h"
#include "platform/ui/timer.h"
#include "platform/vbnumber.h"
#include "rig/RigDriver.h"
#include "rig/RigModels.h"
#include "rig/RigPortState.h"

namespace {

struct LinkState {
  SerialPort* port = nullptr;
  VbTimer* timer = nullptr;       // the link's own
  QPointer<VbTimer> handedTimer;  // a window's
  std::vector<RigListener*> listeners;
  bool running = false;
  int32_t generation = 0;          // counts opens and closes
  int32_t exchangeGeneration = 0;  // the port the running exchange began on
  bool ownFrame = false;           // the open's or the close's own frame is going out
  std::deque<std::function<void()>> queued;
  bool queueTurnPosted = false;
  bool polling = false;  // the running exchange is a poll
  bool pollDue = false;  // a poll tick came during another exchange: it runs before the next command
  int32_t refusals = 0;
};

LinkState& link() {
  static LinkState s;
  return s;
}

// Lives as long as the program: closing it at exit is the sheet's business.
SerialPort& port() {
  LinkState& l = link();
  if (!l.port) l.port = new SerialPort;
  return *l.port;
}

template <typename F>
void tell(F f) {
  const std::vector<RigListener*> now = link().listeners;
  for (RigListener* r : now)
    if (std::find(link().listeners.begin(), link().listeners.end(), r) != link().listeners.end()) f(*r);
}

bool usable() {
  const LinkState& l = link();
  return RigPortState.PortOpen == 1 && port().IsOpen() &&
         (l.ownFrame || !l.running || l.exchangeGeneration == l.generation);
}

void writeOut(const QByteArray& bytes) {
  port().PurgeOutput();
  port().PurgeInput();
  RigPortState.WriteCount = static_cast<int32_t>(bytes.size());
  port().Write(bytes);
  RigWaitAfterSend();
}

// The model's own frame at the open or the close, which goes out also in the middle of an exchange.
void ownFrame(const std::function<void()>& send) {
  link().ownFrame = true;
  RigPurgeInput();
  send();
  link().ownFrame = false;
}

void openFailed(const QString& what) {
  RigPollStop();
  RigPortState.PortHandle = -1;
  RigPortState.PortOpen = 0;
  RigSetStatus(RigPortFailureText(what));
}

QString openFailureText(const SerialPort& p) {
  return SerialOpenProblem(RigPortState.PortName, p.Error(), p.ErrorText());
}

bool isModel(const char* name) { return RigPortState.RigModel == QLatin1String(name); }

void runQueuedLater();

bool pollRunning() { return RigPollTimer().Enabled() && RigPollTimer().Interval() > 0; }

void runExchange(const std::function<void()>& body, bool isPoll = false) {
  LinkState& l = link();
  l.running = true;
  l.polling = isPoll;
  l.exchangeGeneration = l.generation;
  body();
  if (RigPortState.PortOpen == 1 && port().Lost()) {
    // Unplugged or failed: say so and try the port again; if it does not come back polling stays off.
    RigSetStatus(RigPortFailureText(" 異常です"));
    RigPortOpen();
  }
  l.running = false;
  l.polling = false;
  // A tick missed while this exchange ran is served now, between commands, so a burst of commands
  // never holds the poll back for longer than one command; unless the poll was stopped meanwhile (a
  // setter's, or a job's pause).
  const bool due = l.pollDue && !isPoll && pollRunning();
  l.pollDue = false;
  if (due) RigPoll();
  runQueuedLater();
}

// Commands that came during an exchange run one per turn of the event loop, never inside a box or a
// wait: the operator's held input, the poll and the screen get their turn between them.
void runQueuedLater() {
  LinkState& l = link();
  if (l.queued.empty() || l.queueTurnPosted) return;
  l.queueTurnPosted = true;
  WhenNoOtherWork(QCoreApplication::instance(), [] {
    LinkState& l = link();
    l.queueTurnPosted = false;
    if (l.queued.empty() || l.running) return;  // the running exchange posts the next turn
    const std::function<void()> next = std::move(l.queued.front());
    l.queued.pop_front();
    runExchange(next);
  });
}

}  // namespace

void AddRigListener(RigListener* listener) {
  auto& v = link().listeners;
  if (std::find(v.begin(), v.end(), listener) == v.end()) v.push_back(listener);
}

void RemoveRigListener(RigListener* listener) { std::erase(link().listeners, listener); }

QString RigPortFailureText(const QString& what) { return "RIG Control Port-" + RigPortState.PortName + what; }

void RigSetStatus(const QString& text) {
  if (RigPortState.StatusText == text) return;
  RigPortState.StatusText = text;
  tell([&](RigListener& r) { r.RigStatus(text); });
}

void RigRefuse(const QString& reason) {
  ++link().refusals;
  tell([&](RigListener& r) { r.RigRefused(reason); });
}

int32_t RigRefusalCount() { return link().refusals; }

QString RigPortClosedText() { return QStringLiteral("RIG Control リグのポートが開いていないので送りません"); }

VbTimer& RigPollTimer() {
  LinkState& l = link();
  if (l.handedTimer) return *l.handedTimer;
  if (!l.timer) {
    l.timer = new VbTimer(nullptr, 0, false);
    l.timer->Timer = [] { RigPollTick(); };
  }
  return *l.timer;
}

void SetRigPollTimer(VbTimer* timer) {
  VbTimer& before = RigPollTimer();
  const bool running = pollRunning();
  before.SetEnabled(false);
  link().handedTimer = timer;
  if (running) RigPollStart();
}

void RigPortOpen() {
  RigPortStateData& s = RigPortState;
  if (s.PortOpen == 1) RigPortClose();
  RigModelTable();
  ++link().generation;
  if (const QString why = RigUnusableSettingText(); !why.isEmpty()) {
    openFailed(why);
    return;
  }
  const std::optional<int32_t> baud = WholeNumber(s.BaudText);
  if (!baud || *baud <= 0) {
    openFailed(" の通信速度 " + s.BaudText + " は使えません");
    return;
  }
  if (!port().Open(s.PortName, *baud, s.StopBitText == "2")) {
    openFailed(openFailureText(port()));
    return;
  }
  s.PortHandle = 1;
  s.PortOpen = 1;
  if (isModel("FT847")) {
    ownFrame([] {
      RigPortState.TxFrame = QByteArray(5, '\0');
      RigSendBytes();
    });
  } else if (isModel("FT2000") || isModel("FT991")) {
    ownFrame([] {
      RigPortState.TxCommand = "AI0;";
      RigSendText();
    });
  }
  RigSetStatus("");
  if (s.PollMode == 2) {
    RigPollStart();
  } else if (s.PollMode == 0) {
    RigPoll();
  }
}

void RigPortClose() {
  RigPortStateData& s = RigPortState;
  RigSetStatus("");
  RigPollStop();
  if (s.PortOpen == 1 && isModel("FT847")) {
    ownFrame([] {
      RigPortState.TxFrame = QByteArray::fromHex("0000000080");
      RigSendBytes();
    });
  }
  port().Close();
  ++link().generation;
  s.PortHandle = -1;
  s.PortOpen = 0;
}

void RigPollStart() {
  if (RigPortState.PollMode == 2) {
    VbTimer& t = RigPollTimer();
    t.SetInterval(std::max<int32_t>(RigPortState.PollPeriodMs, 0));
    t.SetEnabled(true);
  } else if (RigPortState.PollMode == 0) {
    RigPoll();
  }
}

void RigPollStop() {
  VbTimer& t = RigPollTimer();
  t.SetInterval(0);
  t.SetEnabled(false);
}

RigPollPause::RigPollPause() : wasPolling_(pollRunning()) { RigPollStop(); }

RigPollPause::~RigPollPause() {
  if (wasPolling_) RigPollStart();
}

void RigPollTick() {
  RigPoll();
  tell([](RigListener& r) { r.RigPolled(); });
}

void RigPoll() {
  LinkState& l = link();
  if (RigPortState.PortOpen != 1) return;
  if (l.running) {
    // Only a tick of the running timer is owed: the poll stopped for a setter is not.
    l.pollDue = l.pollDue || (!l.polling && pollRunning());
    return;
  }
  l.pollDue = false;
  const RigModelInfo* m = FindRigModel(RigPortState.RigModel);
  if (!m) return;
  // The CAT test window talks to these two on the same line.
  if ((isModel("FT2000") || isModel("FT991")) && RigPortState.CatBusy != 0) return;
  // Between queued commands, not behind all of them.
  runExchange([m] { DriverOf(*m).Poll(*m); }, true);
}

bool RigExchangeRunning() { return link().running; }

void RigExchange(const std::function<void()>& body) {
  LinkState& l = link();
  if (l.running || !l.queued.empty()) {
    l.queued.push_back(body);
    runQueuedLater();
    return;
  }
  runExchange(body);
}

bool RigPortUsable() { return usable(); }

bool RigSendBytes() {
  if (!usable()) return false;
  writeOut(RigPortState.TxFrame);
  return usable();
}

bool RigSendText() {
  if (!usable()) return false;
  writeOut(ToAnsi(RigPortState.TxCommand));
  return usable();
}

void RigWaitAfterSend() { WaitWithEvents(std::clamp<int32_t>(RigPortState.PostWriteWaitMs, 0, 10'000)); }

void RigPurgeInput() {
  if (usable()) port().PurgeInput();
}

QByteArray RigReadBytes(int32_t max, const std::function<bool(const QByteArray&)>& complete) {
  RigPortStateData& s = RigPortState;
  s.RxBytes = usable() ? port().Read(max, complete) : QByteArray();
  if (!usable()) s.RxBytes.clear();
  s.ReadCount = static_cast<int32_t>(s.RxBytes.size());
  return s.RxBytes;
}

QByteArray RigReadMore(int32_t ms) {
  RigPortStateData& s = RigPortState;
  // Read until the line has been quiet for `ms`: a long answer at a slow rate is taken whole.
  QByteArray more;
  for (;;) {
    const int32_t room = SerialPort::kQueueBytes - static_cast<int32_t>(more.size());
    const QByteArray got = usable() ? port().Read(room, {}, ms) : QByteArray();
    if (!usable()) return {};
    more += got;
    if (got.isEmpty() || more.size() >= SerialPort::kQueueBytes) break;
  }
  s.RxBytes += more;
  s.ReadCount = static_cast<int32_t>(s.RxBytes.size());
  return more;
}

QString RigReadText(int32_t max, char terminator) {
  const QByteArray bytes = RigReadBytes(
      max, [terminator](const QByteArray& got) { return terminator != '\0' && got.endsWith(terminator); });
  RigPortState.RxText = FromAnsi(bytes);
  return RigPortState.RxText;
}

void RigPublishFrequency(int64_t rigHz, bool requirePositive) {
  RigPortStateData& s = RigPortState;
  const RigModelInfo* m = FindRigModel(s.RigModel);
  if (!m) return;
  int64_t hz = rigHz;
  if (s.TransverterOn == "1") hz += s.TransverterOffsetHz;
  if (hz < 0 || (requirePositive && hz == 0)) return;
  s.FreqHz = hz;
  s.FreqText = RigEntryText(hz, *m);
  const QString status = RigStatusText(hz, *m);
  tell([&](RigListener& r) { r.RigFrequency(hz, s.FreqText, status); });
}

void RigPublishMode(const QString& mode) {
  RigPortState.ModeText = mode;
  tell([&](RigListener& r) { r.RigMode(mode); });
}

void RigReadFailed() {
  if (usable()) RigSetStatus(RigPortFailureText(" 応答がありません"));
}

void RigReadGood() { RigSetStatus(""); }

bool RigAnswerFits(const QByteArray& got, bool fits) {
  if (got.isEmpty()) {
    RigReadFailed();
    return false;
  }
  if (fits || !usable()) return fits;
  QString like;
  if (const RigModelInfo* m = FindRigModel(RigPortState.RigModel))
    if (const QString other = RigModelWithAnswerLength(*m, got.size()); !other.isEmpty())
      like = other + " の応答と同じ長さ (" + QString::number(got.size()) + " バイト) です。";
  RigSetStatus(RigPortFailureText(" の応答が " + RigPortState.RigModel + " の形式ではありません (" + like +
                                  "「リグコン関係の設定」の機種がつないだリグと合っているか確かめて下さい)"));
  return false;
}

bool RigReadingGood(const std::optional<int64_t>& rigHz) {
  if (!rigHz) {
    RigReadFailed();
    return false;
  }
  // The rig's own dial, before a transverter's offset: zeros and frequencies beyond the model are
  // garbage or another rig's answer.
  const RigModelInfo* m = FindRigModel(RigPortState.RigModel);
  if (m && !RigInRange(*rigHz, *m)) {
    if (usable())
      RigSetStatus(RigPortFailureText(" から " + RigPortState.RigModel + " にはない周波数 (" +
                                      QString::number(*rigHz) + " Hz、" + RigRangeText(*m) +
                                      " の外) が届きました。読み取りに失敗しています"));
    return false;
  }
  RigReadGood();
  return true;
}

QString RigUnusableSettingText() {
  const RigPortStateData& s = RigPortState;
  if (s.RigModel != QLatin1String("Not Use") && !FindRigModel(s.RigModel))
    return " の機種 " + s.RigModel + " はこのプログラムで扱えません";
  if (!QStringList{"", "0", "1", "2"}.contains(s.StopBitText))
    return " のストップビット " + s.StopBitText + " は使えません (1 か 2)";
  if (const QString why = CivAddressProblem(s.CivAddress); isModel("ICOM") && !why.isEmpty())
    return " の ICOM アドレス " + s.CivAddress + " は使えません (" + why + ")";
  return {};
}

RigDriver& DriverOf(const RigModelInfo& model) {
  switch (model.Family) {
    case RigFamily::CiV:
      return CivDriver();
    case RigFamily::YaesuBinary:
      return YaesuBinaryDriver();
    case RigFamily::TextCommands:
      break;
  }
  return TextCommandDriver();
}
