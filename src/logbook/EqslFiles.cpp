#include "logbook/EqslFiles.h"

#include "logbook/AdifValues.h"
#include "platform/codepage.h"
#include "platform/vbfile.h"

namespace {

// ADIF readers take the line without a header as header-less; this text line makes "<EOH>" a header end.
constexpr char kEqslHeader[] = "ORBEX5 eQSL upload";
constexpr char kLogHeader[] = "ORBEX5 log export";

bool isAscii(const QString& text) {
  for (QChar c : text)
    if (c.unicode() >= 0x80) return false;
  return true;
}

// Appends an ASCII text without a temporary copy (the common case of every field but the free texts).
void appendAscii(QByteArray& out, const QString& text) {
  const qsizetype at = out.size();
  out.resize(at + text.size());
  char* d = out.data() + at;
  for (QChar c : text) *d++ = char(c.unicode());
}

void adifField(QByteArray& out, const char* name, const QString& value, const char* type = nullptr) {
  out += '<';
  out += name;
  out += ':';
  if (isAscii(value)) {
    out += QByteArray::number(value.size());
    if (type) out += ':', out += type;
    out += '>';
    appendAscii(out, value);
    return;
  }
  const QByteArray bytes = ToAnsi(value);
  out += QByteArray::number(bytes.size());
  if (type) out += ':', out += type;
  out += '>';
  out += bytes;
}

// A field whose value ADIF may not have: left out when it has none.
void adifValue(QByteArray& out, const char* name, const QString& value) {
  if (!value.isEmpty()) adifField(out, name, value);
}

// Whether a character's Windows-31J bytes read back as the same character in every Shift_JIS reader:
// JIS X 0208's rows (lead bytes 0x81-0x84, 0x88-0x9F, 0xE0-0xEA) less the cells that Windows maps to
// other characters than JIS does (＼ ～ ∥ － ￠ ￡ ￢ ―), and the half-width katakana. The NEC and IBM
// extensions and user-defined characters are Windows-31J's own.
bool sharedWithShiftJis(const QByteArray& b) {
  if (b.size() == 1) return static_cast<unsigned char>(b[0]) >= 0xA1 && static_cast<unsigned char>(b[0]) <= 0xDF;
  if (b.size() != 2) return false;
  const auto lead = static_cast<unsigned char>(b[0]);
  if (!((lead >= 0x81 && lead <= 0x84) || (lead >= 0x88 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xEA))) return false;
  const int code = lead << 8 | static_cast<unsigned char>(b[1]);
  for (int differs : {0x815C, 0x815F, 0x8160, 0x8161, 0x817C, 0x8191, 0x8192, 0x81CA})
    if (code == differs) return false;
  return true;
}

// XML text in the bytes of a file declared Shift_JIS: the markup characters escaped, every character
// that Shift_JIS does not carry the same way for every reader as a numeric character reference ("\"
// and "~" too: Shift_JIS's single bytes read as "¥" and "‾" in some readers). Characters XML 1.0 cannot
// carry at all (controls other than tab, CR, LF) are dropped.
void appendXmlText(QByteArray& out, const QString& text) {
  for (qsizetype i = 0; i < text.size();) {
    const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
    const QString ch = text.mid(i, n);
    const char32_t cp = n == 2 ? QChar::surrogateToUcs4(text[i], text[i + 1]) : text[i].unicode();
    i += n;
    switch (cp) {
      case '&': out += "&amp;"; continue;
      case '<': out += "&lt;"; continue;
      case '>': out += "&gt;"; continue;
      case '"': out += "&quot;"; continue;
      case '\'': out += "&apos;"; continue;
      case '\\':
      case '~': break;
      default:
        if ((cp < 0x20 && cp != '\t' && cp != '\r' && cp != '\n') || cp == 0xFFFE || cp == 0xFFFF) continue;
        if (cp < 0x80) {
          out += char(cp);
          continue;
        }
        if (!QChar::isSurrogate(cp) || n == 2) {
          const QByteArray b = ToAnsi(ch);
          if (sharedWithShiftJis(b) && FromAnsi(b) == ch) {
            out += b;
            continue;
          }
        }
    }
    if (QChar::isSurrogate(cp) && n == 1) continue;  // half a pair is no character
    out += "&#" + QByteArray::number(uint(cp)) + ';';
  }
}

void xmlElement(QByteArray& out, const char* name, const QString& value) {
  out += '<';
  out += name;
  out += '>';
  bool plain = isAscii(value);
  for (QChar c : value)
    if (!plain || c == u'&' || c == u'<' || c == u'>' || c == u'"' || c == u'\'' || c == u'\\' || c == u'~' ||
        c.unicode() < 0x20)
      plain = false;
  if (plain)
    appendAscii(out, value);
  else
    appendXmlText(out, value);
  out += "</";
  out += name;
  out += '>';
}

QString digits(int value, int width) {
  QString out(width, u'0');
  for (int i = width - 1; i >= 0 && value > 0; --i, value /= 10) out[i] = QChar(u'0' + value % 10);
  return out;
}

QString yyyymmdd(const QDate& d) { return digits(d.year(), 4) + digits(d.month(), 2) + digits(d.day(), 2); }

QString whose(const EqslQso& q) {
  return q.recNo > 0 ? QString::fromUtf8("No.%1 (%2)").arg(q.recNo).arg(q.call)
                     : QString::fromUtf8("表示中の交信 (%1)").arg(q.call);
}

// A QSO whose date or time cannot be written: the file is not made.
EqslWriteResult unreadable(EqslWriteResult& r, const EqslQso& q, QByteArray& bytes) {
  r.ok = false;
  r.written = 0;
  r.failedRecNo = q.recNo;
  r.failure = whose(q) + QString::fromUtf8(" の日付か時刻 (%1 %2) が読めません。")
                             .arg(q.date.isValid() ? q.date.toString("yyyy-MM-dd") : QString("?"), q.time);
  bytes.clear();
  return r;
}

}  // namespace

