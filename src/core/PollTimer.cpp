#include "core/PollTimer.h"

PollTimerHooksState PollTimerHooks;

void StartPollTimer(int32_t intervalMs) {
  if (PollTimerHooks.Switch) PollTimerHooks.Switch(intervalMs);
}

void StopPollTimer() {
  if (PollTimerHooks.Switch) PollTimerHooks.Switch(0);
}
