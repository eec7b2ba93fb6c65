#pragma once
// The program's windows, created once at start-up in a fixed order and reached
// everywhere by their object names.
#include <QString>
#include <QWidget>

class EntryWindow;

// The entry window first (its creation runs its start-up steps), then the seven
// search dialogs and the report host, all hidden.
EntryWindow *createWindowSet();
// A window of the set by its object name ("fmMarvet7", "Form1", …), or nullptr.
QWidget *windowByName(const QString &objectName);
// Releases every window of the set (at the end of the program).
void deleteWindowSet();