QString AdifLeftOutText(EqslFormat format, const QStringList& leftOut) {
  QStringList lines = leftOut.mid(0, 20);
  if (leftOut.size() > 20) lines << QString::fromUtf8("... (%1 件)").arg(leftOut.size());
  const char* what = format == EqslFormat::LogAdif
                         ? "次の交信はバンドかモードが ADIF にないため、その項目を書いていません"
                           "（どのバンドにもない周波数は FREQ だけで書いています）。\r\n"
                         : "次の交信はバンドかモードが ADIF にないため、ファイルに入れていません"
                           "（eQSL はバンドとモードのない交信を受け付けません）。\r\n";
  return QString::fromUtf8(what) + lines.join("\r\n");
}

QString EqslMessage(EqslFormat format, const QString& setting) {
  if (!setting.isEmpty()) return setting;
  return format == EqslFormat::QsoBankXml ? QStringLiteral("Mny Tks FB QSO and CUL.")
                                          : QStringLiteral("Mny Tks FB QSO & CUL.");
}

std::optional<UtcStamp> EqslUtcStamp(const EqslQso& q) {
  if (!q.date.isValid()) return std::nullopt;
  if (!q.time.contains(u'J')) {
    QString t = q.time;
    t.remove(u':');
    return UtcStamp{yyyymmdd(q.date), t.left(4)};
  }
  bool okH = false, okM = false;
  const int h = q.time.mid(0, 2).toInt(&okH);
  const int m = q.time.mid(3, 2).toInt(&okM);
  if (!okH || !okM || h < 0 || h > 23 || m < 0 || m > 59) return std::nullopt;
  const int u = (h + 24 - 9) % 24;
  return UtcStamp{yyyymmdd(h < 9 ? q.date.addDays(-1) : q.date), digits(u, 2) + digits(m, 2)};
}

QString QsoBankDaytime(const EqslQso& q) {
  QString t = q.time;
  t.replace(u'J', QLatin1String(":00 JST")).replace(u'U', QLatin1String(":00 UTC"));
  return digits(q.date.year(), 4) + '-' + digits(q.date.month(), 2) + '-' + digits(q.date.day(), 2) + ' ' + t;
}

EqslQso EqslQsoOfEntry(const QString& call, const QString& date, const QString& time, const QString& his,
                       const QString& my, const QString& freq, const QString& mode) {
  EqslQso q;
  q.call = call.trimmed();
  q.date = QDate::fromString(date.trimmed(), "yyyy-MM-dd");
  q.time = time.trimmed();
  q.his = his.trimmed();
  q.my = my.trimmed();
  q.freq = freq.trimmed();
  q.mode = mode.trimmed();
  return q;
}

std::optional<EqslQso> EqslQsoOfRow(const QStringList& cells, int32_t recNo) {
  EqslQso q = EqslQsoOfEntry(cells.value(1), cells.value(3), cells.value(4), cells.value(5), cells.value(6),
                             cells.value(7), cells.value(8));
  if (!q.date.isValid()) return std::nullopt;
  q.recNo = recNo;
  q.grid = cells.value(10).trimmed();
  q.name = cells.value(11).trimmed();
  q.qth = cells.value(12).trimmed();
  q.qslVia = cells.value(13).trimmed();
  q.qslSent = cells.value(14).trimmed();
  q.qslRcvd = cells.value(15).trimmed();
  q.remarks1 = cells.value(16).trimmed();
  return q;
}

