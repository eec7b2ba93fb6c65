#pragma once
// Program start: the application object, the single copy, the window set and
// the event loop. Returns the process's exit code.
int runJeonpyo(int argc, char *argv[]);
