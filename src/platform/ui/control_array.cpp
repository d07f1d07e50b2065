#include "platform/ui/control_array.h"

#include <QtGlobal>

void ControlArrayMissing(int index) { qFatal("Control array element %d does not exist", index); }