EqslWriteResult EqslFileBytes(EqslFormat format, const std::vector<EqslQso>& qsos, const QString& message,
                              QByteArray& bytes) {
  EqslWriteResult r;
  bytes.clear();
  bytes.reserve(qsizetype(qsos.size()) * (format == EqslFormat::LogAdif ? 320 : 200) + 128);
  if (format == EqslFormat::QsoBankXml) {
    bytes += "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n<putqsodata_body>\r\n";
    for (const EqslQso& q : qsos) {
      if (!q.date.isValid()) return unreadable(r, q, bytes);
      bytes += "<qso_record>\r\n";
      xmlElement(bytes, "daytime", QsoBankDaytime(q));
      bytes += "\r\n";
      xmlElement(bytes, "callsign", q.call);
      bytes += "\r\n";
      xmlElement(bytes, "frequency", q.freq);
      xmlElement(bytes, "mode", q.mode);
      bytes += "\r\n";
      xmlElement(bytes, "his_rpt", q.his);
      xmlElement(bytes, "my_rpt", q.my);
      bytes += "\r\n";
      xmlElement(bytes, "qsl_remarks", message);
      bytes += "\r\n</qso_record>\r\n";
      ++r.written;
    }
    bytes += "</putqsodata_body>\r\n";
    return r;
  }
  const bool full = format == EqslFormat::LogAdif;
  bytes += full ? kLogHeader : kEqslHeader;
  bytes += "\r\n";
  adifField(bytes, "ADIF_VER", QString::fromLatin1(kAdifVersion));
  bytes += "\r\n<EOH>\r\n";
  QByteArray fixed;  // the element every line ends with (QSL message) or begins with (operator)
  adifField(fixed, full ? "OPERATOR" : "QSLMSG", message);
  for (const EqslQso& q : qsos) {
    const std::optional<UtcStamp> utc = EqslUtcStamp(q);
    if (!utc) return unreadable(r, q, bytes);
    const qsizetype recordStart = bytes.size();
    if (full) bytes += fixed;
    adifField(bytes, "CALL", q.call);
    adifField(bytes, "QSO_DATE", utc->date, "d");
    adifField(bytes, "TIME_ON", utc->time);
    const AdifFreq freq = AdifFrequency(q.freq);
    const AdifMode mode = AdifModeOf(q.mode);
    if (freq.band.isEmpty() || mode.mode.isEmpty()) {
      r.leftOut << whose(q) + QString::fromUtf8(": ") +
                       (freq.band.isEmpty() ? QString::fromUtf8("周波数 \"%1\" ").arg(q.freq) : QString()) +
                       (mode.mode.isEmpty() ? QString::fromUtf8("モード \"%1\"").arg(q.mode) : QString());
      // eQSL takes no QSO without its band and mode: such a QSO stays out of the upload.
      if (!full) {
        bytes.truncate(recordStart);
        continue;
      }
    }
    adifValue(bytes, "FREQ", freq.mhz);
    adifValue(bytes, "BAND", freq.band);
    adifValue(bytes, "MODE", mode.mode);
    adifValue(bytes, "SUBMODE", mode.submode);
    adifField(bytes, "RST_SENT", q.his);
    adifField(bytes, "RST_RCVD", q.my);
    if (full) {
      adifField(bytes, "QTH", q.qth);
      adifField(bytes, "NAME", q.name);
      adifField(bytes, "GRIDSQUARE", q.grid);
      adifField(bytes, "QSL_VIA", q.qslVia);
      adifField(bytes, "QSL_SENT", AdifQslStatus(q.qslSent));
      adifField(bytes, "QSL_RCVD", AdifQslStatus(q.qslRcvd));
      adifField(bytes, "COMMENT", q.remarks1);
    } else {
      bytes += fixed;
    }
    bytes += "<eor>\r\n";
    ++r.written;
  }
  return r;
}

EqslWriteResult WriteEqslFile(const QString& path, EqslFormat format, const std::vector<EqslQso>& qsos,
                              const QString& message) {
  QByteArray bytes;
  EqslWriteResult r = EqslFileBytes(format, qsos, message, bytes);
  if (!r.ok) return r;
  // A file without a QSO is no upload: nothing is written (an old file stays) and nothing started.
  if (r.written == 0) {
    r.ok = false;
    r.nothing = true;
    r.failure = QString::fromUtf8("書き出す交信がありません。ファイルは作成していません。");
    if (!r.leftOut.isEmpty()) r.failure = AdifLeftOutText(format, r.leftOut) + "\r\n" + r.failure;
    return r;
  }
  if (!AtomicWriteFile(path, bytes)) {
    r.ok = false;
    r.failure = path + QString::fromUtf8(" に書き込めませんでした。");
  }
  return r;
}
