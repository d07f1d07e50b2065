#pragma once
// An XML file read by two outside parsers, as the programs that take it read it: libxml2 (xmllint,
// which decodes the file by its declared encoding and hands it on as UTF-8) and Python's ElementTree
// (the bytes decoded with Python's codec of the declared name, then parsed). Both give the elements in
// document order, each as "name=text" (text only for elements without children), or the parser's error.

#include <QString>
#include <QStringList>

struct XmlRead {
  QStringList elements;
  QString error;  // "" when the parser read the file
};

XmlRead ReadXmlWithLibxml2(const QString& path);
XmlRead ReadXmlWithPythonEtree(const QString& path);
