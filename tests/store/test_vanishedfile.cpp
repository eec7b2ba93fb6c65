// An SQLite file moved or deleted while the program has it open: saves must not
// go on into the copy that nobody can find, and work again once it is back.
#include "support/testdb.h"

#include "base/error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTest>
#include <cstdio>
#include <functional>

namespace {

// An open descriptor of this process on `file` after it was deleted or
// replaced ("PATH (deleted)" in /proc).
bool openDeleted(const QString &file)
{
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString &fd : fds.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot))
        if (QFile::symLinkTarget(fds.filePath(fd)) == file + QStringLiteral(" (deleted)"))
            return true;
    return false;
}

} // namespace

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

    // A read may take the file as it was looked at a moment before, within
    // one command; a read after that looks again, and a save always looks.
    void readsLookAgainAfterAMomentAndSavesAlwaysLook()
    {
        TestDatabase db;
        const QString file = db.setting();
        store::saveNewVoucher(sampleVoucher("2001-05-30", 0, {"01"}));
        const QString away = file + ".away";
        const auto move = [](const QString &from, const QString &to) {
            for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
                QFile::rename(from + suffix, to + suffix);
        };
        const auto refused = [&](const char *what, const std::function<void()> &work) {
            try {
                work();
                QFAIL(qPrintable(QStringLiteral("%1 went on with a file that is no longer there").arg(what)));
            } catch (const AppError &error) {
                QVERIFY2(error.message().contains(file), qPrintable(error.message()));
            }
        };

        move(file, away);
        QTest::qSleep(300);
        refused("a read", [] { store::entryNumbers("2001-05-30-00000001", "2001-05-30"); });
        move(away, file);

        // Opened again and looked at just now.
        QCOMPARE(store::entryNumbers("2001-05-30-00000001", "2001-05-30"), QStringList{"01"});
        move(file, away);
        refused("a save", [] { store::saveNewVoucher(sampleVoucher("2001-05-30", 0, {"01"})); });
        move(away, file);
        QCOMPARE(db.allLines().size(), size_t(2)); // the one voucher saved before
    }

    // A copy made by the engine's own backup and moved over the open file (a
    // restore): the next save must go into the file now at the path, not into
    // the replaced one that only the open connection still sees.
    void savesGoIntoAFileThatReplacedTheOpenOne()
    {
        TestDatabase db;
        const QString file = db.setting();
        store::saveNewVoucher(sampleVoucher("2001-05-30", 0, {"01"}));
        const QString copy = file + ".copy";
        {
            QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "backup");
            other.setDatabaseName(file);
            QVERIFY(other.open());
            QSqlQuery query(other);
            QVERIFY(query.exec(QString("VACUUM INTO '%1'").arg(copy)));
            other.close();
        }
        QSqlDatabase::removeDatabase("backup");
        // As mv does it: one rename over the open file.
        QCOMPARE(std::rename(QFile::encodeName(copy).constData(), QFile::encodeName(file).constData()), 0);

        QString second;
        try {
            second = store::saveNewVoucher(sampleVoucher("2001-05-30", 0, {"01"})).serialJen;
        } catch (const AppError &error) {
            // Refusing with a message would do too; silence would not.
            QVERIFY2(error.message().contains(file), qPrintable(error.message()));
        }
        // No descriptor of this program is left on the replaced file: saves
        // into it would be seen by nobody, and lost at the end.
        QVERIFY2(!openDeleted(file), "the save went into the replaced file");
        store::closeAccount();
        // What a program opening the path now finds.
        QCOMPARE(db.allLines().size(), second.isEmpty() ? size_t(2) : size_t(4));
        if (!second.isEmpty())
            QCOMPARE(second, QString("2001-05-30-00000002"));
    }
};

QTEST_MAIN(TestVanishedFile)
#include "test_vanishedfile.moc"
