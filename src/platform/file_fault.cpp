#include "platform/file_fault.h"

#include <sys/statvfs.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

#include "platform/paths.h"

QString FileErrorReason(int err) {
  switch (err) {
    case 0:
      return QStringLiteral("原因は分かりません");
    case ENOSPC:
      return QStringLiteral("ディスクに空きがありません");
    case EDQUOT:
      return QStringLiteral("ディスクの使用量の上限に達しています");
    case ENAMETOOLONG:
      return QStringLiteral("ファイル名が長すぎます");
    case EROFS:
      return QStringLiteral("読み取り専用のディスクです");
    case EACCES:
    case EPERM:
      return QStringLiteral("許可がありません (読み取り専用のファイルかフォルダーです)");
    case ENOENT:
      return QStringLiteral("ファイルかフォルダーがありません");
    case ENOTDIR:
      return QStringLiteral("途中のフォルダーがありません");
    case EISDIR:
      return QStringLiteral("同じ名前のフォルダーがあります");
    case EIO:
      return QStringLiteral("ディスクの読み書きに失敗しました");
    case EFBIG:
      return QStringLiteral("ファイルが大きすぎます");
    case EMFILE:
    case ENFILE:
      return QStringLiteral("開いているファイルが多すぎます");
    case EBUSY:
    case ETXTBSY:
      return QStringLiteral("他のプログラムが使用中です");
    default:
      return QStringLiteral("システムのエラー: ") + QString::fromLocal8Bit(std::strerror(err));
  }
}

QString FileErrorAdvice(int err) {
  switch (err) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return QStringLiteral("ディスクに空きを作ってから、もう一度行って下さい。");
    case EROFS:
    case EACCES:
    case EPERM:
      return QStringLiteral(
          "ファイルとフォルダーに書き込めるか（読み取り専用でないか）を確かめてから、もう一度行って下さい。");
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
      return QStringLiteral("ファイルの場所と名前を確かめて下さい。");
    case EISDIR:
      return QStringLiteral("そのフォルダーを別の名前に変えるか移してから、もう一度行って下さい。");
    case EIO:
      return QStringLiteral("ディスクを確かめてから、もう一度行って下さい。");
    case EMFILE:
    case ENFILE:
    case EBUSY:
    case ETXTBSY:
      return QStringLiteral("他のプログラムを閉じてから、もう一度行って下さい。");
    default:
      return {};
  }
}

int FileFaultCause(const QString& path, int err) {
  if (err != 0) return err;
  const QString real = RealPath(path);
  if (QFileInfo(real).isDir()) return EISDIR;
  const QString folder = QFileInfo(real).absolutePath();
  if (!QFileInfo(folder).isDir()) return ENOENT;
  struct statvfs disk {};
  if (::statvfs(QFile::encodeName(folder).constData(), &disk) == 0) {
    if (disk.f_flag & ST_RDONLY) return EROFS;
    if (disk.f_bavail == 0) return ENOSPC;
  }
  if (::access(QFile::encodeName(folder).constData(), W_OK) != 0) return errno;
  return 0;
}

QString FileFaultText(const QString& path, const QString& what, int err) {
  const QString advice = FileErrorAdvice(err);
  return path + what + QStringLiteral("（") + FileErrorReason(err) + QStringLiteral("）。") +
         (advice.isEmpty() ? QString() : QStringLiteral("\r\n") + advice);
}
