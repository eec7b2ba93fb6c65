#include "print/dayprint.h"

#include "base/text.h"
#include "store/ledgerbook.h"
#include "store/vouchers.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace print {

VoucherRef storedVoucherRef(const QString &dateText, const QString &branchCode, const QString &serialText)
{
    const QStringList branches = store::branchList();
    bool ok = false;
    const int position = branchCode.toInt(&ok);
    VoucherRef ref;
    ref.dateText = dateText;
    ref.branchCode = branchCode;
    ref.branchText = ok && position >= 0 && position < branches.size() ? branches[position] : branchCode;
    ref.serialText = serialText.trimmed();
    return ref;
}

std::vector<SheetData> gatherDay(const QString &dateText, const QString &branchCode, const DayProgress &progress)
{
    const std::vector<store::DayVoucher> vouchers = store::dayVouchers(dateText, branchCode);
    std::vector<SheetData> sheets;
    sheets.reserve(vouchers.size());
    for (const store::DayVoucher &voucher : vouchers) {
        SheetData sheet = gatherSheet(storedVoucherRef(Str_DelSpace(dateText), voucher.kubunBon, voucher.serialJen));
        if (!sheet.rows.empty())
            sheets.push_back(std::move(sheet));
        if (progress)
            progress(int(sheets.size()), int(vouchers.size()));
    }
    return sheets;
}

bool previewDay(QWidget *parent, const QString &dateText, const QString &branchCode)
{
    const std::vector<SheetData> sheets = gatherDay(dateText, branchCode);
    if (sheets.empty())
        return false;
    const QString name = QStringLiteral("대체전표-%1.pdf").arg(Str_DelSpace(dateText));
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QDir folder = !documents.isEmpty() && QFileInfo(documents).isDir() ? QDir(documents) : QDir::home();
    previewSheets(parent, sheets, folder.filePath(name));
    return true;
}

} // namespace print
