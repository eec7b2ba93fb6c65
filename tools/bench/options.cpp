#include "bench.h"

#include "store/connection.h"

#include <QCommandLineParser>
#include <QFile>
#include <QUrl>

namespace bench {

namespace {

const char *usageText =
    "Usage: jeonpyo-bench (--sqlite FILE | --postgres URI) [--lines N] [--runs N] [--json] [--rebuild]\n"
    "       jeonpyo-bench (--sqlite FILE | --postgres URI) --clerks N [--vouchers N] [--window | --floor] [--json]\n"
    "\n"
    "Builds (or reuses) a store of N voucher lines (default 1000000) over 1500 dates and\n"
    "5 branches, with 100000 accounts and 50000 customers, and times the program's own\n"
    "statements on it: listing a date and branch (and the original leading-wildcard\n"
    "listing), loading a voucher, saving a four-entry voucher, updating an entry, the\n"
    "seven search statements, and the start-up of the entry window.\n"
    "A store of the asked size is reused; one of another size is refused unless --rebuild.\n"
    "With --clerks, N writer processes save vouchers of one date at once until stopped\n"
    "(Ctrl-C) or until --vouchers are saved in all; then every number and voucher is checked.\n"
    "\n"
    "  --sqlite FILE    the SQLite file of the store (made when missing)\n"
    "  --postgres URI   postgresql://user@host:port/database (the database must exist)\n"
    "  --lines N        voucher lines of the store (default 1000000)\n"
    "  --runs N         timed runs of each quick operation (default 101)\n"
    "  --json           one JSON object instead of the table\n"
    "  --rebuild        build the store anew (an SQLite file is replaced, PostgreSQL tables dropped)\n"
    "  --clerks N       run N concurrent writers instead of the timings\n"
    "  --vouchers N     the writers stop after N vouchers in all (default: when stopped)\n"
    "  --window         the writers run their statements through the window's helper thread\n"
    "  --floor          the writers save through the engine's C library instead, with the\n"
    "                   program's own statements: the floor of the same work\n"
    "  --version        print the version and stop\n";

bool positive(const QString &text, qint64 &value)
{
    bool ok = false;
    value = text.toLongLong(&ok);
    return ok && value > 0;
}

} // namespace

QString Options::setting() const
{
    return postgres.isEmpty() ? QStringLiteral("sqlite:") + sqlite : postgres;
}

QStringList Options::childArguments() const
{
    // The store reaches a child through ACCOUNT_DB, never its command line,
    // where anybody's `ps` would show a password.
    QStringList arguments{QStringLiteral("--store-from-environment")};
    arguments << QStringLiteral("--lines") << QString::number(shape.lines) << QStringLiteral("--runs")
              << QString::number(runs);
    if (window)
        arguments << QStringLiteral("--window");
    if (floor)
        arguments << QStringLiteral("--floor");
    return arguments;
}

bool parseOptions(const QStringList &arguments, Options &options, int &exitCode)
{
    QCommandLineParser parser;
    const QCommandLineOption sqlite(QStringLiteral("sqlite"), {}, QStringLiteral("FILE"));
    const QCommandLineOption postgres(QStringLiteral("postgres"), {}, QStringLiteral("URI"));
    const QCommandLineOption lines(QStringLiteral("lines"), {}, QStringLiteral("N"));
    const QCommandLineOption runs(QStringLiteral("runs"), {}, QStringLiteral("N"));
    const QCommandLineOption json(QStringLiteral("json"));
    const QCommandLineOption rebuild(QStringLiteral("rebuild"));
    const QCommandLineOption clerks(QStringLiteral("clerks"), {}, QStringLiteral("N"));
    const QCommandLineOption vouchers(QStringLiteral("vouchers"), {}, QStringLiteral("N"));
    const QCommandLineOption window(QStringLiteral("window"));
    const QCommandLineOption floor(QStringLiteral("floor"));
    const QCommandLineOption help(QStringList{QStringLiteral("help"), QStringLiteral("h")});
    const QCommandLineOption version(QStringList{QStringLiteral("version"), QStringLiteral("v")});
    // Internal: the measuring child and the clerks.
    const QCommandLineOption measureChild(QStringLiteral("measure-child"));
    const QCommandLineOption clerkChild(QStringLiteral("clerk-child"), {}, QStringLiteral("INDEX"));
    const QCommandLineOption date(QStringLiteral("date"), {}, QStringLiteral("DATE"));
    const QCommandLineOption fromEnvironment(QStringLiteral("store-from-environment"));
    parser.addOptions({sqlite, postgres, lines, runs, json, rebuild, clerks, vouchers, window, floor, help, version,
                       measureChild, clerkChild, date, fromEnvironment});
    QString problem;
    qint64 number = 0;
    if (!parser.parse(arguments))
        problem = parser.errorText();
    else if (parser.isSet(version)) {
        out() << "jeonpyo-bench " << JEONPYO_VERSION << "\n";
        out().flush();
        exitCode = 0;
        return false;
    } else if (parser.isSet(help)) {
        out() << usageText;
        exitCode = 0;
        return false;
    } else if (parser.isSet(fromEnvironment)) {
        const QString setting = qEnvironmentVariable("ACCOUNT_DB");
        if (setting.startsWith(QLatin1String("sqlite:")))
            options.sqlite = setting.mid(7);
        else
            options.postgres = setting;
    } else if (parser.isSet(sqlite) == parser.isSet(postgres))
        problem = QStringLiteral("give either --sqlite FILE or --postgres URI");
    else if (parser.isSet(postgres) && store::parseTarget(parser.value(postgres)).engine != store::Engine::PostgreSQL)
        problem = QStringLiteral("--postgres takes a URI such as postgresql://postgres@127.0.0.1:5432/bench");
    if (problem.isEmpty() && parser.isSet(lines) && (!positive(parser.value(lines), number) || number < 2))
        problem = QStringLiteral("--lines takes a number of at least 2");
    else if (problem.isEmpty() && parser.isSet(lines))
        options.shape.lines = number;
    for (const auto &[option, target] : {std::pair{&runs, &options.runs}, std::pair{&clerks, &options.clerks}}) {
        if (problem.isEmpty() && parser.isSet(*option)) {
            if (!positive(parser.value(*option), number) || number > 100000)
                problem = QStringLiteral("--%1 takes a positive number").arg(option->names().first());
            else
                *target = int(number);
        }
    }
    if (problem.isEmpty() && parser.isSet(vouchers) && !positive(parser.value(vouchers), options.vouchers))
        problem = QStringLiteral("--vouchers takes a positive number");
    if (problem.isEmpty() && parser.isSet(floor) &&
        (parser.isSet(window) || !(parser.isSet(clerks) || parser.isSet(clerkChild))))
        problem = QStringLiteral("--floor goes with --clerks, and not with --window");
    if (!problem.isEmpty()) {
        err() << "jeonpyo-bench: " << problem << "\n\n" << usageText;
        err().flush();
        exitCode = 2;
        return false;
    }
    if (!parser.isSet(fromEnvironment)) {
        options.sqlite = parser.value(sqlite);
        options.postgres = parser.value(postgres);
    }
    options.json = parser.isSet(json);
    options.window = parser.isSet(window);
    options.floor = parser.isSet(floor);
    options.rebuild = parser.isSet(rebuild);
    options.measureChild = parser.isSet(measureChild);
    options.clerkIndex = parser.isSet(clerkChild) ? parser.value(clerkChild).toInt() : -1;
    options.date = parser.value(date);
    return true;
}

} // namespace bench
