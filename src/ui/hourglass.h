#pragma once
// Shared by the entry window's commands: the hourglass for the length of a
// listing, a load or a save, set back to normal wherever the command stops,
// and the warning of a command that finds the list empty.
#include <QApplication>
#include <QString>

class Hourglass
{
public:
    Hourglass() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~Hourglass() { QApplication::restoreOverrideCursor(); }
    Hourglass(const Hourglass &) = delete;
    Hourglass &operator=(const Hourglass &) = delete;
};

inline const QString noDataMessage = QStringLiteral("현재 데이타가 없읍니다....");
