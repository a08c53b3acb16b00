#pragma once

#include <cstdint>

#include "framework/dialog.h"
#include "tools/shutdown_time.h"

// The timed shutdown "定时关机": the user picks a clock time, and at that time the
// computer is asked to shut down (an ordinary request, not a forced one). While counting,
// the window paints the remaining time; it may be hidden and comes back by itself in the
// last 30 seconds.
//
// One window per process, kept for its life: Open creates it on first use and shows it.
// Closing or hiding it does not stop the count. The count runs to an absolute moment on the
// wall clock, so it stays right when the machine sleeps and the timer misses seconds.
// User-interface thread only.
class CTimingShutDownDlg : public CDialog {
 public:
  static constexpr int kCountdownTimer = 1;  // every second while counting
  static constexpr int kPaintMargin = 48;    // the countdown's area: the client area less this at top and bottom
  static constexpr Color kCountdownColour = Rgb(255, 130, 5);

  CTimingShutDownDlg();

  // Creates the window (desktop as parent) on first use and shows it; false when it
  // cannot be created.
  bool Open();

  bool IsCounting() const { return counting_; }
  ClockTime Target() const { return target_; }
  int64_t RemainingSeconds() const { return remaining_; }

 protected:
  bool OnInit() override;
  void OnOk() override;
  void OnCancel() override;
  bool OnCommand(int id) override;
  void OnTimer(int id) override;
  void OnControlEvent(int id, ControlEvent event, std::u16string_view detail) override;

 private:
  // Reads both fields, wraps them into range, writes them back and computes.
  void Normalise();
  // The remaining time and the status line from the fields and the clock.
  void Compute();
  void Start();
  void Cancel();
  void Tick();
  void ShowCountingControls(bool counting);
  void PaintCountdown();

  ClockTime target_;
  int64_t remaining_ = 0;
  int64_t deadline_ = 0;  // the shutdown moment, seconds since 1970 (UTC)
  bool counting_ = false;
  bool normalising_ = false;  // writing the fields raises their change events
};
