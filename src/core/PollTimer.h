#pragma once
// The start window's poll timer, switched by the transceiver control: each tick polls the
// transceiver and relays the spot. The start window installs the switch in its load.
//
//   StartPollTimer(RigPortState.PollPeriodMs);   // the poll start, in the timed poll mode
//   StopPollTimer();                             // the poll stop

#include <cstdint>
#include <functional>

struct PollTimerHooksState {
  std::function<void(int32_t intervalMs)> Switch;  // 0 = off
};
extern PollTimerHooksState PollTimerHooks;

void StartPollTimer(int32_t intervalMs);
void StopPollTimer();
