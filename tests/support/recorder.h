#pragma once
// Stands in for the message boxes while a test runs: keeps every text shown and
// answers at once, so that no test blocks on a box.
#include "ui/messages.h"

#include <QStringList>

class MessageRecorder : public Messages
{
public:
    MessageRecorder() { m_previous = Messages::install(this); }
    ~MessageRecorder() override { Messages::install(m_previous); }

    void show(Kind kind, const QString &text, QWidget *) override
    {
        texts << text;
        kinds << kind;
    }
    void clear()
    {
        texts.clear();
        kinds.clear();
    }

    QStringList texts;
    QList<Kind> kinds;

private:
    Messages *m_previous = nullptr;
};
