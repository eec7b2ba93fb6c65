#include "command.h"

#include "store/connection.h"
#include "store/schema.h"

#include <QFileInfo>

namespace dbtool {

int runStatus(const QStringList &arguments)
{
    if (!arguments.isEmpty())
        return usageOf("status");
    // Asking must not leave an empty database file behind.
    const store::Target target = store::resolveTarget();
    if (target.problem.isEmpty() && target.engine == store::Engine::SQLite && !QFileInfo::exists(target.file)) {
        out() << QStringLiteral("데이타베이스 파일이 없습니다: %1").arg(target.displayName()) << Qt::endl;
        return NothingDone;
    }
    return withDatabase([](QSqlDatabase db) {
        if (store::hasSchema(db)) {
            out() << QStringLiteral("데이타베이스 '%1'에 테이블이 있습니다.").arg(databaseName()) << Qt::endl;
            return int(Success);
        }
        out() << QStringLiteral("데이타베이스 '%1'에 테이블이 없습니다. 'jeonpyo-db init'으로 만드세요.")
                     .arg(databaseName())
              << Qt::endl;
        return int(NothingDone);
    });
}

} // namespace dbtool
