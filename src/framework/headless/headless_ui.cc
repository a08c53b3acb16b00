#include "framework/headless/headless_ui.h"

#include <algorithm>
#include <cstdio>

#include "framework/image_header.h"
#include "platform/clock.h"
#include "platform/code_page.h"
#include "platform/file_system.h"

namespace {

constexpr uint32_t kListSingleSelection = 0x4;  // LVS_SINGLESEL

class HeadlessImage : public Image {
 public:
  explicit HeadlessImage(Size size) : size_(size) {}
  Size GetSize() const override { return size_; }

 private:
  Size size_;
};

// Records the column an owner-drawn control copies.
class RecordingTarget : public DrawTarget {
 public:
  bool CopyImageBlock(const Image& image, int source_x, int source_y) override {
    column = source_x;
    return true;
  }
  std::optional<int> column;
};

}  // namespace

bool HeadlessSurface::TrackHoverAndLeave(uint32_t ms) {
  tracking_requested = true;
  hover_ms = ms;
  return true;
}

HeadlessWindow::HeadlessWindow(HeadlessUi& ui, CDialog& dialog, const DialogTemplate& source, bool modal,
                               HeadlessWindow* host)
    : ui_(ui), dialog_(dialog), modal_(modal), host_(host), title_(source.caption) {
  for (const ControlTemplate& control : source.controls) {
    if (control.id == -1 || controls_.count(control.id)) continue;  // IDC_STATIC texts are not addressable
    HeadlessControl& state = controls_[control.id];
    state.source = &control;
    state.text = control.text;
    state.visible = control.visible;
    state.enabled = !control.disabled;
    state.rect = control.units;
    state.z_order = next_z_++;
  }
  show_ = (source.style & 0x10000000) != 0 ? WindowShow::kNormal : WindowShow::kHidden;
  // Dialog units of the default font, roughly: until the dialog sizes itself.
  size_ = Size{source.units.Width() * 3 / 2, source.units.Height() * 13 / 8};
  ui_.Register(this);
}

HeadlessWindow::~HeadlessWindow() { ui_.Unregister(this); }

HeadlessControl* HeadlessWindow::Find(int id) {
  auto found = controls_.find(id);
  return found == controls_.end() ? nullptr : &found->second;
}

void HeadlessWindow::PlaceInParent(Rect bounds) {
  bounds_ = bounds;
  size_ = Size{bounds.Width(), bounds.Height()};
}

bool HeadlessWindow::IsReachable() const {
  if (destroyed_ || show_ == WindowShow::kHidden) return false;
  return host_ == nullptr || host_->IsReachable();
}

void HeadlessWindow::BringToFront() {
  if (show_ != WindowShow::kNormal) show_ = WindowShow::kNormal;
  ++brought_to_front_;
}

void HeadlessWindow::AnimateShow(ShowAnimation animation, int duration_ms) {
  animations_.emplace_back(animation, duration_ms);
  show_ = WindowShow::kNormal;
}

void HeadlessWindow::AnimateHide(HideAnimation animation, int duration_ms) {
  if (show_ == WindowShow::kHidden) return;
  hide_animations_.emplace_back(animation, duration_ms);
  show_ = WindowShow::kHidden;
}

void HeadlessWindow::PostSysCommand(SysCommand command) {
  CDialog* dialog = &dialog_;
  HeadlessUi* ui = &ui_;
  HeadlessWindow* self = this;
  ui_.dispatcher_.Post([ui, self, dialog, command] {
    if (ui->IsLive(self)) ui->SendSysCommand(*dialog, command);
  });
}

void HeadlessWindow::End(int result) {
  if (ended_ || destroyed_) return;
  ended_ = true;
  result_ = result;
  if (!modal_) Destroy();
}

void HeadlessWindow::Destroy() {
  if (destroyed_) return;
  // Child windows go first, as the window system destroys them with their parent.
  for (HeadlessWindow* other : std::vector<HeadlessWindow*>(ui_.windows_)) {
    if (other->host_ == this && ui_.IsLive(other)) other->Destroy();
  }
  destroyed_ = true;
  ended_ = true;
  timers_.clear();
  tray_.shown = false;
  for (int id : std::set<int>(hot_keys_)) UnregisterHotKey(id);
  show_ = WindowShow::kHidden;
  ui_.Unregister(this);
  dialog_.HandleDestroyed();
}

void HeadlessWindow::SetTimer(int id, uint32_t period_ms) {
  if (destroyed_) return;
  timers_[id] = HeadlessTimer{period_ms, Clock::Current().TickMs() + period_ms};
}

void HeadlessWindow::SetText(int id, std::u16string_view text) {
  if (HeadlessControl* control = Find(id)) control->text = text;
}

