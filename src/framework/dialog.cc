#include "framework/dialog.h"

#include "base/text_format.h"
#include "framework/application.h"
#include "framework/ui_backend.h"

CDialog::~CDialog() {
  if (IsOpen() && modeless_window_ != nullptr) {
    quits_on_destroy_ = false;
    window_->End(kIdCancel);
  }
}

int CDialog::DoModal(CDialog* parent) { return Ui().RunModal(*this, template_id_, parent); }

bool CDialog::Create(CDialog* parent) {
  if (IsOpen()) return true;
  std::unique_ptr<DialogWindow> created = Ui().CreateModeless(*this, template_id_, parent);
  if (created == nullptr) return false;
  modeless_window_ = std::move(created);
  return true;
}

bool CDialog::CreateInside(CDialog& host, int control_id) {
  if (IsOpen()) return true;
  if (!host.IsOpen()) return false;
  std::unique_ptr<DialogWindow> created = Ui().CreateChild(*this, template_id_, host, control_id);
  if (created == nullptr) return false;
  modeless_window_ = std::move(created);
  return true;
}

void CDialog::DestroyWindow() {
  if (IsOpen()) window_->End(kIdCancel);
}

bool CDialog::HandleInit(DialogWindow& window) {
  window_ = &window;
  return OnInit();
}

void CDialog::HandleCommand(int id) {
  if (id == kIdOk) {
    OnOk();
  } else if (id == kIdCancel) {
    OnCancel();
  } else {
    OnCommand(id);
  }
}

void CDialog::HandleDestroyed() {
  if (window_ == nullptr) return;
  OnDestroy();
  window_ = nullptr;
  if (quits_on_destroy_) Ui().QuitMessageLoop(0);
}

void CDialog::End(int result) {
  if (IsOpen()) window_->End(result);
}

int CDialog::MessageBox(std::u16string_view text, std::u16string_view caption, MessageButtons buttons,
                        MessageIcon icon) {
  MessageBoxRequest request{std::u16string(text), std::u16string(caption.empty() ? ApplicationTitle() : caption),
                            buttons, icon};
  return Ui().ShowMessageBox(request, this);
}

std::optional<int> CDialog::ReadIntInRange(int id, int minimum, int maximum) {
  std::optional<int64_t> number = ParseWholeNumber(window().Text(id));
  if (number && *number >= minimum && *number <= maximum) return static_cast<int>(*number);
  std::u16string text = number ? WithNumber(WithNumber(u"请输入一个介于 %d 和 %d 之间的整数。", minimum), maximum)
                               : std::u16string(u"请输入一个整数。");
  MessageBox(text, {}, MessageButtons::kOk, MessageIcon::kWarning);
  window().Focus(id);
  return std::nullopt;
}
