// export: the voucher lines of a period, every column, into a CSV file (UTF-8
// with a byte-order mark, or CP949 on request) or an XLSX workbook, through
// the program's one writer (print/exportfile.h).
#include "command.h"

#include "print/exportfile.h"
#include "store/ledgerbook.h"
#include "store/schema.h"

#include <QFileInfo>

namespace dbtool {

namespace {

// The writer's outcome told on stderr; the exit code.
int told(const print::ExportOutcome &outcome, const QString &file)
{
    switch (outcome.kind) {
    case print::ExportOutcome::Kind::Written:
        return Success;
    case print::ExportOutcome::Kind::NotCp949:
        err() << QStringLiteral("CSV %1행에 CP949로 나타낼 수 없는 글자가 있습니다. --cp949 없이 UTF-8로 "
                                "내보내세요. 아무것도 쓰지 않았습니다.")
                     .arg(outcome.line)
              << Qt::endl;
        break;
    case print::ExportOutcome::Kind::Unwritable:
        if (outcome.reason.isEmpty())
            err() << QStringLiteral("파일을 쓸 수 없습니다: %1. 아무것도 쓰지 않았습니다.").arg(file) << Qt::endl;
        else
            err()
                << QStringLiteral("파일을 쓸 수 없습니다: %1 (%2). 아무것도 쓰지 않았습니다.").arg(file, outcome.reason)
                << Qt::endl;
        break;
    }
    return WriteError;
}

} // namespace

int runExport(const QStringList &arguments)
{
    Options options;
    if (!readOptions(arguments, {QStringLiteral("--from"), QStringLiteral("--to"), QStringLiteral("--branch")},
                     {QStringLiteral("--cp949")}, options) ||
        options.plain.size() != 1 || !options.values.contains(QStringLiteral("--from")) ||
        !options.values.contains(QStringLiteral("--to")))
        return usageOf("export");
    const QString from = options.values.value(QStringLiteral("--from"));
    const QString to = options.values.value(QStringLiteral("--to"));
    const QString branch = options.values.value(QStringLiteral("--branch")).trimmed();
    const QString file = options.plain[0];
    const bool cp949 = options.values.contains(QStringLiteral("--cp949"));
    if (!checkDate(from, QStringLiteral("시작일자")) || !checkDate(to, QStringLiteral("끝일자")))
        return UsageError;
    if (from > to) {
        err() << QStringLiteral("기간이 거꾸로입니다: 시작일자 %1이(가) 끝일자 %2보다 늦습니다.").arg(from, to)
              << Qt::endl;
        return UsageError;
    }
    const QString suffix = QFileInfo(file).suffix().toLower();
    if (suffix != QLatin1String("csv") && suffix != QLatin1String("xlsx")) {
        err() << QStringLiteral("파일 이름은 .csv나 .xlsx로 끝나야 합니다: %1").arg(file) << Qt::endl;
        return UsageError;
    }
    if (cp949 && suffix != QLatin1String("csv")) {
        err() << QStringLiteral("--cp949는 CSV 파일에만 씁니다.") << Qt::endl;
        return UsageError;
    }
    if (!checkWritable(file))
        return WriteError;
    return withDatabase([&](QSqlDatabase db) {
        if (!store::hasSchema(db))
            return noSchema();
        const store::LineTable table = store::linesBetween(from, to, branch);
        const int written =
            told(print::writeExport(print::exportTableOf(table), file, *print::exportFormatOf(file, cp949)), file);
        if (written == Success)
            out() << QStringLiteral("%1부터 %2까지의 전표 라인 %3개를 '%4'에 내보냈습니다.")
                         .arg(from, to)
                         .arg(table.rows.size())
                         .arg(file)
                  << Qt::endl;
        return written;
    });
}

} // namespace dbtool
