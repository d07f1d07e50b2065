#include "forms/rig/RigCFG.h"

#include <algorithm>
#include <tuple>

#include "core/SettingsStore.h"
#include "forms/sheet/CWSHEET.h"
#include "platform/serial.h"
#include "platform/ui/keys.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/twips.h"
#include "platform/vbnumber.h"
#include "rig/ComPortList.h"
#include "rig/RigDriver.h"
#include "rig/RigModels.h"
#include "rig/RigPortState.h"
#include "sheet/SheetTally.h"

namespace {

constexpr char kSection[] = "RIG_CON_CFG";
const char* const kBauds[] = {"4800", "9600", "19200", "38400", "1200"};
constexpr int kTallHeight = 7470;
constexpr int kShortHeight = 4095;
constexpr int kListFrameHeight = 2400;  // the port list's frame where the dialog has the room

RigSetting settingOf(const QString& port, const QString& model, const QString& baud, const QString& stop,
                     const QString& address) {
  return {port, model, baud, stop, address};
}

// A model this list lacks is shown as stored, not turned into "Not Use".
void selectModel(ComboBox& box, const QString& model) {
  if (box.findText(model) < 0) box.AddItem(model);
  box.SetListIndex(box.findText(model));
}

}  // namespace

RigCFG::RigCFG() {
  setWindowTitle(QStringLiteral("リグコン関係の設定"));
  buildLayout();
  CFGEND.Click = [this] { Close(true); };
  Check2.Click = [this] {
    const bool two = Check2.Value() == 1;
    SetHeight(two ? kTallHeight : kShortHeight);
    keys.TwoRig = two ? "YES" : "NO";
  };
  Check1.Click = [this] {
    const bool on = Check1.Value() == 1;
    keys.VfoCheck = on ? "YesP" : "No";
    RigPortState.PollMode = on ? 2 : 0;
  };
  Combo1.Click = [this] { Combo1_Click(); };
  Combo2.Click = [this] { Combo2_Click(); };
  Combo3.Click = [this] {
    keys.Port = Combo3.Text();
    if (keys.Port == "NONE") {
      Check1.SetValue(0);
      RigPortState.PollMode = 0;
    }
  };
  Combo3.Change = [this] { keys.Port = Combo3.Text().trimmed(); };
  Combo4.Click = [this] { keys.Port2 = Combo4.Text(); };
  Combo4.Change = [this] { keys.Port2 = Combo4.Text().trimmed(); };
  Option4.Bind(&OptionButton::Click, [this](int i) { keys.BaudRate = kBauds[i]; });
  Option7.Bind(&OptionButton::Click, [this](int i) { keys.BaudRate2 = kBauds[i]; });
  Option5.Bind(&OptionButton::Click, [this](int i) { keys.StopBit = i == 0 ? "0" : "2"; });
  Option8.Bind(&OptionButton::Click, [this](int i) { keys.StopBit2 = i == 0 ? "1" : "2"; });
  Text11.Change = [this] { keys.IcomAddress = Text11.text().left(2).leftJustified(2, u' '); };
  Text1.Change = [this] { keys.IcomAddress2 = Text1.text().left(2).leftJustified(2, u' '); };
  Text16.Change = [this] {
    keys.TrvIfFreq = Text16.text();
    const std::optional<int32_t> mhz = WholeNumber(keys.TrvIfFreq);
    RigPortState.TrvIfFreqMhz = mhz.value_or(0);
    RigPortState.TransverterOffsetHz = int64_t{RigPortState.TrvIfFreqMhz} * 1'000'000;
  };
  // Whole MHz only.
  Text16.KeyPress = [](int& k) {
    if (!(k >= '0' && k <= '9') && k != vbKeyBack) k = 0;
  };
  Text5.Change = [this] {
    keys.Interval = Text5.text().isEmpty() ? "50" : Text5.text();
    RigPortState.PostWriteWaitMs = WholeNumber(keys.Interval).value_or(50);
  };
  Text5.KeyPress = [this](int& k) { Text5_KeyPress(k); };
  HScroll3.Change = [this] {
    RigPortState.PollPeriodMs = HScroll3.value();
    Label41.setText(QString::number(HScroll3.value()));
  };
  Command1.Click = [this] { ListPorts(1); };
  Command2.Click = [this] { ListPorts(2); };
  Command3.Click = [this] {
    ComListTarget = 0;
    Frame7.hide();
    Frame7.Move(5280, 8280);
  };
  List1.Click = [this] { List1_Click(); };
}

