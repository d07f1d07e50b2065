#include "core/QsoFields.h"

QsoFieldsState Qso;

QString BadQsoDateMessage(int32_t recNo, const QString& rawDate) {
  return QStringLiteral("HAMLOGデータ　レコードナンバー (") + QString::number(recNo) + QStringLiteral(") は\r\n日付(") +
         rawDate + QStringLiteral(")異常です、無視しました。");
}

QString BadQsoDatesMessage(const std::vector<std::pair<int32_t, QString>>& records) {
  if (records.empty()) return {};
  if (records.size() == 1) return BadQsoDateMessage(records[0].first, records[0].second);
  return QStringLiteral("HAMLOGデータに 日付が異常なレコードが ") + QString::number(records.size()) +
         QStringLiteral(" 件あります、無視しました。\r\n(最初はレコードナンバー (") + QString::number(records[0].first) +
         QStringLiteral(") 日付(") + records[0].second + QStringLiteral("))");
}
