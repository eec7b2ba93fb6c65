#pragma once
// The named operations on the books' guard and on whole days and periods: the
// change history as recorded by the database, the lock date, the print count
// of each voucher, the vouchers of a day and the lines of a period for export.
// What differs between the engines (triggers, who writes) is in ledgerguard.h.
#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <vector>

namespace store {

// One recorded change: a line inserted, updated or deleted, or the lock date
// set or cleared. The values are the line's columns as JSON text (empty for
// the side that has none).
struct HistoryEntry
{
    qint64 id = 0;
    QString changedAt, changedBy, program;
    QString action; // "insert", "update", "delete", "lock", "unlock"
    QString dateDay, serialJen, serialBun, serialCrDr;
    QString before, after;
};

// In the order written.
std::vector<HistoryEntry> voucherHistory(const QString &serialJen);
std::vector<HistoryEntry> dayHistory(const QString &dateDay);
std::vector<HistoryEntry> lockHistory();

// A text of the form yyyy-MM-dd that is a real date.
bool isDateText(const QString &text);

// The date on and before which nothing may be written ('' when none).
QString lockDate();
// Sets (or with '' clears) the lock date; the change is recorded in the
// history by the database. Throws AppError when the database refuses.
void setLockDate(const QString &dateText);

// Counts one more print of the voucher and returns how many there have been,
// this one included. Throws AppError when the count cannot be written.
int notePrint(const QString &serialJen);

// The vouchers of a day in number order, of one branch (its code) or of all
// (an empty code), with the branch each is stored under.
struct DayVoucher
{
    QString serialJen;
    QString kubunBon;
};
std::vector<DayVoucher> dayVouchers(const QString &dateDay, const QString &branchCode);

// The stored lines of a period (dates from..to, both included), of one branch
// or all, in date, number, entry and side order: every column of the voucher
// table, named in `columns`; texts as stored, amounts as numbers, End_Day as
// the store's text of it. For export to a spreadsheet.
struct LineTable
{
    QStringList columns;
    std::vector<QVariantList> rows;
};
LineTable linesBetween(const QString &fromDate, const QString &toDate, const QString &branchCode);

} // namespace store
