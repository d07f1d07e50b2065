#pragma once
// Electronic QSL files: the ADIF file uploaded to the eQSL service, the XML file the QSOBank upload
// program sends, and the log viewer's full ADIF export of a page. Windows-31J text with CR LF.
//
//   std::vector<EqslQso> qsos = ...;                       // from HAMLOG, a viewer row or the entry window
//   EqslWriteResult r = WriteEqslFile(path, EqslFormat::EqslAdif, qsos);
//   if (!r.ok) MsgBox(r.failure);                          // nothing was written (an old file stays)
//
// ADIF lengths count the bytes the value takes in the file, so Japanese text reads back whole; FREQ,
// BAND, MODE, SUBMODE and the QSL states take ADIF's values (AdifValues.h). The XML declares its
// encoding and escapes its values.

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

// One QSO as the files need it. Texts are trimmed (the QSL marks are single characters).
struct EqslQso {
  int32_t recNo = 0;  // 0: the QSO shown in the entry window
  QString call;
  QDate date;    // in the zone the time names
  QString time;  // "hh:mm" followed by "J" (JST) or "U" (UTC)
  QString his, my, freq, mode;
  // The full export only.
  QString grid, name, qth, qslVia, qslSent, qslRcvd, remarks1;
};

enum class EqslFormat {
  EqslAdif,    // eQSL upload: call, UTC date and time, frequency, mode, reports, QSL message
  QsoBankXml,  // QSOBank upload: the QSO as logged, its zone kept in the text
  LogAdif,     // the viewer's page export: every field, the operator, the band; no QSL message
};

// The QSL message of a file: the setting, or the format's own default.
QString EqslMessage(EqslFormat format, const QString& setting);

// QSO_DATE (YYYYMMDD) and TIME_ON (HHMM) in UTC; nothing when a JST time is not "hh:mm".
struct UtcStamp {
  QString date, time;
};
std::optional<UtcStamp> EqslUtcStamp(const EqslQso& q);
// "2024-03-01 21:05:00 JST": the time as logged, its zone in words.
QString QsoBankDaytime(const EqslQso& q);
// The QSO the entry window shows, from its boxes: call, date "YYYY-MM-DD", time "hh:mm" + "J"/"U", his
// and my report, frequency, mode. A date that is no date stays invalid, and the writers refuse it.
EqslQso EqslQsoOfEntry(const QString& call, const QString& date, const QString& time, const QString& his,
                       const QString& my, const QString& freq, const QString& mode);

// A QSO from the 19 cells of a log-viewer row (QsoRow.h); the date cell "YYYY-MM-DD". Nothing when the
// date is not a date.
std::optional<EqslQso> EqslQsoOfRow(const QStringList& cells, int32_t recNo);

struct EqslWriteResult {
  bool ok = true;
  int32_t written = 0;      // QSOs in the file
  int32_t failedRecNo = 0;  // the record that stopped it (0: the file, or the entry window's QSO)
  QString failure;          // what the operator is told
  bool nothing = false;      // no QSO to write: no file was made
  QStringList leftOut;       // QSOs whose band or mode ADIF has no value for: those fields left out of
                             // the full export, the QSO itself out of the eQSL file
};
// What the operator is told of the QSOs in `leftOut`.
QString AdifLeftOutText(EqslFormat format, const QStringList& leftOut);

// The whole file as bytes; fails on a QSO whose time cannot be converted. `message` is the QSL
// message (EqslMessage) or, for the full export, the operator's call sign.
EqslWriteResult EqslFileBytes(EqslFormat format, const std::vector<EqslQso>& qsos, const QString& message,
                              QByteArray& bytes);
// Writes the file in one step: a file that could not be written whole is not left behind, and with no
// QSO to write nothing is written (`nothing`, the old file left as it was).
EqslWriteResult WriteEqslFile(const QString& path, EqslFormat format, const std::vector<EqslQso>& qsos,
                              const QString& message);
