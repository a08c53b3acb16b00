#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/control_behaviour.h"
#include "framework/image.h"
#include "framework/look.h"
#include "framework/menu_model.h"
#include "framework/ui_types.h"

// The window of one open dialog, as a backend provides it: the dialog class reaches its
// controls (by their numbers in the template), its timers, tray icon, hot keys and pop-up
// menus through this interface and never through a window handle.
//
// Used on the user-interface thread only. Operations on a control number that the template
// does not hold do nothing and read as empty, unchecked, disabled and hidden.
class DialogWindow {
 public:
  virtual ~DialogWindow() = default;

  // The window.
  virtual void SetTitle(std::u16string_view title) = 0;
  virtual std::u16string Title() = 0;
  virtual void Show(WindowShow how) = 0;
  virtual bool IsVisible() = 0;
  virtual bool IsMinimized() = 0;
  // Shows the window, brings it to the front and activates it.
  virtual void BringToFront() = 0;
  // A tool window has no task-bar button; a normal window has one.
  virtual void SetToolWindow(bool tool) = 0;
  virtual void SetTopMost(bool top_most) = 0;
  // The outer size in pixels.
  virtual void SetWindowSize(Size size) = 0;
  virtual Size WindowSize() = 0;
  // The outer rectangle in screen pixels: moves and sizes the window.
  virtual void SetWindowRect(Rect rect) = 0;
  virtual Rect WindowRect() = 0;
  // The size of the client area (the window without its frame and caption), in pixels.
  virtual Size ClientSize() = 0;
  // Places a child window (CDialog::CreateInside) at `bounds`, in pixels of its parent's
  // client area.
  virtual void PlaceInParent(Rect bounds) = 0;
  virtual void SetIcon(int icon_resource) = 0;
  virtual void SetLook(const DialogLook& look) = 0;
  // Shows the window with an animation of `duration_ms`.
  virtual void AnimateShow(ShowAnimation animation, int duration_ms) = 0;
  // Hides the window with an animation of `duration_ms`; nothing when it is hidden.
  virtual void AnimateHide(HideAnimation animation, int duration_ms) = 0;
  // The text the window draws over its background; nullopt draws none. Redraws.
  virtual void SetPaintedText(std::optional<PaintedText> text) = 0;
  // Queues a system command for the window, as the window system would deliver it.
  virtual void PostSysCommand(SysCommand command) = 0;
  // Ends a modal dialog with `result`; destroys a modeless one.
  virtual void End(int result) = 0;

  // Timers: every timer repeats until it is killed; setting an existing id restarts it.
  virtual void SetTimer(int id, uint32_t period_ms) = 0;
  virtual void KillTimer(int id) = 0;

  // Controls.
  virtual bool HasControl(int id) = 0;
  virtual void SetText(int id, std::u16string_view text) = 0;
  virtual std::u16string Text(int id) = 0;
  virtual void SetTextLimit(int id, int units) = 0;
  // An edit box shows `mask` for each character it holds; 0 shows them plainly.
  virtual void SetPasswordChar(int id, char16_t mask) = 0;
  virtual void SetCheck(int id, CheckState state) = 0;
  virtual CheckState Check(int id) = 0;
  virtual void Enable(int id, bool enabled) = 0;
  virtual bool IsEnabled(int id) = 0;
  virtual void ShowControl(int id, bool shown) = 0;
  virtual bool IsControlVisible(int id) = 0;
  virtual void MoveControl(int id, Rect rect) = 0;
  virtual Rect ControlRect(int id) = 0;
  virtual void BringControlToTop(int id) = 0;
  virtual void Focus(int id) = 0;
  virtual void SetControlFont(int id, const FontStyle& font) = 0;
  virtual void SetControlTextColor(int id, Color color) = 0;
  virtual void SetHandCursor(int id) = 0;
  virtual void SetToolTip(int id, std::u16string_view text) = 0;
  // The picture of a static picture control, which takes the picture's size; nullptr
  // removes it.
  virtual void SetControlImage(int id, ImagePtr image) = 0;

