#pragma once
// The program's command line: --help, --version and --database URI (which takes
// the place of ACCOUNT_DB), and Qt's Korean strings under a Korean locale.
#include <QLocale>
#include <QString>
#include <QStringList>

// What the command line asks for.
struct StartChoice
{
    enum Action { Start, PrintHelp, PrintVersion, Refuse } action = Start;
    QString database; // --database, empty when not given
    QString text;     // the help, the version or the reason for refusing
};

// Reads the arguments (the program's name first, Qt's own options already
// taken out by the application object).
StartChoice readCommandLine(const QStringList &arguments);

// Whether the arguments only ask for text (help or version), so that the
// program can answer without a screen.
bool asksOnlyForText(int argc, char *argv[]);

// Loads Qt's own translations (buttons of message boxes, the print, preview and
// file dialogs) for a Korean locale from Qt's translation folder. Returns true
// when they were loaded; other locales keep Qt's English.
bool installQtTranslations(const QLocale &locale = QLocale::system());
