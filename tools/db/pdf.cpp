// pdf: the printed sheet of a stored voucher, straight into a PDF file.
#include "command.h"

#include "base/error.h"
#include "print/fonts.h"
#include "print/voucherprint.h"
#include "store/vouchers.h"
#include "store/voucherfind.h"

namespace dbtool {

int runPdf(const QStringList &arguments)
{
    if (arguments.size() != 2)
        return usageOf("pdf");
    print::installKoreanFonts();
    const QString number = arguments[0];
    const QString file = arguments[1];
    return withDatabase([&](QSqlDatabase) {
        const std::optional<store::VoucherPlace> place = store::findVoucher(number);
        if (!place) {
            err() << QStringLiteral("전표번호 '%1'인 전표가 없습니다.").arg(number) << Qt::endl;
            return int(NothingDone);
        }
        // The heading shows the branch as the entry window's list does.
        const QStringList branches = store::branchList();
        bool ok = false;
        const int position = place->kubunBon.toInt(&ok);
        print::VoucherRef ref;
        ref.dateText = place->dateDay;
        ref.branchCode = place->kubunBon;
        ref.branchText = ok && position >= 0 && position < branches.size() ? branches[position] : place->kubunBon;
        ref.serialText = number.trimmed();
        try {
            print::renderVoucherPdf(ref, file);
        } catch (const AppError &error) {
            err() << error.message() << Qt::endl;
            return int(WriteError);
        }
        out() << QStringLiteral("전표 %1을(를) '%2'에 저장했습니다.").arg(ref.serialText, file) << Qt::endl;
        return int(Success);
    });
}

} // namespace dbtool
