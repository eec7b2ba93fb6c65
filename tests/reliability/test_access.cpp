// Who may do what: the PostgreSQL login through the real password dialog, a
// wrong password, a clerk without the right to write the voucher table (told
// plainly, nothing half-written), no password in anything the program writes
// or shows, and the SQLite file readable and writable by its owner only.
#include "support/entryfixture.h"

#include "app/logindialog.h"
#include "base/error.h"
#include "store/demo.h"
#include "store/schema.h"
#include "store/sqlrun.h"
#include "ui/fields.h"

#include <QDeadlineTimer>
#include <QDialogButtonBox>
#include <QDirIterator>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>

// The tests of a PostgreSQL login skip only where the server is not installed.
#define SKIP_WITHOUT_POSTGRES()                                                                                        \
    do {                                                                                                               \
        QString why;                                                                                                   \
        if (!PgServer::available(&why))                                                                                \
            QSKIP(qPrintable(why));                                                                                    \
    } while (false)

namespace {

const QString today = QDate::currentDate().toString("yyyy-MM-dd");
const QString denied = "이 로그인 이름에는 이 일을 할 권한이 없습니다. 데이타베이스는 바뀌지 않았습니다.";

// Answers the login dialogs as they come up: each answer is a password, or
// nothing to give up; a dialog beyond the answers is given up too. Keeps what
// each dialog said and how it showed the password field.
class LoginClerk : public QObject
{
public:
    explicit LoginClerk(const QStringList &answers) : m_answers(answers)
    {
        connect(&m_timer, &QTimer::timeout, this, &LoginClerk::answer);
        m_timer.start(10);
    }
    QStringList problems;
    bool passwordHidden = true;

private:
    void answer()
    {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog || dialog->objectName() != "LoginDialog")
            return;
        problems << dialog->findChild<QLabel *>()->text();
        auto *password = dialog->findChild<QLineEdit *>("edPassword");
        passwordHidden = passwordHidden && password->echoMode() == QLineEdit::Password;
        auto *buttons = dialog->findChild<QDialogButtonBox *>();
        const QString given = m_answers.isEmpty() ? QString() : m_answers.takeFirst();
        if (given.isNull()) {
            buttons->button(QDialogButtonBox::Cancel)->click();
            return;
        }
        password->clear();
        QTest::keyClicks(password, given);
        buttons->button(QDialogButtonBox::Ok)->click();
    }

    QStringList m_answers;
    QTimer m_timer;
};

void chooseRow(EntryWindow &w, int row)
{
    QTest::mouseClick(w.DBGrid1->viewport(), Qt::LeftButton, {},
                      w.DBGrid1->visualRect(w.list().index(row, 3)).center());
}

// Every file under `folder` whose bytes hold `secret`.
QStringList filesHolding(const QString &folder, const QByteArray &secret)
{
    QStringList holding;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        if (file.open(QIODevice::ReadOnly) && file.readAll().contains(secret))
            holding << file.fileName();
    }
    return holding;
}

// Group or others may read, write or run it.
bool openToOthers(const QString &path)
{
    struct stat status;
    return ::stat(QFile::encodeName(path).constData(), &status) != 0 || (status.st_mode & 077) != 0;
}

// A run of the program itself with its home, data and runtime folders in
// `home`, until `ready` says it has done what the test waits for (false when
// it never did). Its output goes to `output`.
bool runProgram(const QString &home, const QString &accountDb, const std::function<bool()> &ready,
                QByteArray *output = nullptr)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("ACCOUNT_DB");
    if (!accountDb.isEmpty())
        env.insert("ACCOUNT_DB", accountDb);
    for (const char *name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"})
        env.remove(name);
    env.insert("HOME", home);
    env.insert("XDG_RUNTIME_DIR", home + "/run");
    env.insert("TMPDIR", home + "/tmp");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    QDir().mkpath(home + "/run");
    QDir().mkpath(home + "/tmp");
    ::chmod(QFile::encodeName(home + "/run").constData(), 0700);
    QProcess program;
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(JEONPYO_PROGRAM, {});
    QByteArray said;
    bool done = false;
    const QDeadlineTimer deadline(60000);
    if (program.waitForStarted(30000)) {
        while (!(done = ready()) && !deadline.hasExpired() && program.state() == QProcess::Running) {
            program.waitForReadyRead(50);
            said += program.readAll();
        }
    }
    program.kill();
    program.waitForFinished(30000);
    if (output)
        *output = said + program.readAll();
    return done;
}

} // namespace

class TestAccess : public QObject
{
    Q_OBJECT

    std::unique_ptr<PgServer> m_passwordServer;
    std::unique_ptr<PgServer> m_trustServer;

