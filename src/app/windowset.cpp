#include "app/windowset.h"

#include "entry/entrywindow.h"
#include "lookup/catalogue.h"
#include "lookup/resolution.h"
#include "lookup/searchdialog.h"
#include "print/fmqrmarvet3.h"
#include "print/voucherprint.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>

namespace {

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
}

} // namespace

EntryWindow *createWindowSet()
{
    auto *entry = new EntryWindow;
    entry->FormCreate();
    for (const lookup::DialogSpec &spec : lookup::catalogue())
        new lookup::SearchDialog(spec, entry);
    print::createFmQrMarvet3();
    lookup::installLineFieldResolution(*entry);
    connectPrinting(*entry);
    return entry;
}

void deleteWindowSet()
{
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
