#pragma once
// The list of serial ports for the rig settings dialog: this machine's serial devices and the names
// the operator gave, each tried once to tell whether it is free.

#include <QString>
#include <QStringList>
#include <vector>

#include "platform/serial.h"

struct ComPortEntry {
  QString Name;
  SerialProbe Probe;
  bool Ours = false;  // the CAT link's port, held by it or free for it to open again
};

// Every serial device of this machine that is free, in use or barred to this user, then each of `given` (the
// ports in the settings, names typed) whatever its state; each name once. `linkPort` is the CAT link's port
// (held now, or closed only while the settings are changed): listed as this program's, and not tried while
// the link holds it.
std::vector<ComPortEntry> ComPortList(const QStringList& given, const QString& linkPort = {});

// The list item: name & " > 使用可能", " > このプログラムで使用中", " > 他で使用中", " > 権限がありません",
// " > シリアルポートではありません", " > 見つかりません" or " > 開けません".
QString ComPortItemText(const ComPortEntry& entry);
// The port name of a list item.
QString ComPortOfItem(const QString& item);
