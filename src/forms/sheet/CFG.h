#pragma once
// The display-settings dialog "ORBEX表示設定": which band columns and code kinds the progress sheet
// shows, stored at each tick; or, for a job of the start window, a one-of-23 band picker.

#include <cstdint>

#include "platform/ui/buttons.h"
#include "platform/ui/control_array.h"
#include "platform/ui/form.h"
#include "platform/ui/frame.h"
#include "platform/ui/menu.h"

// How the dialog is used and what it answered.
struct CfgState {
  int32_t CfgMode = 0;  // 0 display items (and closed without a choice), 1 band choice, 2 a band chosen
  int32_t CfgBandChoice = 22;  // band index 0..21, or 22 for all bands but the satellite
  int32_t DisplayChanged = 0;  // a display setting was stored since the dialog opened
};
extern CfgState Cfg;

class CFG : public VbForm {
 public:
  CFG();
  void Form_Load() override;
  void Form_Unload(int& cancel) override;

  Frame Frame1{this};
  Frame Frame2{&Frame1, "　周波数帯　"};
  ControlArray<CheckBox> Check1{&Frame2, 0, 22};
  Frame Frame3{&Frame1, "市区町村 (DX)"};
  ControlArray<CheckBox> Check2{&Frame3, 0, 5};
  CheckBox Check3{&Frame1, "消滅したQTHは表示しない"};
  Menu CFGOK{this, "設定完了(&X)"};

 private:
  bool bandChoice() const { return Cfg.CfgMode == 1; }
  void loadBoxes();
  // A band box changed by the operator, with the mouse or the keyboard alike.
  void Check1_Click(int index);
  void Check2_Click(int index);
  void Check3_Click();
  void CFGOK_Click();
  // The sheet shows the stored settings once, when something changed and the dialog was not opened
  // from the settings dialog.
  void redisplayIfChanged();

  bool settingBoxes_ = false;  // the dialog itself is ticking band boxes
};
