#include "platform/posix/quiet_spawn.h"

#include <fcntl.h>
#include <spawn.h>

extern char** environ;

pid_t SpawnQuietly(char* const argv[]) {
  posix_spawn_file_actions_t quiet;
  posix_spawn_file_actions_init(&quiet);
  posix_spawn_file_actions_addopen(&quiet, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
  pid_t child = 0;
  int failed = posix_spawnp(&child, argv[0], &quiet, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&quiet);
  return failed != 0 ? -1 : child;
}
