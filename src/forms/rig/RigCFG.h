#pragma once
// The rig settings dialog "リグコン関係の設定": model, serial port, speed, stop bits and CI-V address of
// one or two transceivers, polling, the wait after each command and the transverter's IF. It keeps
// [RIG_CON_CFG] while it is open and writes it when it closes; the port list "使用可能なCOM port"
// shows this machine's serial devices, free or in use.

#include <QString>
#include <cstdint>

#include "platform/ui/buttons.h"
#include "platform/ui/control_array.h"
#include "platform/ui/form.h"
#include "platform/ui/frame.h"
#include "platform/ui/label.h"
#include "platform/ui/lists.h"
#include "platform/ui/menu.h"
#include "platform/ui/scrollbar.h"
#include "platform/ui/textbox.h"

class RigCFG : public VbForm {
 public:
  RigCFG();
  void Form_Load() override;
  void Form_QueryUnload(int& cancel, int unloadMode) override;

  // The values of [RIG_CON_CFG] as the dialog holds them.
  struct Keys {
    QString Interval, IcomAddress, VfoCheck, TrvIfFreq, RigType, StopBit, Port, BaudRate;
    QString IcomAddress2, RigType2, StopBit2, Port2, BaudRate2, TwoRig;
  } keys;
  int32_t ComListTarget = 0;  // 1 rig 1's port box, 2 rig 2's, 0 none

  Menu CFGEND{this, "設定完了"};
  Frame Frame1{this, "RIG Select"};
  ComboBox Combo1{&Frame1, false};
  TextBox Text11{&Frame1};
  Label AddressLabel1{&Frame1, "ｱﾄﾞﾚｽ"};
  Frame Frame3{this, "Baud Rate"};
  ControlArray<OptionButton> Option4{&Frame3, 0, 4};
  Frame Frame4{this, "Stop Bit   ( 8bit NoneParity )"};
  ControlArray<OptionButton> Option5{&Frame4, 0, 1};
  ControlArray<Label> StopBitHints1{&Frame4, 0, 4};  // which models take which stop bits
  Frame Frame5{this, "RIG-ComPort"};
  ComboBox Combo3{&Frame5};
  CommandButton Command1{&Frame5, "COM ﾁｪｯｸ"};
  Label PortState1{&Frame5};
  Frame Frame6{this, "VFO ポーリング"};
  CheckBox Check1{&Frame6, "ポーリング"};
  Label Label40{&Frame6, "Wait Time ( ms)"};
  TextBox Text5{&Frame6};
  ScrollBar HScroll3{&Frame6};
  Label Label41{&Frame6};
  Label Label42{&Frame6, "ms"};
  Frame Frame2{this, "Transverter IF Freq"};
  TextBox Text16{&Frame2};
  Label Label43{&Frame2, " MHz"};
  Label Label44{this, "VFO ポーリングは共通です"};
  CheckBox Check2{this, "Rig 2台を使う"};
  Frame Frame11{this, "RIG#2 Select"};
  ComboBox Combo2{&Frame11, false};
  TextBox Text1{&Frame11};
  Label AddressLabel2{&Frame11, "ｱﾄﾞﾚｽ"};
  Frame Frame13{this, "Baud Rate"};
  ControlArray<OptionButton> Option7{&Frame13, 0, 4};
  Frame Frame14{this, "Stop Bit   ( 8bit NoneParity )"};
  ControlArray<OptionButton> Option8{&Frame14, 0, 1};
  ControlArray<Label> StopBitHints2{&Frame14, 0, 4};
  Frame Frame15{this, "RIG-ComPort"};
  ComboBox Combo4{&Frame15};
  CommandButton Command2{&Frame15, "COM ﾁｪｯｸ"};
  Label PortState2{&Frame15};
  Frame Frame7{this, "使用可能なCOM port"};
  ListBox List1{&Frame7};
  CommandButton Command3{&Frame7, "CLOSE"};

 private:
  void buildLayout();
  void Close(bool fromMenu);
  // False, with a box telling what to type, when an ICOM rig's address cannot be used.
  bool addressesUsable();
  // Rig 1's or rig 2's keys into their boxes.
  void loadRig(int rig);
  void Combo1_Click();
  void Combo2_Click();
  void Text5_KeyPress(int& keyAscii);
  void ListPorts(int target);
  // The COM port list's frame, its list and its CLOSE button, for a frame `height` twips tall.
  void placePortList(int left, int top, int height);
  void List1_Click();
  // The port's box: "NONE", this machine's serial devices, and the stored name whatever it is.
  void FillPortBox(ComboBox& box, const QString& port, Label& state);
  bool loaded_ = false;
};
