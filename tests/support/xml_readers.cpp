#include "support/xml_readers.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

namespace {

const char* kElements = R"py(
import sys, re, json, xml.etree.ElementTree as ET
data = open(sys.argv[1], 'rb').read() if len(sys.argv) > 1 else sys.stdin.buffer.read()
m = re.match(rb'<\?xml[^>]*encoding="([^"]+)"', data)
out = []
def walk(e):
    for c in e: walk(c)
    out.append(e.tag + '=' + ((e.text or '') if len(e) == 0 else ''))
walk(ET.fromstring(data.decode(m.group(1).decode() if m else 'utf-8')))
print(json.dumps(out))
)py";

}  // namespace

QStringList ReadXml(XmlParser parser, const QString& path, QString& error) {
  QProcess libxml2, python;
  // libxml2 hands the document on in UTF-8, which the element lister takes as it is.
  if (parser == XmlParser::Libxml2) {
    libxml2.setStandardOutputProcess(&python);
    libxml2.start("xmllint", {"--encode", "UTF-8", path});
  }
  python.start("python3", parser == XmlParser::Libxml2 ? QStringList{"-c", kElements} : QStringList{"-c", kElements, path});
  const bool libxml2Failed = parser == XmlParser::Libxml2 && (!libxml2.waitForFinished() || libxml2.exitCode() != 0);
  const bool pythonRead = python.waitForFinished() && python.exitCode() == 0;
  QStringList out;
  if (libxml2Failed)
    error = "xmllint: " + QString::fromUtf8(libxml2.readAllStandardError()) + libxml2.errorString();
  else if (!pythonRead)
    error = "python3: " + QString::fromUtf8(python.readAllStandardError()) + python.errorString();
  else
    for (const QJsonValue& v : QJsonDocument::fromJson(python.readAllStandardOutput()).array()) out << v.toString();
  return out;
}
