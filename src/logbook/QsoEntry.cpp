#include "logbook/QsoEntry.h"

#include <QStringList>

#include "core/QsoFields.h"
#include "core/QsoRules.h"
#include "logbook/QsoLists.h"
#include "lookup/DateCheck.h"
#include "platform/codepage.h"
#include "platform/vbdate.h"

namespace {

QString u8(const char* s) { return QString::fromUtf8(s); }

bool allDigits(QStringView s) {
  if (s.isEmpty()) return false;
  for (QChar c : s)
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
  return true;
}

// Prefecture numbers of each call area.
bool prefectureInArea(int32_t prefecture, QChar area) {
  struct Row {
    char area;
    int from, to;
  };
  static constexpr Row rows[] = {{'1', 10, 17}, {'2', 18, 21}, {'3', 22, 27}, {'4', 31, 35}, {'5', 36, 39},
                                 {'6', 40, 47}, {'7', 2, 7},   {'8', 1, 1},   {'9', 28, 30}, {'0', 8, 9}};
  for (const Row& r : rows)
    if (area == QLatin1Char(r.area)) return prefecture >= r.from && prefecture <= r.to;
  return true;  // a letter: not tested
}

// A number of MHz or GHz: digits with at most one dot.
bool isNumber(QStringView part) {
  int digits = 0, dots = 0;
  for (QChar c : part) {
    if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
      ++digits;
    else if (c != QLatin1Char('.') || ++dots > 1)
      return false;
  }
  return digits > 0;
}

}  // namespace

QString EntryCheckMessage(EntryCheck check) {
  switch (check) {
    case EntryCheck::NoCall: return u8("CALL DATA がありません");
    case EntryCheck::NoFreq: return u8("Band DATA がありません");
    case EntryCheck::BadFreq: return u8("この周波数は正常ではありません");
    case EntryCheck::NoMode: return u8("Mode データがありません");
    case EntryCheck::BadCode: return u8("Code欄の値が変です");
    case EntryCheck::BadDate: return u8("不正な日付です");
    case EntryCheck::BadTime: return u8("不正な時刻です");
    case EntryCheck::Ok: break;
  }
  return {};
}

EntryCheck CheckEntry(const QsoEntry& e) {
  if (e.call.isEmpty()) return EntryCheck::NoCall;
  const std::optional<QString> freq = StoredFreq(e.freq);
  if (!freq) return EntryCheck::NoFreq;
  Qso.QsoFreq = *freq;
  QsoRules.FreqErrorFound = 0;
  FreqToBand();
  if (QsoRules.FreqErrorFound == 1) return EntryCheck::BadFreq;
  if (e.mode.isEmpty()) return EntryCheck::NoMode;
  if (!e.code.isEmpty() && !(e.code[0] >= QLatin1Char('0') && e.code[0] <= QLatin1Char('9'))) return EntryCheck::BadCode;
  // A date or time that would go into HAMLOG malformed is refused here as well as where it is typed.
  if (NormalisedDate(e.date) != e.date) return EntryCheck::BadDate;
  if (NormalisedTime(e.time) != e.time) return EntryCheck::BadTime;
  return EntryCheck::Ok;
}

AreaCheck CheckCallArea(const QString& callText, const QString& code) {
  AreaCheck out;
  QString call = callText.trimmed();
  call.remove(QLatin1String("/QRP"));
  if (!IsJapaneseCall(call) || code.trimmed().size() < 4) return out;
  if (!allDigits(QStringView(code).left(2))) {
    out.unformable = true;
    return out;
  }
  out.prefecture = code.left(2).toInt();
  if (call.contains('/'))
    out.area = call.right(1);
  else if (QStringList{"7K", "7L", "7M", "7N"}.contains(call.left(2)))
    out.area = "1";
  else
    out.area = call.mid(2, 1);
  if (out.area.size() == 1 && out.area[0].isDigit() && out.area[0].unicode() < 128)
    out.mismatch = !prefectureInArea(out.prefecture, out.area[0]);
  return out;
}

QString AreaMismatchQuestion(const AreaCheck& a) {
  return "QTHcode =" + QString::number(a.prefecture) + u8(" と、局の（移動）エリア=") + a.area + u8(" が一致しません") +
         "\r\n" + u8("このまま登録しますか？");
}

QString DateText(const QDate& d) { return d.toString(QStringLiteral("yyyy-MM-dd")); }

QString TimeText(const QTime& t, QChar zone) { return t.toString(QStringLiteral("HH:mm")) + zone; }

std::optional<QString> NormalisedDate(const QString& text) {
  const QString t = text.trimmed();
  int y = 0, m = 0, d = 0;
  if (t.size() == 10 && (t[4] == '-' || t[4] == '/') && t[7] == t[4] && allDigits(QStringView(t).left(4)) &&
      allDigits(QStringView(t).mid(5, 2)) && allDigits(QStringView(t).mid(8, 2))) {
    y = t.left(4).toInt(), m = t.mid(5, 2).toInt(), d = t.mid(8, 2).toInt();
  } else if (t.size() == 8 && CheckDateText(t)) {  // the compact forms: the one date check of the lookups
    y = t.left(4).toInt(), m = t.mid(4, 2).toInt(), d = t.mid(6, 2).toInt();
  } else if (t.size() == 6 && CheckDateText(t)) {
    y = VbCentury(t.left(2).toInt()), m = t.mid(2, 2).toInt(), d = t.mid(4, 2).toInt();
  } else {
    return std::nullopt;
  }
  const QDate date(y, m, d);
  // HAMLOG keeps a two-digit year: only the years its century window reads back are stored.
  if (!date.isValid() || y < 1930 || y > 2029) return std::nullopt;
  return DateText(date);
}

