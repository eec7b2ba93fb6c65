#include "app/windowset.h"

#include "entry/entrywindow.h"
#include "entry/resolution.h"
#include "lookup/finderdialog.h"
#include "lookup/searchdialogs.h"
#include "print/dayprint.h"
#include "print/exportfile.h"
#include "print/fmqrmarvet3.h"
#include "print/voucherprint.h"
#include "store/waiting.h"
#include "ui/helpwindow.h"
#include "ui/messages.h"
#include "ui/waitingdoor.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <QWindow>

namespace {

// The seven search dialogs live from start-up to the end of the program,
// writing into the entry window.
std::unique_ptr<lookup::SearchDialogs> searchDialogs;
QPointer<EntryWindow> entryOfDialogs;

// The dialogs, made the first time they are wanted.
lookup::SearchDialogs &dialogs()
{
    if (!searchDialogs) {
        searchDialogs = std::make_unique<lookup::SearchDialogs>(entryOfDialogs);
        // A pick in a dialog fills the entry's fields.
        for (const auto &dialog : searchDialogs->all())
            QObject::connect(dialog.get(), &lookup::SearchDialog::picked, entryOfDialogs.data(),
                             &EntryWindow::applyPick);
    }
    return *searchDialogs;
}

// The entry window's way to the search dialogs, by their object names.
class DialogDoor : public entry::SearchDoor
{
public:
    void prepare(const QString &dialog, int entry, const QString &text) override
    {
        if (lookup::SearchDialog *d = dialogs().find(dialog))
            d->prepare(entry, text);
    }
    void searchAndShow(const QString &dialog) override
    {
        if (lookup::SearchDialog *d = dialogs().find(dialog)) {
            d->search();
            d->showNonBlocking();
        }
    }
};
DialogDoor dialogDoor;
// A statement that keeps the clerk waiting is shown, and may be cancelled.
WaitingWindow waitingWindow;

void connectPrinting(EntryWindow &w)
{
    w.setPrintPreview([&w] {
        print::VoucherRef ref;
        ref.dateText = w.edDate->text();
        ref.branchText = w.cbKubun->currentText();
        ref.branchCode = w.branchCode();
        ref.serialText = w.edSerial->text();
        return print::previewVoucher(&w, ref);
    });
    w.setDayPrint([&w] { return print::previewDay(&w, w.edDate->text(), w.branchCode()); });
}

// Calls its function once, at the first exposure of the window it watches.
class FirstExposure : public QObject
{
public:
    FirstExposure(QWidget *window, std::function<void()> then)
        : QObject(window), m_window(window), m_then(std::move(then))
    {
        window->windowHandle()->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && m_window->windowHandle()->isExposed()) {
            watched->removeEventFilter(this);
            m_then();
            deleteLater();
        }
        return false;
    }

private:
    QWidget *m_window;
    std::function<void()> m_then;
};

// The voucher finder, made when first opened; a window of the set from then on.
QPointer<lookup::FinderDialog> finder;

void connectFinder(EntryWindow &w)
{
    w.setFinder([&w] {
        if (!finder) {
            finder = new lookup::FinderDialog(&w);
            QObject::connect(finder, &lookup::FinderDialog::picked, &w,
                             [&w](const QString &date, const QString &branch, const QString &jen, const QString &bun) {
                                 guarded([&] { w.showFoundEntry(date, branch, jen, bun); }, &w);
                             });
            finder->setExporter([](const QString &file, bool cp949) {
                return print::exportFoundEntries(
                    finder->found(), [](const QString &code) { return finder->branchText(code); }, file, cp949);
            });
            QObject::connect(&w, &EntryWindow::closing, finder, &QWidget::hide);
        }
        finder->openFor(w.edDate->text());
    });
}

} // namespace

EntryWindow *createWindowSet(SearchDialogsMade made, EntryWindow *built)
{
    store::setWaitingDoor(&waitingWindow);
    EntryWindow *entry = built ? built : new EntryWindow;
    entry->FormCreate();
    entryOfDialogs = entry;
    // At start-up the dialogs are made once the window is on the screen, so
    // that the clerk sees it without waiting for them; a dialog wanted before
    // then is made at once.
    if (made == SearchDialogsMade::Now)
        dialogs();
    else
        whenFirstOnScreen(entry, [entry] { QTimer::singleShot(0, entry, [] { dialogs(); }); });
    print::createFmQrMarvet3();
    // Leaving a name field opens its dialog.
    entry->setSearchDoor(&dialogDoor);
    // A search dialog left open does not outlive the entry window it writes into.
    QObject::connect(entry, &EntryWindow::closing, entry, [] {
        if (searchDialogs)
            for (const auto &dialog : searchDialogs->all())
                dialog->hide();
    });
    connectPrinting(*entry);
    // F1 opens the help of every key from any window of the program.
    help::installKey();
    connectFinder(*entry);
    return entry;
}

void deleteWindowSet()
{
    store::setWaitingDoor(nullptr);
    entryOfDialogs = nullptr;
    searchDialogs.reset();
    // Only the windows themselves: popups of their controls go with their owners.
    QList<QPointer<QWidget>> windows;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (!w->parentWidget())
            windows << w;
    for (const QPointer<QWidget> &w : windows)
        delete w.data();
}

void whenFirstOnScreen(QWidget *window, std::function<void()> then)
{
    window->winId(); // makes the native window, which is watched
    new FirstExposure(window, std::move(then));
}

QWidget *windowByName(const QString &objectName)
{
    if (entryOfDialogs)
        dialogs();
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == objectName)
            return w;
    return nullptr;
}
