#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "framework/dialog.h"
#include "framework/resource_script.h"
#include "framework/ui_backend.h"

class HeadlessUi;

// The state of one custom control's surface, as a test reads it.
class HeadlessSurface : public ControlSurface {
 public:
  bool TrackHoverAndLeave(uint32_t hover_ms) override;
  void SetHighlight(bool on) override { highlighted = on; }
  bool IsHighlighted() override { return highlighted; }
  void Invalidate() override { ++invalidations; }
  void MakeOwnerDrawn() override { owner_drawn = true; }
  void ReportClicks() override { reports_clicks = true; }
  void SetImage(ImagePtr picture) override { image = std::move(picture); }
  void SetToolTip(std::u16string_view text) override { tool_tip = text; }
  void MoveTo(Rect rect) override { bounds = rect; }
  Rect Bounds() override { return bounds; }

  bool tracking_requested = false;  // a hover-and-leave request is outstanding
  uint32_t hover_ms = 0;
  bool highlighted = false;
  int invalidations = 0;
  bool owner_drawn = false;
  bool reports_clicks = false;
  ImagePtr image;
  std::u16string tool_tip;
  Rect bounds;
};

// An embedded browser without an engine: it records what it was asked to do.
class HeadlessBrowserPane : public BrowserPane {
 public:
  bool Navigate(std::u16string_view url) override {
    navigations.emplace_back(url);
    return true;
  }
  bool InstallUiHandler() override {
    ++handler_installs;
    return true;
  }
  bool ReportClicksOn(std::u16string_view element_id) override {
    reported_elements.emplace_back(element_id);
    return true;
  }

  std::vector<std::u16string> navigations;
  int handler_installs = 0;
  std::vector<std::u16string> reported_elements;
};

struct HeadlessControl {
  const ControlTemplate* source = nullptr;
  std::u16string text;
  CheckState check = CheckState::kUnchecked;
  bool enabled = true;
  bool visible = true;
  Rect rect;
  int text_limit = 0;
  char16_t password_char = 0;
  int z_order = 0;
  std::vector<std::pair<std::u16string, intptr_t>> combo_items;
  int combo_selection = -1;
  std::vector<std::u16string> list_columns;
  std::vector<std::vector<std::u16string>> list_rows;
  std::vector<bool> list_checked;
  std::vector<bool> list_selected;
  bool list_redraw = true;
  int list_redraw_pauses = 0;  // how often drawing was switched off
  std::vector<std::u16string> list_box_items;
  int list_box_selection = -1;
  std::vector<std::u16string> tabs;
  int tab_selection = -1;
  int range_min = 0;
  int range_max = 100;
  int position = 0;
  uint16_t hot_key = 0;
  ImagePtr image;
  std::optional<FontStyle> font;
  std::optional<Color> text_color;
  bool hand_cursor = false;
  std::u16string tool_tip;
  ControlBehaviour* behaviour = nullptr;
  std::unique_ptr<HeadlessSurface> surface;
  BrowserEvents* browser_events = nullptr;
  std::unique_ptr<HeadlessBrowserPane> browser;
};

struct HeadlessTray {
  bool shown = false;
  TrayIconSettings settings;
  int icon = 0;
  std::vector<std::pair<std::u16string, std::u16string>> balloons;  // title, text
};

struct HeadlessTimer {
  uint32_t period_ms = 0;
  uint64_t due_ms = 0;
};

// The window of one dialog in the headless backend: every control of the dialog's template
// kept in memory.
class HeadlessWindow : public DialogWindow {
 public:
  // `host`: the window that holds this one as a child (CDialog::CreateInside), else nullptr.
  HeadlessWindow(HeadlessUi& ui, CDialog& dialog, const DialogTemplate& source, bool modal,
                 HeadlessWindow* host = nullptr);
  ~HeadlessWindow() override;

