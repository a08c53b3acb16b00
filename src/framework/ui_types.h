#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Plain values shared by the dialogs and the two backends of the framework.

// A colour as the window system stores it: 0x00BBGGRR.
using Color = uint32_t;
constexpr Color Rgb(uint8_t red, uint8_t green, uint8_t blue) {
  return static_cast<Color>(red) | static_cast<Color>(green) << 8 | static_cast<Color>(blue) << 16;
}

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  int width = 0;
  int height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

// Pixels, right and bottom exclusive.
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  static Rect At(int x, int y, int width, int height) { return Rect{x, y, x + width, y + height}; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

// A check box's state; the numbers are the window system's.
enum class CheckState { kUnchecked = 0, kChecked = 1, kIndeterminate = 2 };

// Results of dialogs and message boxes, numbered as the window system numbers them.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdAbort = 3;
inline constexpr int kIdRetry = 4;
inline constexpr int kIdIgnore = 5;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

enum class MessageButtons { kOk, kOkCancel, kYesNo, kYesNoCancel, kRetryCancel };
enum class MessageIcon { kNone, kInformation, kWarning, kError, kQuestion };

struct MessageBoxRequest {
  std::u16string text;
  std::u16string caption;
  MessageButtons buttons = MessageButtons::kOk;
  MessageIcon icon = MessageIcon::kNone;
};

// How a top-level window is shown. kNoActivate shows it as it is without taking the
// focus from the window the user works in.
enum class WindowShow { kHidden, kNormal, kMinimized, kNoActivate };

// Animations a window can be shown with.
enum class ShowAnimation { kNone, kFade, kGrow, kSlideFromLeft, kSlideFromRight, kSlideFromTop, kSlideFromBottom };
// Animations a window can be hidden with: fading out, or sliding down out of its place.
enum class HideAnimation { kNone, kFade, kSlideDown };

// Colours the user's system scheme chooses.
enum class SystemColor { kWindowText, kGrayText };

// Notifications of controls other than a button click (which arrives as a command).
enum class ControlEvent {
  kSelectionChanged,  // combo box or list view selection
  kTextChanged,       // edit box
  kLinkClicked,       // link control; the detail is the link's address
  kItemChecked,       // list-view check box; the detail is the item index in decimal
  kRightClicked,      // list view; the detail is the row under the cursor in decimal, -1: none
  kTabChanged,
  kPositionChanged,   // track bar or spin
  kDoubleClicked,
};

// The row that a kItemChecked or kRightClicked event names; -1 when none.
inline int ListRowOf(std::u16string_view detail) {
  if (detail.empty() || detail.size() > 9) return -1;
  int row = 0;
  for (char16_t c : detail) {
    if (c < u'0' || c > u'9') return -1;
    row = row * 10 + (c - u'0');
  }
  return row;
}

// What the user did on a tray icon.
enum class TrayEvent { kLeftButtonDown, kLeftButtonUp, kLeftDoubleClick, kRightButtonDown, kRightButtonUp, kBalloonClicked, kOther };

// The system commands of a window that a dialog may take over.
enum class SysCommand { kClose, kMinimize, kRestore };

struct FontStyle {
  std::u16string face;
  int pixel_height = 12;
  int weight = 400;  // 700: bold
  friend bool operator==(const FontStyle&, const FontStyle&) = default;
};

// A line of text that a window draws itself over its background (not a control): centred
// horizontally in `area` (client pixels), at its top.
struct PaintedText {
  std::u16string text;
  FontStyle font;
  Color color = 0;
  Rect area;
  friend bool operator==(const PaintedText&, const PaintedText&) = default;
};

// A tray icon of a dialog. Events arrive at the dialog's OnTrayEvent.
struct TrayIconSettings {
  int id = 0;
  uint32_t callback_message = 0;
  int icon_resource = 0;
  std::u16string tip;  // at most 127 units are shown
};

struct FileDialogRequest {
  bool save = false;
  std::u16string title;
  std::u16string filter;  // "文本文件 (*.txt)|*.txt|" style: pairs separated by '|'
  std::u16string default_extension;
  std::u16string file_name;
  std::u16string initial_folder;  // where the dialog opens; the system's choice when empty
  bool path_must_exist = true;   // the folder of the chosen name must exist
  bool file_must_exist = true;   // opening: the chosen file must exist
  bool overwrite_prompt = true;  // saving: ask before an existing file is replaced
};
