#include "core/desktop_integration.h"

#include <cstdio>

#include "base/text_format.h"
#include "config/process_flags.h"
#include "framework/application.h"
#include "framework/ui_backend.h"
#include "platform/autostart_store.h"
#include "platform/browser_traces.h"
#include "platform/code_page.h"
#include "platform/command_runner.h"
#include "platform/file_system.h"
#include "platform/program_file.h"
#include "platform/proxy_setting.h"
#include "rules/data_file.h"

namespace {

constexpr std::string_view kTemplateFile = "startup.xml";
constexpr std::string_view kTaskFile = "startup2.xml";
// The scheduler command reads the task file before it ends; it is given this long.
constexpr int kSchedulerTimeoutMs = 60000;
// What the program's end gives a registration still running: the forced mode re-registers
// its task at the end, and a logoff should not wait long for it.
constexpr std::chrono::milliseconds kFinishBound{5000};

void ReplaceFirst(std::u16string& text, std::u16string_view placeholder, std::u16string_view value) {
  size_t at = text.find(placeholder);
  if (at != std::u16string::npos) text.replace(at, placeholder.size(), value);
}

bool HasUtf16Mark(std::string_view bytes) {
  return bytes.size() >= 2 && static_cast<uint8_t>(bytes[0]) == 0xFF && static_cast<uint8_t>(bytes[1]) == 0xFE;
}

std::u16string FromUtf16Le(std::string_view bytes) {
  std::u16string text;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    text += static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) | (static_cast<uint8_t>(bytes[i + 1]) << 8));
  }
  return text;
}

std::string ToUtf16Le(std::u16string_view text) {
  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

std::u16string FolderOf(std::u16string_view path) {
  size_t slash = path.find_last_of(u"\\/");
  return std::u16string(slash == std::u16string_view::npos ? std::u16string_view() : path.substr(0, slash));
}

void ShowMessage(std::u16string text) { Ui().ShowMessageBox(MessageBoxRequest{std::move(text), ApplicationTitle()}, nullptr); }

}  // namespace

std::u16string ProxyServerText(uint16_t port) {
  std::u16string number = Decimal(port);
  return u"http=127.0.0.1:" + number + u";https=127.0.0.1:" + number;
}

std::u16string ReadBypassText() {
  CMyFile file("Data\\SuperWhiteList.txt", false);
  file.Read();
  std::u16string text = file.TakeText();
  if (text.size() > kMaxBypassUnits) text.resize(kMaxBypassUnits);
  return text;
}

std::string FillStartupTemplate(std::string_view template_bytes, std::u16string_view program_path,
                                std::u16string_view program_folder) {
  bool utf16 = HasUtf16Mark(template_bytes);
  std::u16string text = utf16 ? FromUtf16Le(template_bytes.substr(2)) : Utf8ToWide(template_bytes);
  std::u16string quoted_path;
  quoted_path.append(u"\"").append(program_path).append(u"\"");
  ReplaceFirst(text, u"APPPATH", quoted_path);
  ReplaceFirst(text, u"WORKPATH", program_folder);
  return utf16 ? "\xFF\xFE" + ToUtf16Le(text) : WideToUtf8(text);
}

void DesktopIntegration::RegisterSystemProxy(uint16_t proxy_port) {
  int error = 0;
  if (!ProxySetting::Current().PointAtLocalProxy(ProxyServerText(proxy_port), proxy_port, ReadBypassText(), &error)) {
    std::printf("InternetSetOption failed! (%d)\n", error);
    std::fflush(stdout);
  }
}

void DesktopIntegration::RemoveSystemProxy() { ProxySetting::Current().SetDirectWithAutoDetect(); }

void DesktopIntegration::RemoveSystemProxyAtSessionEnd() {
  ProxyRestored = true;
  ProxySetting::Current().SwitchOffAtSessionEnd();
}

bool DesktopIntegration::RegisterStartupTask() {
  FileSystem& files = FileSystem::Current();
  if (std::optional<std::string> template_bytes = files.ReadAll(kTemplateFile)) {
    std::u16string program = ProgramFilePath();
    files.Replace(kTaskFile, FillStartupTemplate(*template_bytes, program, FolderOf(program)));
  }
  if (!files.Exists(kTaskFile)) return false;
  // The command has read the file once it has ended, so the file goes only then.
  CommandRunner::Current().Run({u"schtasks", u"/create", u"/tn", u"kezo", u"/xml", Utf8ToWide(kTaskFile), u"/f"},
                               kSchedulerTimeoutMs);
  files.Remove(kTaskFile);
  return true;
}

void DesktopIntegration::SetAutostart(bool on) {
  AutostartStore& store = AutostartStore::Current();
  if (store.UsesScheduledTask()) {
    scheduler_.Post([on] {
      AutostartStore& store = AutostartStore::Current();
      if (on) {
        RegisterStartupTask();
      } else {
        store.DeleteTask();
      }
      store.DeleteEntry();  // a start entry from an older system is not left behind
    });
    return;
  }
  if (!on) {
    store.DeleteEntry();
    return;
  }
  int error = 0;
  switch (store.WriteEntry(ProgramFilePath(), u"-h", &error)) {
    case AutostartStore::Result::kDone: break;
    case AutostartStore::Result::kAccessDenied:
      ShowMessage(u"操作失败，权限不够。\n请关闭程序后使用鼠标右键【以管理员身份运行】重新启动软件。");
      break;
    case AutostartStore::Result::kFailed:
      ShowMessage(u"设置开启启动发生错误。ErrCode:" + Utf8ToWide(std::to_string(error)));
      break;
  }
}

void DesktopIntegration::FinishAutostartChanges() { WaitForAutostartChanges(kFinishBound); }

bool DesktopIntegration::IsAutostartOn() {
  AutostartStore& store = AutostartStore::Current();
  return store.UsesScheduledTask() ? store.TaskExists() : store.EntryExists();
}

void DesktopIntegration::CleanBrowserTraces() { ClearBrowserTraces(); }

SystemIntegration& SystemIntegration::System() {
  static DesktopIntegration desktop;
  return desktop;
}
