#include "command.h"

#include "store/ledgerguard.h"
#include "store/schema.h"
#include "store/voucherfind.h"

namespace dbtool {

int runInit(const QStringList &arguments)
{
    if (!arguments.isEmpty())
        return usageOf("init");
    return withDatabase(
        [](QSqlDatabase db) {
            if (store::hasSchema(db)) {
                // The voucher finder's index, which an earlier version did not make.
                store::addFinderIndex(db);
                // The trigram indexes of the searched names, likewise; the
                // program searches a store without them by reading every name.
                const bool trigrams = store::addTrigramSearch(db);
                if (trigrams)
                    out() << QStringLiteral("데이타베이스 '%1'에 이름 찾기 색인을 더했습니다.").arg(databaseName())
                          << Qt::endl;
                // The figures by which the server plans the listing of a busy day.
                const bool figures = store::addLineStatistics(db);
                if (figures)
                    out() << QStringLiteral("데이타베이스 '%1'에 전표 목록의 통계를 더했습니다.").arg(databaseName())
                          << Qt::endl;
                // A database made by an earlier version gets the change history
                // and the period lock.
                if (store::ledger::installGuard(db) || store::ledger::guardAddedOnOpen()) {
                    out()
                        << QStringLiteral("데이타베이스 '%1'에 변경 이력과 마감 기능을 더했습니다.").arg(databaseName())
                        << Qt::endl;
                    return int(Success);
                }
                if (trigrams || figures)
                    return int(Success);
                out() << QStringLiteral("데이타베이스 '%1'에 테이블이 이미 있습니다. 아무것도 바꾸지 않았습니다.")
                             .arg(databaseName())
                      << Qt::endl;
                return int(Success);
            }
            store::createSchema(db);
            out() << QStringLiteral("데이타베이스 '%1'에 테이블을 만들었습니다.").arg(databaseName()) << Qt::endl;
            return int(Success);
        },
        Missing::Create);
}

} // namespace dbtool
