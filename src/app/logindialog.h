#pragma once
// Asks the clerk for the login name and password when the database server wants
// a password that was not given. The password stays in memory only.
#include <QString>

// Returns false when the clerk gives up.
bool askLogin(QString &user, QString &password, const QString &problem);
