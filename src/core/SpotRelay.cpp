#include "core/SpotRelay.h"

#include "platform/codepage.h"
#include "platform/ipc/ipc.h"

namespace {

constexpr int kBufferBytes = 256;

// The bytes the receiver reads: the text's trimmed length in characters (doubled for the code, whose
// name may be double-byte), never past the buffer.
QByteArray message(const QString& text, bool doubled) {
  QByteArray buffer = ToAnsi(CutToAnsiBytes(text, kBufferBytes));
  buffer.append(kBufferBytes - buffer.size(), ' ');
  qsizetype count = text.trimmed().size() * (doubled ? 2 : 1);
  return buffer.left(std::min<qsizetype>(count, kBufferBytes));
}

}  // namespace

QList<QByteArray> SpotMessages(int64_t freqHz, const QString& call, const QString& code, const QString& mode) {
  return {message("ORBEXfreq" + QString::number(double(freqHz) / 1000.0, 'f', 1), false),
          message("ORBEXCall" + call, false), message("ORBEXCode" + code, true),
          message("ORBEXMode" + mode, false)};
}

bool RelaySpot(int64_t freqHz, const QString& call, const QString& code, const QString& mode) {
  const QString title = QString::fromUtf8(kSpotProgramTitle);
  if (!IpcFind(title)) return false;
  // The spot program's answers are not looked at.
  for (const QByteArray& m : SpotMessages(freqHz, call, code, mode)) IpcSend(title, m);
  return true;
}