  void SetTitle(std::u16string_view title) override { title_ = title; }
  std::u16string Title() override { return title_; }
  void Show(WindowShow how) override { show_ = how; }
  bool IsVisible() override { return show_ != WindowShow::kHidden; }
  bool IsMinimized() override { return show_ == WindowShow::kMinimized; }
  void BringToFront() override;
  void SetToolWindow(bool tool) override { tool_window_ = tool; }
  void SetTopMost(bool top_most) override { top_most_ = top_most; }
  void SetWindowSize(Size size) override { size_ = size; }
  Size WindowSize() override { return size_; }
  void SetWindowRect(Rect rect) override {
    origin_ = Point{rect.left, rect.top};
    size_ = Size{rect.Width(), rect.Height()};
  }
  Rect WindowRect() override { return Rect::At(origin_.x, origin_.y, size_.width, size_.height); }
  // Headless windows have no frame: the client area is the whole window.
  Size ClientSize() override { return size_; }
  void PlaceInParent(Rect bounds) override;
  void SetIcon(int icon_resource) override { icon_ = icon_resource; }
  void SetLook(const DialogLook& look) override { look_ = look; }
  void AnimateShow(ShowAnimation animation, int duration_ms) override;
  void AnimateHide(HideAnimation animation, int duration_ms) override;
  void SetPaintedText(std::optional<PaintedText> text) override { painted_text_ = std::move(text); }
  void PostSysCommand(SysCommand command) override;
  void End(int result) override;

  void SetTimer(int id, uint32_t period_ms) override;
  void KillTimer(int id) override { timers_.erase(id); }

  bool HasControl(int id) override { return Find(id) != nullptr; }
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
  void Focus(int id) override { focus_ = id; }
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

  void ListSetStyle(int id, bool check_boxes, bool grid_lines, bool full_row_select) override {}
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
  void RemoveTrayIcon() override { tray_.shown = false; }

  bool RegisterHotKey(int id, uint32_t modifiers, uint32_t virtual_key) override;
  void UnregisterHotKey(int id) override;

  int TrackPopupMenu(const MenuModel& menu) override;

  // For tests and the backend.
  CDialog& dialog() { return dialog_; }
  HeadlessControl* Find(int id);
  bool IsDestroyed() const { return destroyed_; }
  bool IsEnded() const { return ended_; }
  int Result() const { return result_; }
  bool IsModal() const { return modal_; }
  bool IsToolWindow() const { return tool_window_; }
  bool IsTopMost() const { return top_most_; }
  int Icon() const { return icon_; }
  int FocusedControl() const { return focus_; }
  const DialogLook& Look() const { return look_; }
  const std::vector<std::pair<ShowAnimation, int>>& Animations() const { return animations_; }
  const std::vector<std::pair<HideAnimation, int>>& HideAnimations() const { return hide_animations_; }
  const std::optional<PaintedText>& Painted() const { return painted_text_; }
  // Whether it was last shown without taking the focus.
  bool ShownWithoutActivation() const { return show_ == WindowShow::kNoActivate; }
  const HeadlessTray& Tray() const { return tray_; }
  std::map<int, HeadlessTimer>& Timers() { return timers_; }
  const std::set<int>& HotKeys() const { return hot_keys_; }
  // The modifiers and the key registered under `id`; nullopt when none is.
  std::optional<std::pair<uint32_t, uint32_t>> HotKeyOf(int id) const {
    auto found = hot_key_values_.find(id);
    if (found == hot_key_values_.end()) return std::nullopt;
    return found->second;
  }
  int FrontCount() const { return brought_to_front_; }
  HeadlessWindow* Host() const { return host_; }
  // Where PlaceInParent put a child window.
  Rect Bounds() const { return bounds_; }
  // Whether the user could reach the window: shown, and so is its host.
  bool IsReachable() const;

 private:
  friend class HeadlessUi;
  // Destroys a modeless window: timers, tray icon and hot keys go with it.
  void Destroy();

  HeadlessUi& ui_;
  CDialog& dialog_;
  const bool modal_;
  HeadlessWindow* const host_;
  Rect bounds_;
  std::map<int, HeadlessControl> controls_;
  std::u16string title_;
  WindowShow show_ = WindowShow::kHidden;
  bool tool_window_ = false;
  bool top_most_ = false;
  Size size_;
  Point origin_;
  int icon_ = 0;
  int focus_ = 0;
  int next_z_ = 1;
  int brought_to_front_ = 0;
  DialogLook look_;
  std::vector<std::pair<ShowAnimation, int>> animations_;
  std::vector<std::pair<HideAnimation, int>> hide_animations_;
  std::optional<PaintedText> painted_text_;
  std::map<int, HeadlessTimer> timers_;
  HeadlessTray tray_;
  std::set<int> hot_keys_;
  std::map<int, std::pair<uint32_t, uint32_t>> hot_key_values_;
  bool ended_ = false;
  bool destroyed_ = false;
  int result_ = 0;
};

