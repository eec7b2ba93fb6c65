#pragma once
// Program start: the application object, the single copy, the window set and
// the event loop. Returns the process's exit code.
class EntryWindow;

int runJeonpyo(int argc, char *argv[]);

// The books prepared for a first start, the window set created and the entry
// window shown. Closing the entry window closes the search dialogs with it.
// Tests start the windows the same way.
EntryWindow *startWindows();
