#include "awards/AwardSheets.h"

#include "core/SettingsStore.h"

AwardSheetsState AwardSheets;

namespace {

struct ListKey {
  const char* key;
  QString ModeClassLists::*list;
};
const ListKey kKeys[] = {{"PHONE", &ModeClassLists::PhoneModes},
                         {"CW", &ModeClassLists::CwModes},
                         {"SSTV", &ModeClassLists::SstvModes},
                         {"RTTY", &ModeClassLists::RttyModes},
                         {"FAX", &ModeClassLists::FaxModes}};

}  // namespace

ModeClassLists ReadModeClassLists() {
  ModeClassLists lists;
  for (const ListKey& k : kKeys) lists.*k.list = ReadIniOr("ACCCFG", k.key, lists.*k.list);
  return lists;
}

void WriteModeClassLists(const ModeClassLists& lists) {
  for (const ListKey& k : kKeys) WriteIni("ACCCFG", k.key, (lists.*k.list).trimmed());
}
