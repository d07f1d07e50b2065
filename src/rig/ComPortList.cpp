#include "rig/ComPortList.h"

#include "rig/RigPortState.h"

namespace {

constexpr char kSeparator[] = " > ";

// A trial open of the link's own port would break the lock it holds (the serial library takes a lock
// held for long as stale) and, for root, open the line a second time.
ComPortEntry entryOf(const QString& name) {
  if (RigPortState.PortOpen == 1 && SameSerialDevice(name, RigPortState.PortName)) return {name, {}, true};
  return {name, ProbeSerialPort(name)};
}

}  // namespace

std::vector<ComPortEntry> ComPortList(const QStringList& given) {
  std::vector<ComPortEntry> list;
  QStringList seen;
  for (const QString& name : SerialDeviceNames()) {
    if (seen.contains(name)) continue;
    seen << name;
    const ComPortEntry e = entryOf(name);
    // Device nodes without hardware behind them (most ttyS*) are left out.
    if (e.HeldHere || e.Probe.opened || e.Probe.InUse() || e.Probe.denied) list.push_back(e);
  }
  for (const QString& raw : given) {
    const QString name = raw.trimmed();
    if (name.isEmpty() || name == "NONE" || seen.contains(name)) continue;
    seen << name;
    list.push_back(entryOf(name));
  }
  return list;
}

QString ComPortItemText(const ComPortEntry& e) {
  const char* state = e.HeldHere           ? "このプログラムで使用中"
                      : e.Probe.opened     ? "使用可能"
                      : e.Probe.InUse()    ? "他で使用中"
                      : e.Probe.denied     ? "権限がありません"
                      : e.Probe.notSerial  ? "シリアルポートではありません"
                      : e.Probe.error == QSerialPort::DeviceNotFoundError ? "見つかりません"
                                                                          : "開けません";
  return e.Name + kSeparator + QString::fromUtf8(state);
}

QString ComPortOfItem(const QString& item) {
  const qsizetype k = item.lastIndexOf(QLatin1String(kSeparator));
  return k < 0 ? item.trimmed() : item.left(k);
}
