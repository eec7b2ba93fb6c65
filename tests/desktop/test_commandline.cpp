// The programs' command lines as a clerk or a script uses them: help, version,
// the database named on the command line, and what is refused.
#include "app/commandline.h"

#include <QProcess>
#include <QTest>

namespace {

struct Run
{
    int exitCode = -1;
    QString out, err;
};

Run run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY")); // help and version need no screen
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    Run result;
    if (!process.waitForFinished(30000))
        return result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void theArgumentsAreRead_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("saying");
        const int start = StartChoice::Start, help = StartChoice::PrintHelp, version = StartChoice::PrintVersion,
                  refuse = StartChoice::Refuse;
        QTest::newRow("no argument starts on ACCOUNT_DB or the default file") << QStringList{} << start << ""
                                                                              << "";
        QTest::newRow("--database names an SQLite file")
            << QStringList{"--database", "/srv/books/account.db"} << start << "/srv/books/account.db"
            << "";
        QTest::newRow("--database=URI names a PostgreSQL server")
            << QStringList{"--database=postgresql://clerk@dbhost:5432/account"} << start
            << "postgresql://clerk@dbhost:5432/account"
            << "";
        QTest::newRow("--help shows the options") << QStringList{"--help"} << help << ""
                                                  << "--database URI";
        QTest::newRow("-h is --help") << QStringList{"-h"} << help << ""
                                      << "ACCOUNT_DB";
        QTest::newRow("--version shows the version") << QStringList{"--version"} << version << ""
                                                     << "jeonpyo " JEONPYO_VERSION;
        QTest::newRow("an unknown option is refused, naming it") << QStringList{"--datbase", "x.db"} << refuse << ""
                                                                 << "알 수 없는 선택 사항입니다: datbase";
        QTest::newRow("--database without a value is refused") << QStringList{"--database"} << refuse << ""
                                                               << "--database 뒤에 데이타베이스를 주십시오";
        QTest::newRow("--database with blanks only is refused") << QStringList{"--database", "  "} << refuse << ""
                                                                << "--database 뒤에 데이타베이스를 주십시오";
        QTest::newRow("a stray argument is refused") << QStringList{"account.db"} << refuse << ""
                                                     << "알 수 없는 인수입니다: account.db";
    }
    void theArgumentsAreRead()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, action);
        QFETCH(QString, database);
        QFETCH(QString, saying);
        const StartChoice choice = readCommandLine(QStringList{"jeonpyo"} + arguments);
        QCOMPARE(int(choice.action), action);
        QCOMPARE(choice.database, database);
        QVERIFY2(choice.text.contains(saying), qPrintable(choice.text));
    }

    // Run as programs, without a screen: answers on the right stream with the
    // right exit code.
    void theProgramsAnswerWithoutAScreen_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        const QString jeonpyo = JEONPYO_PROGRAM, db = JEONPYO_DB_TOOL, bench = JEONPYO_BENCH_TOOL;
        QTest::newRow("jeonpyo --version")
            << jeonpyo << QStringList{"--version"} << 0 << "jeonpyo " JEONPYO_VERSION "\n"
            << "";
        QTest::newRow("jeonpyo --help") << jeonpyo << QStringList{"--help"} << 0 << "사용법: jeonpyo [--database URI]"
                                        << "";
        QTest::newRow("jeonpyo-db --version")
            << db << QStringList{"--version"} << 0 << "jeonpyo-db " JEONPYO_VERSION "\n"
            << "";
        QTest::newRow("jeonpyo-db --help names --version") << db << QStringList{"--help"} << 0 << "--version"
                                                           << "";
        QTest::newRow("jeonpyo-bench --version")
            << bench << QStringList{"--version"} << 0 << "jeonpyo-bench " JEONPYO_VERSION "\n"
            << "";
    }
    void theProgramsAnswerWithoutAScreen()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        const Run result = run(program, arguments);
        QCOMPARE(result.exitCode, exitCode);
        QVERIFY2(out.endsWith('\n') ? result.out == out : result.out.contains(out), qPrintable(result.out));
        if (!err.isEmpty())
            QVERIFY2(result.err.contains(err), qPrintable(result.err));
    }

    void anUnknownOptionEndsTheProgramWithUsageError()
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(env);
        process.start(JEONPYO_PROGRAM, {"--datbase", "x.db"});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 2);
        QVERIFY(QString::fromUtf8(process.readAllStandardError()).contains("알 수 없는 선택 사항입니다: datbase"));
        QVERIFY(process.readAllStandardOutput().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_commandline.moc"
