#pragma once
// Finding stored vouchers: by number alone, for tools that are given only the
// number (the date and branch come from its stored lines), and the voucher
// finder's search of the entries of a period by what their lines hold.
#include <QSqlDatabase>
#include <QString>
#include <optional>
#include <vector>

namespace store {

struct VoucherPlace
{
    QString dateDay;  // Date_Day, trimmed
    QString kubunBon; // Kubun_Bon, trimmed
};

// The date and branch of the voucher, or nothing when no line has that number.
std::optional<VoucherPlace> findVoucher(const QString &serialJen);

// What the finder looks for. Texts are taken as typed (their outer blanks
// dropped; "%" and "_" stand for themselves); an empty text asks nothing. A
// code-or-name criterion matches a line whose code begins with the text or
// whose name contains it; an entry is found when either of its lines matches.
struct FinderCriteria
{
    QString fromDate, toDate; // yyyy-MM-dd, both included
    QString branchCode;       // "00000"…; empty for every branch
    QString number;           // a part of the voucher number
    QString account, customer, employee, department, project, item;
    std::optional<double> minAmount, maxAmount; // the entry's amount, both included
    QString text;                               // a part of either line's description (적요)

    // Any criterion besides the dates.
    bool narrowed() const;
};

// One entry found: its debit ("01") and credit ("02") lines folded.
struct FoundEntry
{
    QString dateDay, kubunBon, serialJen, serialBun;
    QString debitCode, debitName, creditCode, creditName;
    double amount = 0;
    QString text; // the debit line's description, or the credit line's when it has none
};

struct FinderResult
{
    std::vector<FoundEntry> entries; // by date, number, entry and branch
    bool capped = false;             // more were found than the cap: only the first are here
};

// The index a search reads its period through, in the order it folds and
// sorts the lines, so that neither needs a sort of its own and a search that
// finds more than it shows stops early. Part of every new store.
QString finderIndex();
// Adds the index to a store made before it (nothing when it is there).
// Throws AppError when the database refuses.
void addFinderIndex(QSqlDatabase db);

// The most entries one search hands back.
inline constexpr int finderCap = 1000;
// The longest period searched with no criterion besides the dates (days).
inline constexpr int finderOpenDays = 366;

// Why the criteria cannot be searched, for the clerk; empty when they can.
QString finderProblem(const FinderCriteria &criteria);

// The entries the criteria find, at most `cap`. Throws AppError with
// finderProblem's text for criteria that cannot be searched, or when the
// database refuses.
FinderResult findEntries(const FinderCriteria &criteria, int cap = finderCap);

} // namespace store