std::u16string HeadlessWindow::Text(int id) {
  HeadlessControl* control = Find(id);
  return control ? control->text : std::u16string();
}

void HeadlessWindow::SetTextLimit(int id, int units) {
  if (HeadlessControl* control = Find(id)) control->text_limit = units;
}

void HeadlessWindow::SetPasswordChar(int id, char16_t mask) {
  if (HeadlessControl* control = Find(id)) control->password_char = mask;
}

void HeadlessWindow::SetCheck(int id, CheckState state) {
  if (HeadlessControl* control = Find(id)) control->check = state;
}

CheckState HeadlessWindow::Check(int id) {
  HeadlessControl* control = Find(id);
  return control ? control->check : CheckState::kUnchecked;
}

void HeadlessWindow::Enable(int id, bool enabled) {
  if (HeadlessControl* control = Find(id)) control->enabled = enabled;
}

bool HeadlessWindow::IsEnabled(int id) {
  HeadlessControl* control = Find(id);
  return control && control->enabled;
}

void HeadlessWindow::ShowControl(int id, bool shown) {
  if (HeadlessControl* control = Find(id)) control->visible = shown;
}

bool HeadlessWindow::IsControlVisible(int id) {
  HeadlessControl* control = Find(id);
  return control && control->visible;
}

void HeadlessWindow::MoveControl(int id, Rect rect) {
  if (HeadlessControl* control = Find(id)) {
    control->rect = rect;
    if (control->surface) control->surface->bounds = rect;
  }
}

Rect HeadlessWindow::ControlRect(int id) {
  HeadlessControl* control = Find(id);
  return control ? control->rect : Rect{};
}

void HeadlessWindow::BringControlToTop(int id) {
  if (HeadlessControl* control = Find(id)) control->z_order = next_z_++;
}

void HeadlessWindow::SetControlFont(int id, const FontStyle& font) {
  if (HeadlessControl* control = Find(id)) control->font = font;
}

void HeadlessWindow::SetControlTextColor(int id, Color color) {
  if (HeadlessControl* control = Find(id)) control->text_color = color;
}

void HeadlessWindow::SetHandCursor(int id) {
  if (HeadlessControl* control = Find(id)) control->hand_cursor = true;
}

void HeadlessWindow::SetToolTip(int id, std::u16string_view text) {
  if (HeadlessControl* control = Find(id)) control->tool_tip = text;
}

void HeadlessWindow::SetControlImage(int id, ImagePtr image) {
  HeadlessControl* control = Find(id);
  if (control == nullptr) return;
  if (image != nullptr) {  // a picture control takes its picture's size
    Size size = image->GetSize();
    control->rect = Rect::At(control->rect.left, control->rect.top, size.width, size.height);
    if (control->surface) control->surface->bounds = control->rect;
  }
  control->image = std::move(image);
}

int HeadlessWindow::ComboAdd(int id, std::u16string_view text, intptr_t data) {
  HeadlessControl* control = Find(id);
  if (!control) return -1;
  control->combo_items.emplace_back(std::u16string(text), data);
  return static_cast<int>(control->combo_items.size()) - 1;
}

void HeadlessWindow::ComboClear(int id) {
  if (HeadlessControl* control = Find(id)) {
    control->combo_items.clear();
    control->combo_selection = -1;
  }
}

int HeadlessWindow::ComboCount(int id) {
  HeadlessControl* control = Find(id);
  return control ? static_cast<int>(control->combo_items.size()) : 0;
}

std::u16string HeadlessWindow::ComboText(int id, int index) {
  HeadlessControl* control = Find(id);
  if (!control || index < 0 || index >= static_cast<int>(control->combo_items.size())) return {};
  return control->combo_items[static_cast<size_t>(index)].first;
}

intptr_t HeadlessWindow::ComboData(int id, int index) {
  HeadlessControl* control = Find(id);
  if (!control || index < 0 || index >= static_cast<int>(control->combo_items.size())) return 0;
  return control->combo_items[static_cast<size_t>(index)].second;
}

void HeadlessWindow::ComboSelect(int id, int index) {
  HeadlessControl* control = Find(id);
  if (!control) return;
  control->combo_selection = index >= 0 && index < static_cast<int>(control->combo_items.size()) ? index : -1;
}

int HeadlessWindow::ComboSelection(int id) {
  HeadlessControl* control = Find(id);
  return control ? control->combo_selection : -1;
}

void HeadlessWindow::ListAddColumn(int id, std::u16string_view title, int width) {
  if (HeadlessControl* control = Find(id)) control->list_columns.emplace_back(title);
}

