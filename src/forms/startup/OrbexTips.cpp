#include "forms/startup/OrbexTips.h"

#include <QApplication>
#include <QFont>
#include <QStyle>
#include <algorithm>

#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "platform/paths.h"
#include "platform/ui/twips.h"
#include "platform/vbfile.h"

namespace {

// The settings key that switches the tips of this mode; "" for a mode without one.
QString switchKey() {
  switch (StartFlags.TipsMode) {
    case 1:
      return "TopTips_DISP";
    case 2:
      return "Tips_DISP";
    default:
      return {};
  }
}

}  // namespace

OrbexTips::OrbexTips() {
  setWindowTitle("ORBEX ﾜﾝﾎﾟｲﾝﾄ ｱﾄﾞﾊﾞｲｽ");
  Move(std::max(0, (ScreenWidthTwips() - 6600) / 2), std::max(0, (ScreenHeightTwips() - 3900) / 2), 6600,
       3900);
  Picture1.Move(240, 240, 720, 720);
  Picture1.SetPicture(
      QApplication::style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(48).toImage());
  Label1.Move(1200, 240, 3600, 360);
  QFont f = Label1.font();
  f.setPointSizeF(f.pointSizeF() * 1.25);
  f.setBold(true);
  Label1.setFont(f);
  lblTipText.Move(1200, 720, 5040, 1680);
  lblTipText.setWordWrap(true);
  Label2.Move(4800, 240, 480, 300);
  Label2.setAlignment(Qt::AlignRight);
  Label3.Move(5340, 240, 180, 300);
  Label4.Move(5580, 240, 600, 300);
  chkLoadTipsAtStartup.Move(240, 2520, 5880, 300);
  chkLoadTipsAtStartup.SetValue(1);
  Command1.Move(240, 2940, 1800, 420);
  cmdNextTip.Move(2280, 2940, 1800, 420);
  cmdOK.Move(4320, 2940, 1800, 420);

  cmdNextTip.Click = [this] { NextTip(); };
  Command1.Click = [this] { PrevTip(); };
  cmdOK.Click = [this] { Unload(); };
  chkLoadTipsAtStartup.Click = [this] { chkLoadTipsAtStartup_Click(); };
}

void OrbexTips::Form_Load() {
  QString shown;
  const QString key = switchKey();
  if (!key.isEmpty()) {
    ReadIni("ORB", key, shown);
  }
  if (StartFlags.TipsOnRequest != 0) {
    chkLoadTipsAtStartup.SetValue(shown == "YES" ? 1 : 0);
  } else if (shown == "NO") {
    Unload();
    return;
  }
  if (!LoadTips(JoinPath(ProgramFolder(), StartFlags.TipsPath))) {
    Unload();
    return;
  }
  SetTopmost(true);
}

bool OrbexTips::LoadTips(const QString& path) {
  if (StartFlags.TipsPath.isEmpty() || !IsFile(path)) return false;
  currentTip_ = 0;
  tips_.clear();
  VbFile in(path, VbMode::Input);
  if (!in.IsOpen()) return false;
  Label2.setText("1");
  QString line;
  while (in.LineInput(line)) tips_ << line;
  Label4.setText(QString::number(tips_.size()));
  NextTip();
  return true;
}

void OrbexTips::NextTip() {
  ++currentTip_;
  if (tips_.size() < currentTip_) currentTip_ = 1;
  Label2.setText(QString::number(currentTip_));
  DisplayCurrentTip();
}

void OrbexTips::PrevTip() {
  currentTip_ = currentTip_ == 1 ? static_cast<int32_t>(tips_.size()) : currentTip_ - 1;
  Label2.setText(QString::number(currentTip_));
  DisplayCurrentTip();
}

void OrbexTips::DisplayCurrentTip() {
  if (tips_.isEmpty()) return;
  lblTipText.setText(tips_[currentTip_ - 1]);
}

void OrbexTips::chkLoadTipsAtStartup_Click() {
  const QString key = switchKey();
  if (key.isEmpty()) return;
  WriteIni("ORB", key, chkLoadTipsAtStartup.Value() == 1 ? "YES" : "NO");
}
