#pragma once
// Every module's shared values back to their start-of-program state, in one call, so that no test
// sees what an earlier one left behind.
void ResetSharedState();
