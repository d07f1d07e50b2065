#pragma once
// Every module's shared values back to their start-of-program state, in one call, so that no test
// sees what an earlier one left behind.
void ResetSharedState();
// The progress sheet unloaded (its deferred deletes run), the clock back to the machine's, and then
// ResetSharedState(): the usual end of a test that drove the sheet.
void CloseSheetAndResetState();
