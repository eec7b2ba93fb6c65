#include "app/application.h"

#include "app/commandline.h"
#include "app/firststart.h"
#include "app/logindialog.h"
#include "app/singleinstance.h"
#include "app/windowset.h"
#include "base/error.h"
#include "base/localzone.h"
#include "entry/entrywindow.h"
#include "print/fonts.h"
#include "store/connection.h"
#include "ui/messages.h"

#include <QApplication>
#include <QPointer>
#include <QTextStream>
#include <memory>

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

// One copy per user, desktop and database: a second start on other books is a
// program of its own, never a hand-over to the window of the first.
QString singleCopyKey()
{
    return store::resolveTarget().displayName() + QLatin1Char('\n') + qEnvironmentVariable("WAYLAND_DISPLAY") +
           QLatin1Char('\n') + qEnvironmentVariable("DISPLAY");
}

} // namespace

EntryWindow *startWindows()
{
    // A server's new process for the connection starts while the entry window
    // is built; nothing in the window reads the books before they are ready.
    store::openAccountAhead();
    auto built = std::make_unique<EntryWindow>();
    // Books that cannot be opened or are not ours: the clerk has been told why,
    // and a window of design texts and database errors would only mislead.
    // Nothing has been typed yet, so no message says that it is kept.
    store::setTypedInputKept(false);
    const bool ready = prepareBooks();
    store::setTypedInputKept(true);
    if (!ready)
        return nullptr;
    EntryWindow *entry = createWindowSet(SearchDialogsMade::OnceOnScreen, built.release());
    entry->show();
    // With JEONPYO_STARTUP_MARK set, one line on stderr as soon as the entry
    // window is on the screen, with the rows its grid lists: the moment the
    // benchmark's start-up figure ends.
    if (!qEnvironmentVariableIsEmpty("JEONPYO_STARTUP_MARK"))
        whenFirstOnScreen(entry, [entry] {
            QTextStream(stderr) << "jeonpyo: on screen, " << entry->list().rowCount() << " rows listed" << Qt::endl;
        });
    return entry;
}

int runJeonpyo(int argc, char *argv[])
{
    settleLocalZone();
    // Help and version need no screen.
    if (asksOnlyForText(argc, argv) && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    JeonpyoApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("jeonpyo"));
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
    // A statement held up by a stalled server or a lock ends with a message
    // instead of freezing the window.
    store::setStatementTimeout(store::windowStatementTimeout);

    SingleInstance instance(QStringLiteral("jeonpyo"), singleCopyKey());
    if (!instance.isFirst() && instance.handOver())
        return 0;

    QPointer<EntryWindow> entry = startWindows();
    if (!entry)
        return 1;
    instance.onHandOver([entry] {
        if (!entry) // closing: the program is on its way out
            return;
        qInfo("jeonpyo: a second start brought this window forward");
        if (entry->isMinimized())
            entry->showNormal();
        entry->raise();
        entry->activateWindow();
    });
    // Closing the entry window ends the program, whatever dialog is still open.
    QObject::connect(entry.data(), &QObject::destroyed, &app, [&instance] {
        instance.stopListening();
        QCoreApplication::exit(0);
    });
    const int code = app.exec();
    store::closeAccount();
    deleteWindowSet();
    return code;
}
