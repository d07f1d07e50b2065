#include "lookup/CodeListState.h"

CodeListSharedState CodeListShared;
