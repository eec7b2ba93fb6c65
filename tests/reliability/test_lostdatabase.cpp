// The database goes away while the window is open: the PostgreSQL server is
// stopped, the SQLite file becomes unwritable, or another process locks it.
// Every command then shows a clear Korean message, the window keeps what was
// typed, nothing is half-written, and once the database is back the same
// command succeeds without restarting (the connection is opened anew).
//
// The lock is held by this program started again as "--lock FILE" (see main).
#include "support/entryfixture.h"

#include "base/error.h"
#include "store/sqlrun.h"
#include "ui/fields.h"

#include <QApplication>
#include <QComboBox>
#include <QProcess>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableView>
#include <QTest>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

const QString today = QDate::currentDate().toString("yyyy-MM-dd");
const QString keptSentence = "입력한 내용은 화면에 그대로 남아 있습니다.";

enum class Fault { ServerStopped, FileUnwritable, FileLocked };
enum class Command { SaveNew, Correct, Delete, Load, Search };

// Sets or clears the immutable flag, which refuses every write to the file,
// even through descriptors opened before, and even to root.
bool setImmutable(const QString &path, bool on)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return ok;
}

// The child side of the lock: holds the write lock until told to let go.
int holdLock(const QString &file)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("locker"));
    db.setDatabaseName(file);
    QSqlQuery query(db);
    if (!db.open() || !query.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return 2;
    fputs("locked\n", stdout);
    fflush(stdout);
    char line[16];
    if (!fgets(line, sizeof line, stdin))
        return 0;
    query.exec(QStringLiteral("ROLLBACK"));
    return 0;
}

// One fault, put in place and taken away again.
class FaultInjector
{
public:
    FaultInjector(Fault fault, TestDatabase &db, PgServer *server) : m_fault(fault), m_db(db), m_server(server) {}
    ~FaultInjector() { clear(); }

    // False when this machine cannot make the fault (the reason in why()).
    bool inject()
    {
        switch (m_fault) {
        case Fault::ServerStopped:
            m_server->pause();
            break;
        case Fault::FileUnwritable:
            for (const QString &file : {file(), file() + "-wal"}) {
                if (!QFile::exists(file))
                    continue;
                if (!setImmutable(file, true)) {
                    m_why = "the file system refuses the immutable flag: " + file;
                    return false;
                }
                m_immutable << file;
            }
            break;
        case Fault::FileLocked:
            // A clerk's program waits a while for a lock before it gives up; the
            // test makes that short.
            store::exec(store::account(), "PRAGMA busy_timeout = 100");
            m_locker.start(QCoreApplication::applicationFilePath(), {"--lock", file()});
            if (!m_locker.waitForReadyRead(30000) || !m_locker.readLine().startsWith("locked")) {
                m_why = "the locking process did not take the lock";
                return false;
            }
            break;
        }
        return true;
    }
    void clear()
    {
        if (m_server && !m_server->running())
            m_server->resume();
        for (const QString &file : m_immutable)
            setImmutable(file, false);
        m_immutable.clear();
        if (m_locker.state() != QProcess::NotRunning) {
            m_locker.write("go\n");
            m_locker.waitForFinished(30000);
        }
    }
    QString why() const { return m_why; }
    // What the clerk's message must say: the real reason, a file that cannot
    // be written not called unreachable.
    QString expectedPhrase(Command command) const
    {
        if (m_fault == Fault::FileLocked)
            return "데이타베이스를 잠그고 있어 지금은 쓸 수 없습니다.";
        const bool writes = command == Command::SaveNew || command == Command::Correct || command == Command::Delete;
        // The first refusal is the read-only file's; the reopened file fails
        // on its journal, with the engine's input/output error.
        return m_fault == Fault::FileUnwritable && writes ? "쓸 수 없습니다" : "에 연결할 수 없습니다.";
    }
    // A lock is no lost connection: the same connection goes on.
    bool reconnects() const { return m_fault != Fault::FileLocked; }

private:
    QString file() const { return m_db.setting(); }

    Fault m_fault;
    TestDatabase &m_db;
    PgServer *m_server;
    QStringList m_immutable;
    QProcess m_locker;
    QString m_why;
};

// Everything the window shows: mode, header, every field with its hidden code,
// and the panels' states. Save writes "0" into the amounts of empty entries
// before anything else; an empty amount reads as that zero.
QStringList snapshot(EntryWindow &w)
{
    QStringList all = {QString::number(int(w.mode())), w.edDate->text(), w.cbKubun->currentText(), w.edSerial->text()};
    for (QLineEdit *edit : w.findChildren<QLineEdit *>()) {
        QString text = edit->text();
        if (edit->objectName().contains("_Amt_") && text.isEmpty())
            text = "0";
        all << edit->objectName() + "=" + text + "|" + hiddenCode(edit);
    }
    for (int n = 1; n <= 4; ++n)
        all << QString("panel %1: %2%3%4")
                   .arg(n)
                   .arg(w.panel(n)->isVisible())
                   .arg(w.panel(n)->isEnabled())
                   .arg(w.panel(n)->isHighlighted());
    return all;
}

