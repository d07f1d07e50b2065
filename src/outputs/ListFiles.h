#pragma once
// What the award and ward lists share in writing their files.

#include <QList>
#include <QString>

#include "platform/vbfile.h"

// One print-zone line: each item at the next 14-column zone.
bool PrintZoned(VbFile& file, const QList<VbItem>& items);

// The failures both kinds of award list tell.
extern const QString kNoHamlogMessage;  // HAMLOG would not open
extern const QString kNoBandMessage;    // GO with no band box ticked
