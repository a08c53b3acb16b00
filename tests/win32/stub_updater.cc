// Stands in for Updater.exe in the program folder of KEZO.exe's Windows test: it ends at
// once, so the program's data updates find an updater and run it without the network.
int main() { return 0; }
