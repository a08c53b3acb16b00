#pragma once

#include "framework/win32/windows_include.h"

#include <map>
#include <optional>
#include <memory>
#include <set>
#include <vector>

#include "framework/dialog.h"
#include "framework/dialog_window.h"

class Win32Ui;
class BrowserHost;

// The window of one dialog, created from its template by the dialog manager. One static
// dialog procedure stores the object at WM_INITDIALOG and turns each message into a call
// on the dialog (CDialog::Handle...), catching any exception at that boundary.
class Win32DialogWindow : public DialogWindow {
 public:
  Win32DialogWindow(Win32Ui& ui, CDialog& dialog, bool modal);
  ~Win32DialogWindow() override;

  // Creates the window of a modeless dialog (false on failure), or runs a modal one and
  // returns its result (-1 on failure).
  bool CreateModeless(int template_id, HWND parent);
  // Creates the window as a child of `parent` (its template has WS_CHILD); false on failure.
  bool CreateChild(int template_id, HWND parent);
  int RunModal(int template_id, HWND parent);

  HWND Handle() const { return window_; }
  static Win32DialogWindow* FromHandle(HWND window);

  void SetTitle(std::u16string_view title) override;
  std::u16string Title() override;
  void Show(WindowShow how) override;
  bool IsVisible() override;
  bool IsMinimized() override;
  void BringToFront() override;
  void SetToolWindow(bool tool) override;
  void SetTopMost(bool top_most) override;
  void SetWindowSize(Size size) override;
  Size WindowSize() override;
  void SetWindowRect(Rect rect) override;
  Rect WindowRect() override;
  Size ClientSize() override;
  void PlaceInParent(Rect bounds) override;
  void SetIcon(int icon_resource) override;
  void SetLook(const DialogLook& look) override;
  void AnimateShow(ShowAnimation animation, int duration_ms) override;
  void AnimateHide(HideAnimation animation, int duration_ms) override;
  void SetPaintedText(std::optional<PaintedText> text) override;
  void PostSysCommand(SysCommand command) override;
  void End(int result) override;

  void SetTimer(int id, uint32_t period_ms) override;
  void KillTimer(int id) override;

  bool HasControl(int id) override { return Control(id) != nullptr; }
  void SetText(int id, std::u16string_view text) override;
  std::u16string Text(int id) override;
  void SetTextLimit(int id, int units) override;
  void SetPasswordChar(int id, char16_t mask) override;
  void SetCheck(int id, CheckState state) override;
  CheckState Check(int id) override;
  void Enable(int id, bool enabled) override;
  bool IsEnabled(int id) override;
  void ShowControl(int id, bool shown) override;
  bool IsControlVisible(int id) override;
  void MoveControl(int id, Rect rect) override;
  Rect ControlRect(int id) override;
  void BringControlToTop(int id) override;
  void Focus(int id) override;
  void SetControlFont(int id, const FontStyle& font) override;
  void SetControlTextColor(int id, Color color) override;
  void SetHandCursor(int id) override;
  void SetToolTip(int id, std::u16string_view text) override;
  void SetControlImage(int id, ImagePtr image) override;

  int ComboAdd(int id, std::u16string_view text, intptr_t data) override;
  void ComboClear(int id) override;
  int ComboCount(int id) override;
  std::u16string ComboText(int id, int index) override;
  intptr_t ComboData(int id, int index) override;
  void ComboSelect(int id, int index) override;
  int ComboSelection(int id) override;

  void ListSetStyle(int id, bool check_boxes, bool grid_lines, bool full_row_select) override;
  void ListAddColumn(int id, std::u16string_view title, int width) override;
  void ListSetColumnTitle(int id, int column, std::u16string_view title) override;
  int ListInsert(int id, int index, std::u16string_view text) override;
  void ListSetText(int id, int item, int column, std::u16string_view text) override;
  std::u16string ListText(int id, int item, int column) override;
  int ListCount(int id) override;
  void ListDelete(int id, int item) override;
  void ListClear(int id) override;
  void ListSetChecked(int id, int item, bool checked) override;
  bool ListChecked(int id, int item) override;
  void ListSelect(int id, int item) override;
  int ListSelection(int id) override;
  void ListSetSelected(int id, int item, bool selected) override;
  std::vector<int> ListSelectedItems(int id) override;
  void ListSetRedraw(int id, bool redraw) override;

  int ListBoxInsert(int id, int index, std::u16string_view text) override;
  void ListBoxDelete(int id, int index) override;
  int ListBoxCount(int id) override;
  std::u16string ListBoxText(int id, int index) override;
  int ListBoxSelection(int id) override;

  int TabAdd(int id, std::u16string_view title) override;
  void TabSelect(int id, int index) override;
  int TabSelection(int id) override;

  void SetRange(int id, int minimum, int maximum) override;
  void SetPosition(int id, int position) override;
  int Position(int id) override;

  void SetHotKeyValue(int id, uint16_t value) override;
  uint16_t HotKeyValue(int id) override;

  ControlSurface* AttachBehaviour(int id, ControlBehaviour& behaviour) override;
  BrowserPane* AttachBrowser(int id, BrowserEvents& events) override;

  bool AddTrayIcon(const TrayIconSettings& settings) override;
  void SetTrayIcon(int icon_resource) override;
  void ShowTrayBalloon(std::u16string_view title, std::u16string_view text) override;
  void RemoveTrayIcon() override;

  bool RegisterHotKey(int id, uint32_t modifiers, uint32_t virtual_key) override;
  void UnregisterHotKey(int id) override;

  int TrackPopupMenu(const MenuModel& menu) override;

 private:
  class Surface;
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK ControlProc(HWND control, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                      DWORD_PTR data);
  INT_PTR Handle(UINT message, WPARAM wparam, LPARAM lparam);
  INT_PTR Result(LRESULT result);
  void OnCommandMessage(WPARAM wparam, LPARAM lparam);
  void OnNotify(const NMHDR& header);
  bool OnTrayMessage(WPARAM wparam, LPARAM lparam);
  bool PaintBackground(HDC dc);
  void DrawPaintedText(HDC dc);
  // Shows the window: without activation when its template asks for that.
  void ShowPlainly();
  INT_PTR ColorStatic(HDC dc, HWND control);
  void OnDestroyed();
  HWND Control(int id) const;
  HWND ToolTips();
  void AddTool(HWND control, std::u16string_view text);

  Win32Ui& ui_;
  CDialog& dialog_;
  const bool modal_;
  bool child_ = false;  // a child window: the top-level keyboard navigation reaches it
  HWND window_ = nullptr;
  DialogLook look_;
  HBRUSH background_brush_ = nullptr;
  ImagePtr background_image_;
  std::map<int, HFONT> fonts_;
  std::optional<PaintedText> painted_text_;
  HFONT painted_font_ = nullptr;
  std::map<int, Color> text_colors_;
  std::set<int> hand_cursor_controls_;
  HWND tool_tips_ = nullptr;
  std::map<int, std::unique_ptr<Surface>> surfaces_;
  std::map<HWND, ImagePtr> control_images_;
  std::set<int> hot_keys_;
  bool tray_shown_ = false;
  TrayIconSettings tray_;
  UINT taskbar_created_ = 0;
};