void HeadlessWindow::ListSetColumnTitle(int id, int column, std::u16string_view title) {
  HeadlessControl* control = Find(id);
  if (control && column >= 0 && column < static_cast<int>(control->list_columns.size())) {
    control->list_columns[static_cast<size_t>(column)] = title;
  }
}

int HeadlessWindow::ListInsert(int id, int index, std::u16string_view text) {
  HeadlessControl* control = Find(id);
  if (!control) return -1;
  int count = static_cast<int>(control->list_rows.size());
  if (index < 0 || index > count) index = count;
  control->list_rows.insert(control->list_rows.begin() + index, std::vector<std::u16string>{std::u16string(text)});
  control->list_checked.insert(control->list_checked.begin() + index, false);
  control->list_selected.insert(control->list_selected.begin() + index, false);
  return index;
}

void HeadlessWindow::ListSetText(int id, int item, int column, std::u16string_view text) {
  HeadlessControl* control = Find(id);
  if (!control || item < 0 || item >= static_cast<int>(control->list_rows.size()) || column < 0) return;
  auto& row = control->list_rows[static_cast<size_t>(item)];
  if (static_cast<int>(row.size()) <= column) row.resize(static_cast<size_t>(column) + 1);
  row[static_cast<size_t>(column)] = text;
}

std::u16string HeadlessWindow::ListText(int id, int item, int column) {
  HeadlessControl* control = Find(id);
  if (!control || item < 0 || item >= static_cast<int>(control->list_rows.size()) || column < 0) return {};
  const auto& row = control->list_rows[static_cast<size_t>(item)];
  return column < static_cast<int>(row.size()) ? row[static_cast<size_t>(column)] : std::u16string();
}

int HeadlessWindow::ListCount(int id) {
  HeadlessControl* control = Find(id);
  return control ? static_cast<int>(control->list_rows.size()) : 0;
}

void HeadlessWindow::ListDelete(int id, int item) {
  HeadlessControl* control = Find(id);
  if (!control || item < 0 || item >= static_cast<int>(control->list_rows.size())) return;
  control->list_rows.erase(control->list_rows.begin() + item);
  control->list_checked.erase(control->list_checked.begin() + item);
  control->list_selected.erase(control->list_selected.begin() + item);
}

void HeadlessWindow::ListClear(int id) {
  if (HeadlessControl* control = Find(id)) {
    control->list_rows.clear();
    control->list_checked.clear();
    control->list_selected.clear();
  }
}

void HeadlessWindow::ListSetChecked(int id, int item, bool checked) {
  HeadlessControl* control = Find(id);
  if (control && item >= 0 && item < static_cast<int>(control->list_checked.size())) {
    control->list_checked[static_cast<size_t>(item)] = checked;
  }
}

bool HeadlessWindow::ListChecked(int id, int item) {
  HeadlessControl* control = Find(id);
  return control && item >= 0 && item < static_cast<int>(control->list_checked.size()) &&
         control->list_checked[static_cast<size_t>(item)];
}

void HeadlessWindow::ListSelect(int id, int item) {
  HeadlessControl* control = Find(id);
  if (control == nullptr) return;
  control->list_selected.assign(control->list_rows.size(), false);
  ListSetSelected(id, item, true);
}

int HeadlessWindow::ListSelection(int id) {
  std::vector<int> selected = ListSelectedItems(id);
  return selected.empty() ? -1 : selected.front();
}

void HeadlessWindow::ListSetSelected(int id, int item, bool selected) {
  HeadlessControl* control = Find(id);
  if (control == nullptr || item < 0 || item >= static_cast<int>(control->list_selected.size())) return;
  if (selected && (control->source->style & kListSingleSelection) != 0) {
    control->list_selected.assign(control->list_selected.size(), false);
  }
  control->list_selected[static_cast<size_t>(item)] = selected;
}

std::vector<int> HeadlessWindow::ListSelectedItems(int id) {
  std::vector<int> selected;
  if (HeadlessControl* control = Find(id)) {
    for (size_t i = 0; i < control->list_selected.size(); ++i) {
      if (control->list_selected[i]) selected.push_back(static_cast<int>(i));
    }
  }
  return selected;
}

void HeadlessWindow::ListSetRedraw(int id, bool redraw) {
  HeadlessControl* control = Find(id);
  if (control == nullptr) return;
  if (!redraw && control->list_redraw) ++control->list_redraw_pauses;
  control->list_redraw = redraw;
}

