// The Linux KEZO: the filtering proxy and the control server without windows. It serves
// until Ctrl+C or SIGTERM, with the program's own folder as its working directory and the
// user's profile for its settings.
#include <cstdio>

#include "core/profile_values.h"
#include "core/settings.h"
#include "platform/allocator_tuning.h"
#include "platform/program_folder.h"
#include "platform/sockets.h"
#include "platform/termination.h"
#include "proxy/control_server.h"
#include "proxy/local_proxy.h"
#include "rules/page_assets.h"
#include "rules/shared_lists.h"
#include "rules/word_filter.h"

int main() {
  PrepareForTerminationRequest();
  KeepFreedMemoryForReuse();
  if (!StartSockets()) {
    std::fprintf(stderr, "Windows 套接字初始化失败。\n");
    return 1;
  }
  if (!EnterProgramFolder()) {
    std::fprintf(stderr, "KEZO: cannot enter the program folder\n");
    return 1;
  }

  SetupRecord& setup = TheSetup();
  setup.LoadSetup();
  WriteParamScript(setup);
  CWordFilter black(true), white(false);

  CLocalHttpServer control(static_cast<uint16_t>(ReadProfile(profile::kHttpPort)));
  CLocalProxy proxy(static_cast<uint16_t>(ReadProfile(profile::kProxyPort)), TheSharedLists());
  for (int error : {control.ErrorCode(), proxy.ErrorCode()}) {
    if (error != 0) {
      std::fprintf(stderr, "启动发生错误，错误号：%d\n", error);
      return 1;
    }
  }
  control.Start();
  proxy.SetWordFilters(&black, &white);
  proxy.SetControlServerPort(control.Port());
  proxy.Start();
  std::printf("KEZO: filtering proxy on port %u, control server on port %u (Ctrl+C ends it)\n", proxy.Port(),
              control.Port());
  std::fflush(stdout);

  WaitForTerminationRequest();
  proxy.Stop();
  control.Stop();
  setup.SaveSetup();
  return 0;
}
