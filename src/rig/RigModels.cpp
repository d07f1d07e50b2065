#include "rig/RigModels.h"

#include <array>

#include "rig/RigPortState.h"

namespace {

using F = RigFamily;
constexpr int64_t k = 1'000, M = 1'000'000;
constexpr std::array<RigModelInfo, 11> kModels{{
    // name, family, answer, LSB, USB, CW, entry, status, digits, VFO swap, RIT digits, ranges.
    // ICOM: the HF, VHF/UHF and microwave models (IC-7300, IC-705, IC-9700, IC-905, ...).
    // Twelve digits: CI-V carries a sixth byte of frequency (10 and 100 GHz) for the 10 GHz band.
    {"ICOM", F::CiV, 22, "00", "01", "03", 3, 6, 12, true, 0,
     {{{30 * k, 200 * M}, {400 * M, 470 * M}, {1240 * M, 1300 * M}, {2400 * M, 2450 * M}, {5650 * M, 5850 * M},
       {10'000 * M, 10'500 * M}}}},
    // KENWOOD: the TS-2000 family (TS-590, TS-990, TS-480: HF and 50 MHz).
    {"KENWOOD", F::TextCommands, 38, "1", "2", "3", 3, 6, 11, false, 5,
     {{{30 * k, 60 * M}, {142 * M, 152 * M}, {420 * M, 450 * M}, {1240 * M, 1300 * M}}}},
    // With its 50, 144 and 430 MHz modules.
    {"FT767", F::YaesuBinary, 86, "10", "11", "12", 4, 5, 9, false, 0,
     {{{100 * k, 30 * M}, {50 * M, 54 * M}, {144 * M, 148 * M}, {430 * M, 440 * M}}}},
    {"FT817", F::YaesuBinary, 5, "00", "01", "02", 4, 5, 9, true, 0,
     {{{100 * k, 56 * M}, {76 * M, 154 * M}, {420 * M, 470 * M}}}},
    {"FT847", F::YaesuBinary, 5, "00", "01", "02", 4, 5, 9, false, 0,
     {{{100 * k, 30 * M}, {36 * M, 76 * M}, {108 * M, 174 * M}, {420 * M, 512 * M}}}},
    // Its 19-byte operating data record.
    {"FT900", F::YaesuBinary, 19, "00", "01", "02", 4, 5, 9, false, 0, {{{100 * k, 30 * M}}}},
    {"FT920", F::YaesuBinary, 28, "00", "01", "02", 4, 5, 9, false, 0, {{{100 * k, 30 * M}, {48 * M, 56 * M}}}},
    {"FT1000MP", F::YaesuBinary, 16, "00", "01", "02", 4, 5, 9, false, 0, {{{100 * k, 30 * M}}}},
    {"JST-245", F::TextCommands, 13, "1", "2", "7", 4, 5, 8, false, 0, {{{100 * k, 30 * M}, {48 * M, 54 * M}}}},
    // IF answers: "IF", memory channel, frequency, clarifier (sign, 4 digits), 8 status characters, ";".
    {"FT2000", F::TextCommands, 27, "01", "02", "03", 3, 6, 8, true, 4, {{{30 * k, 60 * M}}}},
    {"FT991", F::TextCommands, 28, "01", "02", "03", 6, 6, 9, true, 4,
     {{{30 * k, 56 * M}, {118 * M, 164 * M}, {420 * M, 470 * M}}}},
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

bool RigInRange(int64_t hz, const RigModelInfo& model) {
  for (const RigRange& r : model.Ranges)
    if (r.High > 0 && hz >= r.Low && hz <= r.High) return true;
  return false;
}

QString RigModelWithAnswerLength(const RigModelInfo& model, qsizetype length) {
  for (const RigModelInfo& m : kModels)
    if (m.Family == model.Family && m.ReplyLength != model.ReplyLength && m.ReplyLength == length) return m.Name;
  return {};
}

QString RigRangeText(const RigModelInfo& model) {
  QStringList parts;
  for (const RigRange& r : model.Ranges)
    if (r.High > 0) parts << QString::number(double(r.Low) / M) + "-" + QString::number(double(r.High) / M);
  return parts.join(", ") + " MHz";
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