int HeadlessWindow::ListBoxInsert(int id, int index, std::u16string_view text) {
  HeadlessControl* control = Find(id);
  if (!control) return -1;
  std::vector<std::u16string>& items = control->list_box_items;
  size_t at = index < 0 || static_cast<size_t>(index) > items.size() ? items.size() : static_cast<size_t>(index);
  items.insert(items.begin() + static_cast<std::ptrdiff_t>(at), std::u16string(text));
  return static_cast<int>(at);
}

void HeadlessWindow::ListBoxDelete(int id, int index) {
  HeadlessControl* control = Find(id);
  if (!control || index < 0 || index >= static_cast<int>(control->list_box_items.size())) return;
  control->list_box_items.erase(control->list_box_items.begin() + index);
  if (control->list_box_selection == index) control->list_box_selection = -1;
  else if (control->list_box_selection > index) --control->list_box_selection;
}

int HeadlessWindow::ListBoxCount(int id) {
  HeadlessControl* control = Find(id);
  return control ? static_cast<int>(control->list_box_items.size()) : 0;
}

std::u16string HeadlessWindow::ListBoxText(int id, int index) {
  HeadlessControl* control = Find(id);
  if (!control || index < 0 || index >= static_cast<int>(control->list_box_items.size())) return {};
  return control->list_box_items[static_cast<size_t>(index)];
}

int HeadlessWindow::ListBoxSelection(int id) {
  HeadlessControl* control = Find(id);
  return control ? control->list_box_selection : -1;
}

int HeadlessWindow::TabAdd(int id, std::u16string_view title) {
  HeadlessControl* control = Find(id);
  if (!control) return -1;
  control->tabs.emplace_back(title);
  if (control->tab_selection < 0) control->tab_selection = 0;
  return static_cast<int>(control->tabs.size()) - 1;
}

void HeadlessWindow::TabSelect(int id, int index) {
  HeadlessControl* control = Find(id);
  if (control && index >= 0 && index < static_cast<int>(control->tabs.size())) control->tab_selection = index;
}

int HeadlessWindow::TabSelection(int id) {
  HeadlessControl* control = Find(id);
  return control ? control->tab_selection : -1;
}

void HeadlessWindow::SetRange(int id, int minimum, int maximum) {
  if (HeadlessControl* control = Find(id)) {
    control->range_min = minimum;
    control->range_max = maximum;
    control->position = std::clamp(control->position, std::min(minimum, maximum), std::max(minimum, maximum));
  }
}

void HeadlessWindow::SetPosition(int id, int position) {
  if (HeadlessControl* control = Find(id)) {
    control->position = std::clamp(position, std::min(control->range_min, control->range_max),
                                   std::max(control->range_min, control->range_max));
  }
}

int HeadlessWindow::Position(int id) {
  HeadlessControl* control = Find(id);
  return control ? control->position : 0;
}

void HeadlessWindow::SetHotKeyValue(int id, uint16_t value) {
  if (HeadlessControl* control = Find(id)) control->hot_key = value;
}

uint16_t HeadlessWindow::HotKeyValue(int id) {
  HeadlessControl* control = Find(id);
  return control ? control->hot_key : 0;
}

ControlSurface* HeadlessWindow::AttachBehaviour(int id, ControlBehaviour& behaviour) {
  HeadlessControl* control = Find(id);
  if (!control) return nullptr;
  control->behaviour = &behaviour;
  control->surface = std::make_unique<HeadlessSurface>();
  control->surface->bounds = control->rect;
  behaviour.Attached(*control->surface);
  return control->surface.get();
}

BrowserPane* HeadlessWindow::AttachBrowser(int id, BrowserEvents& events) {
  HeadlessControl* control = Find(id);
  if (!control) return nullptr;
  control->browser_events = &events;
  control->browser = std::make_unique<HeadlessBrowserPane>();
  return control->browser.get();
}

bool HeadlessWindow::AddTrayIcon(const TrayIconSettings& settings) {
  if (destroyed_) return false;
  tray_.shown = true;
  tray_.settings = settings;
  tray_.settings.tip = settings.tip.substr(0, 127);
  tray_.icon = settings.icon_resource;
  return true;
}

void HeadlessWindow::SetTrayIcon(int icon_resource) {
  tray_.icon = icon_resource;
  tray_.settings.icon_resource = icon_resource;
}

void HeadlessWindow::ShowTrayBalloon(std::u16string_view title, std::u16string_view text) {
  if (tray_.shown) tray_.balloons.emplace_back(std::u16string(title), std::u16string(text));
}

bool HeadlessWindow::RegisterHotKey(int id, uint32_t modifiers, uint32_t virtual_key) {
  if (destroyed_ || hot_keys_.count(id) || ui_.HotKeyTaken(modifiers, virtual_key)) return false;
  hot_keys_.insert(id);
  hot_key_values_[id] = {modifiers, virtual_key};
  ui_.registered_hot_keys_[{modifiers, virtual_key}] = this;
  return true;
}

