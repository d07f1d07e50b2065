#include "rig/ComPortList.h"

#include "rig/RigPortState.h"

namespace {

constexpr char kSeparator[] = " > ";

// A trial open tells only that a port is taken, not by whom: the link's port is this program's while the
// link holds it (not tried), and while it is closed for a while unless another program took it meanwhile.
ComPortEntry entryOf(const QString& name, const QString& linkPort) {
  if (linkPort.isEmpty() || !SameSerialDevice(name, linkPort)) return {name, ProbeSerialPort(name)};
  if (RigPortState.PortOpen == 1) return {name, {}, true};
  const SerialProbe p = ProbeSerialPort(name);
  return {name, p, p.opened};
}

}  // namespace

std::vector<ComPortEntry> ComPortList(const QStringList& given, const QString& linkPort) {
  std::vector<ComPortEntry> list;
  QStringList seen;
  for (const QString& name : SerialDeviceNames()) {
    if (seen.contains(name)) continue;
    seen << name;
    const ComPortEntry e = entryOf(name, linkPort);
    // Device nodes without hardware behind them (most ttyS*) are left out.
    if (e.Ours || e.Probe.opened || e.Probe.InUse() || e.Probe.denied) list.push_back(e);
  }
  for (const QString& raw : given) {
    const QString name = raw.trimmed();
    if (name.isEmpty() || name == "NONE" || seen.contains(name)) continue;
    seen << name;
    list.push_back(entryOf(name, linkPort));
  }
  return list;
}

QString ComPortItemText(const ComPortEntry& e) {
  const char* state = e.Ours               ? "このプログラムで使用中"
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
