// The Linux KEZO: the application and its main window on the headless backend (no windows;
// the servers, timers and commands all run). Message boxes go to standard error. It serves
// until Ctrl+C, which quits it as the tray's quit command would (so not while it is locked
// or in the forced mode), or until SIGTERM or SIGHUP, which end it as from outside: Launcher
// starts it again. It runs with the program's own folder as its working directory and the
// user's profile for its settings.
#include <atomic>
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
#include "platform/posix/ini_profile_store.h"
#include "platform/termination.h"
#include "proxy/control_server.h"
#include "proxy/local_proxy.h"

namespace {

// "filtering proxy on port 9090", with the stand-in named when the asked port needs root.
std::string Listening(const char* server, const CListenSocket& socket) {
  std::string text = std::string(server) + " on port " + std::to_string(socket.Port());
  if (socket.PrivilegedPortAvoided() != 0) {
    text += " (" + std::to_string(socket.PrivilegedPortAvoided()) + " is reserved for root)";
  }
  return text;
}

// Why a server does not listen, in the system's words, and what the user can do about it.
std::string NotListening(const char* server, const CListenSocket& socket, const char* profile_name) {
  std::string text = std::string("KEZO: the ") + server + " cannot listen on port " + std::to_string(socket.Port()) +
                     ": " + SocketErrorText(socket.ErrorCode()) + " (error " + std::to_string(socket.ErrorCode()) +
                     "). ";
  text += IsPrivilegedPortError(socket.ErrorCode())
              ? "Run KEZO as root, or choose a port from 1024 up"
              : "End the program that holds the port, or choose another";
  return text + " with " + profile_name + " in the [Setup] section of " + IniProfileStore::DefaultPath() +
         " (written as dword:<port>).";
}

// Runs once the message loop has started, that is after the main window has started the
// servers; without windows this is how a person learns where the proxy listens, or why it
// does not. Servers are named as serving only when they listen and the start went on.
void ReportServers(const CKEZODlg& main) {
  struct Server {
    const char* name;
    const CListenSocket* socket;
    const char* profile_name;
  };
  const Server servers[] = {{"filtering proxy", main.Proxy(), "ProxyPort"},
                            {"control server", main.ControlServer(), "HttpPort"}};
  std::string serving;
  for (const Server& server : servers) {
    if (server.socket == nullptr) continue;
    if (server.socket->IsListening()) {
      serving += (serving.empty() ? "" : ", ") + Listening(server.name, *server.socket);
    } else {
      std::fprintf(stderr, "%s\n", NotListening(server.name, *server.socket, server.profile_name).c_str());
    }
  }
  // A failed start ends the program at once: the servers that did start go with it.
  if (main.StartupFailed()) {
    std::fprintf(stderr, "KEZO: ends, as its start failed (see above).\n");
  } else if (!serving.empty()) {
    std::printf("KEZO: %s (Ctrl+C ends it)\n", serving.c_str());
  }
  std::fflush(stdout);
  std::fflush(stderr);
}

}  // namespace

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

  // Ctrl+C is the user's own quit and may be refused (locked, forced mode), so the thread
  // goes on waiting after it; any other request ends the program as an end from outside,
  // which leaves Launcher to start it again.
  std::atomic<bool> ended{false};
  std::thread terminator([&ui, &app, &ended] {
    for (;;) {
      TerminationRequest request = WaitForTerminationRequest();
      if (ended) return;
      ui.Dispatcher().Post([&ui, &app, request] {
        CKEZODlg* main = app.MainDialog();
        if (main == nullptr || !main->IsOpen()) {
          ui.QuitMessageLoop(0);
        } else if (request == TerminationRequest::kByUser) {
          main->QuitAsUser();
        } else {
          main->EndFromOutside();
        }
      });
      if (request == TerminationRequest::kFromOutside) return;
    }
  });

  ui.Dispatcher().Post([&app] {
    if (const CKEZODlg* main = app.MainDialog(); main != nullptr) ReportServers(*main);
  });

  int code = app.Run();
  ended = true;
  RequestTermination();  // wakes the terminator when the program ended by itself
  terminator.join();
  return code;
}