void HeadlessWindow::UnregisterHotKey(int id) {
  auto found = hot_key_values_.find(id);
  if (found == hot_key_values_.end()) return;
  ui_.registered_hot_keys_.erase(found->second);
  hot_key_values_.erase(found);
  hot_keys_.erase(id);
}

int HeadlessWindow::TrackPopupMenu(const MenuModel& menu) {
  ui_.menus.push_back(menu);
  return ui_.on_menu ? ui_.on_menu(menu) : 0;
}

HeadlessUi::HeadlessUi(const ResourceScript& resources) : resources_(resources), dispatcher_(nullptr) {}

HeadlessUi::~HeadlessUi() { dispatcher_.Shutdown(); }

std::unique_ptr<DialogWindow> HeadlessUi::CreateModeless(CDialog& dialog, int template_id, CDialog* parent) {
  const DialogTemplate* source = resources_.FindDialog(template_id);
  if (source == nullptr) return nullptr;
  auto window = std::make_unique<HeadlessWindow>(*this, dialog, *source, false);
  dialog.HandleInit(*window);
  if (window->IsDestroyed()) return nullptr;
  return window;
}

std::unique_ptr<DialogWindow> HeadlessUi::CreateChild(CDialog& dialog, int template_id, CDialog& host,
                                                      int control_id) {
  const DialogTemplate* source = resources_.FindDialog(template_id);
  HeadlessWindow* host_window = WindowOf(host);
  if (source == nullptr || host_window == nullptr || !host_window->HasControl(control_id)) return nullptr;
  auto window = std::make_unique<HeadlessWindow>(*this, dialog, *source, false, host_window);
  dialog.HandleInit(*window);
  if (window->IsDestroyed()) return nullptr;
  return window;
}

int HeadlessUi::RunModal(CDialog& dialog, int template_id, CDialog* parent) {
  const DialogTemplate* source = resources_.FindDialog(template_id);
  if (source == nullptr) return -1;
  HeadlessWindow window(*this, dialog, *source, true);
  window.show_ = WindowShow::kNormal;
  dialog.HandleInit(window);
  if (!window.IsEnded()) {
    int answer = on_modal ? on_modal(dialog) : kIdCancel;
    if (!window.IsEnded()) window.End(answer);
  }
  window.destroyed_ = true;
  window.timers_.clear();
  dialog.HandleDestroyed();
  return window.Result();
}

int HeadlessUi::ShowMessageBox(const MessageBoxRequest& request, CDialog* owner) {
  message_boxes.push_back(request);
  if (echo_message_boxes) {
    std::fprintf(stderr, "%s: %s\n", WideToUtf8(request.caption).c_str(), WideToUtf8(request.text).c_str());
  }
  if (on_message_box) return on_message_box(request);
  switch (request.buttons) {
    case MessageButtons::kOk: return kIdOk;
    case MessageButtons::kYesNo: return kIdNo;
    default: return kIdCancel;
  }
}

ImagePtr HeadlessUi::LoadImage(std::u16string_view path) {
  std::optional<std::string> bytes = FileSystem::Current().ReadAll(WideToLocal(path));
  if (!bytes) return nullptr;
  std::optional<Size> size = ReadImageHeaderSize(*bytes);
  if (!size) return nullptr;
  return std::make_shared<HeadlessImage>(*size);
}

std::optional<std::u16string> HeadlessUi::ChooseFile(const FileDialogRequest& request, CDialog* owner) {
  return on_choose_file ? on_choose_file(request) : std::nullopt;
}

std::optional<Color> HeadlessUi::ChooseColor(Color initial, CDialog* owner) {
  return on_choose_color ? on_choose_color(initial) : std::nullopt;
}

int HeadlessUi::RunMessageLoop() {
  quit_requested_ = false;
  while (!quit_requested_) {
    dispatcher_.RunPending();
    if (quit_requested_) break;
    int wait_ms = FireDueTimers();
    if (quit_requested_) break;
    dispatcher_.WaitForWork(wait_ms);
  }
  return exit_code_;
}

void HeadlessUi::QuitMessageLoop(int exit_code) {
  quit_requested_ = true;
  exit_code_ = exit_code;
}

