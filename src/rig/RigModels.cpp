#include "rig/RigModels.h"

#include <array>

#include "rig/RigPortState.h"

namespace {

using F = RigFamily;
constexpr std::array<RigModelInfo, 11> kModels{{
    // name, family, reply, LSB, USB, CW, entry, status, digits, VFO swap, RIT digits
    {"ICOM", F::CiV, 22, "00", "01", "03", 3, 6, 10, true, 0},
    {"KENWOOD", F::TextCommands, 38, "1", "2", "3", 3, 6, 11, false, 5},
    {"FT767", F::YaesuBinary, 86, "10", "11", "12", 4, 5, 9, false, 0},
    {"FT817", F::YaesuBinary, 5, "00", "01", "02", 4, 5, 9, true, 0},
    {"FT847", F::YaesuBinary, 5, "00", "01", "02", 4, 5, 9, false, 0},
    {"FT900", F::YaesuBinary, 10, "00", "01", "02", 4, 5, 9, false, 0},
    {"FT920", F::YaesuBinary, 28, "00", "01", "02", 4, 5, 9, false, 0},
    {"FT1000MP", F::YaesuBinary, 16, "00", "01", "02", 4, 5, 9, false, 0},
    {"JST-245", F::TextCommands, 13, "1", "2", "7", 4, 5, 8, false, 0},
    {"FT2000", F::TextCommands, 26, "01", "02", "03", 3, 6, 8, true, 4},
    {"FT991", F::TextCommands, 27, "01", "02", "03", 6, 6, 9, true, 4},
}};

// Hz as MHz with `decimals` decimals, rounded half up.
QString mhz(int64_t hz, int decimals) {
  int64_t unit = 1;
  for (int i = decimals; i < 6; ++i) unit *= 10;
  int64_t scale = 1;
  for (int i = 0; i < decimals; ++i) scale *= 10;
  const bool negative = hz < 0;
  const int64_t q = ((negative ? -hz : hz) + unit / 2) / unit;
  QString text = QString::number(q / scale);
  if (decimals > 0) text += '.' + QString::number(q % scale).rightJustified(decimals, u'0');
  return negative ? '-' + text : text;
}

}  // namespace

const RigModelInfo* FindRigModel(const QString& name) {
  for (const RigModelInfo& m : kModels)
    if (name == QLatin1String(m.Name)) return &m;
  return nullptr;
}

QStringList RigModelChoices() {
  QStringList names{"Not Use"};
  for (const RigModelInfo& m : kModels) names << m.Name;
  return names;
}

void RigModelTable() {
  const RigModelInfo* m = FindRigModel(RigPortState.RigModel);
  if (!m) return;
  RigPortState.ReplyLength = m->ReplyLength;
  RigPortState.ModeCodeLsb = m->Lsb;
  RigPortState.ModeCodeUsb = m->Usb;
  RigPortState.ModeCodeCw = m->Cw;
}

QString RigEntryText(int64_t hz, const RigModelInfo& model) { return mhz(hz, model.EntryDecimals); }

QString RigStatusText(int64_t hz, const RigModelInfo& model) {
  QString text = mhz(hz, model.StatusDecimals);
  return text.insert(text.indexOf(u'.') + 4, u'.');
}
