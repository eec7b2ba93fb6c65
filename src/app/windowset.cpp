#include "app/windowset.h"

#include "entry/entrywindow.h"
#include "lookup/resolution.h"
#include "lookup/searchdialogs.h"
#include "print/dayprint.h"
#include "print/fmqrmarvet3.h"
#include "print/voucherprint.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>

namespace {

// The seven search dialogs live from start-up to the end of the program.
std::unique_ptr<lookup::SearchDialogs> searchDialogs;

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

} // namespace

EntryWindow *createWindowSet()
{
    auto *entry = new EntryWindow;
    entry->FormCreate();
    searchDialogs = std::make_unique<lookup::SearchDialogs>(entry);
    print::createFmQrMarvet3();
    lookup::installLineFieldResolution(*entry);
    // A search dialog left open does not outlive the entry window it writes into.
    QObject::connect(entry, &EntryWindow::closing, entry, [] {
        for (const auto &dialog : searchDialogs->all())
            dialog->hide();
    });
    connectPrinting(*entry);
    return entry;
}

void deleteWindowSet()
{
    searchDialogs.reset();
    // Only the windows themselves: popups of their controls go with their owners.
    QList<QPointer<QWidget>> windows;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (!w->parentWidget())
            windows << w;
    for (const QPointer<QWidget> &w : windows)
        delete w.data();
}

QWidget *windowByName(const QString &objectName)
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == objectName)
            return w;
    return nullptr;
}
