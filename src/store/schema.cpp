#include "store/schema.h"

#include "store/codetables.h"
#include "store/csvimport.h"
#include "store/ledgerguard.h"
#include "store/sqlrun.h"

#include <QSqlDriver>
#include <QStringList>

namespace store {

namespace {

struct Column
{
    const char *name;
    const char *pgType; // the SQLite file takes TEXT, REAL or TEXT date-times
};

// Key and code columns keep their widths on the server (too long is an error,
// never a cut); names and descriptions are unbounded text, stored whole.
const Column voucherColumns[] = {
    {"Serial", "varchar(100)"},     {"Serial_Jen", "varchar(20)"},   {"Serial_Bun", "varchar(3)"},
    {"Serial_CrDr", "varchar(3)"},  {"Month_Char", "varchar(2)"},    {"Year_Char", "varchar(4)"},
    {"Date_Day", "varchar(10)"},    {"Table_Kubun", "varchar(5)"},   {"Kubun_Bon", "varchar(6)"},
    {"Kubun_Jen", "varchar(2)"},    {"Kubun_Amt", "varchar(2)"},     {"Form_Kubun", "varchar(10)"},
    {"Giel_Serial", "varchar(30)"}, {"Ac_JenCode", "varchar(20)"},   {"Ac_JenName", "text"},
    {"Ac_Text", "text"},            {"Item_Code", "varchar(20)"},    {"Item_Name", "text"},
    {"Kubun_Code", "varchar(20)"},  {"Kubun_Name", "text"},          {"Project_Code", "varchar(20)"},
    {"Project_Name", "text"},       {"Buser_Code", "varchar(20)"},   {"Buser_Name", "text"},
    {"Sawon_Code", "varchar(20)"},  {"Sawon_Name", "text"},          {"Cr_Amt", "double precision"},
    {"Dr_Amt", "double precision"}, {"End_Day", "timestamp"},
};

QString columnDdl(const Column &c, bool pg)
{
    const QString pgType = QString::fromLatin1(c.pgType);
    QString type = pg ? pgType
        : pgType == QLatin1String("double precision") ? QStringLiteral("REAL")
        : QStringLiteral("TEXT");
    QString ddl = QString::fromLatin1(c.name) + QLatin1Char(' ') + type;
    if (pgType == QLatin1String("double precision"))
        ddl += QStringLiteral(" NOT NULL DEFAULT 0");
    else if (pgType != QLatin1String("timestamp"))
        ddl += QStringLiteral(" NOT NULL DEFAULT ''");
    return ddl;
}

QString table(const QString &name, const QStringList &columns, const QString &key)
{
    return QStringLiteral("CREATE TABLE %1 (\n  %2,\n  PRIMARY KEY (%3)\n)")
        .arg(name, columns.join(QStringLiteral(",\n  ")), key);
}

QString codeTable(const CodeTable &code, bool pg)
{
    QStringList ddl;
    for (const CodeColumn &column : code.columns)
        ddl << column.name + (pg ? QStringLiteral(" varchar(%1)").arg(column.width) : QStringLiteral(" TEXT"))
                + QStringLiteral(" NOT NULL DEFAULT ''");
    return table(code.name, ddl, code.key().name);
}

QStringList statements(bool pg)
{
    QStringList voucher;
    for (const Column &c : voucherColumns)
        voucher << columnDdl(c, pg);
    voucher << QStringLiteral("PRIMARY KEY (Serial_Jen, Serial_Bun, Serial_CrDr)");
    QStringList all;
    all << QStringLiteral("CREATE TABLE Account_Jen_AA (\n  %1\n)").arg(voucher.join(QStringLiteral(",\n  ")));
    // The listing by date and branch, the loading, counting and printing by
    // voucher number, the update by line identity and the delete by entry all
    // compare trimmed texts: each gets an index on exactly that expression.
    all << QStringLiteral("CREATE INDEX Account_Jen_AA_DayBon ON Account_Jen_AA (rtrim(Date_Day), rtrim(Kubun_Bon))")
        << QStringLiteral("CREATE INDEX Account_Jen_AA_Jen ON Account_Jen_AA (rtrim(Serial_Jen))")
        << QStringLiteral("CREATE INDEX Account_Jen_AA_Line ON Account_Jen_AA "
                          "((rtrim(Date_Day) || rtrim(Serial_Jen) || rtrim(Serial_Bun) || rtrim(Serial_CrDr)))")
        << QStringLiteral("CREATE INDEX Account_Jen_AA_Entry ON Account_Jen_AA ((rtrim(Serial_Jen) || rtrim(Serial_Bun)))")
        // The drawing of a number: the greatest voucher number of a trimmed date.
        << QStringLiteral("CREATE INDEX Account_Jen_AA_Max ON Account_Jen_AA (rtrim(Date_Day), Serial_Jen)");
    for (const CodeTable &code : codeTables())
        all << codeTable(code, pg);
    all << codeTable({QStringLiteral("Jen_Print"), {{QStringLiteral("Tot"), 2}}}, pg);
    // The account searches take the accounts of a group by its code (the three
    // kubun columns joined): indexed on exactly that expression, a search reads
    // the groups it names instead of the whole chart once per group. The other
    // columns they test and return ride along, so that the file's engine can
    // answer from the index alone wherever the accounts lie in the table.
    all << QStringLiteral("CREATE INDEX test_ac_code_Group ON test_ac_code "
                          "((a_kubun || b_kubun || c_kubun), code_kubun, ac_name, ac_code, bigo)");
    for (int i = 1; i <= 10; ++i)
        all << QStringLiteral("INSERT INTO Jen_Print (Tot) VALUES ('%1')").arg(i, 2, 10, QLatin1Char('0'));
    return all;
}

} // namespace

bool hasSchema(QSqlDatabase db)
{
    const QStringList tables = db.tables();
    for (const QString &t : tables)
        if (t.compare(QLatin1String("Account_Jen_AA"), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool isEmptyDatabase(QSqlDatabase db)
{
    return db.tables().isEmpty();
}

bool codeTablesEmpty(QSqlDatabase db)
{
    for (const CodeTable &code : codeTables())
        if (countRows(db, code) > 0)
            return false;
    return true;
}

void createSchema(QSqlDatabase db, bool guard)
{
    const bool pg = db.driverName() == QLatin1String("QPSQL");
    Transaction transaction(db);
    for (const QString &sql : statements(pg))
        exec(db, sql);
    if (guard)
        for (const QString &sql : ledger::guardStatements(db))
            exec(db, sql);
    transaction.commit();
}

QStringList voucherColumnNames()
{
    QStringList names;
    for (const Column &c : voucherColumns)
        names << QString::fromLatin1(c.name);
    return names;
}

} // namespace store