// The backend without a window system: dialogs, controls, menus, message boxes, timers and
// the tray are kept in memory. The Linux program runs on it; tests drive it by control
// number, answer message boxes, nested modal dialogs and menus through scripts, and fire
// timers by hand.
//
// User-interface thread only, except the dispatcher. Construct it on the thread that is to
// be the user-interface thread.
class HeadlessUi : public UiBackend {
 public:
  // `resources` must outlive the backend.
  explicit HeadlessUi(const ResourceScript& resources);
  ~HeadlessUi() override;

  std::unique_ptr<DialogWindow> CreateModeless(CDialog& dialog, int template_id, CDialog* parent) override;
  std::unique_ptr<DialogWindow> CreateChild(CDialog& dialog, int template_id, CDialog& host, int control_id) override;
  int RunModal(CDialog& dialog, int template_id, CDialog* parent) override;
  int ShowMessageBox(const MessageBoxRequest& request, CDialog* owner) override;
  std::optional<MenuModel> LoadPopupMenu(int menu_id) override { return resources_.FindPopupMenu(menu_id); }
  std::u16string LoadString(int id) override { return resources_.FindString(id).value_or(u""); }
  ImagePtr LoadImage(std::u16string_view path) override;
  bool IsFontInstalled(std::u16string_view face) override { return installed_fonts.contains(std::u16string(face)); }
  Rect ScreenRect() override { return screen; }
  Rect WorkArea() override { return work_area; }
  Color SystemColorOf(SystemColor which) override {
    return which == SystemColor::kGrayText ? kGrayText : kWindowText;
  }
  std::optional<std::u16string> ChooseFile(const FileDialogRequest& request, CDialog* owner) override;
  std::optional<Color> ChooseColor(Color initial, CDialog* owner) override;
  int RunMessageLoop() override;
  void QuitMessageLoop(int exit_code) override;
  UiDispatcher& Dispatcher() override { return dispatcher_; }

  // Scripts. Without one: message boxes answer OK for an OK box and Cancel or No
  // otherwise, modal dialogs end as cancelled once initialised, menus choose nothing and
  // the common dialogs are cancelled.
  std::function<int(const MessageBoxRequest&)> on_message_box;
  // Runs after the modal dialog's initialisation; may drive it (Click, Type, ...). When
  // the dialog is still open afterwards it ends with the value returned.
  std::function<int(CDialog&)> on_modal;
  std::function<int(const MenuModel&)> on_menu;
  std::function<std::optional<std::u16string>(const FileDialogRequest&)> on_choose_file;
  std::function<std::optional<Color>(Color)> on_choose_color;
  // The faces that IsFontInstalled finds.
  std::set<std::u16string> installed_fonts{u"微软雅黑", u"黑体", u"宋体"};
  // The screen: 1280 x 900 with a 40-pixel task bar along the bottom.
  Rect screen = Rect{0, 0, 1280, 900};
  Rect work_area = Rect{0, 0, 1280, 860};
  static constexpr Color kWindowText = Rgb(0, 0, 0);
  static constexpr Color kGrayText = Rgb(109, 109, 109);
  // Writes every message box's text to standard error (the Linux program).
  bool echo_message_boxes = false;

  // What was shown.
  std::vector<MessageBoxRequest> message_boxes;
  std::vector<MenuModel> menus;