void RigCFG::buildLayout() {
  // Rig 1 on the left, its port in the middle with room for the port's fault and its advice, the shared
  // settings on the right; rig 2 below, shown with "Rig 2台を使う".
  Frame1.Move(120, 120, 3600, 700);
  Frame11.Move(120, 4000, 3600, 700);
  for (auto [model, address, label] :
       {std::tuple{&Combo1, &Text11, &AddressLabel1}, std::tuple{&Combo2, &Text1, &AddressLabel2}}) {
    model->Move(120, 240, 1800, 300);
    address->Move(2040, 240, 600, 300);
    address->setToolTip(QStringLiteral("機種ｱﾄﾞﾚｽをSETして下さい"));
    label->Move(2700, 270, 800, 240);
    label->setBuddy(address);
  }
  Frame3.Move(120, 900, 3600, 820);
  Frame13.Move(120, 4780, 3600, 820);
  for (int i = 0; i <= 4; ++i) {
    for (ControlArray<OptionButton>* o : {&Option4, &Option7}) {
      (*o)[i].setText(QString(kBauds[i]) + "bps");
      (*o)[i].Move(120 + (i % 3) * 1150, 240 + (i / 3) * 260, 1140, 240);
    }
  }
  Frame4.Move(120, 1800, 3600, 1180);
  Frame14.Move(120, 5680, 3600, 1180);
  for (ControlArray<OptionButton>* o : {&Option5, &Option8}) {
    (*o)[0].setText("1bit");
    (*o)[1].setText("2bit");
    (*o)[0].Move(120, 240, 800, 240);
    (*o)[1].Move(960, 240, 800, 240);
  }
  for (ControlArray<Label>* hints : {&StopBitHints1, &StopBitHints2}) {
    int k = 0;
    for (const char* hint : {"JST-245 = 1", "CI-V    = 1", "TS-850 = 2", "TS-870 = 1 or 2", "CAT    =  2"}) {
      (*hints)[k].setText(QString::fromUtf8(hint));
      (*hints)[k].Move(120 + (k % 2) * 1700, 520 + (k / 2) * 200, 1680, 200);
      ++k;
    }
  }
  for (auto [frame, box, button, state] : {std::tuple{&Frame5, &Combo3, &Command1, &PortState1},
                                           std::tuple{&Frame15, &Combo4, &Command2, &PortState2}}) {
    frame->Move(3840, frame == &Frame5 ? 120 : 4000, 3600, 1900);
    box->Move(120, 240, 2200, 300);
    button->Move(2400, 240, 1080, 300);
    // A port's long name and the advice after it, whole.
    state->Move(120, 600, 3360, 1260);
    state->SetWrapAnywhere(true);
  }
  Frame6.Move(3840, 2100, 3600, 1300);
  Check1.Move(120, 240, 1400, 240);
  Label40.Move(120, 560, 1400, 240);
  Text5.Move(1600, 520, 700, 300);
  Text5.setToolTip(QStringLiteral("リターンで決定します"));
  HScroll3.Move(120, 900, 2000, 240);
  HScroll3.setRange(50, 30000);
  HScroll3.setSingleStep(100);
  HScroll3.setPageStep(500);
  Label41.Move(2200, 900, 500, 240);
  Label42.Move(2700, 900, 280, 240);
  Frame2.Move(7560, 120, 3000, 600);
  Text16.Move(120, 240, 800, 300);
  Label43.Move(960, 260, 600, 240);
  Label44.Move(7560, 840, 3000, 240);
  Check2.Move(7560, 1140, 2000, 240);
  placePortList(5280, 8280, kListFrameHeight);
  Frame7.hide();
  for (const QString& m : RigModelChoices()) {
    Combo1.AddItem(m);
    Combo2.AddItem(m);
  }
  Combo1.setToolTip(QStringLiteral("Select Rig"));
  SetWidth(10800);
  SetHeight(kShortHeight);
}

