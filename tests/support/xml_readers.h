#pragma once
// An XML file as an outside parser reads it: libxml2 (xmllint decodes it by its declared encoding) or
// Python's ElementTree (the bytes decoded by Python's codec of the declared name). The elements in
// document order, "name=text" (text only for elements without children), or the parser's error.

#include <QString>
#include <QStringList>

enum class XmlParser { Libxml2, PythonEtree };
QStringList ReadXml(XmlParser parser, const QString& path, QString& error);