int HeadlessUi::FireDueTimers() {
  uint64_t now = Clock::Current().TickMs();
  std::vector<std::pair<HeadlessWindow*, int>> due;
  for (HeadlessWindow* window : windows_) {
    for (auto& [id, timer] : window->timers_) {
      if (timer.due_ms <= now) due.emplace_back(window, id);
    }
  }
  for (auto& [window, id] : due) {
    if (quit_requested_) break;
    if (!IsLive(window)) continue;
    auto found = window->timers_.find(id);
    if (found == window->timers_.end()) continue;
    found->second.due_ms = now + std::max<uint32_t>(found->second.period_ms, 1);
    window->dialog_.HandleTimer(id);
  }
  int64_t next = -1;
  now = Clock::Current().TickMs();
  for (HeadlessWindow* window : windows_) {
    for (auto& [id, timer] : window->timers_) {
      int64_t wait = timer.due_ms > now ? static_cast<int64_t>(timer.due_ms - now) : 0;
      if (next < 0 || wait < next) next = wait;
    }
  }
  return static_cast<int>(std::min<int64_t>(next, 1 << 30));
}

void HeadlessUi::Unregister(HeadlessWindow* window) {
  windows_.erase(std::remove(windows_.begin(), windows_.end(), window), windows_.end());
}

bool HeadlessUi::IsLive(HeadlessWindow* window) const {
  return std::find(windows_.begin(), windows_.end(), window) != windows_.end() && !window->destroyed_;
}

bool HeadlessUi::HotKeyTaken(uint32_t modifiers, uint32_t virtual_key) {
  return taken_hot_keys_.count({modifiers, virtual_key}) > 0 || registered_hot_keys_.count({modifiers, virtual_key}) > 0;
}

HeadlessWindow* HeadlessUi::WindowOf(const CDialog& dialog) {
  for (HeadlessWindow* window : windows_) {
    if (&window->dialog_ == &dialog && !window->destroyed_) return window;
  }
  return nullptr;
}

HeadlessControl* HeadlessUi::ControlOf(const CDialog& dialog, int id) {
  HeadlessWindow* window = WindowOf(dialog);
  return window ? window->Find(id) : nullptr;
}

HeadlessSurface* HeadlessUi::SurfaceOf(const CDialog& dialog, int id) {
  HeadlessControl* control = ControlOf(dialog, id);
  return control ? control->surface.get() : nullptr;
}

HeadlessBrowserPane* HeadlessUi::BrowserOf(const CDialog& dialog, int id) {
  HeadlessControl* control = ControlOf(dialog, id);
  return control ? control->browser.get() : nullptr;
}

std::vector<CDialog*> HeadlessUi::OpenDialogs(int template_id) {
  std::vector<CDialog*> open;
  for (HeadlessWindow* window : windows_) {
    if (!window->destroyed_ && !window->ended_ && window->dialog_.TemplateId() == template_id) {
      open.push_back(&window->dialog_);
    }
  }
  return open;
}

void HeadlessUi::RunTasksUntil(const std::function<bool()>& done) {
  while (!done()) {
    if (dispatcher_.RunPending() == 0 && !done()) dispatcher_.WaitForWork(-1);
  }
}

namespace {

// The control a user could reach: open window, control present, shown and enabled; a
// child window (a page of a tab control) and its host shown as well.
HeadlessControl* Reachable(HeadlessUi& ui, CDialog& dialog, int id) {
  HeadlessControl* control = ui.ControlOf(dialog, id);
  if (control == nullptr || !control->visible || !control->enabled) return nullptr;
  HeadlessWindow* window = ui.WindowOf(dialog);
  if (window->Host() != nullptr && !window->IsReachable()) return nullptr;
  return control;
}

}  // namespace

bool HeadlessUi::Click(CDialog& dialog, int id) {
  HeadlessWindow* window = WindowOf(dialog);
  HeadlessControl* control = Reachable(*this, dialog, id);
  if (window == nullptr || control == nullptr) return false;
  const ControlTemplate& source = *control->source;
  if (source.auto_check) {
    switch (source.kind) {
      case ControlKind::kCheckBox:
        control->check = control->check == CheckState::kChecked ? CheckState::kUnchecked : CheckState::kChecked;
        break;
      case ControlKind::kThreeState:
        control->check = control->check == CheckState::kUnchecked ? CheckState::kChecked
                         : control->check == CheckState::kChecked ? CheckState::kIndeterminate
                                                                  : CheckState::kUnchecked;
        break;
      case ControlKind::kRadio: {
        // Clear the other automatic radio buttons of the same group.
        const DialogTemplate* tmpl = resources_.FindDialog(dialog.TemplateId());
        if (tmpl != nullptr) {
          size_t at = 0;
          while (at < tmpl->controls.size() && tmpl->controls[at].id != id) ++at;
          size_t first = at;
          while (first > 0 && !tmpl->controls[first].group) --first;
          for (size_t i = first; i < tmpl->controls.size(); ++i) {
            if (i > first && tmpl->controls[i].group) break;
            if (tmpl->controls[i].kind == ControlKind::kRadio && tmpl->controls[i].auto_check) {
              if (HeadlessControl* other = window->Find(tmpl->controls[i].id)) other->check = CheckState::kUnchecked;
            }
          }
        }
        control->check = CheckState::kChecked;
        break;
      }
      default:
        break;
    }
  }
  bool is_static = source.kind == ControlKind::kStatic || source.kind == ControlKind::kPicture;
  bool reports = !is_static || (source.style & 0x100) != 0 || (control->surface && control->surface->reports_clicks);
  if (reports) dialog.HandleCommand(id);
  return true;
}

