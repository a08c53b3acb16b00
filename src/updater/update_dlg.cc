#include "updater/update_dlg.h"

#include <algorithm>
#include <climits>

#include "framework/ui_backend.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "platform/process_runner.h"
#include "platform/shell.h"
#include "platform/top_level_windows.h"
#include "updater_resource.h"

namespace {

constexpr Color kWhite = Rgb(255, 255, 255);

int ProgressValue(uint64_t value) { return static_cast<int>(std::min<uint64_t>(value, INT_MAX)); }

}  // namespace

void EndUpdaterProgram() {
  Ui().Dispatcher().Post([] { Ui().QuitMessageLoop(0); });
}

CUpdateDlg::CUpdateDlg(UpdateHost host, UpdateOptions options)
    : CDialog(IDD_UPDATE_DIALOG), host_(std::move(host)), options_(std::move(options)) {}

CUpdateDlg::~CUpdateDlg() {
  gate_.Close();
  if (worker_.joinable()) worker_.join();
}

bool CUpdateDlg::OnInit() {
  window().SetTitle(kTitle);
  window().SetIcon(IDR_UPDATER_ICON);
  DialogLook look;
  look.background = kWhite;
  window().SetLook(look);

  check_ = CheckForUpdate();
  if (check_ == Check::kNewer) {
    window().SetText(IDC_UPDATE_MESSAGE, u"有更新版本!\r\n\r\n最新版本:" + LocalToWide(release_.version) +
                                             u"  更新日期:" + LocalToWide(release_.date) +
                                             u"\r\n\r\n查看新版本更新内容详细。请点击下面网址：\r\n\r\n" + Link());
    window().Show(WindowShow::kNormal);
    return true;
  }
  if (options_.hidden) {
    EndUpdaterProgram();
    return true;
  }
  std::u16string text = u"当前版本:" + options_.version;
  text += check_ == Check::kError
              ? u"\r\n\r\n检测新版本发生错误,请稍候再试。\r\n\r\n关注更新页面,随时发现更新版本。\r\n\r\n"
              : u"\r\n\r\n您使用的是最新版本的Veltra，当前没有更新需要安装。\r\n\r\n关注更新页面,随时发现更新版本。\r\n\r\n";
  window().SetText(IDC_UPDATE_MESSAGE, text + Link());
  window().SetText(IDC_UPDATE_BUTTON, u"确定");
  window().Show(WindowShow::kNormal);
  return true;
}

CUpdateDlg::Check CUpdateDlg::CheckForUpdate() {
  if (!DownloadFresh(host_.Address(UpdateHost::kProgramDescriptorPath), kProgramDescriptorFile)) return Check::kError;
  release_ = ReadProgramRelease(FileSystem::Current().ReadAll(kProgramDescriptorFile).value_or(""));
  return IsNewerVersion(release_.version, WideToLocal(options_.version)) ? Check::kNewer : Check::kCurrent;
}

std::u16string CUpdateDlg::Link() const {
  // The plain form of the markup: some link controls (Wine's under a CJK font) do not read
  // an href attribute. The click is answered with the page all the same.
  return u"<a>" + host_.UpdatePage(false) + u"</a>";
}

void CUpdateDlg::OnOk() {
  if (installing_) return;
  if (check_ != Check::kNewer) {
    EndUpdaterProgram();
    return;
  }
  StartInstall();
}

void CUpdateDlg::OnCancel() {
  if (installing_) return;
  EndUpdaterProgram();
}

void CUpdateDlg::OnControlEvent(int id, ControlEvent event, std::u16string_view detail) {
  // The message's one link is the update page; the address is taken from the setting, not
  // from the control, whose text holds what the downloaded descriptor said.
  if (id == IDC_UPDATE_MESSAGE && event == ControlEvent::kLinkClicked) Shell::Current().Open(host_.UpdatePage(false));
}

void CUpdateDlg::OnDestroy() { gate_.Close(); }

void CUpdateDlg::StartInstall() {
  if (worker_.joinable()) return;  // one download per run: the button stays disabled after it
  installing_ = true;
  window().SetText(IDC_UPDATE_BUTTON, u"安装中……");
  window().Enable(IDC_UPDATE_BUTTON, false);
  window().ShowControl(IDC_UPDATE_STATUS, true);
  window().ShowControl(IDC_UPDATE_PROGRESS, true);
  UiDispatcher& dispatcher = Ui().Dispatcher();
  worker_ = std::thread([this, &dispatcher, url = release_.url] {
    bool ok = DownloadFresh(url, kInstallerFile, [this, &dispatcher](uint64_t received, uint64_t total) {
      dispatcher.Post([this, received, total] { ShowProgress(received, total); }, &gate_);
    });
    dispatcher.Post([this, ok] { InstallerDownloaded(ok); }, &gate_);
  });
}

void CUpdateDlg::ShowProgress(uint64_t received, uint64_t total) {
  if (!IsOpen()) return;
  window().SetRange(IDC_UPDATE_PROGRESS, 0, ProgressValue(total));
  window().SetPosition(IDC_UPDATE_PROGRESS, ProgressValue(received));
}

void CUpdateDlg::InstallerDownloaded(bool ok) {
  if (!IsOpen()) return;
  if (!ok) {
    installing_ = false;
    MessageBox(u"下载发生错误!", u"提示");
    return;
  }
  // A main program that is not running (or is already gone) does not stop the installer.
  TopLevelWindows& windows = TopLevelWindows::Current();
  if (!windows.PostPrivateMessage(u"Veltra", kKezoQuitMessage)) windows.PostPrivateMessage(u"Veltra_锁定", kKezoQuitMessage);
  ProcessRunner::Current().Start(kInstallerFile, u"/SILENT", true);
  installing_ = false;
  DestroyWindow();
  Shell::Current().Open(host_.UpdatePage(true));
  EndUpdaterProgram();
}
