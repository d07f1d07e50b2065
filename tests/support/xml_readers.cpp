#include "support/xml_readers.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QXmlStreamReader>

namespace {

// Runs a reader; its standard output, or the error it gave.
bool run(const QString& program, const QStringList& args, QByteArray& out, QString& error) {
  QProcess p;
  p.start(program, args);
  if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
    error = program + ": " + QString::fromUtf8(p.readAllStandardError()).trimmed();
    if (error.endsWith(": ")) error += p.errorString();
    return false;
  }
  out = p.readAllStandardOutput();
  return true;
}

}  // namespace

XmlRead ReadXmlWithLibxml2(const QString& path) {
  XmlRead x;
  QByteArray utf8;
  if (!run("xmllint", {"--encode", "UTF-8", path}, utf8, x.error)) return x;
  QXmlStreamReader r(utf8);
  QString text;
  int depth = 0, childless = 0;
  while (!r.atEnd()) {
    r.readNext();
    if (r.isStartElement()) text.clear(), childless = ++depth;
    if (r.isCharacters()) text += r.text();
    if (r.isEndElement()) {
      x.elements << r.name().toString() + "=" + (childless == depth ? text : QString());
      text.clear();
      --depth;
    }
  }
  if (r.hasError()) x.error = "xmllint output: " + r.errorString();
  return x;
}

XmlRead ReadXmlWithPythonEtree(const QString& path) {
  static const char* script = R"py(
import sys, re, json, xml.etree.ElementTree as ET
data = open(sys.argv[1], 'rb').read()
m = re.match(rb'<\?xml[^>]*encoding="([^"]+)"', data)
root = ET.fromstring(data.decode(m.group(1).decode('ascii')) if m else data)
out = []
def walk(e):
    for c in e:
        walk(c)
    out.append(e.tag + '=' + ((e.text or '') if len(e) == 0 else ''))
walk(root)
print(json.dumps(out))
)py";
  XmlRead x;
  QByteArray json;
  if (!run("python3", {"-c", script, path}, json, x.error)) return x;
  for (const QJsonValue& v : QJsonDocument::fromJson(json).array()) x.elements << v.toString();
  return x;
}