bool HeadlessUi::Type(CDialog& dialog, int id, std::u16string_view text, bool control_down) {
  HeadlessControl* control = Reachable(*this, dialog, id);
  if (control == nullptr) return false;
  for (char16_t character : text) {
    if (!ControlOf(dialog, id)) return false;
    if (control->behaviour != nullptr && !control->behaviour->OnChar(character, control_down)) continue;
    if (character == u'\b') {
      if (!control->text.empty()) control->text.pop_back();
    } else if (control->text_limit <= 0 || static_cast<int>(control->text.size()) < control->text_limit) {
      control->text += character;
    }
    dialog.HandleControlEvent(id, ControlEvent::kTextChanged, {});
  }
  return true;
}

bool HeadlessUi::Paste(CDialog& dialog, int id, std::u16string_view text) {
  HeadlessControl* control = Reachable(*this, dialog, id);
  if (control == nullptr) return false;
  std::u16string pasted(text);
  if (control->text_limit > 0) {
    size_t room = static_cast<size_t>(std::max(0, control->text_limit - static_cast<int>(control->text.size())));
    pasted.resize(std::min(pasted.size(), room));
  }
  control->text += pasted;
  dialog.HandleControlEvent(id, ControlEvent::kTextChanged, {});
  return true;
}

bool HeadlessUi::SelectCombo(CDialog& dialog, int id, int index) {
  HeadlessControl* control = Reachable(*this, dialog, id);
  if (control == nullptr || index < 0 || index >= static_cast<int>(control->combo_items.size())) return false;
  control->combo_selection = index;
  dialog.HandleControlEvent(id, ControlEvent::kSelectionChanged, {});
  return true;
}

bool HeadlessUi::DoubleClickListBox(CDialog& dialog, int id, int index) {
  HeadlessControl* control = Reachable(*this, dialog, id);
  if (control == nullptr || index >= static_cast<int>(control->list_box_items.size())) return false;
  control->list_box_selection = index < 0 ? -1 : index;
  dialog.HandleControlEvent(id, ControlEvent::kDoubleClicked, {});
  return true;
}

bool HeadlessUi::SelectTab(CDialog& dialog, int id, int index) {
  HeadlessControl* control = Reachable(*this, dialog, id);
  if (control == nullptr || index < 0 || index >= static_cast<int>(control->tabs.size())) return false;
  control->tab_selection = index;
  dialog.HandleControlEvent(id, ControlEvent::kTabChanged, {});
  return true;
}

bool HeadlessUi::MoveSlider(CDialog& dialog, int id, int position) {
  HeadlessControl* control = Reachable(*this, dialog, id);
  if (control == nullptr) return false;
  WindowOf(dialog)->SetPosition(id, position);
  dialog.HandleControlEvent(id, ControlEvent::kPositionChanged, {});
  return true;
}

bool HeadlessUi::EnterHotKey(CDialog& dialog, int id, uint16_t value) {
  HeadlessControl* control = Reachable(*this, dialog, id);
  if (control == nullptr) return false;
  control->hot_key = value;
  return true;
}

bool HeadlessUi::ClickLink(CDialog& dialog, int id, std::u16string_view url) {
  if (Reachable(*this, dialog, id) == nullptr) return false;
  dialog.HandleControlEvent(id, ControlEvent::kLinkClicked, url);
  return true;
}

bool HeadlessUi::SelectListRows(CDialog& dialog, int id, const std::vector<int>& rows) {
  HeadlessWindow* window = WindowOf(dialog);
  HeadlessControl* control = Reachable(*this, dialog, id);
  if (window == nullptr || control == nullptr || control->source->kind != ControlKind::kListView) return false;
  window->ListSelect(id, -1);
  for (int row : rows) window->ListSetSelected(id, row, true);
  dialog.HandleControlEvent(id, ControlEvent::kSelectionChanged, {});
  return true;
}

