#pragma once
// Whole-voucher work on the voucher table beside the save: a copy of a stored
// voucher onto another date, its reversal (debit and credit lines swapped,
// linked to the original in Voucher_Link), the delete of an entry that keeps
// what it took so that it can be put back exactly, and the day's total. Each
// write is one transaction: all or nothing, and the period lock's refusal
// (ledgerguard.h) leaves nothing written.
#include "store/vouchers.h"

#include <QHash>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

namespace store {

// The link of a reversal to the voucher it reverses.
inline const QString linkTable = QStringLiteral("Voucher_Link");

// The statements that make the link table; they leave an existing one as it is.
QStringList voucherLinkStatements();
// Run once per newly opened connection: adds the link table to a database that
// has the voucher table but not it (an earlier version made it), when the
// login may. Never throws.
void prepareVoucherLinks(QSqlDatabase db);

// The description a reversal's line carries: the mark, the reversed voucher's
// number and the line's own description, within the description's length.
QString reversalText(const QString &reversedJen, const QString &ownText);
constexpr int descriptionLength = 400; // the panels' description fields hold as much

// A copy of a stored voucher (its date, branch code and number) as a new
// voucher on `toDate`, under that date's next number: every entry and line as
// stored, written now. Throws AppError with the clerk's message when the date
// is not a date, the voucher is no longer stored, the date's numbers are used
// up, or the date is locked; then nothing is written.
SavedVoucher copyVoucher(const QString &dateText, const QString &branchCode, const QString &serialJen,
                         const QString &toDate);

// The reversal of a stored voucher on its own date, under the date's next
// number: each entry's debit and credit lines swapped (accounts, names, codes),
// each line's amounts where they were, its description marked; linked to the
// original. Refused (AppError, nothing written) for a voucher already reversed
// by a reversal still stored, for a reversal of a voucher still stored, for an
// entry that is not one debit and one credit line, and as copyVoucher.
SavedVoucher reverseVoucher(const QString &dateText, const QString &branchCode, const QString &serialJen);

// The reversal that reverses a voucher, and the voucher a reversal reverses
// ("" when none).
QString reversalOf(const QString &serialJen);
QString reversedBy(const QString &serialJen);

// A stored line as its columns' values exactly as read (End_Day as the store's
// own text of it, or null), by column name.
using KeptLine = QHash<QString, QVariant>;

// What a delete took: enough to put it back exactly.
struct DeletedEntry
{
    QString dateDay, kubunBon, serialJen, serialBun; // trimmed
    std::vector<KeptLine> lines;
    bool voucherGone = false; // the delete took the voucher's last lines
    bool isEmpty() const { return lines.empty(); }
};

// Deletes both lines of an entry, as deleteEntry does (the voucher number and
// the entry number), and returns what was deleted, in one transaction.
DeletedEntry deleteEntryKept(const QString &serialJenBun);

// Writes the deleted lines back exactly as they were (keys, numbers, values,
// End_Day), in one transaction. Refused (AppError, nothing written) when the
// entry was stored again meanwhile, when the voucher's number went to another
// voucher, or when the day is locked.
void restoreEntry(const DeletedEntry &entry);

// The total of the debit amounts of a date and branch, as the listing shows them.
double dayTotal(const QString &dateText, const QString &branchCode);

} // namespace store
