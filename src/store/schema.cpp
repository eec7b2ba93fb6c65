#include "store/schema.h"

#include "base/error.h"
#include "store/codetables.h"
#include "store/csvimport.h"
#include "store/dialect.h"
#include "store/ledgerguard.h"
#include "store/sqlrun.h"
#include "store/voucherbook.h"
#include "store/voucherfind.h"
#include "store/voucherline.h"

#include <QSqlDriver>
#include <QStringList>

namespace store {

namespace {

// Key and code columns keep their widths on the server (too long is an error,
// never a cut); names and descriptions are unbounded text, stored whole.
QString columnDdl(const LineColumn &c, const Dialect &dialect)
{
    const QString pgType = QString::fromLatin1(c.type);
    const QString type = dialect.columnType(pgType);
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

QString codeTable(const CodeTable &code, const Dialect &dialect)
{
    QStringList ddl;
    for (const CodeColumn &column : code.columns)
        ddl << column.name + QLatin1Char(' ') + dialect.codeColumnType(column.width) +
                   QStringLiteral(" NOT NULL DEFAULT ''");
    return table(code.name, ddl, code.key().name);
}

QStringList statements(const Dialect &dialect)
{
    QStringList voucher;
    for (const LineColumn &c : lineColumns())
        voucher << columnDdl(c, dialect);
    voucher << QStringLiteral("PRIMARY KEY (Serial_Jen, Serial_Bun, Serial_CrDr)");
    QStringList all;
    all << QStringLiteral("CREATE TABLE Account_Jen_AA (\n  %1\n)").arg(voucher.join(QStringLiteral(",\n  ")));
    // The listing by date and branch, the loading, counting and printing by
    // voucher number, the update by line identity and the delete by entry all
    // compare trimmed texts: each gets an index on exactly that expression.
    // The listing's index also holds the voucher number, so that a busy
    // day's first screen reads its first vouchers in order and stops there.
    all << QStringLiteral(
               "CREATE INDEX Account_Jen_AA_DayBon ON Account_Jen_AA (rtrim(Date_Day), rtrim(Kubun_Bon), Serial_Jen)")
        << QStringLiteral("CREATE INDEX Account_Jen_AA_Jen ON Account_Jen_AA (rtrim(Serial_Jen))")
        << QStringLiteral("CREATE INDEX Account_Jen_AA_Line ON Account_Jen_AA "
                          "((rtrim(Date_Day) || rtrim(Serial_Jen) || rtrim(Serial_Bun) || rtrim(Serial_CrDr)))")
        << QStringLiteral(
               "CREATE INDEX Account_Jen_AA_Entry ON Account_Jen_AA ((rtrim(Serial_Jen) || rtrim(Serial_Bun)))")
        // The drawing of a number: the greatest voucher number of a trimmed date.
        << QStringLiteral("CREATE INDEX Account_Jen_AA_Max ON Account_Jen_AA (rtrim(Date_Day), Serial_Jen)")
        << finderIndex();
    for (const CodeTable &code : codeTables())
        all << codeTable(code, dialect);
    all << codeTable({QStringLiteral("Jen_Print"), {{QStringLiteral("Tot"), 2}}}, dialect);
    // The account searches take the accounts of a group by its code (the three
    // kubun columns joined): indexed on exactly that expression, a search reads
    // the groups it names instead of the whole chart once per group. The other
    // columns they test and return ride along, so that the file's engine can
    // answer from the index alone wherever the accounts lie in the table (the
    // kubun columns themselves too, for the server, which checks the joined
    // expression from them).
    all << QStringLiteral("CREATE INDEX test_ac_code_Group ON test_ac_code "
                          "((a_kubun || b_kubun || c_kubun), code_kubun, ac_name, ac_code, bigo, "
                          "a_kubun, b_kubun, c_kubun)");
    for (int i = 1; i <= 10; ++i)
        all << QStringLiteral("INSERT INTO Jen_Print (Tot) VALUES ('%1')").arg(i, 2, 10, QLatin1Char('0'));
    return all;
}

} // namespace

bool hasTable(QSqlDatabase db, const QString &name)
{
    return runValue(db, {Dialect::of(db).countTables()}, {{QStringLiteral(":tbTable"), name}}).toInt() > 0;
}

bool hasSchema(QSqlDatabase db)
{
    return hasTable(db, QStringLiteral("Account_Jen_AA"));
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
    const Dialect &dialect = Dialect::of(db);
    // The store becomes the program's: its settings (an SQLite file's journal)
    // are the program's from now on.
    for (const QString &setting : dialect.newStoreSettings())
        exec(db, setting);
    Transaction transaction(db);
    for (const QString &sql : statements(dialect))
        exec(db, sql);
    if (guard)
        for (const QString &sql : ledger::guardStatements(db))
            exec(db, sql);
    for (const QString &sql : voucherLinkStatements())
        exec(db, sql);
    transaction.commit();
    addTrigramSearch(db);
    addLineStatistics(db);
}

const std::vector<SearchedName> &searchedNames()
{
    auto name = [](const char *table, const char *column) {
        const QString t = QString::fromLatin1(table);
        return SearchedName{t, QString::fromLatin1(column), t + QStringLiteral("_Trigram")};
    };
    static const std::vector<SearchedName> names{
        name("test_ac_code", "ac_name"),   name("Sale_Table", "Sale_Name"),   name("Bank_Table", "Bank_Name"),
        name("Sawon_Table", "Sawon_Name"), name("Buser_Table", "Buser_Name"), name("Project_Table", "Project_Name"),
        name("Item_Table", "Item_Name"),
    };
    return names;
}

const SearchedName *searchedName(const QString &table)
{
    for (const SearchedName &name : searchedNames())
        if (name.table == table)
            return &name;
    return nullptr;
}

QStringList trigramIndexes()
{
    QStringList indexes;
    for (const SearchedName &name : searchedNames())
        indexes << name.trigrams;
    return indexes;
}

bool addTrigramSearch(QSqlDatabase db)
{
    const Dialect &dialect = Dialect::of(db);
    dialect.forgetTrigrams(db);
    if (dialect.hasTrigrams(db, trigramIndexes()))
        return false;
    try {
        // The names already stored are indexed in the same transaction.
        Transaction transaction(db);
        for (const QString &sql : dialect.trigramSetup())
            exec(db, sql);
        for (const SearchedName &name : searchedNames())
            for (const QString &sql : dialect.trigramIndex(name.trigrams, name.table, name.column))
                exec(db, sql);
        transaction.commit();
    } catch (const AppError &) {
        // A server without the extension, a login that may not add it, or a
        // file engine built without full-text tables: the store is searched
        // the way it was. Nothing is said, nothing is lost.
        if (!db.isOpen())
            throw; // the server went away: that is not a missing extension
        dialect.forgetTrigrams(db);
        return false;
    }
    dialect.forgetTrigrams(db);
    return true;
}

bool addLineStatistics(QSqlDatabase db)
{
    const Dialect &dialect = Dialect::of(db);
    if (dialect.lineStatistics().isEmpty() || runValue(db, {dialect.countLineStatistics()}).toInt() > 0)
        return false;
    try {
        exec(db, dialect.lineStatistics());
    } catch (const AppError &) {
        // A server too old to keep figures of expressions: the listing is
        // planned as it was.
        if (!db.isOpen())
            throw;
        return false;
    }
    // The lines already stored are counted now; the engine's own analysing
    // keeps the figures up from here.
    exec(db, QStringLiteral("ANALYZE Account_Jen_AA"));
    return true;
}

QStringList voucherColumnNames()
{
    QStringList names;
    for (const LineColumn &c : lineColumns())
        names << QString::fromLatin1(c.name);
    return names;
}

} // namespace store
