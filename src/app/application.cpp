#include "app/application.h"

#include "app/logindialog.h"
#include "app/messages.h"
#include "app/singleinstance.h"
#include "app/windowset.h"
#include "entry/entrywindow.h"
#include "entry/error.h"
#include "print/fonts.h"
#include "store/connection.h"

#include <QApplication>

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
    JeonpyoApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("jeonpyo"));
    QApplication::setApplicationDisplayName(QStringLiteral("전표"));
    print::installKoreanFonts();
    store::setLoginPrompt(askLogin);
    // A statement held up by a stalled server or a lock ends with a message
    // instead of freezing the window.
    store::setStatementTimeout(30000);

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
