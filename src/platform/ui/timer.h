#pragma once
// Timers as the window code uses them: Interval in milliseconds (0 = off) and Enabled.
//
//   VbTimer Timer1{this};                        // interval 0, enabled: not running yet
//   Timer1.Timer = [this] { Timer1_Timer(); };
//   Timer1.SetInterval(2000);  Timer1.SetEnabled(true);    // runs every 2 s
//   Timer1.SetEnabled(false);                               // or SetInterval(0): stops
//
// A tick never runs while the previous tick of the same timer is still running (for example while its
// handler shows a message box), and never after its window was unloaded. Setting the interval starts
// the count again.

#include <QObject>
#include <QTimer>
#include <functional>

class VbTimer : public QObject {
  Q_OBJECT
 public:
  explicit VbTimer(QObject* parent, int interval = 0, bool enabled = true);
  std::function<void()> Timer;

  int Interval() const { return interval_; }
  void SetInterval(int ms);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool on);
  bool Running() const { return timer_.isActive(); }
  // Stops it for good (the window is going).
  void Stop();

 private:
  void Restart();
  void Tick();
  QTimer timer_;
  int interval_;
  bool enabled_;
  bool inTick_ = false;
  bool stopped_ = false;
};
