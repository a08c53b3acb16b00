#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

// Receives the filtered-item total whenever it grows. The main window implements it; the
// call comes on the counting thread, and the receiver moves the drawing to its own thread.
class CounterDisplay {
 public:
  virtual ~CounterDisplay() = default;
  virtual void DrawCounter(int total) = 0;
};

// The show/hide hot key ready for registration.
struct ShowHotKey {
  uint32_t virtual_key;
  uint32_t modifiers;  // registration bits: alt 0x01, control 0x02, shift 0x04, 0x08 passes through
};

// The in-memory settings of the program: caches of profile values that connection threads
// read on every request, the filtered-item counter, and the process-wide state flags.
//
// Thread safety: every field is atomic. The caches are written on the user-interface
// thread and read anywhere without locking (a reader may see the old or the new value);
// the counter is increased on connection threads.
struct SetupRecord {
  static constexpr int ShowHotKeyId = 1669;
  static constexpr int kDefaultProxyPort = 9090;
  static constexpr int kDefaultControlPort = 809;

  // Caches of profile values, filled by LoadSetup (and IsOnlyWhiteList for its own).
  std::atomic<int> FilterAddress{0};
  std::atomic<int> SoftMode{0};
  std::atomic<int> NonePicture{0};
  std::atomic<int> WebControl{1};
  std::atomic<int> ManualFilterImage{1};
  std::atomic<int> FilterAD{0};
  std::atomic<int> SafeSearch{1};
  std::atomic<int> EnableHTTP{0};
  std::atomic<int> EnableHTTPS{0};
  std::atomic<int> FormPatrol{0};
  std::atomic<int> RestReminderTime{0};
  std::atomic<int> OnlyWhiteList{0};
  std::atomic<bool> onlyWhiteListRead{false};  // cleared by the filter page when it saves

  // Tip-sentence switches with their reload flags, and the tip-style change flag.
  std::atomic<bool> jieSeTipStale{true};
  std::atomic<int> JieSeTip{0};
  std::atomic<bool> xiuShenTipStale{true};
  std::atomic<int> XiuShenTip{0};
  std::atomic<bool> tipStyleChanged{false};

  std::atomic<int> FilterCount{0};
  std::atomic<bool> loaded{false};        // LoadSetup has run; SaveSetup writes nothing before
  std::atomic<bool> JieSeActive{false};   // the forced-mode countdown runs
  std::atomic<bool> Exiting{false};       // the user asked to quit

  // Fills the caches from the profile (writing SoftMode straight back, which creates it on
  // a first start) and the counter from FilterCount.
  void LoadSetup();
  // Writes SoftMode and FilterCount; nothing before LoadSetup.
  void SaveSetup();
  // Adds `n` to the counter and tells the counter display, unless the servers are stopping.
  void AddFilterCount(int n);
  // The number of the current day since the first start, 1 on the first day; records the
  // first start when the profile has none.
  int GetInstallDays();
  // The tip switches, read again from the profile first when their cache is stale.
  int CurrentJieSeTip();
  int CurrentXiuShenTip();
  void SetWebControl(int value);
  void SetNonePicture(int value);
  // OnlyWhiteList, read from the profile the first time after start or after the filter
  // page saved it.
  int IsOnlyWhiteList();

  // Where AddFilterCount reports (nullptr: nowhere). The display must outlive its use.
  void SetCounterDisplay(CounterDisplay* display) { counterDisplay_.store(display); }

 private:
  std::atomic<CounterDisplay*> counterDisplay_{nullptr};
};

// The process-wide record.
SetupRecord& TheSetup();

// The stored show/hide hot key with its modifiers turned from the hot-key control's bits
// (shift 0x01, alt 0x04) into the registration's (alt 0x01, shift 0x04).
ShowHotKey ReadShowHotKey();
uint32_t HotKeyControlToRegistration(uint32_t control_modifiers);

// The stored form of a password: every UTF-16 unit XORed with 0x5A. Its own inverse.
std::u16string ScramblePassword(std::u16string_view password);
