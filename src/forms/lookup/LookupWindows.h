#pragma once
// Connects the lookups to the windows: a prefix search's hits are listed in the DXCC prefix list, and
// the award lists' "DX Check" names DXCC numbers from the table.
void ConnectLookupWindows();
