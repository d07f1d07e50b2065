#pragma once
// Connects the lookups to the windows: the sheet's load builds the DXCC table, and a prefix search's
// hits are listed in the DXCC prefix list.
void ConnectLookupWindows();