void RigCFG::FillPortBox(ComboBox& box, const QString& port, Label& state) {
  box.Clear();
  box.AddItem("NONE");
  for (const QString& name : SerialDeviceNames()) box.AddItem(name);
  if (port == "NONE") {
    box.SetListIndex(0);
    state.setText(QString());
    return;
  }
  if (box.findText(port) < 0) box.AddItem(port);
  box.SetListIndex(box.findText(port));
  const SerialProbe p = ProbeSerialPort(port);
  // A port of a settings file copied from Windows ("COM3") names no device here.
  state.setText(p.opened || p.InUse() ? QString() : port + SerialOpenProblem(port, p.error, p.errorText));
}

void RigCFG::Form_Load() {
  RigPortStateData& s = RigPortState;
  const std::optional<QString> top = ReadIniKey("RCFGPOS", "CFGPOSTop");
  const std::optional<int32_t> topTw = top ? WholeNumber(*top) : std::nullopt;
  MoveToStoredPlace(top ? topTw.value_or(0) : std::optional<int32_t>(),
                    WholeNumber(ReadIniOr("RCFGPOS", "CFGPOSLeft", "0")).value_or(0));

  keys.TwoRig = ReadIniOr(kSection, "TWORIG", "") == "YES" ? "YES" : "NO";
  Check2.SetValue(keys.TwoRig == "YES" ? 1 : 0);
  SetHeight(keys.TwoRig == "YES" ? kTallHeight : kShortHeight);
  // Missing, it is stored as the unticked box says; any other value is kept as it stands.
  keys.VfoCheck = ReadIniOr(kSection, "VFOCHECK", "No");
  if (keys.VfoCheck == "YesP") Check1.SetValue(1);
  keys.TrvIfFreq = ReadIniOr(kSection, "TRVIFfreq", "22");
  Text16.setText(keys.TrvIfFreq);

  loadRig(1);
  s.Rig1 = settingOf(keys.Port, keys.RigType, keys.BaudRate, keys.StopBit, keys.IcomAddress);
  const QString interval = ReadIniOr(kSection, "Interval", "100");
  const std::optional<int32_t> pollMs = WholeNumber(ReadIniOr(kSection, "Poll_Time", "500"));
  if (!WholeNumber(interval) || !pollMs || *pollMs < HScroll3.minimum() || *pollMs > HScroll3.maximum()) {
    QStringList bad;
    if (!WholeNumber(interval)) bad << "Interval=" + interval + QStringLiteral(" (ミリ秒の整数)");
    if (!pollMs || *pollMs < HScroll3.minimum() || *pollMs > HScroll3.maximum())
      bad << "Poll_Time=" + ReadIniOr(kSection, "Poll_Time", "500") +
                 QStringLiteral(" (%1〜%2 ミリ秒)").arg(HScroll3.minimum()).arg(HScroll3.maximum());
    MsgBox(QStringLiteral("ORBEX CFG ERROR") + "\r\n" + IniFilePath() + " の [" + kSection +
           QStringLiteral("] の次の値が使えません:") + "\r\n" + bad.join("\r\n"));
    return;
  }
  Text5.setText(interval);
  keys.Interval = interval;
  s.PostWriteWaitMs = *WholeNumber(interval);
  HScroll3.setValue(*pollMs);
  s.PollPeriodMs = *pollMs;
  Label41.setText(QString::number(*pollMs));
  loadRig(2);
  loaded_ = true;
}

