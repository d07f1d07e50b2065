#pragma once
// Connects the lookups to the windows: a prefix search's hits are listed in the DXCC prefix list.
void ConnectLookupWindows();
