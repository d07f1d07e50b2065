#include "record_image.h"

#include <cstring>

#include "platform/codepage.h"

namespace hamlogdb {

void PutField(unsigned char* image, int field, QByteArrayView ansi) {
  const auto span = hamlog::RecordFieldSpan(field);
  if (!span) return;
  QByteArray cut;
  QByteArrayView bytes = ansi;
  if (bytes.size() > span->width) bytes = cut = CutAnsiBytes(ansi, span->width);
  unsigned char* p = image + span->offset;
  if (!bytes.isEmpty()) std::memcpy(p, bytes.data(), bytes.size());
  std::memset(p + bytes.size(), ' ', span->width - bytes.size());
}

int FieldWidth(int field) {
  const auto span = hamlog::RecordFieldSpan(field);
  return span ? span->width : 0;
}

QString FieldText(const unsigned char* image, int field, bool keepBlanks) {
  const auto span = hamlog::RecordFieldSpan(field);
  if (!span) return {};
  int n = span->width;
  const auto* p = reinterpret_cast<const char*>(image + span->offset);
  while (!keepBlanks && n > 0 && (p[n - 1] == ' ' || p[n - 1] == '\0')) --n;
  return FromAnsi(QByteArrayView(p, n));
}

const char* FlagCodeFor(QByteArrayView code) {
  if (code.size() < 3) return "0";
  int n = 0;
  for (int i = 0; i < 3; ++i) {
    if (code[i] < '0' || code[i] > '9') return "0";
    n = n * 10 + (code[i] - '0');
  }
  return n >= 500 ? "8" : "0";
}

}  // namespace hamlogdb
