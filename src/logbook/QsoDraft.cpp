#include "logbook/QsoDraft.h"

#include <QStringList>

namespace {

constexpr QsoBox kCarried[] = {QsoBox::Code, QsoBox::Qth,      QsoBox::Grid,
                               QsoBox::Name, QsoBox::Remarks1, QsoBox::DFlag};

// The station's details: what a look-up may fill and what belongs to one call.
bool isDetail(QsoBox box) {
  switch (box) {
    case QsoBox::Code:
    case QsoBox::Grid:
    case QsoBox::Name:
    case QsoBox::Qth:
    case QsoBox::Remarks1:
    case QsoBox::Remarks2:
    case QsoBox::DFlag:
      return true;
    default:
      return false;
  }
}

bool isLetter(QChar c) { return c >= QLatin1Char('A') && c <= QLatin1Char('Z'); }
bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// A call: a prefix, a digit and a suffix ending in a letter ("JA1ABC", "4X1AB"); not a prefix ("KH6"),
// an area digit or a suffix ("P", "QRP").
bool isCall(const QString& part) {
  if (part.size() < 3 || !isLetter(part.back())) return false;
  for (qsizetype i = 1; i + 1 < part.size(); ++i)
    if (isDigit(part[i])) return true;
  return false;
}

// A QSO's fields box by box ("1" for a ticked D).
QString* textOf(QsoEntry& e, QsoBox box) {
  QString* const fields[] = {&e.call, &e.date, &e.time,     &e.hisRst,  &e.myRst,   &e.freq,
                             &e.mode, &e.code, &e.grid,     &e.qslVia,  &e.qslSent, &e.qslRcvd,
                             &e.name, &e.qth,  &e.remarks1, &e.remarks2};
  return box == QsoBox::DFlag ? nullptr : fields[int(box)];
}

QString EntryText(QsoEntry e, QsoBox box) {
  const QString* t = textOf(e, box);
  return t ? *t : e.dFlag ? QStringLiteral("1") : QString();
}

void SetEntryText(QsoEntry& e, QsoBox box, const QString& text) {
  if (QString* t = textOf(e, box))
    *t = text;
  else
    e.dFlag = text == QLatin1String("1");
}

}  // namespace

QString BaseCall(const QString& call) {
  const QStringList parts = call.trimmed().toUpper().split(QLatin1Char('/'));
  for (const QString& p : parts)
    if (isCall(p)) return p;
  return parts.front();
}

void QsoDraft::put(QsoBox box, const QString& text, Origin origin) {
  cell(box) = {text, origin};
  if (box == QsoBox::Time && (text.endsWith(QLatin1Char('J')) || text.endsWith(QLatin1Char('U'))))
    zone_ = text.back();
}

void QsoDraft::StartNew(const QsoEntry& defaults, bool keepLookedUp) {
  const auto before = cells_;
  for (int b = 0; b < kQsoBoxCount; ++b) put(QsoBox(b), EntryText(defaults, QsoBox(b)), Origin::Default);
  if (saved_)
    for (QsoBox b : kCarried)
      if (const QString v = EntryText(*saved_, b); !v.isEmpty()) put(b, v, Origin::Carried);
  if (keepLookedUp)
    for (int b = 0; b < kQsoBoxCount; ++b)
      if (before[size_t(b)].origin == Origin::LookedUp && QsoBox(b) != QsoBox::Call)
        put(QsoBox(b), before[size_t(b)].text, Origin::LookedUp);
  lookedUpFor_.clear();
  callDone_ = true;
  stored_.reset();
}

void QsoDraft::EditStored(const QsoEntry& stored) {
  for (int b = 0; b < kQsoBoxCount; ++b) put(QsoBox(b), EntryText(stored, QsoBox(b)), Origin::Stored);
  stored_ = Entry();
  lookedUpFor_ = stored.call.trimmed();
  callDone_ = true;
}

void QsoDraft::Saved(const QsoEntry& stored) {
  saved_ = stored;
  EditStored(stored);
}

void QsoDraft::ForgetSaved() { saved_.reset(); }

void QsoDraft::Type(QsoBox box, const QString& text) {
  put(box, text, Origin::Typed);
  if (box == QsoBox::Call) callDone_ = false;
  if (box == QsoBox::Code) followCode(text, Origin::Typed, true);
}

void QsoDraft::followCode(const QString& code, Origin origin, bool overTyped) {
  // A code of a DX entity ticks D, a Japanese one clears it; a D the operator ticked stays for a find.
  const std::optional<bool> dx = DxFlagOfCode(code);
  if (dx && (overTyped || cell(QsoBox::DFlag).origin != Origin::Typed))
    put(QsoBox::DFlag, *dx ? QStringLiteral("1") : QString(), origin);
}

bool QsoDraft::LookUp(QsoBox box, const QString& text) {
  const Cell& c = cell(box);
  if (isDetail(box)) {
    // What the operator typed stays; what came with the QSO is replaced, never emptied.
    const bool fills = c.origin == Origin::Default || c.origin == Origin::LookedUp ||
                       (c.origin != Origin::Typed && !text.isEmpty());
    if (!fills) return text == Text(box);
  }
  put(box, text, Origin::LookedUp);
  if (box == QsoBox::Code) followCode(text, Origin::LookedUp, false);
  return true;
}

void QsoDraft::Choose(QsoBox box, const QString& text) {
  put(box, text, Origin::LookedUp);
  if (box == QsoBox::Code) followCode(text, Origin::LookedUp, true);
}

void QsoDraft::LookUpFor(const QString& call) {
  const QString c = call.trimmed();
  if (!lookedUpFor_.isEmpty() && c != lookedUpFor_)
    for (int b = 0; b < kQsoBoxCount; ++b)
      if (isDetail(QsoBox(b)) && cells_[size_t(b)].origin == Origin::LookedUp)
        put(QsoBox(b), QString(), Origin::Default);
  lookedUpFor_ = c;
  callDone_ = true;
}

void QsoDraft::CallDone() { callDone_ = true; }

bool QsoDraft::carriedStored() const {
  return saved_ && BaseCall(cell(QsoBox::Call).text) == BaseCall(saved_->call);
}

bool QsoDraft::carriedShown() const {
  if (!saved_) return false;
  const QString call = cell(QsoBox::Call).text.trimmed();
  return call.isEmpty() || carriedStored() ||
         (!callDone_ && BaseCall(saved_->call).startsWith(BaseCall(call)));
}

QString QsoDraft::Text(QsoBox box) const {
  const Cell& c = cell(box);
  return c.origin == Origin::Carried && !carriedShown() ? QString() : c.text;
}

QsoEntry QsoDraft::Entry() const {
  QsoEntry e;
  const bool carried = carriedStored();
  for (int b = 0; b < kQsoBoxCount; ++b) {
    const Cell& c = cells_[size_t(b)];
    SetEntryText(e, QsoBox(b), c.origin == Origin::Carried && !carried ? QString() : c.text);
  }
  return e;
}
