#include "app/application.h"

#include "app/commandline.h"
#include "app/logindialog.h"
#include "app/messages.h"
#include "app/singleinstance.h"
#include "app/windowset.h"
#include "entry/entrywindow.h"
#include "entry/error.h"
#include "print/fonts.h"
#include "store/connection.h"

#include <QApplication>
#include <QTextStream>

namespace {

// An error that escapes a handler ends that handler only: it is shown, and the
// program goes on.
class JeonpyoApplication : public QApplication
{
public:
    using QApplication::QApplication;

    bool notify(QObject *receiver, QEvent *event) override
    {
        bool handled = false;
        guarded([&] { handled = QApplication::notify(receiver, event); });
        return handled;
    }
};

} // namespace

int runJeonpyo(int argc, char *argv[])
{
    // Help and version need no screen.
    if (asksOnlyForText(argc, argv) && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    JeonpyoApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("jeonpyo"));
    QApplication::setApplicationDisplayName(QStringLiteral("전표"));
    QApplication::setApplicationVersion(QStringLiteral(JEONPYO_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.jeonpyo.Jeonpyo"));
    installQtTranslations();
    const StartChoice choice = readCommandLine(QApplication::arguments());
    if (choice.action != StartChoice::Start) {
        QTextStream stream(choice.action == StartChoice::Refuse ? stderr : stdout);
        stream << choice.text;
        if (!choice.text.endsWith(QLatin1Char('\n')))
            stream << Qt::endl;
        return choice.action == StartChoice::Refuse ? 2 : 0;
    }
    if (!choice.database.isEmpty())
        qputenv("ACCOUNT_DB", choice.database.toUtf8());
    print::installKoreanFonts();
    store::setLoginPrompt(askLogin);

    SingleInstance instance(QStringLiteral("jeonpyo"));
    if (!instance.isFirst() && instance.handOver())
        return 0;

    EntryWindow *entry = createWindowSet();
    instance.onHandOver([entry] {
        qInfo("jeonpyo: a second start brought this window forward");
        if (entry->isMinimized())
            entry->showNormal();
        entry->raise();
        entry->activateWindow();
    });
    entry->show();
    const int code = app.exec();
    store::closeAccount();
    deleteWindowSet();
    return code;
}
