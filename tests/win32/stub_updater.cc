// Stands in for Updater.exe in the program folder of KEZO.exe's Windows test: it ends at
// once, so the program's data updates find an updater and run it without the network.
// With "--run-ms=N" it runs N milliseconds first, as some other program of a given name.
#include <windows.h>

#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  constexpr char kRun[] = "--run-ms=";
  if (argc > 1 && std::strncmp(argv[1], kRun, sizeof kRun - 1) == 0) Sleep(std::atoi(argv[1] + sizeof kRun - 1));
  return 0;
}
