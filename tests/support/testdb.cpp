#include "support/testdb.h"

#include "store/voucherline.h"

#include "base/error.h"
#include "store/schema.h"
#include "store/sqlrun.h"

#include <QCoreApplication>
#include <QDir>
#include <QSqlQuery>
#include <QTest>
#include <utility>

namespace {

using store::StoredLine;

QString testFolder()
{
    const QString base = qEnvironmentVariable("JEONPYO_TEST_TMP", QDir::tempPath());
    QDir().mkpath(base);
    return base;
}

} // namespace

TestDatabase::TestDatabase() : m_engine(store::Engine::SQLite)
{
    m_folder = std::make_unique<QTemporaryDir>(testFolder() + QStringLiteral("/store-XXXXXX"));
    if (!m_folder->isValid())
        throw AppError(QStringLiteral("could not make a test folder under %1").arg(testFolder()));
    open(m_folder->filePath(QStringLiteral("account.db")));
}

TestDatabase::TestDatabase(PgServer &server) : m_engine(store::Engine::PostgreSQL), m_server(&server)
{
    static int serial = 0;
    m_databaseName = QStringLiteral("jeonpyo_%1_%2").arg(QCoreApplication::applicationPid()).arg(++serial);
    server.createDatabase(m_databaseName);
    open(server.uri(m_databaseName));
}

void TestDatabase::open(const QString &setting)
{
    m_setting = setting;
    m_previousSetting = qgetenv("ACCOUNT_DB");
    qputenv("ACCOUNT_DB", setting.toUtf8());
    store::closeAccount();
    store::createSchema(store::account());
}

TestDatabase::~TestDatabase()
{
    store::closeAccount();
    if (m_previousSetting.isNull())
        qunsetenv("ACCOUNT_DB");
    else
        qputenv("ACCOUNT_DB", m_previousSetting);
    if (m_server && m_server->running()) {
        try {
            m_server->dropDatabase(m_databaseName);
        } catch (const AppError &error) {
            qWarning("%s", qPrintable(error.message()));
        }
    }
}

void TestDatabase::addBranch(const QString &code, const QString &name, const QString &place)
{
    store::run(store::account(),
               {QStringLiteral("INSERT INTO Kubun_Table (Kubun_Code, Kubun_Name, Kubun_JangSo)"),
                QStringLiteral("VALUES (:code, :name, :place)")},
               {{QStringLiteral(":code"), code}, {QStringLiteral(":name"), name}, {QStringLiteral(":place"), place}});
}

void TestDatabase::insertRaw(const StoredLine &line)
{
    insertStoredLine(line);
}

void insertStoredLine(const StoredLine &line)
{
    QStringList names, holders;
    store::Params params;
    for (const store::LineColumn &column : store::lineColumns()) {
        names << QLatin1String(column.name);
        holders << store::lineParameter(column);
        const QVariant value = column.stored         ? QVariant(line.*column.stored)
                               : column.storedAmount ? QVariant(line.*column.storedAmount)
                                                     : store::endDayValue(line.End_Day);
        params.emplace_back(holders.last(), value);
    }
    store::run(store::account(),
               {QStringLiteral("INSERT INTO Account_Jen_AA (%1)").arg(names.join(QStringLiteral(", "))),
                QStringLiteral("VALUES (%1)").arg(holders.join(QStringLiteral(", ")))},
               params);
}

void TestDatabase::refuseMarkedLines()
{
    QSqlDatabase db = store::account();
    const QString marker = QLatin1Char('\'') + refusedText() + QLatin1Char('\'');
    if (m_engine == store::Engine::SQLite) {
        for (const char *event : {"INSERT", "UPDATE"})
            store::exec(db, QStringLiteral("CREATE TRIGGER refuse_marked_%1 BEFORE %1 ON Account_Jen_AA "
                                           "WHEN NEW.Ac_Text = %2 BEGIN SELECT RAISE(ABORT, 'line refused'); END")
                                .arg(QLatin1String(event), marker));
        return;
    }
    store::exec(db, QStringLiteral("CREATE FUNCTION refuse_marked() RETURNS trigger LANGUAGE plpgsql AS $$ "
                                   "BEGIN IF NEW.Ac_Text = %1 THEN RAISE EXCEPTION 'line refused'; END IF; "
                                   "RETURN NEW; END $$")
                        .arg(marker));
    store::exec(db, QStringLiteral("CREATE TRIGGER refuse_marked BEFORE INSERT OR UPDATE ON Account_Jen_AA "
                                   "FOR EACH ROW EXECUTE FUNCTION refuse_marked()"));
}

