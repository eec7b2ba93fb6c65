#pragma once
// A day's vouchers printed together: every voucher of a date (and branch), one
// sheet each in number order, the same sheet as a single print. For the print
// of the listed day in the entry window and 'jeonpyo-db pdf --date'.
#include "print/voucherprint.h"

#include <QString>
#include <functional>
#include <vector>

class QWidget;

namespace print {

// The voucher as a sheet's headings name it: the branch shown as the entry
// window's list shows it (its code when the list has no such position).
VoucherRef storedVoucherRef(const QString &dateText, const QString &branchCode, const QString &serialText);

// Called after each sheet is read, with the sheets done and the sheets in all.
using DayProgress = std::function<void(int done, int total)>;

// The sheets of the day's vouchers of a branch (its code), or of every branch
// for an empty code; each is counted as printed. Throws AppError when the
// database refuses.
std::vector<SheetData> gatherDay(const QString &dateText, const QString &branchCode, const DayProgress &progress = {});

// The entry window's command: previews the listed day's sheets in one window,
// from which they are printed or saved as one PDF file. Returns false, showing
// nothing, when the day has no voucher.
bool previewDay(QWidget *parent, const QString &dateText, const QString &branchCode);

} // namespace print
