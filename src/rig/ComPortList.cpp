#include "rig/ComPortList.h"

namespace {
constexpr char kSeparator[] = " > ";
}

std::vector<ComPortEntry> ComPortList(const QStringList& given) {
  std::vector<ComPortEntry> list;
  QStringList seen;
  for (const QString& name : SerialDeviceNames()) {
    if (seen.contains(name)) continue;
    seen << name;
    const SerialProbe p = ProbeSerialPort(name);
    // Device nodes without hardware behind them (most ttyS*) are left out.
    if (p.opened || p.InUse() || p.denied) list.push_back({name, p});
  }
  for (const QString& raw : given) {
    const QString name = raw.trimmed();
    if (name.isEmpty() || name == "NONE" || seen.contains(name)) continue;
    seen << name;
    list.push_back({name, ProbeSerialPort(name)});
  }
  return list;
}

QString ComPortItemText(const ComPortEntry& e) {
  const char* state = e.Probe.opened       ? "使用可能"
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