void chooseRow(EntryWindow &w, int row)
{
    QTest::mouseClick(w.DBGrid1->viewport(), Qt::LeftButton, {},
                      w.DBGrid1->visualRect(w.list().index(row, 3)).center());
}

// A new voucher typed into entry 1: names with their codes, a description and
// an amount mirrored into the credit line.
void typeNewVoucher(EntryFixture &f)
{
    EntryWindow &w = f.window();
    focusOn(f.field("edCR_Cr_Amt_01"));
    typeText(f.field("edCR_Cr_Amt_01"), "1500");
    focusOn(f.field("edDR_Ac_Text_01"));
    // Names as picks leave them (set after the focus moves, which would
    // otherwise open their searches).
    auto name = [&](const QString &field, const QString &code, const QString &text) {
        f.field(field)->setText(text);
        setHiddenCode(f.field(field), code);
    };
    name("edCR_Ac_JenName_01", "40401001000", "원재료비");
    name("edDR_Ac_JenName_01", "10102005000", "원재료");
    f.field("edCR_Ac_Text_01")->setText("끊긴 사이에 입력한 적요");
    // As the first name field left would have set it.
    w.setMode(EntryMode::New);
    w.pEnabledBtn();
}

} // namespace

Q_DECLARE_METATYPE(Fault)
Q_DECLARE_METATYPE(Command)

class TestLostDatabase : public QObject
{
    Q_OBJECT

    std::unique_ptr<PgServer> m_server;

    PgServer *serverFor(Fault fault)
    {
        if (fault != Fault::ServerStopped)
            return nullptr;
        if (!m_server) {
            m_server = std::make_unique<PgServer>();
            m_server->start();
        }
        return m_server.get();
    }

    // Sets the window up for the command, before the fault.
    void prepare(EntryFixture &f, Command command)
    {
        switch (command) {
        case Command::SaveNew:
            typeNewVoucher(f);
            break;
        case Command::Correct:
            chooseRow(f.window(), 0);
            f.field("edCR_Ac_Text_01")->setText("끊긴 사이에 고친 적요");
            break;
        case Command::Delete:
            chooseRow(f.window(), 0);
            break;
        case Command::Load:
            break;
        case Command::Search:
            focusOn(f.field("edCR_Ac_JenName_01"));
            f.window().setMode(EntryMode::New); // a new voucher under way
            f.window().pEnabledBtn();
            commitText(f.field("edCR_Ac_JenName_01"), "원재료");
            break;
        }
        QCOMPARE(f.messages.texts, QStringList());
    }

    void run(EntryFixture &f, Command command)
    {
        EntryWindow &w = f.window();
        switch (command) {
        case Command::SaveNew:
        case Command::Correct:
            QTest::mouseClick(w.SaveBtn, Qt::LeftButton);
            break;
        case Command::Delete:
            QTest::mouseClick(w.DeleteBtn, Qt::LeftButton);
            break;
        case Command::Load:
            chooseRow(w, 0);
            break;
        case Command::Search:
            focusOn(f.field("edCR_Ac_JenName_01"));
            QTest::keyClick(f.field("edCR_Ac_JenName_01"), Qt::Key_Return);
            f.activate();
            break;
        }
    }

