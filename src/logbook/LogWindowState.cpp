#include "logbook/LogWindowState.h"

LogWindowStateValues LogWindowState;
EntryWindowHooksState EntryWindowHooks;
