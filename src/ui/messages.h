#pragma once
// Every message box of the program goes through here. The program shows real
// boxes; tests install a recorder that keeps the texts and answers at once.
#include <QString>
#include <functional>

class QWidget;

class Messages
{
public:
    enum class Kind { Plain, Warning, Error };

    virtual ~Messages() = default;
    virtual void show(Kind kind, const QString &text, QWidget *parent) = 0;

    static Messages &current();
    // Replaces the door; returns the previous one (nullptr restores the boxes).
    static Messages *install(Messages *messages);
};

void showPlain(const QString &text, QWidget *parent = nullptr);
void showWarning(const QString &text, QWidget *parent = nullptr);
void showError(const QString &text, QWidget *parent = nullptr);

// The general error display: runs a handler, and an error it does not catch ends
// it and is shown in a message box; the program goes on. Returns false then.
bool guarded(const std::function<void()> &handler, QWidget *parent = nullptr);