  // Driving, by control number. Each returns false when the window is not open or the
  // control is missing, hidden or disabled (the user could not reach it).
  bool Click(CDialog& dialog, int id);
  bool Type(CDialog& dialog, int id, std::u16string_view text, bool control_down = false);
  bool Paste(CDialog& dialog, int id, std::u16string_view text);
  bool SelectCombo(CDialog& dialog, int id, int index);
  // Selects item `index` of a list box (-1: none) and double-clicks it.
  bool DoubleClickListBox(CDialog& dialog, int id, int index);
  // Chooses tab `index` of a tab control, as a click on its caption does.
  bool SelectTab(CDialog& dialog, int id, int index);
  // Drags a track bar to `position` (kept within its range).
  bool MoveSlider(CDialog& dialog, int id, int position);
  // Types a key combination into a hot-key field: `value` in the field's own form.
  bool EnterHotKey(CDialog& dialog, int id, uint16_t value);
  bool ClickLink(CDialog& dialog, int id, std::u16string_view url);
  // Selects exactly `rows` of list view `id`, as clicks with Control held would.
  bool SelectListRows(CDialog& dialog, int id, const std::vector<int>& rows);
  // A right click on row `row` of list view `id` (-1: below the rows). As with the window
  // system, a click on a row that is not selected selects it alone first.
  bool RightClickList(CDialog& dialog, int id, int row);
  // Fires timer `id` once if it is set; returns whether it was.
  bool FireTimer(CDialog& dialog, int id);
  bool SendPrivateMessage(CDialog& dialog, uint32_t message, uintptr_t wparam = 0, intptr_t lparam = 0);
  bool SendTrayEvent(CDialog& dialog, TrayEvent event);
  bool PressHotKey(CDialog& dialog, int id);
  // Delivers a system command as the window system would, the default action included.
  bool SendSysCommand(CDialog& dialog, SysCommand command);
  bool QueryEndSession(CDialog& dialog);
  // A double click on the dialog's own surface.
  bool DoubleClick(CDialog& dialog);
  // Mouse events for custom controls. Hover arrives only while a hover request is
  // outstanding, as with the window system.
  bool MouseMove(CDialog& dialog, int id);
  bool MouseHover(CDialog& dialog, int id);
  bool MouseLeave(CDialog& dialog, int id);
  bool MouseDown(CDialog& dialog, int id);
  bool MouseUp(CDialog& dialog, int id, bool inside = true);
  // Asks an owner-drawn control to draw itself; the column of its image that it copied, or
  // nullopt when it drew nothing.
  std::optional<int> Draw(CDialog& dialog, int id);

  // Other programs' hot keys: registering these fails.
  void TakeHotKey(uint32_t modifiers, uint32_t virtual_key) { taken_hot_keys_.insert({modifiers, virtual_key}); }

  // Inspection.
  HeadlessWindow* WindowOf(const CDialog& dialog);
  HeadlessControl* ControlOf(const CDialog& dialog, int id);
  HeadlessSurface* SurfaceOf(const CDialog& dialog, int id);
  HeadlessBrowserPane* BrowserOf(const CDialog& dialog, int id);
  // Open dialogs whose template is `template_id`, most recent last.
  std::vector<CDialog*> OpenDialogs(int template_id);
  bool QuitRequested() const { return quit_requested_; }
  int ExitCode() const { return exit_code_; }
  // Runs the tasks other threads have posted or sent.
  int RunPendingTasks() { return dispatcher_.RunPending(); }
  // Runs posted tasks, waiting for more, until `done` holds. Whoever makes `done` hold
  // from another thread posts a task afterwards, so the wait ends.
  void RunTasksUntil(const std::function<bool()>& done);

 private:
  friend class HeadlessWindow;
  bool HotKeyTaken(uint32_t modifiers, uint32_t virtual_key);
  void Register(HeadlessWindow* window) { windows_.push_back(window); }
  void Unregister(HeadlessWindow* window);
  bool IsLive(HeadlessWindow* window) const;
  // Fires the timers that are due by the clock; returns the milliseconds until the next
  // one (-1: none).
  int FireDueTimers();

  const ResourceScript& resources_;
  UiDispatcher dispatcher_;
  std::vector<HeadlessWindow*> windows_;
  std::set<std::pair<uint32_t, uint32_t>> taken_hot_keys_;
  std::map<std::pair<uint32_t, uint32_t>, HeadlessWindow*> registered_hot_keys_;
  bool quit_requested_ = false;
  int exit_code_ = 0;
};
