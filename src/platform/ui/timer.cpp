#include "platform/ui/timer.h"

#include <QPointer>

VbTimer::VbTimer(QObject* parent, int interval, bool enabled)
    : QObject(parent), interval_(interval), enabled_(enabled) {
  connect(&timer_, &QTimer::timeout, this, &VbTimer::Tick);
  Restart();
}

void VbTimer::SetInterval(int ms) {
  interval_ = ms < 0 ? 0 : ms;
  Restart();
}

void VbTimer::SetEnabled(bool on) {
  if (on == enabled_) return;
  enabled_ = on;
  Restart();
}

void VbTimer::Stop() {
  stopped_ = true;
  timer_.stop();
}

void VbTimer::Restart() {
  if (stopped_ || !enabled_ || interval_ <= 0) {
    timer_.stop();
    return;
  }
  timer_.start(interval_);
}

void VbTimer::Tick() {
  if (inTick_ || stopped_ || signalsBlocked() || !Timer) return;
  QPointer<VbTimer> self(this);
  inTick_ = true;
  Timer();
  if (self) self->inTick_ = false;
}
