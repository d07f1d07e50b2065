#include "platform/ui/frame.h"

#include <QPixmap>

Frame::Frame(QWidget* parent, const QString& caption) : ClickControl(parent) { setTitle(caption); }

Frame::~Frame() { ReleaseMemberControls(*this); }

PictureBox::PictureBox(QWidget* parent) : ClickControl(parent) { setAlignment(Qt::AlignLeft | Qt::AlignTop); }

PictureBox::~PictureBox() { ReleaseMemberControls(*this); }

void PictureBox::SetPicture(const QImage& image) {
  image_ = image;
  setPixmap(image.isNull() ? QPixmap() : QPixmap::fromImage(image));
}

bool PictureBox::SavePicture(const QString& path) const {
  return !image_.isNull() && image_.save(path, "BMP");
}
