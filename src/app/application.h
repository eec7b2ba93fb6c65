#pragma once
// Program start: the application object, the single copy, the window set and
// the event loop. Returns the process's exit code.
class EntryWindow;

int runJeonpyo(int argc, char *argv[]);

// The books prepared for a first start, the window set created and the entry
// window shown; nullptr when the books could not be prepared (the clerk was
// told why). Tests start the windows the same way.
EntryWindow *startWindows();