std::optional<QString> NormalisedTime(const QString& text, QChar defaultZone) {
  QString t = text.trimmed();
  QChar zone = defaultZone;
  if (t.endsWith('J') || t.endsWith('U')) {
    zone = t.back();
    t.chop(1);
  }
  if (t.size() == 4 && allDigits(t)) t.insert(2, ':');
  if (t.size() != 5 || t[2] != ':' || !allDigits(QStringView(t).left(2)) || !allDigits(QStringView(t).mid(3, 2)))
    return std::nullopt;
  const QTime time(t.left(2).toInt(), t.mid(3, 2).toInt());
  if (!time.isValid()) return std::nullopt;
  return TimeText(time, zone);
}

std::optional<QString> TypedDate(const QString& text, const QString& typedDigits) {
  if ((typedDigits.size() == 6 || typedDigits.size() == 8) && allDigits(typedDigits))
    if (const auto d = NormalisedDate(typedDigits)) return d;
  return NormalisedDate(text);
}

std::optional<QString> TypedTime(const QString& text, const QString& typedDigits, QChar zone) {
  if (typedDigits.size() == 4 && allDigits(typedDigits))
    if (const auto t = NormalisedTime(typedDigits, zone)) return t;
  return NormalisedTime(text, zone);
}

QString HamlogDateText(const QString& date) { return date.right(8).replace('-', '/'); }

QString EntryDateText(const QString& hamlogDate) {
  const auto d = VbDateValue(hamlogDate);
  return d ? DateText(*d) : hamlogDate;
}

std::optional<std::pair<QString, QString>> SwitchZone(const QString& date, const QString& time) {
  const QDate d = QDate::fromString(date, QStringLiteral("yyyy-MM-dd"));
  const QTime t = QTime::fromString(time.left(5), QStringLiteral("HH:mm"));
  if (!d.isValid() || !t.isValid()) return std::nullopt;
  const QDateTime at(d, t);
  if (time.contains('J')) {
    const QDateTime utc = at.addSecs(-9 * 3600);
    return std::pair{DateText(utc.date()), TimeText(utc.time(), 'U')};
  }
  const QDateTime jst = at.addSecs(9 * 3600);
  return std::pair{DateText(jst.date()), TimeText(jst.time(), 'J')};
}

CallArea CallAreaOf(const QString& call) {
  SplitCallSign(call.trimmed());
  const QString part = QsoRules.CallAffix.isEmpty() ? QsoRules.CallBase : QsoRules.CallAffix;
  CallArea out;
  for (char digit = '0'; digit <= '9' && out.pos == 0; ++digit) out.pos = int32_t(part.lastIndexOf(QLatin1Char(digit))) + 1;
  if (out.pos == 0)
    out.digit = u8("全");
  else if (part.size() >= 2 && QStringList{"7K", "7L", "7M", "7N"}.contains(part.left(2)))
    out.digit = "1";
  else
    out.digit = part.mid(out.pos - 1, 1);
  return out;
}

std::optional<bool> DxFlagOfCode(const QString& code) {
  const QString head = code.left(3);
  if (!allDigits(head)) return std::nullopt;
  return head.toInt() >= 500;
}

QString FreqOfPick(const QString& item) {
  if (!item.contains('G')) return item;
  return '*' + QString(item).remove('G');
}

std::optional<QString> StoredFreq(const QString& text) {
  const QString t = text.trimmed();
  if (t.contains(QLatin1Char('/'))) {
    for (QStringView part : QStringView(t).split(u'/'))
      if (!isNumber(part)) return std::nullopt;
    return t;
  }
  // GHz: "*10" as the pick list gives it, or "10G" typed. Below 10 GHz HAMLOG keeps MHz.
  QStringView ghz = QStringView(t);
  const bool star = ghz.startsWith(u'*');
  const bool g = ghz.endsWith(u'G');
  if (!star && !g) return isNumber(ghz) ? std::optional<QString>(t) : std::nullopt;
  if (star) ghz = ghz.mid(1);
  if (g) ghz.chop(1);
  if (!isNumber(ghz) || ghz.toDouble() < 10) return std::nullopt;
  return '*' + ghz.toString();
}

QString UnstorableFields(const QsoEntry& e) {
  const std::pair<const char*, const QString*> fields[] = {
      {"Callsign", &e.call}, {"His", &e.hisRst},      {"mY", &e.myRst},         {"Fmhz", &e.freq},
      {"Mode", &e.mode},     {"codE", &e.code},       {"Gl", &e.grid},          {"Name", &e.name},
      {"Qth", &e.qth},       {"qsL", &e.qslVia},      {"qsL s", &e.qslSent},    {"qsL r", &e.qslRcvd},
      {"Remk1", &e.remarks1}, {"remK2", &e.remarks2}};
  QStringList lines;
  for (const auto& [name, text] : fields) {
    const QString bad = NonAnsiCharacters(*text);
    const bool mark = text == &e.qslVia || text == &e.qslSent || text == &e.qslRcvd;
    if (!bad.isEmpty())
      lines << QString::fromUtf8(name) + ": " + bad;
    else if (mark && AnsiLen(*text) > 1)  // HAMLOG keeps a QSL mark in one byte: "あ" would be a blank
      lines << QString::fromUtf8(name) + ": " + *text + QStringLiteral(" (QSL の印は半角１文字です)");
  }
  return lines.join("\r\n");
}
