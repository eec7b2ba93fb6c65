#include "command.h"

#include "store/schema.h"

namespace dbtool {

int runInit(const QStringList &arguments)
{
    if (!arguments.isEmpty())
        return usageOf("init");
    return withDatabase([](QSqlDatabase db) {
        if (store::hasSchema(db)) {
            out() << QStringLiteral("데이타베이스 '%1'에 테이블이 이미 있습니다. 아무것도 바꾸지 않았습니다.")
                         .arg(databaseName())
                  << Qt::endl;
            return int(Success);
        }
        store::createSchema(db);
        out() << QStringLiteral("데이타베이스 '%1'에 테이블을 만들었습니다.").arg(databaseName()) << Qt::endl;
        return int(Success);
    }, Missing::Create);
}

} // namespace dbtool
