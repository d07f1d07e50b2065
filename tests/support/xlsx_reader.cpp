#include "support/xlsx_reader.h"

#include <QProcess>
#include <QXmlStreamReader>

#include "support/waits.h"

namespace {

QByteArray Unzip(const QString& path, const QString& member, bool& ok) {
  QProcess p;
  p.start(QStringLiteral("unzip"), {QStringLiteral("-p"), path, member});
  if (!p.waitForFinished(kEventCapMs) || p.exitCode() != 0) {
    ok = false;
    return {};
  }
  return p.readAllStandardOutput();
}

QStringList SharedStrings(const QByteArray& xml) {
  QStringList out;
  QXmlStreamReader r(xml);
  QString current;
  bool inSi = false;
  while (!r.atEnd()) {
    r.readNext();
    if (r.isStartElement() && r.name() == QLatin1String("si")) {
      inSi = true;
      current.clear();
    } else if (r.isStartElement() && r.name() == QLatin1String("t") && inSi) {
      current += r.readElementText();
    } else if (r.isEndElement() && r.name() == QLatin1String("si")) {
      inSi = false;
      out << current;
    }
  }
  return out;
}

}  // namespace

QString XlsxFile::Ref(int row, int column) {
  QString letters;
  for (int c = column; c > 0; c = (c - 1) / 26) letters.prepend(QChar('A' + (c - 1) % 26));
  return letters + QString::number(row);
}

XlsxFile::XlsxFile(const QString& path) {
  bool ok = true;
  const QByteArray workbook = Unzip(path, "xl/workbook.xml", ok);
  if (!ok || workbook.isEmpty()) return;
  bool hasStrings = true;  // a workbook whose strings are all inline has no table of them
  const QByteArray strings = Unzip(path, "xl/sharedStrings.xml", hasStrings);
  {
    QXmlStreamReader r(workbook);
    while (!r.atEnd()) {
      r.readNext();
      if (r.isStartElement() && r.name() == QLatin1String("sheet"))
        names_ << r.attributes().value("name").toString();
    }
  }
  const QStringList shared = hasStrings ? SharedStrings(strings) : QStringList();
  for (int i = 0; i < names_.size(); ++i) {
    const QByteArray xml = Unzip(path, QStringLiteral("xl/worksheets/sheet%1.xml").arg(i + 1), ok);
    if (!ok) return;
    QMap<QString, QString>& cells = cells_[names_[i]];
    QXmlStreamReader r(xml);
    QString ref, type;
    while (!r.atEnd()) {
      r.readNext();
      if (r.isStartElement() && r.name() == QLatin1String("c")) {
        ref = r.attributes().value("r").toString();
        type = r.attributes().value("t").toString();
      } else if (r.isStartElement() && r.name() == QLatin1String("v")) {
        const QString v = r.readElementText();
        cells[ref] = type == QLatin1String("s") ? shared.value(v.toInt()) : QString::number(v.toDouble(), 'g', 15);
      } else if (r.isStartElement() && r.name() == QLatin1String("t") && type == QLatin1String("inlineStr")) {
        cells[ref] = r.readElementText();
      }
    }
  }
  ok_ = true;
}

QString XlsxFile::Cell(const QString& sheet, const QString& ref) const { return cells_.value(sheet).value(ref); }

QString XlsxFile::Cell(const QString& sheet, int row, int column) const { return Cell(sheet, Ref(row, column)); }
