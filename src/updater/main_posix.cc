// The Linux Updater, on the headless backend. The data update works as on Windows. With
// "-u" the online-upgrade dialog runs without a window: when it would be shown, its title,
// message and button are printed to standard output and the program ends, since nobody can
// press the button (and no Windows installer could run here). A hidden check without an
// update ends silently, as on Windows.
#include <cstdio>
#include <string>
#include <vector>

#include "framework/headless/headless_ui.h"
#include "platform/code_page.h"
#include "platform/sockets.h"
#include "platform/program_folder.h"
#include "updater/updater_app.h"
#include "updater/updater_resources.h"
#include "updater_resource.h"

int main(int argc, char** argv) {
  // The packs, the descriptors and 7-Zip are named relative to the program's folder,
  // whatever folder Updater was started in.
  if (!EnterProgramFolder()) return 1;
  StartSockets();
  HeadlessUi ui(UpdaterResources());
  ui.echo_message_boxes = true;
  ScopedUiBackend installed(ui);

  std::vector<std::u16string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(Utf8ToWide(argv[i]));
  CUpdaterApp app(std::move(arguments));

  // Runs once the message loop has started, after the main window did its job.
  ui.Dispatcher().Post([&ui, &app] {
    CUpdaterWnd* main = app.MainWnd();
    CUpdateDlg* dialog = main != nullptr ? main->UpdateDialog() : nullptr;
    if (dialog == nullptr || !dialog->IsOpen() || !dialog->Window()->IsVisible()) return;
    DialogWindow& window = *dialog->Window();
    std::printf("%s\n\n%s\n\n[%s]\n", WideToUtf8(window.Title()).c_str(),
                WideToUtf8(window.Text(IDC_UPDATE_MESSAGE)).c_str(), WideToUtf8(window.Text(IDC_UPDATE_BUTTON)).c_str());
    std::fflush(stdout);
    ui.QuitMessageLoop(0);
  });
  return app.Run();
}
