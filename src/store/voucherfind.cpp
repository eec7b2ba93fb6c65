#include "store/voucherfind.h"

#include "store/connection.h"
#include "store/sqlrun.h"

namespace store {

std::optional<VoucherPlace> findVoucher(const QString &serialJen)
{
    QSqlQuery query = run(account(),
                          {QStringLiteral("select rtrim(Date_Day) AS Date_Day, rtrim(Kubun_Bon) AS Kubun_Bon"),
                           QStringLiteral("From   Account_Jen_AA"),
                           QStringLiteral("where  rtrim(Serial_Jen) = :tbSerial_jen  and  rtrim(kubun_jen) = '3'"),
                           QStringLiteral("and  rtrim(Form_Kubun) = 'A005'"), QStringLiteral("LIMIT 1")},
                          {{QStringLiteral(":tbSerial_jen"), serialJen.trimmed()}});
    if (!query.next())
        return std::nullopt;
    return VoucherPlace{query.value(0).toString(), query.value(1).toString()};
}

} // namespace store
