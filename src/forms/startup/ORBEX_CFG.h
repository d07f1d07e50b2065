#pragma once
// The settings dialog "環境設定": call sign, HAMLOG's database and program, share mode, own QTH data,
// QSL marks and the QSL program, the electronic-QSL service, default report, text editor, the DIGITAL
// mode list and the switches. Most controls store their setting the moment they change; the rest are
// stored when the dialog closes, by "設定完了" or by the close box alike.

#include <QString>
#include <array>
#include <cstdint>

#include "platform/ui/buttons.h"
#include "platform/ui/control_array.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/form.h"
#include "platform/ui/frame.h"
#include "platform/ui/label.h"
#include "platform/ui/lists.h"
#include "platform/ui/menu.h"
#include "platform/ui/textbox.h"

class ORBEX_CFG : public VbForm {
 public:
  ORBEX_CFG();
  void Form_Load() override;
  void Form_QueryUnload(int& cancel, int unloadMode) override;
  void Form_KeyDown(int& keyCode, int shift) override;

  // Menus.
  Menu CFGEND{this, "設定完了(&X)"};
  Menu CallRigCFG{this, "リグコン関係の設定"};
  Menu CFGHLP{this, "Help"};

  // Call sign and HAMLOG.
  Frame Frame1{this, "Call Sign."};
  TextBox Text1{&Frame1};
  CommandButton Command6{this, "HamLog.HDBの場所指定"};
  Label Label2{this};
  CommandButton Command10{this, "HamLogw.EXEの場所指定"};
  Label Label10{this};
  Label Label11{this};
  CheckBox Check8{this, "共有ﾓｰﾄﾞ"};
  CheckBox Check4{this, "HamLogへ登録時確認有"};
  CheckBox Check7{this, "不正周波数をレポートする"};
  CheckBox Check6{this, "135k/475k/10G/24G/47G/77GHzも使う"};
  CheckBox Check1{this, "DX データは読み込まないで無視する"};
  CheckBox Check3{this, "未使用Cfm済みもQSOデータを表示　（推奨します）"};
  CheckBox Check5{this, "独自のQTHﾃﾞｰﾀ使用"};
  CommandButton Command1{this, "QTHﾃﾞｰﾀの指定"};
  Label Label4{this};

  // QSL marks and printing.
  Frame Frame2{this, " QSL 関連項目"};
  CheckBox Check2{&Frame2, "空以外全て受領扱い"};
  Label Label1{&Frame2, "受領と見なす文字を指定します→"};
  Label Label5{&Frame2, "QSL受領ﾏｰｸ"};
  TextBox Text3{&Frame2, "*"};
  TextBox Text4{&Frame2};
  TextBox Text5{&Frame2};
  TextBox Text6{&Frame2};
  TextBox Text7{&Frame2};
  TextBox Text8{&Frame2};
  TextBox Text10{&Frame2};
  TextBox Text11{&Frame2};
  TextBox Text16{&Frame2};
  TextBox Text17{&Frame2};
  TextBox Text18{&Frame2};
  TextBox Text19{&Frame2};
  TextBox Text20{&Frame2};
  TextBox Text21{&Frame2};
  TextBox Text22{&Frame2};
  Label Label8{&Frame2, " ↑ QSL受領処理で受領ﾏｰｸとして使います"};
  Label Label6{&Frame2, "LOGへ書き込むQSL区分文字(  J    etc)"};
  TextBox Text2{&Frame2};
  CommandButton Command7{&Frame2, "QSL印刷ｿﾌﾄの設定"};
  Label Label3{&Frame2};
  CommandButton Command18{&Frame2, "MMQSL印刷定義ﾌｧｲﾙ(MQL)の設定"};
  Label Label9{&Frame2};
  TextBox Text23{&Frame2};

  // Electronic QSL.
  Frame Frame3{this, "電子ＱＳＬシステム"};
  ControlArray<OptionButton> Option7{&Frame3, 0, 1};
  CommandButton Command13{&Frame3, "ComQSOBank.exe"};
  CommandButton Command14{&Frame3, "eQSL Remks"};
  Label Label28{&Frame3, "電子QSL除外区分"};
  TextBox Text9{&Frame3, "N"};

  // Report, editor, files.
  Frame Frame4{this, "RST 初期値"};
  TextBox Text24{&Frame4, "599"};
  CommandButton Command8{this, "テキストEditor登録"};
  CommandButton Command4{this, "表示項目設定"};
  CommandButton Command5{this, "環境ﾌｧｲﾙ編集"};

  // DIGITAL mode list.
  CommandButton Command3{this, "DIGITALモードの設定"};
  Label Label7{this};
  Frame Frame5{this, "DIGITALモード内訳設定"};
  ListBox List1{&Frame5};
  CommandButton Command2{&Frame5, "Set"};
  CommandButton Command9{&Frame5, "Can"};

  PictureBox Picture1{this};
  CommonDialog CommonDialog1{this};

  // The received-mark boxes in the order of QSL_RCV, QSL_RCV1 .. QSL_RCV14.
  std::array<TextBox*, 15> MarkBoxes() {
    return {&Text3,  &Text4,  &Text5,  &Text6,  &Text7,  &Text8,  &Text10, &Text11,
            &Text16, &Text17, &Text18, &Text19, &Text20, &Text21, &Text22};
  }

 private:
  void buildLayout();
  void wireHandlers();
  void loadSettings();
  void storeOnClose(bool byCloseBox);
  // Writes a setting; a write that fails is told once per action (`failed_` collects them).
  void store(const QString& section, const QString& key, const QString& value);
  void reportFailedWrites();

  void CFGEND_Click();
  void CFGHLP_Click();
  void Command5_Click();
  void Text1_KeyPress(int& keyAscii);
  void Text1_Change();
  void OverwriteKeyPress(TextBox& box, int& keyAscii);
  void Text24_KeyPress(int& keyAscii);
  void MarkBox_Change(int slot);

  void Check1_Click();
  void Check2_Click();
  void Check4_Click();
  void Check5_Click();
  void Check6_Click();
  // A reading or another long job uses the band set in force.
  bool bandSetViewsBusy() const;
  bool closeBandSetViews();
  void Check7_Click();
  void Check8_Click();
  void Option7_Click(int index);

  // The file-open dialog of a picker; false on Cancel. `initDir` is where it opens.
  bool pickFile(const QString& title, const QString& filter, const QString& current, const QString& initDir,
                QString& chosen);
  QString pickerFolder(const QString& current) const;
  void Command6_Click();
  void Command10_Click();
  void Command1_Click();
  void Command13_Click();
  void Command7_Click();
  void Command18_Click();
  void Command8_Click();
  void Command14_Click();
  void Command3_Click();
  void Command2_Click();
  void Command9_Click();

  QString positionTop_;
  QString positionLeft_;
  QString eqslMesgCopy_;      // eQSL_Mesg as stored
  QString acceptedCall_;      // Text1's last text made of the call sign's characters
  QStringList failedWrites_;  // settings of the running action that did not reach the file
  bool loading_ = false;
};