void RigCFG::loadRig(int rig) {
  const bool one = rig == 1;
  const QString n = one ? "" : "2";
  ComboBox& portBox = one ? Combo3 : Combo4;
  ComboBox& modelBox = one ? Combo1 : Combo2;
  TextBox& addressBox = one ? Text11 : Text1;
  ControlArray<OptionButton>& baud = one ? Option4 : Option7;
  ControlArray<OptionButton>& stop = one ? Option5 : Option8;
  QString& port = one ? keys.Port : keys.Port2;
  QString& type = one ? keys.RigType : keys.RigType2;
  QString& rate = one ? keys.BaudRate : keys.BaudRate2;
  QString& bits = one ? keys.StopBit : keys.StopBit2;
  QString& address = one ? keys.IcomAddress : keys.IcomAddress2;
  const QString oneStopBit = one ? "0" : "1";

  const QString stored = ReadIniOr(kSection, "RIGCOMCONT" + n, "0");
  port = stored == "0" ? QString("NONE") : stored;
  FillPortBox(portBox, port, one ? PortState1 : PortState2);
  if (one && port == "NONE") Check1.SetValue(0);
  const std::optional<QString> model = ReadIniKey(kSection, "RIG_TYPE" + n);
  if (!model) port = "NONE";
  type = model.value_or("Not Use");
  selectModel(modelBox, type);
  addressBox.setEnabled(type == "ICOM");
  rate = ReadIniOr(kSection, "BAUD_RATE" + n, "4800");
  for (int i = 0; i <= 4; ++i)
    if (rate == kBauds[i]) baud[i].SetValue(true);
  bits = ReadIniOr(kSection, "STOP_BIT" + n, oneStopBit);
  if (bits == oneStopBit) stop[0].SetValue(true);
  if (bits == "2") stop[1].SetValue(true);
  // A missing address reads as the section name cut to two characters.
  const QString a = ReadIni(kSection, "ICOM_RIGadrs" + n).left(2).leftJustified(2, u' ');
  address = a == "RI" ? QString("00") : a;
  addressBox.setText(address);
}

void RigCFG::Combo1_Click() {
  const int i = Combo1.ListIndex();
  Text11.setEnabled(i == 1);
  if (i == 0) {
    keys.Port = "NONE";
    Check1.SetValue(0);
    RigPortState.PollMode = 0;
  }
  keys.RigType = Combo1.Text();
}

void RigCFG::Combo2_Click() {
  const int i = Combo2.ListIndex();
  Text1.setEnabled(i == 1);
  if (i == 0) keys.Port2 = "NONE";
  keys.RigType2 = Combo2.Text();
}

void RigCFG::Text5_KeyPress(int& k) {
  if (k >= '0' && k <= '9') return;
  if (k == vbKeyBack) return;
  if (k == vbKeyReturn) {
    if (keys.Port != "NONE") {
      RigPortState.UseRig(1, settingOf(keys.Port, keys.RigType, keys.BaudRate, keys.StopBit, keys.IcomAddress));
      RigPortOpen();
    }
    return;
  }
  k = 0;
}

void RigCFG::ListPorts(int target) {
  List1.Clear();
  ComListTarget = target;
  // The link's port: held now, or closed for this dialog while the sheet is open, which opens it again.
  const RigPortStateData& s = RigPortState;
  const QString linkPort = s.PortOpen == 1 || SheetTally.SheetOpen == 1 ? s.PortName : QString();
  for (const ComPortEntry& e : ComPortList({keys.Port, keys.Port2}, linkPort)) List1.AddItem(ComPortItemText(e));
  // The frame ends inside the dialog at its height now, its CLOSE button in sight.
  const int top = target == 1 ? 1560 : 4920;
  const int height = std::clamp(ScaleHeight() - top - 60, 1200, kListFrameHeight);
  placePortList(3480, top, height);
  Frame7.show();
  Frame7.raise();
}

void RigCFG::placePortList(int left, int top, int height) {
  Frame7.Move(left, top, 4400, height);
  List1.Move(120, 240, 4160, height - 660);
  Command3.Move(120, height - 390, 900, 300);
}

void RigCFG::List1_Click() {
  if (List1.ListIndex() < 0) return;
  const QString port = ComPortOfItem(List1.List(List1.ListIndex()));
  ComboBox* box = ComListTarget == 1 ? &Combo3 : ComListTarget == 2 ? &Combo4 : nullptr;
  if (!box) return;
  if (box->findText(port) < 0) box->AddItem(port);
  box->SetListIndex(box->findText(port));
  (ComListTarget == 1 ? PortState1 : PortState2).setText(QString());
  if (box->Click) box->Click();
}