bool HeadlessUi::RightClickList(CDialog& dialog, int id, int row) {
  HeadlessWindow* window = WindowOf(dialog);
  HeadlessControl* control = Reachable(*this, dialog, id);
  if (window == nullptr || control == nullptr || control->source->kind != ControlKind::kListView) return false;
  if (row < 0 || row >= static_cast<int>(control->list_rows.size())) {
    row = -1;
  } else if (!control->list_selected[static_cast<size_t>(row)]) {
    window->ListSelect(id, row);
  }
  std::string digits = std::to_string(row);
  dialog.HandleControlEvent(id, ControlEvent::kRightClicked, std::u16string(digits.begin(), digits.end()));
  return true;
}

bool HeadlessUi::FireTimer(CDialog& dialog, int id) {
  HeadlessWindow* window = WindowOf(dialog);
  if (window == nullptr || !window->timers_.count(id)) return false;
  dialog.HandleTimer(id);
  return true;
}

bool HeadlessUi::DoubleClick(CDialog& dialog) {
  HeadlessWindow* window = WindowOf(dialog);
  if (window == nullptr || !window->IsVisible()) return false;
  dialog.HandleDoubleClick();
  return true;
}

bool HeadlessUi::SendPrivateMessage(CDialog& dialog, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  if (WindowOf(dialog) == nullptr) return false;
  return dialog.HandlePrivateMessage(message, wparam, lparam);
}

bool HeadlessUi::SendTrayEvent(CDialog& dialog, TrayEvent event) {
  HeadlessWindow* window = WindowOf(dialog);
  if (window == nullptr || !window->tray_.shown) return false;
  dialog.HandleTrayEvent(window->tray_.settings.id, event);
  return true;
}

bool HeadlessUi::PressHotKey(CDialog& dialog, int id) {
  HeadlessWindow* window = WindowOf(dialog);
  if (window == nullptr || !window->hot_keys_.count(id)) return false;
  dialog.HandleHotKey(id);
  return true;
}

bool HeadlessUi::SendSysCommand(CDialog& dialog, SysCommand command) {
  HeadlessWindow* window = WindowOf(dialog);
  if (window == nullptr) return false;
  if (dialog.HandleSysCommand(command)) return true;
  switch (command) {
    case SysCommand::kClose: dialog.HandleCommand(kIdCancel); break;
    case SysCommand::kMinimize: window->show_ = WindowShow::kMinimized; break;
    case SysCommand::kRestore: window->show_ = WindowShow::kNormal; break;
  }
  return true;
}

bool HeadlessUi::QueryEndSession(CDialog& dialog) {
  if (WindowOf(dialog) == nullptr) return false;
  return dialog.HandleQueryEndSession();
}

bool HeadlessUi::MouseMove(CDialog& dialog, int id) {
  HeadlessControl* control = Reachable(*this, dialog, id);
  if (control == nullptr || control->behaviour == nullptr) return false;
  control->behaviour->OnMouseMove();
  return true;
}

bool HeadlessUi::MouseHover(CDialog& dialog, int id) {
  HeadlessControl* control = Reachable(*this, dialog, id);
  if (control == nullptr || control->behaviour == nullptr || !control->surface->tracking_requested) return false;
  control->behaviour->OnMouseHover();
  return true;
}

bool HeadlessUi::MouseLeave(CDialog& dialog, int id) {
  HeadlessControl* control = Reachable(*this, dialog, id);
  if (control == nullptr || control->behaviour == nullptr || !control->surface->tracking_requested) return false;
  control->surface->tracking_requested = false;
  control->behaviour->OnMouseLeave();
  return true;
}

bool HeadlessUi::MouseDown(CDialog& dialog, int id) {
  HeadlessControl* control = Reachable(*this, dialog, id);
  if (control == nullptr || control->behaviour == nullptr) return false;
  control->behaviour->OnLeftButtonDown();
  control->surface->highlighted = true;  // a pressed button is drawn selected
  return true;
}

bool HeadlessUi::MouseUp(CDialog& dialog, int id, bool inside) {
  HeadlessControl* control = Reachable(*this, dialog, id);
  if (control == nullptr || control->behaviour == nullptr) return false;
  control->behaviour->OnLeftButtonUp();
  bool was_pressed = control->surface->highlighted;
  control->surface->highlighted = false;
  if (inside && was_pressed) Click(dialog, id);
  return true;
}

std::optional<int> HeadlessUi::Draw(CDialog& dialog, int id) {
  HeadlessControl* control = ControlOf(dialog, id);
  if (control == nullptr || control->behaviour == nullptr) return std::nullopt;
  RecordingTarget target;
  Rect bounds = control->surface->bounds;
  control->behaviour->OnDraw(target, Size{bounds.Width(), bounds.Height()}, control->surface->highlighted);
  return target.column;
}
