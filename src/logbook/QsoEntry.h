#pragma once
// The QSO the entry window holds, and the checks it passes before it is written into HAMLOG: the
// save's checks in their order, the call area against the code's prefecture, the date and time forms
// (compact forms become HAMLOG's normal ones, impossible dates and times are refused), the JST/UTC
// switch, the call-area digit of the code searches and the frequency pick list's texts.
//
//   QsoEntry e = ...;                       // the window's fields
//   if (EntryCheck c = CheckEntry(e); c != EntryCheck::Ok) { MsgBox(EntryCheckMessage(c)); return; }
//   AreaCheck a = CheckCallArea(e.call, e.code);   // ask when a.mismatch

#include <QDate>
#include <QString>
#include <QTime>
#include <cstdint>
#include <optional>

struct QsoEntry {
  QString call;      // Text1
  QString date;      // Text3, "YYYY-MM-DD"
  QString time;      // Text4, "HH:MMJ" or "HH:MMU"
  QString hisRst;    // Text5
  QString myRst;     // Text6
  QString freq;      // Text8, MHz as typed
  QString mode;      // Label17
  QString code;      // Text9
  QString grid;      // Text10
  QString qslVia;    // Text11
  QString qslSent;   // Text16
  QString qslRcvd;   // Text17
  QString name;      // Text12
  QString qth;       // Text13
  QString remarks1;  // Text14
  QString remarks2;  // Text15
  bool dFlag = false;  // Check1: the "D" flag of the QSL flag code
  bool operator==(const QsoEntry&) const = default;
};

// The save's checks, in the order it makes them; the first that fails stops the save.
enum class EntryCheck { Ok, NoCall, NoFreq, BadFreq, NoMode, BadCode, BadDate, BadTime };
QString EntryCheckMessage(EntryCheck check);
// Call, frequency (missing or no number; its band through FreqToBand, which reports a frequency that fits none), mode, code,
// then the date and the time as they would be stored.
EntryCheck CheckEntry(const QsoEntry& entry);

struct AreaCheck {
  bool mismatch = false;    // ask before saving
  bool unformable = false;  // a Japanese call with a code whose prefecture is no number: not saved
  QString area;             // the call's area digit
  int32_t prefecture = 0;
};
// Japanese calls with a code of 4 characters or more: does the code's prefecture lie in the call's
// area? "/QRP" is dropped first; a call with "/" takes the area from its last character.
AreaCheck CheckCallArea(const QString& call, const QString& code);
// "QTHcode =10 と、局の（移動）エリア=3 が一致しません" CR LF "このまま登録しますか？"
QString AreaMismatchQuestion(const AreaCheck& check);

// "YYYY-MM-DD", "YYYY/MM/DD", "YYYYMMDD" and "YYMMDD" of a real calendar day -> "YYYY-MM-DD";
// nothing for any other text.
std::optional<QString> NormalisedDate(const QString& text);
// "HH:MM" or "HHMM" of a real time, followed by "J", "U" or nothing (then `defaultZone`) ->
// "HH:MMJ" / "HH:MMU"; nothing for any other text.
std::optional<QString> NormalisedTime(const QString& text, QChar defaultZone = QLatin1Char('J'));
// What a date or time box holds once left: the digits typed in a row since it was reached when they
// make a whole date (six or eight of them) or time (four), else its text, in the forms above.
std::optional<QString> TypedDate(const QString& text, const QString& typedDigits);
std::optional<QString> TypedTime(const QString& text, const QString& typedDigits, QChar zone);
// HAMLOG's date field: "2024-05-06" -> "24/05/06".
QString HamlogDateText(const QString& date);
// HAMLOG's "YY/MM/DD" -> "YYYY-MM-DD" (the text as stored when it is no date).
QString EntryDateText(const QString& hamlogDate);

QString DateText(const QDate& d);                   // "YYYY-MM-DD"
QString TimeText(const QTime& t, QChar zone);       // "HH:MM" + zone
// A stored QSO's date and time in the other zone (JST = UTC + 9): "2024-01-01", "23:30U" ->
// "2024-01-02", "08:30J". Nothing when the date or time is no valid one.
std::optional<std::pair<QString, QString>> SwitchZone(const QString& date, const QString& time);

// The call's area digit for the code searches: the smallest digit of the portable part (or of the
// call), "1" for 7K..7N calls, "全" (pos 0) when the call has no digit.
struct CallArea {
  QString digit;
  int32_t pos = 0;  // 1-based position of the digit; 0 = none
};
CallArea CallAreaOf(const QString& call);

// "8" ticked (DX, first three characters a number of 500 or more), "0" cleared, nothing when the code
// does not begin with a number.
std::optional<bool> DxFlagOfCode(const QString& code);

// The frequency pick list's item as the frequency field takes it: "10G" -> "*10".
QString FreqOfPick(const QString& item);
// A typed frequency as HAMLOG keeps it: MHz ("7.025"), a satellite's two links ("145/435"), a band
// from 10 GHz up after a "*" ("*10", also typed "10G"). Nothing for any other text, GHz below 10 too.
std::optional<QString> StoredFreq(const QString& text);

// HAMLOG stores Windows-31J only. The fields holding characters it cannot store, each by the name the
// window gives it with those characters ("Name: 𠮷"), and a QSL mark of more than its one byte, one a
// line; "" when every field can be stored.
QString UnstorableFields(const QsoEntry& entry);
