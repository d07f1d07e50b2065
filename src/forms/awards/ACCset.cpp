#include "forms/awards/ACCset.h"

#include <algorithm>

#include "core/SettingsStore.h"
#include "forms/startup/ORBTOP.h"
#include "platform/vbnumber.h"

ACCset::ACCset() {
  setWindowTitle(QStringLiteral("MODE設定"));
  Move(0, 0, 6600, 4400);
  Label1.Move(120, 120, 6200, 300);
  Check1.Move(120, 480, 4000, 300);
  TextBox* boxes[] = {&Text1, &Text2, &Text3, &Text4, &Text5};
  Label* labels[] = {&PhoneLabel, &CwLabel, &SstvLabel, &RttyLabel, &FaxLabel};
  for (int i = 0; i < 5; ++i) {
    labels[i]->Move(120, 900 + i * 380, 1000, 300);
    boxes[i]->Move(1200, 880 + i * 380, 5000, 300);
  }
  Label3.Move(120, 2860, 6200, 300);
  Label2.Move(120, 3160, 6200, 500);
  Label2.setWordWrap(true);
  CLSE.Move(4200, 3700, 2000, 360);
  Check1.Click = [this] { AwardSheets.MemberWkdMode = Check1.Value() == 1 ? 0 : 1; };
  CLSE.Click = [this] { Unload(); };
}

void ACCset::Form_Load() {
  Check1.SetValue(AwardSheets.MemberWkdMode == 1 ? 0 : 1);
  const ModeClassLists lists = ReadModeClassLists();
  Text1.setText(lists.PhoneModes);
  Text2.setText(lists.CwModes);
  Text3.setText(lists.SstvModes);
  Text4.setText(lists.RttyModes);
  Text5.setText(lists.FaxModes);
  QString names;
  const int32_t count = static_cast<int32_t>(std::clamp(VbVal(ReadIniOr("ORB", "MODEC", "0")), 0.0, 999.0));
  // A mode number without its key names no mode: it is left out of the reference.
  for (int32_t i = 1; i <= count; ++i)
    if (const std::optional<QString> mode = ReadIniKey("ORB", "MODE" + QString::number(i))) names += " " + *mode + ",";
  Label2.setText(names);
  if (ORBTOP* top = LoadedForm<ORBTOP>()) top->Hide();
}

void ACCset::Form_Unload(int& /*cancel*/) {
  WriteModeClassLists({Text1.text(), Text2.text(), Text3.text(), Text4.text(), Text5.text()});
  if (ORBTOP* top = LoadedForm<ORBTOP>()) top->Show();
}
