#pragma once
// The five sheets of the award sheet window and the start window's menus that open them:
// ACCchk (member list, then the member check), aGrigSrh / aGrigSrh100 / aGrigSrhDX (grid-locator
// scans) and xDXCC (DXCC scan).

// Puts the sheets into the award sheet window's hooks.
void ConnectAwardSheets();

void SelectMemberList();      // ACCchk
void SelectSquareSheet();     // aGrigSrh
void SelectSubSquareSheet();  // aGrigSrh100
void SelectWasaSheet();       // aGrigSrhDX
void ShowDxccSheet();         // xDXCC