    PgServer &passwordServer()
    {
        if (!m_passwordServer) {
            m_passwordServer = std::make_unique<PgServer>(PgServer::Login::Password);
            m_passwordServer->start();
        }
        return *m_passwordServer;
    }

private slots:
    void cleanup()
    {
        store::setLoginPrompt({});
        store::closeAccount();
        for (QWidget *w : QApplication::topLevelWidgets())
            w->hide();
    }
    void cleanupTestCase()
    {
        m_passwordServer.reset();
        m_trustServer.reset();
    }

    void theLoginDialogAsksUntilThePasswordIsRight()
    {
        SKIP_WITHOUT_POSTGRES();
        PgServer &server = passwordServer();
        TestDatabase db(server);
        qputenv("ACCOUNT_DB", server.uri("postgres", false).toUtf8());
        store::closeAccount();
        store::setLoginPrompt(askLogin);
        LoginClerk clerk({"wrong-password", server.password()});
        QVERIFY(store::account().isOpen());
        QCOMPARE(clerk.problems,
                 QStringList({"암호를 입력하세요.", "로그인 이름 또는 암호가 틀렸습니다. 다시 입력하세요."}));
        QVERIFY(clerk.passwordHidden);

        // A reconnect after a lost connection does not ask again.
        server.pause();
        server.resume();
        QVERIFY_THROWS_NO_EXCEPTION(store::run(store::account(), {"select 1"}));
        QCOMPARE(clerk.problems.size(), 2);
    }

    void givingUpAtTheDialogIsToldWithoutThePassword()
    {
        SKIP_WITHOUT_POSTGRES();
        PgServer &server = passwordServer();
        TestDatabase db(server);
        qputenv("ACCOUNT_DB", server.uri("postgres", false).toUtf8());
        store::closeAccount();
        store::setLoginPrompt(askLogin);
        LoginClerk clerk({"typed-but-wrong", QString()});
        try {
            store::account();
            QFAIL("the connection opened without the right password");
        } catch (const AppError &error) {
            QVERIFY2(error.message().contains("에 연결할 수 없습니다."), qPrintable(error.message()));
            QVERIFY(!error.message().contains("typed-but-wrong"));
        }
        QCOMPARE(clerk.problems.size(), 2);
    }

    void aClerkWithoutTheRightToWriteIsToldAndNothingIsHalfWritten_data()
    {
        QTest::addColumn<QString>("rights");
        QTest::addColumn<QString>("command");
        for (const char *rights : {"reading only", "writing entry 01 and debit lines only"})
            for (const char *command : {"save", "correct", "delete"})
                QTest::addRow("%s: %s", rights, command) << rights << command;
    }
    void aClerkWithoutTheRightToWriteIsToldAndNothingIsHalfWritten()
    {
        SKIP_WITHOUT_POSTGRES();
        QFETCH(QString, rights);
        QFETCH(QString, command);
        if (!m_trustServer) {
            m_trustServer = std::make_unique<PgServer>();
            m_trustServer->start();
        }
        EntryFixture f(
            EntryFixture::Windows::EntryOnly,
            [](TestDatabase &) {
                store::saveNewVoucher(sampleVoucher(today, 0, {"01", "02"}));
            },
            m_trustServer.get());
        // The clerk's own login, with the rights of the row; the owner sets them.
        static int serial = 0;
        const QString clerk = QString("clerk_%1").arg(++serial);
        const auto grant = [&](const QString &statement) { store::exec(store::account(), statement); };
        grant("CREATE ROLE " + clerk + " LOGIN");
        grant("GRANT SELECT ON ALL TABLES IN SCHEMA public TO " + clerk);
        if (rights != "reading only") {
            // Row rules: new lines of entry 01 only, corrections of debit lines
            // only; no deleting at all.
            grant("GRANT INSERT, UPDATE ON Account_Jen_AA TO " + clerk);
            grant("ALTER TABLE Account_Jen_AA ENABLE ROW LEVEL SECURITY");
            grant("CREATE POLICY reading ON Account_Jen_AA FOR SELECT USING (true)");
            grant("CREATE POLICY adding ON Account_Jen_AA FOR INSERT WITH CHECK (Serial_Bun = '01')");
            grant("CREATE POLICY changing ON Account_Jen_AA FOR UPDATE USING (true) "
                  "WITH CHECK (Serial_CrDr = '01')");
        }
        const std::vector<store::StoredLine> before = f.database().allLines();
        const QByteArray ownerSetting = qgetenv("ACCOUNT_DB");
        qputenv("ACCOUNT_DB", QString(ownerSetting).replace("//postgres@", "//" + clerk + "@").toUtf8());
        store::closeAccount();

        EntryWindow &w = f.window();
        if (command == "save") {
            focusOn(f.field("edCR_Cr_Amt_01"));
            for (int n : {1, 2}) {
                focusOn(w.field("edCR_Cr_Amt", n));
                typeText(w.field("edCR_Cr_Amt", n), "700");
                focusOn(w.field("edDR_Ac_Text", n));
                for (const char *side : {"edCR_Ac_JenName", "edDR_Ac_JenName"}) {
                    w.field(side, n)->setText("원재료");
                    setHiddenCode(w.field(side, n), "10102005000");
                }
            }
            w.setMode(EntryMode::New);
            w.pEnabledBtn();
            QTest::mouseClick(w.SaveBtn, Qt::LeftButton);
        } else {
            chooseRow(w, 0);
            f.field("edCR_Ac_Text_01")->setText("권한 없이 고친 적요");
            f.field("edDR_Ac_Text_01")->setText("권한 없이 고친 대변 적요");
            QTest::mouseClick(command == "correct" ? w.SaveBtn : w.DeleteBtn, Qt::LeftButton);
        }
        QCOMPARE(f.messages.texts.size(), 1);
        QVERIFY2(f.messages.texts[0].startsWith(denied), qPrintable(f.messages.texts[0]));
        const std::vector<store::StoredLine> after = f.database().allLines();
        QCOMPARE(after.size(), before.size());
        for (size_t i = 0; i < after.size(); ++i) {
            QCOMPARE(after[i].Ac_Text, before[i].Ac_Text);
            QCOMPARE(after[i].End_Day, before[i].End_Day);
        }
        // What was typed is still there.
        if (command == "save")
            QCOMPARE(f.field("edDR_Ac_JenName_02")->text(), QString("원재료"));
        if (command == "correct")
            QCOMPARE(f.field("edDR_Ac_Text_01")->text(), QString("권한 없이 고친 대변 적요"));
        qputenv("ACCOUNT_DB", ownerSetting);
        store::closeAccount();
    }

