#include "command.h"

#include "store/csvimport.h"
#include "store/demo.h"
#include "store/schema.h"

namespace dbtool {

namespace {

// "Kubun_Table 5행, ..." for the tables that hold rows (or all of them).
QString tableCounts(QSqlDatabase db, bool onlyFilled)
{
    QStringList counts;
    for (const store::CodeTable &table : store::codeTables()) {
        const int rows = store::countRows(db, table);
        if (rows > 0 || !onlyFilled)
            counts << QStringLiteral("%1 %2행").arg(table.name).arg(rows);
    }
    return counts.join(QLatin1String(", "));
}

} // namespace

int runDemo(const QStringList &arguments)
{
    if (!arguments.isEmpty())
        return usageOf("demo");
    return withDatabase([](QSqlDatabase db) {
        if (!store::hasSchema(db))
            return noSchema();
        const QString filled = tableCounts(db, true);
        if (!filled.isEmpty()) {
            err() << QStringLiteral("코드 테이블에 이미 자료가 있어 보기 자료를 넣지 않았습니다: %1").arg(filled)
                  << Qt::endl;
            return int(NothingDone);
        }
        store::fillDemo(db);
        out() << QStringLiteral("보기 자료를 넣었습니다: %1").arg(tableCounts(db, false)) << Qt::endl;
        return int(Success);
    });
}

} // namespace dbtool
