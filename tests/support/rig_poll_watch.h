#pragma once
// The transceiver poll running as with a connected rig, and a note of whether a job held it off
// while one of its message boxes was up.
//
//   RigPollWatch poll{boxes};   // after the responder; takes the responder's OnShow
//   poll.Start();               // once the test's shared state is set
//   ...run the job...
//   EXPECT_TRUE(poll.offDuringABox); EXPECT_TRUE(RigPollWatch::Polling());

#include "platform/ui/responders.h"
#include "rig/RigLink.h"
#include "rig/RigPortState.h"

struct RigPollWatch {
  explicit RigPollWatch(MsgBoxResponder& boxes) {
    boxes.OnShow = [this](const MsgBoxCall&) { Note(); };
  }
  static void Start() {
    RigPortState.PollMode = 2;
    RigPortState.PollPeriodMs = 60'000;  // never ticks during a test
    RigPollStart();
  }
  static bool Polling() { return RigPollTimer().Enabled(); }
  // For a test that installs its own OnShow.
  void Note() { offDuringABox |= !Polling(); }

  bool offDuringABox = false;
};