void RigCFG::Form_QueryUnload(int& /*cancel*/, int unloadMode) {
  if (unloadMode == vbFormControlMenu) Close(false);
}

bool RigCFG::addressesUsable() {
  struct Rig {
    const QString& type;
    const QString& address;
    TextBox& box;
    bool used;
  };
  for (const Rig& r : {Rig{keys.RigType, keys.IcomAddress, Text11, true},
                       Rig{keys.RigType2, keys.IcomAddress2, Text1, keys.TwoRig == "YES"}}) {
    const QString why = CivAddressProblem(r.address);
    if (!r.used || r.type != "ICOM" || why.isEmpty()) continue;
    MsgBox(QStringLiteral("ICOM のアドレス ") + r.address.trimmed() + QStringLiteral(" は使えません (") + why +
               QStringLiteral(")。\r\nリグの CI-V アドレスを16進数2桁で入れて下さい (例えば 94)。"),
           vbOKOnly | vbExclamation);
    r.box.setFocus();
    r.box.selectAll();
    return false;
  }
  return true;
}

void RigCFG::Close(bool fromMenu) {
  if (!loaded_) {
    if (fromMenu) Unload();
    return;
  }
  if (fromMenu && !addressesUsable()) return;
  WriteIni("RCFGPOS", "CFGPOSTop", " " + QString::number(Top()));
  WriteIni("RCFGPOS", "CFGPOSLeft", " " + QString::number(Left()));
  RigPortStateData& s = RigPortState;
  const QList<std::pair<const char*, QString>> order = {
      {"Interval", keys.Interval},      {"ICOM_RIGadrs", keys.IcomAddress},
      {"VFOCHECK", keys.VfoCheck},      {"TRVIFfreq", keys.TrvIfFreq},
      {"RIG_TYPE", keys.RigType},       {"STOP_BIT", keys.StopBit},
      {"RIGCOMCONT", keys.Port},        {"BAUD_RATE", keys.BaudRate},
      {"Poll_Time", QString::number(s.PollPeriodMs)},
      {"ICOM_RIGadrs2", keys.IcomAddress2}, {"RIG_TYPE2", keys.RigType2},
      {"STOP_BIT2", keys.StopBit2},     {"RIGCOMCONT2", keys.Port2},
      {"BAUD_RATE2", keys.BaudRate2},   {"TWORIG", keys.TwoRig}};
  for (const auto& [key, value] : order) WriteIni(kSection, key, value);
  // The sheet switches between the two rigs with what was just stored.
  s.Rig1 = settingOf(keys.Port, keys.RigType, keys.BaudRate, keys.StopBit, keys.IcomAddress);
  s.Rig2 = settingOf(keys.Port2, keys.RigType2, keys.BaudRate2, keys.StopBit2, keys.IcomAddress2);
  s.TwoRig = keys.TwoRig;
  CWSHEET* sheet = SheetTally.SheetOpen == 1 ? LoadedForm<CWSHEET>() : nullptr;
  if (sheet) {
    if (keys.Port != "NONE") {
      sheet->Frame4.show();
      s.UseRig(1);
      RigPortOpen();
      if (fromMenu) sheet->RigSel.SetVisible(true);
    } else {
      sheet->Frame4.hide();
      if (fromMenu) sheet->RigSel.SetVisible(false);
    }
    sheet->Rig2.SetVisible(keys.TwoRig == "YES");
    // The rig menu names the models just stored, and marks the rig in use.
    sheet->Rig1.SetCaption(keys.RigType);
    sheet->Rig2.SetCaption(keys.RigType2);
    sheet->ShowRigInUse();
    sheet->Check9.setVisible(keys.TwoRig == "YES");
    sheet->Frame4.SetWidth(3015);
    if (fromMenu) {
      const QString& m = keys.RigType;
      sheet->Command5.setEnabled(m == "FT2000" || m == "FT991" || m == "FT817" || m == "ICOM");
    }
  }
  if (fromMenu) Unload();
}
