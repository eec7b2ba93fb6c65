// Qt's own buttons and dialogs in the language of the desktop: Korean under a
// Korean locale, from Qt's installed translations; the program's texts stay.
#include "app/commandline.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTest>

namespace {

QString okText()
{
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    return box.button(QMessageBox::Ok)->text() + QLatin1Char('|') + box.button(QMessageBox::Cancel)->text();
}

QStringList previewActions()
{
    QPrinter printer;
    QPrintPreviewDialog dialog(&printer);
    QStringList texts;
    for (QAction *action : dialog.findChildren<QAction *>())
        if (!action->text().isEmpty())
            texts << action->text();
    return texts;
}

QString saveButtonText()
{
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    auto *buttons = dialog.findChild<QDialogButtonBox *>();
    return buttons ? buttons->button(QDialogButtonBox::Save)->text() : QString();
}

} // namespace

class TestQtStrings : public QObject
{
    Q_OBJECT

private slots:
    // Run first: nothing is loaded yet.
    void anotherLocaleKeepsQtsEnglish()
    {
        QVERIFY(!installQtTranslations(QLocale(QLocale::English, QLocale::UnitedStates)));
        QVERIFY(!installQtTranslations(QLocale::c()));
        QCOMPARE(okText(), QStringLiteral("OK|Cancel"));
        QVERIFY(previewActions().contains(QStringLiteral("Print")));
    }

    void aKoreanLocaleGivesQtsOwnStringsInKorean()
    {
        QVERIFY2(installQtTranslations(QLocale(QLocale::Korean, QLocale::SouthKorea)),
                 "qt_ko.qm was not found in Qt's translation folder (qt6-translations-l10n)");
        QCOMPARE(okText(), QStringLiteral("확인|취소"));
        const QStringList actions = previewActions();
        QVERIFY2(actions.contains(QStringLiteral("인쇄")), qPrintable(actions.join(", ")));
        QVERIFY2(!actions.contains(QStringLiteral("Print")), qPrintable(actions.join(", ")));
        QCOMPARE(saveButtonText(), QStringLiteral("저장(&S)"));
    }
};

QTEST_MAIN(TestQtStrings)
#include "test_qtstrings.moc"
