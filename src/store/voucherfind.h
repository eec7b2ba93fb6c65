#pragma once
// Finding a stored voucher by its number alone, for tools that are given only
// the number (the date and branch come from its stored lines).
#include <QString>
#include <optional>

namespace store {

struct VoucherPlace
{
    QString dateDay;  // Date_Day, trimmed
    QString kubunBon; // Kubun_Bon, trimmed
};

// The date and branch of the voucher, or nothing when no line has that number.
std::optional<VoucherPlace> findVoucher(const QString &serialJen);

} // namespace store
