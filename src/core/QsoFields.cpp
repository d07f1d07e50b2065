#include "core/QsoFields.h"

QsoFieldsState Qso;

QString BadQsoDateMessage(int32_t recNo, const QString& rawDate) {
  return QStringLiteral("HAMLOGデータ　レコードナンバー (") + QString::number(recNo) + QStringLiteral(") は\r\n日付(") +
         rawDate + QStringLiteral(")異常です、無視しました。");
}
