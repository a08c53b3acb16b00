#include "platform/processes.h"

#include <dirent.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "platform/code_page.h"
#include "platform/program_file.h"

extern char** environ;

namespace {

// "KEZO.exe" is the program "KEZO" here.
std::string PosixName(std::u16string_view image_name) {
  std::string name = WideToUtf8(image_name);
  if (name.size() > 4 && strcasecmp(name.c_str() + name.size() - 4, ".exe") == 0) name.resize(name.size() - 4);
  return name;
}

std::string ProgramFolder() {
  std::string path = WideToUtf8(ProgramFilePath());
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

// The file a process runs, from its executable link; empty when the link cannot be read
// (a process of another user, say).
std::string ExecutableOf(pid_t pid) {
  char target[4096];
  std::string link = "/proc/" + std::to_string(pid) + "/exe";
  ssize_t length = readlink(link.c_str(), target, sizeof target - 1);
  if (length <= 0) return {};
  std::string path(target, static_cast<size_t>(length));
  if (path.ends_with(" (deleted)")) path.resize(path.size() - 10);  // replaced by a rebuild
  return path;
}

// Whether `pid` belongs to the user this process runs as.
bool RunByThisUser(pid_t pid) {
  struct stat info {};
  return stat(("/proc/" + std::to_string(pid)).c_str(), &info) == 0 && info.st_uid == getuid();
}

class PosixProcess : public WatchedProcess {
 public:
  PosixProcess(pid_t pid, bool child) : pid_(pid), child_(child) {
    if (!child_) pidfd_ = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  }
  ~PosixProcess() override {
    if (pidfd_ >= 0) close(pidfd_);
  }

  void Wait() override {
    if (child_) {
      int status = 0;
      while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
      }
      return;
    }
    if (pidfd_ >= 0) {
      pollfd ended{pidfd_, POLLIN, 0};
      while (poll(&ended, 1, -1) < 0 && errno == EINTR) {
      }
      return;
    }
    while (kill(pid_, 0) == 0 || errno == EPERM) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }

  void Terminate(int exit_code) override { kill(pid_, SIGTERM); }

 private:
  pid_t pid_;
  bool child_;
  int pidfd_ = -1;
};

class PosixProcesses : public Processes {
 public:
  std::unique_ptr<WatchedProcess> OpenRunning(std::u16string_view image_name, OpenResult* result) override {
    const std::string wanted = ProgramFolder() + "/" + PosixName(image_name);
    DIR* proc = opendir("/proc");
    *result = OpenResult::kNotRunning;
    if (proc == nullptr) return nullptr;
    std::unique_ptr<WatchedProcess> found;
    while (dirent* entry = readdir(proc)) {
      char* end = nullptr;
      long pid = std::strtol(entry->d_name, &end, 10);
      if (*end != '\0' || pid <= 0 || pid == getpid()) continue;
      // Only this installation's companion counts: the program file of this folder, run
      // by this user. Another user's copy, or a program that only shares the name, is not
      // it (and would only be refused).
      if (!RunByThisUser(static_cast<pid_t>(pid)) || ExecutableOf(static_cast<pid_t>(pid)) != wanted) continue;
      if (kill(static_cast<pid_t>(pid), 0) != 0 && errno == EPERM) {
        *result = OpenResult::kAccessDenied;
        break;
      }
      found = std::make_unique<PosixProcess>(static_cast<pid_t>(pid), false);
      *result = OpenResult::kOpened;
      break;
    }
    closedir(proc);
    return found;
  }

  std::unique_ptr<WatchedProcess> StartFromProgramFolder(std::u16string_view image_name, bool hidden) override {
    std::string folder = ProgramFolder();
    std::string path = folder + "/" + PosixName(image_name);
    pid_t child = Spawn(path, folder);
    return child > 0 ? std::make_unique<PosixProcess>(child, true) : nullptr;
  }

  bool RestartSelf(bool elevated) override {
    std::string path = WideToUtf8(ProgramFilePath());
    pid_t child = Spawn(path, ProgramFolder());
    if (child <= 0) return false;
    // The new instance lives on after this one; nobody here waits for it.
    std::thread([child] {
      int status = 0;
      waitpid(child, &status, 0);
    }).detach();
    return true;
  }

 private:
  static pid_t Spawn(const std::string& path, const std::string& folder) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    std::string program = path;
    char* argv[] = {program.data(), nullptr};
    pid_t child = 0;
    int failed = posix_spawn(&child, path.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    return failed == 0 ? child : -1;
  }
};

}  // namespace

Processes& Processes::System() {
  static PosixProcesses processes;
  return processes;
}
