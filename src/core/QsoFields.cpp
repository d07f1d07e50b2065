#include "core/QsoFields.h"

QsoFieldsState Qso;