    // What the command did once it went through.
    void checkDone(EntryFixture &f, Command command)
    {
        const std::vector<store::StoredLine> lines = f.database().allLines();
        switch (command) {
        case Command::SaveNew:
            QCOMPARE(int(lines.size()), 6);
            QCOMPARE(lines.at(4).Ac_Text, QString("끊긴 사이에 입력한 적요"));
            QCOMPARE(lines.at(5).Dr_Amt, 1500.0);
            QCOMPARE(f.window().mode(), EntryMode::Ready);
            break;
        case Command::Correct:
            QCOMPARE(int(lines.size()), 4);
            QCOMPARE(lines.at(0).Ac_Text, QString("끊긴 사이에 고친 적요"));
            break;
        case Command::Delete:
            QCOMPARE(int(lines.size()), 2);
            QCOMPARE(lines.at(0).Serial_Bun, QString("02"));
            break;
        case Command::Load:
            QCOMPARE(f.window().edSerial->text(), today + "-00000001");
            QCOMPARE(f.field("edCR_Ac_Text_02")->text(), QString("표본 02 차변 적요"));
            break;
        case Command::Search:
            QVERIFY(dialogNamed("Form1")->isVisible());
            QVERIFY(dialogRowOf("Form1", "10102005000") >= 0 || dialogRowOf("Form1", "40401001000") >= 0);
            break;
        }
    }

private slots:
    void cleanup()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            w->hide();
    }
    void cleanupTestCase() { m_server.reset(); }

    void everyCommandTellsKeepsAndSucceedsOnceTheDatabaseIsBack_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<Command>("command");
        const std::pair<const char *, Command> commands[] = {
            {"saving a new voucher", Command::SaveNew}, {"correcting an entry", Command::Correct},
            {"deleting an entry", Command::Delete},     {"loading a listed voucher", Command::Load},
            {"searching accounts", Command::Search},
        };
        for (const auto &[name, command] : commands)
            QTest::addRow("PostgreSQL stopped: %s", name) << Fault::ServerStopped << command;
        // Reading an unwritable or locked SQLite file still works: only the
        // writing commands meet these faults.
        for (const auto &[name, command] : commands) {
            if (command == Command::Load || command == Command::Search)
                continue;
            QTest::addRow("SQLite file unwritable: %s", name) << Fault::FileUnwritable << command;
            QTest::addRow("SQLite file locked by another process: %s", name) << Fault::FileLocked << command;
        }
    }
    void everyCommandTellsKeepsAndSucceedsOnceTheDatabaseIsBack()
    {
        QFETCH(Fault, fault);
        QFETCH(Command, command);
        EntryFixture f(
            EntryFixture::Windows::WholeSet,
            [](TestDatabase &) {
                store::saveNewVoucher(sampleVoucher(today, 0, {"01", "02"}));
            },
            serverFor(fault));
        prepare(f, command);
        const QStringList before = snapshot(f.window());
        const std::vector<store::StoredLine> linesBefore = f.database().allLines();

        FaultInjector injector(fault, f.database(), m_server.get());
        if (!injector.inject())
            QSKIP(qPrintable(injector.why()));
        // Twice while the database is away: the second time the program tries
        // to reconnect, and fails as plainly.
        for (int attempt = 0; attempt < (injector.reconnects() ? 2 : 1); ++attempt) {
            run(f, command);
            QCOMPARE(f.messages.texts.size(), 1);
            const QString message = f.messages.texts.first();
            QVERIFY2(f.messages.kinds.first() == Messages::Kind::Error, qPrintable(message));
            QVERIFY2(message.contains(injector.expectedPhrase(command)), qPrintable(message));
            if (fault == Fault::FileUnwritable && command != Command::Load && command != Command::Search)
                QVERIFY2(!message.contains("연결할 수 없습니다"), qPrintable(message));
            QVERIFY2(message.contains(keptSentence), qPrintable(message));
            if (command != Command::Load)
                QCOMPARE(snapshot(f.window()), before);
            QVERIFY(!QApplication::overrideCursor());
            f.messages.clear();
        }
        injector.clear();

        QCOMPARE(f.database().allLines().size(), linesBefore.size()); // nothing half-written
        if (command == Command::Load)
            QCOMPARE(f.window().mode(), EntryMode::Loaded);
        run(f, command);
        QCOMPARE(f.messages.texts, QStringList());
        checkDone(f, command);
    }

    // A file that goes missing while the program runs (its folder unmounted,
    // say) is not made anew, empty, behind the clerk's back on reconnecting.
    void aVanishedSqliteFileIsNotMadeAnew()
    {
        EntryFixture f(EntryFixture::Windows::WholeSet, [](TestDatabase &) {
            store::saveNewVoucher(sampleVoucher(today, 0, {"01", "02"}));
        });
        prepare(f, Command::SaveNew);
        const QString file = f.database().setting();
        {
            FaultInjector unwritable(Fault::FileUnwritable, f.database(), nullptr);
            if (!unwritable.inject())
                QSKIP(qPrintable(unwritable.why()));
            run(f, Command::SaveNew); // the connection is found lost and closed
        }
        QVERIFY(QFile::rename(file, file + ".away"));
        f.messages.clear();
        run(f, Command::SaveNew);
        QCOMPARE(f.messages.texts.size(), 1);
        QVERIFY2(f.messages.texts[0].contains("에 연결할 수 없습니다."), qPrintable(f.messages.texts[0]));
        QVERIFY(!QFile::exists(file));

        QVERIFY(QFile::rename(file + ".away", file));
        f.messages.clear();
        run(f, Command::SaveNew);
        QCOMPARE(f.messages.texts, QStringList());
        checkDone(f, Command::SaveNew);
    }

    void aServerRestartedWhileTheClerkWasAwayGoesUnnoticed_data()
    {
        QTest::addColumn<Command>("command");
        QTest::newRow("saving a new voucher") << Command::SaveNew;
        QTest::newRow("correcting an entry") << Command::Correct;
        QTest::newRow("deleting an entry") << Command::Delete;
        QTest::newRow("loading a listed voucher") << Command::Load;
        QTest::newRow("searching accounts") << Command::Search;
    }
    void aServerRestartedWhileTheClerkWasAwayGoesUnnoticed()
    {
        QFETCH(Command, command);
        EntryFixture f(
            EntryFixture::Windows::WholeSet,
            [](TestDatabase &) {
                store::saveNewVoucher(sampleVoucher(today, 0, {"01", "02"}));
            },
            serverFor(Fault::ServerStopped));
        prepare(f, command);
        m_server->pause();
        m_server->resume();
        run(f, command);
        QCOMPARE(f.messages.texts, QStringList());
        checkDone(f, command);
    }
};

int main(int argc, char *argv[])
{
    if (argc > 2 && qstrcmp(argv[1], "--lock") == 0) {
        QCoreApplication app(argc, argv);
        return holdLock(QString::fromLocal8Bit(argv[2]));
    }
    QApplication app(argc, argv);
    TestLostDatabase test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_lostdatabase.moc"
