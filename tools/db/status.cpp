#include "command.h"

#include "store/connection.h"
#include "store/schema.h"
#include "store/vouchers.h"

#include <QFileInfo>

namespace dbtool {

namespace {

// Numbers written behind the program's back that are not a date, a hyphen and
// eight digits: the numbering passes them over, and they are named here so
// that somebody can put them right.
void reportMalformedNumbers(QSqlDatabase db)
{
    const std::vector<store::MalformedNumber> numbers = store::malformedVoucherNumbers(db);
    if (numbers.empty())
        return;
    out() << QStringLiteral("형식이 맞지 않는 전표번호가 %1개 있습니다 (일자-8자리 숫자가 아님, 새 번호를 매길 때 "
                            "세지 않습니다):")
                 .arg(numbers.size())
          << Qt::endl;
    constexpr size_t shown = 20;
    for (size_t i = 0; i < numbers.size() && i < shown; ++i)
        out() << QStringLiteral("  %1  '%2'").arg(numbers[i].dateDay, numbers[i].serialJen) << Qt::endl;
    if (numbers.size() > shown)
        out() << QStringLiteral("  ... 외 %1개").arg(numbers.size() - shown) << Qt::endl;
}

} // namespace

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
            reportMalformedNumbers(db);
            return int(Success);
        }
        out() << QStringLiteral("데이타베이스 '%1'에 테이블이 없습니다. 'jeonpyo-db init'으로 만드세요.")
                     .arg(databaseName())
              << Qt::endl;
        return int(NothingDone);
    });
}

} // namespace dbtool
