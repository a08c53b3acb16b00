// The Linux KEZO: the filtering proxy without windows. It serves until Ctrl+C or SIGTERM,
// with the program's own folder as its working directory and the user's profile for its
// settings.
#include <cstdio>

#include "core/profile_values.h"
#include "platform/program_folder.h"
#include "platform/sockets.h"
#include "platform/termination.h"
#include "proxy/local_proxy.h"
#include "rules/shared_lists.h"

int main() {
  PrepareForTerminationRequest();
  if (!StartSockets()) {
    std::fprintf(stderr, "Windows 套接字初始化失败。\n");
    return 1;
  }
  if (!EnterProgramFolder()) {
    std::fprintf(stderr, "KEZO: cannot enter the program folder\n");
    return 1;
  }

  SharedLists lists;
  int port = ReadProfile(profile::kProxyPort);
  CLocalProxy proxy(static_cast<uint16_t>(port), lists);
  if (proxy.ErrorCode() != 0) {
    std::fprintf(stderr, "启动发生错误，错误号：%d\n", proxy.ErrorCode());
    return 1;
  }
  proxy.Start();
  std::printf("KEZO: filtering proxy on port %u (Ctrl+C ends it)\n", proxy.Port());
  std::fflush(stdout);

  WaitForTerminationRequest();
  proxy.Stop();
  return 0;
}
