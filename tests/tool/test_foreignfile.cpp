// Files at the database's path that are not the program's: cut-off copies,
// random bytes, a fake header, somebody else's SQLite file. The tool says so
// with its own exit code and changes not one byte of them.
#include "tooltest.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QSqlQuery>

class TestForeignFile : public QObject
{
    Q_OBJECT

private slots:
    void filesThatAreNotOursAreNamedAndLeftAlone_data();
    void filesThatAreNotOursAreNamedAndLeftAlone();

private:
    static QByteArray digest(const QString &file)
    {
        QFile f(file);
        f.open(QIODevice::ReadOnly);
        return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
    }
};

namespace {

QByteArray randomBytes(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(13);
    for (char &b : bytes)
        b = char(generator.bounded(256));
    return bytes;
}

// A real database of the program with its tables and sample set.
QByteArray ourDatabase(ToolDatabase &db)
{
    if (db.tool({QStringLiteral("init")}).exitCode != 0 || db.tool({QStringLiteral("demo")}).exitCode != 0)
        qFatal("cannot make a database");
    QFile f(db.file());
    f.open(QIODevice::ReadOnly);
    const QByteArray bytes = f.readAll();
    f.close();
    QFile::remove(db.file());
    return bytes;
}

// Somebody else's SQLite file, in the rollback journal's mode.
QByteArray foreignDatabase(ToolDatabase &db)
{
    const QString file = db.path(QStringLiteral("foreign.db"));
    {
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("foreign"));
        other.setDatabaseName(file);
        other.open();
        QSqlQuery(other).exec(QStringLiteral("CREATE TABLE photos (name TEXT, taken TEXT)"));
        QSqlQuery(other).exec(QStringLiteral("INSERT INTO photos VALUES ('sea', '2001-05-30')"));
        other.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("foreign"));
    QFile f(file);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

} // namespace

void TestForeignFile::filesThatAreNotOursAreNamedAndLeftAlone_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("command");
    for (const char *command : {"status", "init", "demo"}) {
        QTest::addRow("random bytes, %s", command) << "random" << command;
        QTest::addRow("an SQLite header and random bytes, %s", command) << "fake" << command;
        QTest::addRow("our database cut off after its first pages, %s", command) << "cut" << command;
        QTest::addRow("somebody else's SQLite file, %s", command) << "foreign" << command;
    }
}

void TestForeignFile::filesThatAreNotOursAreNamedAndLeftAlone()
{
    QFETCH(QString, kind);
    QFETCH(QString, command);
    ToolDatabase db;
    QByteArray bytes;
    if (kind == QLatin1String("random"))
        bytes = randomBytes(8192);
    else if (kind == QLatin1String("fake"))
        bytes = QByteArray("SQLite format 3\0", 16) + randomBytes(8192);
    else if (kind == QLatin1String("cut"))
        bytes = ourDatabase(db).left(8192);
    else
        bytes = foreignDatabase(db);
    db.write(QStringLiteral("account.db"), bytes);
    const QByteArray before = digest(db.file());

    const ToolRun run = db.tool({command});
    QCOMPARE(run.exitCode, 5);
    QVERIFY2(run.err.contains(QStringLiteral("전표 데이타베이스가 아니거나 손상되었습니다")), qPrintable(run.err));
    QVERIFY2(!run.out.contains(QStringLiteral("init")), qPrintable(run.out)); // not told to make tables in it
    QCOMPARE(digest(db.file()), before);
    QVERIFY2(!QFileInfo::exists(db.file() + QStringLiteral("-wal")), "the file was switched to another journal");
}

QTEST_GUILESS_MAIN(TestForeignFile)
#include "test_foreignfile.moc"