    void noMessageNamesThePassword()
    {
        SKIP_WITHOUT_POSTGRES();
        PgServer &server = passwordServer();
        TestDatabase db(server);
        store::account();
        server.pause();
        QStringList messages;
        for (int attempt = 0; attempt < 2; ++attempt) {
            try {
                store::listVouchers(today, "00000");
            } catch (const AppError &error) {
                messages << error.message();
            }
        }
        server.resume();
        QCOMPARE(messages.size(), 2);
        for (const QString &message : messages) {
            QVERIFY2(message.contains("에 연결할 수 없습니다."), qPrintable(message));
            QVERIFY2(!message.contains(server.password()), qPrintable(message));
        }
    }

    void theProgramWritesThePasswordNowhere()
    {
        SKIP_WITHOUT_POSTGRES();
        PgServer &server = passwordServer();
        TestDatabase db(server);
        store::fillDemo(store::account());
        QTemporaryDir home(qEnvironmentVariable("JEONPYO_TEST_TMP", QDir::tempPath()) + "/home-XXXXXX");
        const QString countClients = "SELECT COUNT(*) FROM pg_stat_activity WHERE datname = current_database()";
        QByteArray output;
        QVERIFY(runProgram(
            home.path(), db.setting(),
            [&] { return db.column(countClients).value(0).toInt() >= 2; }, // the program is connected too
            &output));
        QVERIFY(!output.contains(server.password().toUtf8()));
        QCOMPARE(filesHolding(home.path(), server.password().toUtf8()), QStringList());
        QVERIFY2(!QDir(home.path() + "/run").isEmpty(), "the program wrote nothing to look at");
    }

    void theSqliteFileIsTheOwnersAlone()
    {
        QTemporaryDir folder(qEnvironmentVariable("JEONPYO_TEST_TMP", QDir::tempPath()) + "/own-XXXXXX");
        const mode_t previous = ::umask(0); // even where new files would be open to all
        const QString file = folder.filePath("new/books.db");
        qputenv("ACCOUNT_DB", file.toUtf8());
        store::closeAccount();
        store::createSchema(store::account());
        store::saveNewVoucher(sampleVoucher(today, 0, {"01"}));
        ::umask(previous);
        for (const QString &path : {file, file + "-wal", file + "-shm"}) {
            QVERIFY2(QFile::exists(path), qPrintable(path));
            QVERIFY2(!openToOthers(path), qPrintable(path));
        }
        store::closeAccount();
        qunsetenv("ACCOUNT_DB");
    }

    void theProgramsFirstStartMakesTheDefaultFileTheOwnersAlone()
    {
        QTemporaryDir home(qEnvironmentVariable("JEONPYO_TEST_TMP", QDir::tempPath()) + "/home-XXXXXX");
        const QString file = home.filePath(".local/share/jeonpyo/account.db");
        QVERIFY(runProgram(home.path(), QString(), [&] { return QFile::exists(file + "-shm"); }));
        for (const QString &path : {file, file + "-wal", file + "-shm"})
            QVERIFY2(!openToOthers(path), qPrintable(path));
    }
};

QTEST_MAIN(TestAccess)
#include "test_access.moc"