std::vector<StoredLine> TestDatabase::allLines()
{
    QSqlQuery query = store::run(store::account(),
                                 {QStringLiteral("SELECT *, cast(End_Day as varchar(40)) AS End_Day_Text"),
                                  QStringLiteral("FROM Account_Jen_AA ORDER BY Serial_Jen, Serial_Bun, Serial_CrDr")});
    std::vector<StoredLine> lines;
    while (query.next()) {
        StoredLine line;
        for (const store::LineColumn &column : store::lineColumns()) {
            if (column.stored)
                line.*column.stored = query.value(QLatin1String(column.name)).toString();
            else if (column.storedAmount)
                line.*column.storedAmount = query.value(QLatin1String(column.name)).toDouble();
        }
        line.End_Day_Text = query.value(QStringLiteral("End_Day_Text")).toString();
        line.End_Day = store::endDayFrom(line.End_Day_Text);
        lines.push_back(line);
    }
    return lines;
}

QStringList TestDatabase::column(const QString &select)
{
    QSqlQuery query = store::run(store::account(), {select});
    QStringList values;
    while (query.next())
        values << query.value(0).toString();
    return values;
}

StoredLine sampleLine(const QString &date, const QString &serialJen, const QString &serialBun, const QString &side,
                      const QString &branch, const QString &tag)
{
    StoredLine line;
    line.Serial = QStringLiteral("AA*%1*3*%2*%3*A005*%4")
                      .arg(branch.trimmed(), serialJen.trimmed(), serialBun.trimmed(), side.trimmed());
    line.Serial_Jen = serialJen;
    line.Serial_Bun = serialBun;
    line.Serial_CrDr = side;
    line.Month_Char = date.mid(5, 2);
    line.Year_Char = date.left(4);
    line.Date_Day = date;
    line.Table_Kubun = QStringLiteral("AA");
    line.Kubun_Bon = branch;
    line.Kubun_Jen = QStringLiteral("3");
    line.Kubun_Amt = QStringLiteral("5");
    line.Form_Kubun = QStringLiteral("A005");
    line.Giel_Serial = QStringLiteral("999");
    line.Ac_JenCode =
        side.trimmed() == QLatin1String("01") ? QStringLiteral("40401001000") : QStringLiteral("10102005000");
    line.Ac_JenName = tag + QStringLiteral(" 계정");
    line.Ac_Text = tag + QStringLiteral(" 적요");
    line.Cr_Amt = side.trimmed() == QLatin1String("01") ? 1000 : 0;
    line.Dr_Amt = side.trimmed() == QLatin1String("01") ? 0 : 1000;
    line.End_Day = QDateTime(QDate(2001, 5, 30), QTime(9, 0));
    return line;
}

store::EntryLines sampleEntry(const QString &serialBun, double amount, const QString &tag)
{
    auto side = [&](const QString &which, const QString &account) {
        store::LineFields line;
        line.acCode = account;
        line.acName = tag + which + QStringLiteral(" 계정");
        line.acText = tag + which + QStringLiteral(" 적요");
        line.itemCode = QStringLiteral("I01");
        line.itemName = tag + QStringLiteral(" 관리항목");
        line.kubunCode = QStringLiteral("S001");
        line.kubunName = tag + QStringLiteral(" 거래처");
        line.projectCode = QStringLiteral("P01");
        line.projectName = tag + QStringLiteral(" 프로젝트");
        line.buserCode = QStringLiteral("B01");
        line.buserName = tag + QStringLiteral(" 부서");
        line.sawonCode = QStringLiteral("E001");
        line.sawonName = tag + QStringLiteral(" 사원");
        return line;
    };
    store::EntryLines entry;
    entry.serialBun = serialBun;
    entry.debit = side(QStringLiteral(" 차변"), QStringLiteral("40401001000"));
    entry.debit.crAmt = amount;
    entry.credit = side(QStringLiteral(" 대변"), QStringLiteral("10102005000"));
    entry.credit.drAmt = amount;
    return entry;
}

store::NewVoucher sampleVoucher(const QString &date, int branchPosition, const QStringList &entryNumbers,
                                const QString &tag)
{
    store::NewVoucher voucher;
    voucher.dateText = date;
    voucher.branchPosition = branchPosition;
    for (const QString &number : entryNumbers)
        voucher.entries.push_back(sampleEntry(number, 1000 * number.toInt(), tag + QLatin1Char(' ') + number));
    return voucher;
}

void StoreTestCase::initTestCase_data()
{
    QTest::addColumn<store::Engine>("engine");
    QTest::newRow("SQLite") << store::Engine::SQLite;
    QTest::newRow("PostgreSQL") << store::Engine::PostgreSQL;
}

void StoreTestCase::init()
{
    QFETCH_GLOBAL(store::Engine, engine);
    try {
        if (engine == store::Engine::SQLite) {
            m_database = std::make_unique<TestDatabase>();
            return;
        }
        QString why;
        if (!PgServer::available(&why))
            QSKIP(qPrintable(why));
        if (!m_server) {
            m_server = std::make_unique<PgServer>();
            m_server->start();
        }
        m_database = std::make_unique<TestDatabase>(*m_server);
    } catch (const AppError &error) {
        QFAIL(qPrintable(error.message()));
    }
}

void StoreTestCase::cleanup()
{
    m_database.reset();
}

void StoreTestCase::cleanupTestCase()
{
    m_database.reset();
    m_server.reset();
}
