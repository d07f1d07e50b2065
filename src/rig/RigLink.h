#pragma once
// The CAT link: opening and closing the port for the current rig of RigPortState, the two senders,
// the poll timer and the poll cycle, and how a reading reaches the windows (through RigListener).
//
// One exchange with the rig at a time: a poll tick that comes while an exchange runs (a poll, a
// setter, the CAT test window) is skipped; a setter that comes meanwhile runs right after it.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

class VbTimer;

// Told what the rig reads and how the link fares. Windows register one while they are open.
class RigListener {
 public:
  virtual ~RigListener() = default;
  // A frequency was read (Hz, transverter offset included), with its entry-window and status texts.
  virtual void RigFrequency(int64_t hz, const QString& entryText, const QString& statusText) {
    (void)hz, (void)entryText, (void)statusText;
  }
  // A mode was read ("LSB", "USB", "CW", ...).
  virtual void RigMode(const QString& mode) { (void)mode; }
  // The link failed (a text for the operator) or is healthy again ("").
  virtual void RigStatus(const QString& text) { (void)text; }
  // A command was refused, with the reason in the operator's words: out of the model's range, too
  // long for it, refused by the rig, or the port not open.
  virtual void RigRefused(const QString& reason) { (void)reason; }
  // One poll tick has run.
  virtual void RigPolled() {}
};
void AddRigListener(RigListener* listener);
void RemoveRigListener(RigListener* listener);

// Opens the port of the current rig (closing it first when open), sends the model's start frame and
// starts polling (poll mode 2) or reads once (poll mode 0). A port that cannot be opened leaves
// PortOpen 0 and says why in StatusText.
void RigPortOpen();
// Stops polling, sends the model's closing frame and closes the port.
void RigPortClose();

// Poll mode 2: the poll timer runs every PollPeriodMs; poll mode 0: one poll now.
void RigPollStart();
void RigPollStop();
// Stops the poll while it lives and starts it again afterwards only when it was running, so a job
// that pauses the poll never switches on one the operator had off.
class RigPollPause {
 public:
  RigPollPause();
  ~RigPollPause();
  RigPollPause(const RigPollPause&) = delete;
  RigPollPause& operator=(const RigPollPause&) = delete;

 private:
  bool wasPolling_;
};
// The poll timer's tick: one poll, then the listeners' RigPolled.
void RigPollTick();
// One poll cycle with the current model's reader.
void RigPoll();
// The timer the poll runs on: the one a window handed over (the start window's), else the link's own.
VbTimer& RigPollTimer();
// The start window hands its timer over (its tick runs RigPollTick); nullptr gives the link's own back.
void SetRigPollTimer(VbTimer* timer);

// Runs `body` as one exchange: now, or after the running exchange and those queued before it, one per
// turn of the event loop. After it, a port that went away is reported and opened again.
void RigExchange(const std::function<void()>& body);
bool RigExchangeRunning();

// TxFrame / TxCommand out: both queues cleared first, then the wait after a write. False when the port
// is closed or was closed or reopened since the running exchange began: the caller then stops.
bool RigSendBytes();
bool RigSendText();
// The port the running exchange began on is still open: the operator has not closed nor switched it.
bool RigPortUsable();
void RigWaitAfterSend();
void RigPurgeInput();
// Reads up to `max` bytes into RxBytes (ReadCount set), ending early once `complete` says the reply is
// whole; returns them.
QByteArray RigReadBytes(int32_t max, const std::function<bool(const QByteArray&)>& complete = {});
// Bytes that come on the line after a read (a reply longer than it should be) until it has been quiet
// for `ms`, added to RxBytes; returns them.
QByteArray RigReadMore(int32_t ms);
// Reads text (Windows-31J) into RxText, ending early at `terminator` (none: '\0').
QString RigReadText(int32_t max, char terminator);

// Publishes a reading of `rigHz` Hz (before the transverter offset): FreqHz, FreqText, the listeners.
// `requirePositive`: a reading of 0 Hz or less is not published.
void RigPublishFrequency(int64_t rigHz, bool requirePositive);
// ModeText := mode, and the listeners are told.
void RigPublishMode(const QString& mode);
// The read failed: StatusText says so (once) and nothing is published.
void RigReadFailed();
// A good read: a failure text shown before goes.
void RigReadGood();
// True when the answer `got` came and `fits` the current model's layout (length, terminator, digits
// where digits belong). Otherwise StatusText says why: no answer at all, or an answer that is not this
// model's (another model's, named when its length is another model's of the family, or garbage), with
// what to check.
bool RigAnswerFits(const QByteArray& got, bool fits);
// The frequency a read gave (nothing: the read failed). A frequency outside the model's own ranges
// (0 Hz included; checked before a transverter's offset) is a failed read too, said with the reading.
// True: the read was good (RigReadGood done) and the frequency may be published.
bool RigReadingGood(const std::optional<int64_t>& rigHz);
// StatusText := text, listeners told when it changed.
void RigSetStatus(const QString& text);
// A command is refused: the listeners are told why. Nothing is sent for it.
void RigRefuse(const QString& reason);
// How many refusals were told so far: a caller whose command failed tells why when nobody did.
int32_t RigRefusalCount();

// Texts of the link's status.
QString RigPortFailureText(const QString& what);  // "RIG Control Port-" & PortName & what
QString RigPortClosedText();                      // a command that finds the port closed
// Why the current rig's settings cannot be used to open its port ("" when they can).
QString RigUnusableSettingText();
