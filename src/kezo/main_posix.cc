// The Linux KEZO: the application and its main window on the headless backend (no windows;
// the servers, timers and commands all run). Message boxes go to standard error. It serves
// until Ctrl+C or SIGTERM, which quit it as the tray's quit command would, with the program's
// own folder as its working directory and the user's profile for its settings.
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "core/kezo_app.h"
#include "core/kezo_dlg.h"
#include "core/kezo_lifecycle.h"
#include "core/kezo_resources.h"
#include "framework/headless/headless_ui.h"
#include "platform/allocator_tuning.h"
#include "platform/code_page.h"
#include "platform/termination.h"
#include "proxy/control_server.h"
#include "proxy/local_proxy.h"

int main(int argc, char** argv) {
  PrepareForTerminationRequest();
  KeepFreedMemoryForReuse();

  HeadlessUi ui(KezoResources());
  ui.echo_message_boxes = true;
  ScopedUiBackend installed(ui);

  std::vector<std::u16string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(Utf8ToWide(argv[i]));
  CKEZOApp* running_app = nullptr;  // set before the channel's thread starts
  KezoLifecycle lifecycle([&running_app] { running_app->PostToMainWindow(WM_KEZO_SHOWMAIN); });
  CKEZOApp app(std::move(arguments), lifecycle);
  running_app = &app;

  std::thread terminator([&ui, &app] {
    WaitForTerminationRequest();
    ui.Dispatcher().Post([&ui, &app] {
      if (CKEZODlg* main = app.MainDialog(); main != nullptr && main->IsOpen()) {
        ui.SendPrivateMessage(*main, WM_KEZO_QUIT);
      } else {
        ui.QuitMessageLoop(0);
      }
    });
  });

  // Runs once the message loop has started, that is after the main window has started the
  // servers; without windows this line is how a person learns where the proxy listens.
  ui.Dispatcher().Post([&app] {
    CKEZODlg* main = app.MainDialog();
    if (main == nullptr || main->Proxy() == nullptr || !main->Proxy()->IsListening()) return;
    std::printf("KEZO: filtering proxy on port %u, control server on port %u (Ctrl+C ends it)\n",
                main->Proxy()->Port(), main->ControlServer()->Port());
    std::fflush(stdout);
  });

  int code = app.Run();
  RequestTermination();  // wakes the terminator when the program ended by itself
  terminator.join();
  return code;
}
