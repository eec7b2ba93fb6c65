#pragma once
// What a search dialog test stands on: a fresh SQLite database with the sample
// rows, a bare window holding the entry window's name fields (by their object
// names), the seven dialogs writing into it, and recorded message boxes.
#include "sample.h"

#include "entry/entrypanel.h"
#include "entry/resolution.h"
#include "lookup/searchdialogs.h"
#include "support/recorder.h"
#include "support/testdb.h"
#include "ui/fields.h"

#include <QAbstractItemModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QVBoxLayout>
#include <memory>

class Bench
{
public:
    Bench()
    {
        sample::fill();
        auto *layout = new QVBoxLayout(&entry);
        const char *kinds[] = {"Ac_JenName", "Kubun_Name", "Sawon_Name", "Buser_Name", "Project_Name", "Item_Name"};
        for (int row = 1; row <= 4; ++row)
            for (const char *side : {"edCR_", "edDR_"})
                for (const char *kind : kinds) {
                    auto *field = new QLineEdit(&entry);
                    field->setObjectName(QStringLiteral("%1%2_%3").arg(side, kind).arg(row, 2, 10, QLatin1Char('0')));
                    layout->addWidget(field);
                }
        entry.setObjectName(QStringLiteral("fmMarvet7"));
        entry.show();
        dialogs = std::make_unique<lookup::SearchDialogs>(&entry);
        // Picks fill the fields the entry window's table names, as in the program.
        for (const auto &dialog : dialogs->all())
            QObject::connect(dialog.get(), &lookup::SearchDialog::picked, &entry,
                             [this](const QString &name, int row, const QString &code, const QString &text) {
                                 for (const QString &base : entry::fieldsFilledBy(name))
                                     resolve(base + rowSuffix(row), code, text);
                             });
    }

    lookup::SearchDialog *dialog(const QString &name) const { return dialogs->find(name); }

    QLineEdit *field(const QString &name) { return entry.findChild<QLineEdit *>(name); }
    QString code(const QString &name) { return hiddenCode(field(name)); }
    QString text(const QString &name) { return field(name)->text(); }

    // Fills a field as a loaded voucher would: a name with its code.
    void resolve(const QString &name, const QString &code, const QString &text)
    {
        setHiddenCode(field(name), code);
        field(name)->setText(text);
    }

    static QTableView *grid(QWidget *dialog) { return dialog->findChild<QTableView *>(QStringLiteral("DBGrid1")); }
    template <typename T> static T *control(QWidget *dialog, const QString &name)
    {
        return dialog->findChild<T *>(name);
    }

    // The codes the grid lists, top to bottom.
    static QStringList listed(QWidget *dialog)
    {
        QStringList codes;
        const QAbstractItemModel *model = grid(dialog)->model();
        for (int row = 0; row < model->rowCount(); ++row)
            codes << model->index(row, 0).data().toString();
        return codes;
    }

    static void clickRow(QWidget *dialog, int row)
    {
        QTableView *view = grid(dialog);
        const QRect cell = view->visualRect(view->model()->index(row, 1));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    }

    static void doubleClickRow(QWidget *dialog, int row)
    {
        QTableView *view = grid(dialog);
        const QPoint at = view->visualRect(view->model()->index(row, 1)).center();
        // A real double click: the first click, then the second press seen as a double click.
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    }

    // Makes a window the active one, as a click on it would.
    static bool activate(QWidget *window)
    {
        window->activateWindow();
        return QTest::qWaitForWindowActive(window);
    }

    TestDatabase database;
    MessageRecorder messages;
    QWidget entry;
    std::unique_ptr<lookup::SearchDialogs> dialogs;
};
