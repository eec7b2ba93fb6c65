#pragma once
// The program's windows, created once at start-up and reached everywhere by
// their object names.
#include <QString>
#include <QWidget>

#include <functional>

class EntryWindow;

// When the seven search dialogs are made: with the rest of the set, or once
// the entry window is on the screen (at start-up, so that it is there sooner;
// a dialog wanted before then is made at once).
enum class SearchDialogsMade { Now, OnceOnScreen };

// The entry window first (its creation runs its start-up steps), then the seven
// search dialogs and the report host, all hidden. An entry window already
// built (not yet started) may be given.
EntryWindow *createWindowSet(SearchDialogsMade made = SearchDialogsMade::Now, EntryWindow *built = nullptr);
// Calls `then` once, when `window` is first exposed on the screen.
void whenFirstOnScreen(QWidget *window, std::function<void()> then);
// A window of the set by its object name ("fmMarvet7", "Form1", …), or nullptr.
QWidget *windowByName(const QString &objectName);
// Releases every window of the set (at the end of the program).
void deleteWindowSet();
