// pdf: the printed sheet of a stored voucher, or of every voucher of a day,
// straight into a PDF file.
#include "command.h"

#include "base/error.h"
#include "print/dayprint.h"
#include "print/fonts.h"
#include "print/voucherprint.h"
#include "store/voucherfind.h"
#include "store/vouchers.h"

#include <unistd.h>

namespace dbtool {

namespace {

int writeVoucher(const QString &number, const QString &file)
{
    const std::optional<store::VoucherPlace> place = store::findVoucher(number);
    if (!place) {
        err() << QStringLiteral("전표번호 '%1'인 전표가 없습니다.").arg(number) << Qt::endl;
        return NothingDone;
    }
    // The heading shows the branch as the entry window's list does.
    const print::VoucherRef ref = print::storedVoucherRef(place->dateDay, place->kubunBon, number);
    try {
        print::renderVoucherPdf(ref, file);
    } catch (const AppError &error) {
        err() << error.message() << QStringLiteral(" 아무것도 쓰지 않았습니다.") << Qt::endl;
        return WriteError;
    }
    out() << QStringLiteral("전표 %1을(를) '%2'에 저장했습니다.").arg(ref.serialText, file) << Qt::endl;
    return Success;
}

int writeDay(const QString &date, const QString &branch, const QString &file)
{
    // On a terminal the count is rewritten in place; into a file, one line each.
    const bool terminal = isatty(STDERR_FILENO);
    const auto progress = [terminal](int done, int total) {
        if (terminal)
            err() << QStringLiteral("\r전표 %1 / %2장 읽는 중...").arg(done).arg(total) << Qt::flush;
        else if (done % 50 == 0 || done == total)
            err() << QStringLiteral("전표 %1 / %2장 읽는 중...").arg(done).arg(total) << Qt::endl;
    };
    const std::vector<print::SheetData> sheets = print::gatherDay(date, branch, progress);
    if (terminal && !sheets.empty())
        err() << Qt::endl;
    if (sheets.empty()) {
        err() << (branch.isEmpty() ? QStringLiteral("%1 일자의 전표가 없습니다.").arg(date)
                                   : QStringLiteral("%1 일자, 지점 %2의 전표가 없습니다.").arg(date, branch))
              << Qt::endl;
        return NothingDone;
    }
    try {
        print::writeSheetsPdf(sheets, file);
    } catch (const AppError &error) {
        err() << error.message() << QStringLiteral(" 아무것도 쓰지 않았습니다.") << Qt::endl;
        return WriteError;
    }
    out() << QStringLiteral("%1 일자의 전표 %2장을 '%3'에 저장했습니다.").arg(date).arg(sheets.size()).arg(file)
          << Qt::endl;
    return Success;
}

} // namespace

int runPdf(const QStringList &arguments)
{
    Options options;
    if (!readOptions(arguments, {QStringLiteral("--date"), QStringLiteral("--branch")}, {}, options))
        return usageOf("pdf");
    const bool day = options.values.contains(QStringLiteral("--date"));
    if (options.plain.size() != (day ? 1 : 2) || (!day && options.values.contains(QStringLiteral("--branch"))))
        return usageOf("pdf");
    print::installKoreanFonts();
    if (!day) {
        const QString number = options.plain[0], file = options.plain[1];
        return withDatabase([&](QSqlDatabase) { return writeVoucher(number, file); });
    }
    const QString date = options.values.value(QStringLiteral("--date"));
    const QString file = options.plain[0];
    if (!checkDate(date, QStringLiteral("일자")))
        return UsageError;
    if (!checkWritable(file))
        return WriteError;
    return withDatabase(
        [&](QSqlDatabase) { return writeDay(date, options.values.value(QStringLiteral("--branch")).trimmed(), file); });
}

} // namespace dbtool
