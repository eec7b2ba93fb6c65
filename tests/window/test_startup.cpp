// What a clerk sees when the program starts: the window, its state, and what
// happens when the database cannot be had.
#include "support/entryfixture.h"

#include "store/sqlrun.h"

#include <QComboBox>
#include <QDate>
#include <QPushButton>
#include <QTableView>
#include <QTest>

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void opensReadyWithTodaysList()
    {
        const QString today = QDate::currentDate().toString("yyyy-MM-dd");
        EntryFixture f([&](TestDatabase &) {
            store::saveNewVoucher(sampleVoucher(today, 0, {"01", "02"}));
            store::saveNewVoucher(sampleVoucher(today, 1, {"01"})); // another branch
        });
        EntryWindow &w = f.window();
        QCOMPARE(w.windowTitle(), QString("제조원가 투입 및 매출원가 대체 등록 폼입니다."));
        QCOMPARE(w.size(), QSize(995, 718));
        QCOMPARE(w.minimumSize(), w.maximumSize());
        QCOMPARE(w.edDate->text(), today);
        QCOMPARE(w.cbKubun->currentIndex(), 0);
        QCOMPARE(w.cbKubun->currentText(), QString("본사/서울"));
        QCOMPARE(w.mode(), EntryMode::Ready);
        QCOMPARE(w.edSerial->text(), QString());
        QVERIFY(!w.edSerial->isEnabled());

        QCOMPARE(w.InsertBtn->isEnabled(), true);
        QCOMPARE(w.CloseBtn->isEnabled(), true);
        for (QPushButton *b : {w.CancelBtn, w.SaveBtn, w.DeleteBtn, w.PrintBtn})
            QVERIFY2(!b->isEnabled(), qPrintable(b->objectName()));

        for (int n = 1; n <= 4; ++n) {
            QVERIFY(w.panel(n)->isVisible());
            for (QLineEdit *edit : w.panel(n)->fieldsInTabOrder()) {
                const QString name = edit->objectName();
                if (name.contains("Serial"))
                    continue;
                QVERIFY2(edit->text().isEmpty(), qPrintable(name));
            }
            QCOMPARE(w.field("edSerial_Bun", n)->text(), QString("0%1").arg(n));
        }
        QCOMPARE(w.list().rowCount(), 2);
        QCOMPARE(w.DBGrid1->model()->headerData(5, Qt::Horizontal).toString(), QString("차  변   금  액"));
        QCOMPARE(w.DBGrid1->model()->index(0, 5).data().toString(), QString("1,000"));
        QVERIFY(f.messages.texts.isEmpty());
    }

    void anEmptyBranchTableSelectsNothing()
    {
        EntryFixture f([](TestDatabase &) { store::exec(store::account(), "DELETE FROM Kubun_Table"); });
        QCOMPARE(f.window().cbKubun->count(), 0);
        QCOMPARE(f.window().cbKubun->currentIndex(), -1);
        QCOMPARE(f.window().branchCode(), QString("-00001"));
        QCOMPARE(f.window().list().rowCount(), 0);
        QVERIFY(f.messages.texts.isEmpty());
    }

    void aDatabaseThatCannotBeReachedIsShownAndTheWindowStillOpens()
    {
        MessageRecorder messages;
        QTemporaryDir folder;
        const QByteArray previous = qgetenv("ACCOUNT_DB");
        qputenv("ACCOUNT_DB", folder.path().toUtf8()); // a folder is no database file
        store::closeAccount();
        {
            EntryWindow w;
            w.FormCreate();
            QCOMPARE(messages.texts.size(), 1);
            QVERIFY2(messages.texts[0].contains(folder.path()), qPrintable(messages.texts[0]));
            QCOMPARE(messages.kinds[0], Messages::Kind::Error);
            // The remaining steps were skipped: the design texts are still there.
            QCOMPARE(w.cbKubun->count(), 0);
            QCOMPARE(w.edDate->text(), QString("2001-05-30"));
        }
        store::closeAccount();
        qputenv("ACCOUNT_DB", previous);
    }

    void closingEndsWithoutAQuestion()
    {
        EntryFixture f;
        typeText(f.field("edCR_Ac_Text_01"), "unsaved");
        QVERIFY(f.window().close());
        QVERIFY(!f.window().isVisible());
        QVERIFY(f.messages.texts.isEmpty());
    }
};

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
