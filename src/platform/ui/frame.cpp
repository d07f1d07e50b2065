#include "platform/ui/frame.h"

#include <QPixmap>

Frame::Frame(QWidget* parent, const QString& caption) : ClickControl(parent) {
  setTitle(caption);
  setAutoFillBackground(true);
}

void Frame::setVisible(bool visible) {
  const bool shownAgain = visible && isHidden() && testAttribute(Qt::WA_WState_ExplicitShowHide);
  ClickControl::setVisible(visible);
  if (shownAgain) raise();
}

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
