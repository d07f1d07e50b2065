#pragma once
// The transceiver settings of ORBEX5.INI, read at start-up.

#include <QStringList>

// [RIG_CON_CFG] into RigPortState; the current rig becomes rig 1. Unusable numbers go to `failures`.
void ReadRigSettings(QStringList& failures);