  // Combo boxes (drop-down lists): items with a number each.
  virtual int ComboAdd(int id, std::u16string_view text, intptr_t data) = 0;
  virtual void ComboClear(int id) = 0;
  virtual int ComboCount(int id) = 0;
  virtual std::u16string ComboText(int id, int index) = 0;
  virtual intptr_t ComboData(int id, int index) = 0;
  virtual void ComboSelect(int id, int index) = 0;  // -1: none
  virtual int ComboSelection(int id) = 0;           // -1: none

  // List views in report mode.
  virtual void ListSetStyle(int id, bool check_boxes, bool grid_lines, bool full_row_select) = 0;
  virtual void ListAddColumn(int id, std::u16string_view title, int width) = 0;
  virtual void ListSetColumnTitle(int id, int column, std::u16string_view title) = 0;
  virtual int ListInsert(int id, int index, std::u16string_view text) = 0;  // index -1: at the end
  virtual void ListSetText(int id, int item, int column, std::u16string_view text) = 0;
  virtual std::u16string ListText(int id, int item, int column) = 0;
  virtual int ListCount(int id) = 0;
  virtual void ListDelete(int id, int item) = 0;
  virtual void ListClear(int id) = 0;
  virtual void ListSetChecked(int id, int item, bool checked) = 0;
  virtual bool ListChecked(int id, int item) = 0;
  // Makes `item` the only selected row (-1: none).
  virtual void ListSelect(int id, int item) = 0;
  virtual int ListSelection(int id) = 0;  // the first selected item, -1: none
  // Several rows at once (a list view without LVS_SINGLESEL): one row's selection, and
  // every selected row in ascending order.
  virtual void ListSetSelected(int id, int item, bool selected) = 0;
  virtual std::vector<int> ListSelectedItems(int id) = 0;
  // Off: the list view stops drawing while many rows change; on again: it draws once.
  virtual void ListSetRedraw(int id, bool redraw) = 0;

  // List boxes: one column of texts.
  virtual int ListBoxInsert(int id, int index, std::u16string_view text) = 0;  // index -1: at the end
  virtual void ListBoxDelete(int id, int index) = 0;
  virtual int ListBoxCount(int id) = 0;
  virtual std::u16string ListBoxText(int id, int index) = 0;
  virtual int ListBoxSelection(int id) = 0;  // -1: none

  // Tab controls.
  virtual int TabAdd(int id, std::u16string_view title) = 0;
  virtual void TabSelect(int id, int index) = 0;
  virtual int TabSelection(int id) = 0;

  // Track bars and spin controls.
  virtual void SetRange(int id, int minimum, int maximum) = 0;
  virtual void SetPosition(int id, int position) = 0;
  virtual int Position(int id) = 0;

  // Hot-key fields: low byte the virtual key, high byte the field's modifier bits.
  virtual void SetHotKeyValue(int id, uint16_t value) = 0;
  virtual uint16_t HotKeyValue(int id) = 0;

  // Custom controls and the embedded browser. The behaviour and the events object must
  // outlive the window. Returns nullptr when the template holds no such control.
  virtual ControlSurface* AttachBehaviour(int id, ControlBehaviour& behaviour) = 0;
  virtual BrowserPane* AttachBrowser(int id, BrowserEvents& events) = 0;

  // The tray icon of this window (one at most).
  virtual bool AddTrayIcon(const TrayIconSettings& settings) = 0;
  virtual void SetTrayIcon(int icon_resource) = 0;
  virtual void ShowTrayBalloon(std::u16string_view title, std::u16string_view text) = 0;
  virtual void RemoveTrayIcon() = 0;

  // System-wide hot keys, delivered to the dialog's OnHotKey.
  virtual bool RegisterHotKey(int id, uint32_t modifiers, uint32_t virtual_key) = 0;
  virtual void UnregisterHotKey(int id) = 0;

  // Shows `menu` at the mouse cursor and returns the chosen command, 0 for none. The
  // dialog, not the backend, acts on the command.
  virtual int TrackPopupMenu(const MenuModel& menu) = 0;
};
