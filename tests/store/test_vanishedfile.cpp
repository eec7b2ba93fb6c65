// An SQLite file moved or deleted while the program has it open: saves must not
// go on into the copy that nobody can find, and work again once it is back.
#include "support/testdb.h"

#include "base/error.h"

#include <QFile>
#include <QTest>

class TestVanishedFile : public QObject
{
    Q_OBJECT

private slots:
    void savesStopWhileTheFileIsAwayAndGoOnWhenItIsBack()
    {
        TestDatabase db;
        const QString file = db.setting();
        store::saveNewVoucher(sampleVoucher("2001-05-30", 0, {"01"}));
        const QString away = file + ".away";
        for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
            QFile::rename(file + suffix, away + suffix);
        try {
            store::saveNewVoucher(sampleVoucher("2001-05-30", 0, {"01"}));
            QFAIL("a save went into a file that is no longer there");
        } catch (const AppError &error) {
            QVERIFY2(error.message().contains(file), qPrintable(error.message()));
        }
        QVERIFY(!QFile::exists(file)); // not made anew, empty
        for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
            QFile::rename(away + suffix, file + suffix);
        QCOMPARE(store::saveNewVoucher(sampleVoucher("2001-05-30", 0, {"01"})).serialJen,
                 QString("2001-05-30-00000002"));
        QCOMPARE(db.allLines().size(), size_t(4));
    }
};

QTEST_MAIN(TestVanishedFile)
#include "test_vanishedfile.moc"
