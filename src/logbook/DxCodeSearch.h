#pragma once
// Finds the DX entity of a call in HAMLOG's code master: the entities the DXCC table gives the call
// (as the sheet's call box does), the likely one first, read through the code index ("dx2"); without
// the table, through the master's prefix index ("dx4") by the first three characters. One entity sets
// the longitude and the local time at once; several are left for the operator to pick in the code
// list.

#include <QString>
#include <cstdint>
#include <vector>

struct DxEntityRow {
  QString code;     // trimmed
  QString name;     // first 28 characters
  QString head;     // prefix head (2)
  QString tail;     // prefix tail (1)
  QString side;     // "東経" or "西経"
  int32_t degrees;  // longitude in whole degrees
};

struct DxCodeSearchResult {
  enum Outcome {
    Found,     // rows[0] and any further entities of the prefix
    NotFound,  // said with a box that closes itself
    Silent,    // empty key, no index, Japan itself: nothing is said
    NoEntity,  // aeronautical or maritime mobile (/AM, /MM): the code is emptied
  };
  Outcome outcome = Silent;
  std::vector<DxEntityRow> rows;
};

// `callText`: the entry window's call box. Clears LocalTime.LongitudeOverrideSet first and sets the
// override for the entities whose longitude a digit of the call decides. With exactly one entity it
// also sets LocalTime's longitude and runs CalcLocalTimeGreeting.
DxCodeSearchResult SearchDxCode(const QString& callText);
