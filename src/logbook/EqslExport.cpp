#include "logbook/EqslExport.h"

#include "core/HamlogAccess.h"
#include "core/SharedSettings.h"
#include "platform/vbdate.h"

EqslState Eqsl;

void ClearEqslMarks() {
  Eqsl.EqslStartMark = 0;
  Eqsl.EqslEndMark = 0;
}

QString SetEqslStartMark(int32_t shownRecNo) {
  Eqsl.EqslStartMark = shownRecNo;
  if (Eqsl.EqslEndMark > 0) {
    if (Eqsl.EqslStartMark > Eqsl.EqslEndMark) std::swap(Eqsl.EqslStartMark, Eqsl.EqslEndMark);
    return QString("e-QSL No=%1 to %2").arg(Eqsl.EqslStartMark).arg(Eqsl.EqslEndMark);
  }
  return QString("e-QSL No=%1").arg(Eqsl.EqslStartMark);
}

QString SetEqslEndMark(int32_t shownRecNo) {
  Eqsl.EqslEndMark = shownRecNo;
  if (Eqsl.EqslEndMark >= 1 && Eqsl.EqslStartMark > Eqsl.EqslEndMark) std::swap(Eqsl.EqslStartMark, Eqsl.EqslEndMark);
  if (Eqsl.EqslStartMark == 0) Eqsl.EqslStartMark = Eqsl.EqslEndMark;
  return QString("e-QSL No=%1 to %2").arg(Eqsl.EqslStartMark).arg(Eqsl.EqslEndMark);
}

void NormaliseEqslMarks() {
  if (Eqsl.EqslEndMark > 0 && Eqsl.EqslStartMark > Eqsl.EqslEndMark) std::swap(Eqsl.EqslStartMark, Eqsl.EqslEndMark);
  if (Eqsl.EqslEndMark == 0) Eqsl.EqslEndMark = Eqsl.EqslStartMark;
}

namespace {

QString trimmedField(QString& buffer, int field) {
  if (ThwString(buffer, Hamlog.Thw, field) != 0) return QString();
  buffer.remove(QChar(0));
  return buffer.trimmed();
}

// HAMLOG keeps "YY/MM/DD"; the runtime's two-digit-year window widens it.
QDate storedDate(const QString& raw) {
  if (raw.size() == 8 && raw[2] == u'/' && raw[5] == u'/') {
    bool y = false, m = false, d = false;
    const int yy = raw.mid(0, 2).toInt(&y), mm = raw.mid(3, 2).toInt(&m), dd = raw.mid(6, 2).toInt(&d);
    if (y && m && d) return QDate(VbCentury(yy), mm, dd);
  }
  return VbDateValue(raw).value_or(QDate());
}

}  // namespace

EqslExportResult ReadEqslRecords(int32_t first, int32_t last, const QString& skipMark, std::vector<EqslQso>& qsos) {
  EqslExportResult r;
  qsos.reserve(qsos.size() + size_t(std::max(0, last - first + 1)));
  QString buffer;
  for (int32_t n = first; n <= last; ++n) {
    Eqsl.EqslCurrentRecNo = n;
    const int32_t read = THW_read(Hamlog.Thw, n, 3);
    Hamlog.LastResult = read;
    if (read == HAMLOG_DELETED || read == HAMLOG_NO_RECORD) {
      r.skipped.push_back(n);
      continue;
    }
    if (read != 0) {
      r.ok = false;
      r.failedRecNo = n;
      r.failure = QString::fromUtf8("No.%1 のデータが読めませんでした。").arg(n);
      return r;
    }
    if (ThwString(buffer, Hamlog.Thw, 10) != 0) buffer.clear();
    buffer.remove(QChar(0));
    if (buffer.left(1) == skipMark) {
      ++r.withEqslMark;
      continue;
    }
    EqslQso q;
    q.recNo = n;
    q.call = trimmedField(buffer, 0);
    const QString date = trimmedField(buffer, 2);
    q.date = storedDate(date);
    if (!q.date.isValid()) {
      r.ok = false;
      r.failedRecNo = n;
      r.failure = QString::fromUtf8("No.%1 (%2) の日付 (%3) が読めません。").arg(n).arg(q.call, date);
      return r;
    }
    q.time = trimmedField(buffer, 3);
    q.his = trimmedField(buffer, 4);
    q.my = trimmedField(buffer, 5);
    q.freq = trimmedField(buffer, 6);
    q.mode = trimmedField(buffer, 7);
    qsos.push_back(std::move(q));
  }
  return r;
}

EqslExportResult ExportEqslRecords(EqslFormat format, const QString& path, const EqslQso& shown,
                                   int32_t shownRecNo) {
  const QString message = EqslMessage(format, Settings.EqslMesg);
  EqslExportResult r;
  std::vector<EqslQso> qsos;
  const bool single = Eqsl.EqslStartMark < 1;
  if (single)
    Eqsl.EqslStartMark = Eqsl.EqslEndMark = Eqsl.EqslCurrentRecNo = shownRecNo;
  else
    NormaliseEqslMarks();
  SetQsoOrMaster(1);
  HamlogCloseDb(0);
  Hamlog.LastResult = HamlogOpenDb();
  if (Hamlog.LastResult != 0) {
    HamlogCloseDb(0);
    r.ok = false;
    r.failure = HamlogOpenFailureText();
    return r;
  }
  if (single) {
    // The QSO on the screen goes out only once HAMLOG holds it: one never saved writes nothing, on the
    // first press as on every later one, which reads its record through the marks left here.
    r = ReadEqslRecords(shownRecNo, shownRecNo, QString(), qsos);
    if (r.ok && r.skipped.empty()) qsos = {shown};
  } else {
    r = ReadEqslRecords(Eqsl.EqslStartMark, Eqsl.EqslEndMark, Settings.EqslMark, qsos);
  }
  HamlogCloseDb(0);
  if (!r.ok) return r;
  static_cast<EqslWriteResult&>(r) = WriteEqslFile(path, format, qsos, message);
  if (r.nothing) {
    // Say why the run holds no QSO: records never saved or deleted, all sent already, or none eQSL takes.
    QStringList why;
    if (!r.skipped.empty())
      why << QString::fromUtf8("%1 件は HAMLOG にありません（保存されていないか削除されています）。").arg(r.skipped.size());
    if (r.withEqslMark > 0)
      why << QString::fromUtf8("%1 件は電子QSLのマーク「%2」があるため除いています。").arg(r.withEqslMark).arg(Settings.EqslMark);
    if (!r.leftOut.isEmpty()) why << AdifLeftOutText(format, r.leftOut);
    r.failure = QString::fromUtf8("書き出す交信がありません (No.%1 ～ No.%2)。").arg(Eqsl.EqslStartMark).arg(Eqsl.EqslEndMark) +
                (why.isEmpty() ? QString() : "\r\n" + why.join("\r\n")) + "\r\n" +
                QString::fromUtf8("ファイルは作成していません。");
  }
  return r;
}
