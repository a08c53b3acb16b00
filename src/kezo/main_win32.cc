// KEZO.exe: the application and its main window on the window system.
#include "framework/win32/windows_include.h"

#include <optional>
#include <string>
#include <vector>

#include "core/kezo_app.h"
#include "core/kezo_lifecycle.h"
#include "core/setup_commands.h"
#include "framework/win32/win32_ui.h"
#include "platform/allocator_tuning.h"
#include "platform/win32/system_info.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  KeepFreedMemoryForReuse();
  std::vector<std::u16string> arguments = CommandLineArguments();
  Win32Ui ui;
  ScopedUiBackend installed(ui);
  // The setup program's questions are answered before anything of an ordinary start.
  if (std::optional<int> result = setup_command::Run(arguments)) return *result;
  CKEZOApp* running_app = nullptr;  // set before the channel's thread starts
  KezoLifecycle lifecycle([&running_app] { running_app->PostToMainWindow(WM_KEZO_SHOWMAIN); });
  CKEZOApp app(std::move(arguments), lifecycle);
  running_app = &app;
  return app.Run();
}
