#include "support/small_disk.h"

#include <sys/mount.h>

#include <QFile>
#include <cerrno>
#include <cstring>

SmallDisk::SmallDisk(int kilobytes) {
  const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k,mode=0755";
  mounted_ = ::mount("tmpfs", QFile::encodeName(dir_.path()).constData(), "tmpfs", 0, options.constData()) == 0;
  if (!mounted_) why_ = QStringLiteral("no small file system: ") + QString::fromLocal8Bit(std::strerror(errno));
}

SmallDisk::~SmallDisk() {
  if (mounted_) ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
}

void SmallDisk::Fill() {
  QFile filler(file(".filler"));
  if (!filler.open(QIODevice::WriteOnly | QIODevice::Append)) return;
  const QByteArray block(4096, 'f');
  while (filler.write(block) == block.size() && filler.flush()) {
  }
  // The last partial block.
  for (int n = 2048; n >= 1; n /= 2) {
    const QByteArray piece(n, 'f');
    while (filler.write(piece) == n && filler.flush()) {
    }
  }
}

void SmallDisk::Free() { QFile::remove(file(".filler")); }

void SmallDisk::ReadOnly() {
  if (mounted_)
    ::mount("tmpfs", QFile::encodeName(dir_.path()).constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr);
}

void SmallDisk::Writable() {
  if (mounted_) ::mount("tmpfs", QFile::encodeName(dir_.path()).constData(), "tmpfs", MS_REMOUNT, nullptr);
}
