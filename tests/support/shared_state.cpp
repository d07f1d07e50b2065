#include "support/shared_state.h"

#include "core/BandLayout.h"
#include "core/CodeConversion.h"
#include "core/DesignatedCities.h"
#include "core/HamlogAccess.h"
#include "core/MasterList.h"
#include "core/MasterTable.h"
#include "core/QsoFields.h"
#include "core/QsoRules.h"
#include "core/SharedSettings.h"
#include "forms/sheet/CWSHEET.h"
#include "forms/startup/ORBTOP.h"
#include "rig/RigPortState.h"
#include "sheet/SheetTally.h"

void ResetSharedState() {
  Settings = {};
  ReadConditions = {};
  StartFlags = {};
  Hamlog = {};
  MasterList = {};
  MasterTable = {};
  CodeConv = {};
  Qso = {};
  QsoRules = {};
  BandLayout = {};
  BandLayoutHooks = {};
  ShownBands.fill("1");
  DisplayItems = {};
  DesignatedCityDef = {};
  RigPortState = {};
  SheetTally = {};
  BandTotals = {};
  StartWindowHooks = {};
  SheetHooks = {};
}
