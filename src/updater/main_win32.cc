// Updater.exe: the data update or the online upgrade, on the window system.
#include "framework/win32/windows_include.h"

#include <string>
#include <vector>

#include "framework/win32/win32_ui.h"
#include "platform/program_folder.h"
#include "platform/win32/system_info.h"
#include "updater/updater_app.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // The packs, the descriptors and 7-Zip are named relative to the program's folder,
  // whatever folder Updater was started in.
  if (!EnterProgramFolder()) return 1;
  std::vector<std::u16string> arguments = CommandLineArguments();
  Win32Ui ui;
  ScopedUiBackend installed(ui);
  CUpdaterApp app(std::move(arguments));
  return app.Run();
}
