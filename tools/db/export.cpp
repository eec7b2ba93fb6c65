// export: the voucher lines of a period, every column, into a CSV file (UTF-8
// with a byte-order mark, or CP949 on request) or an XLSX workbook with numbers
// as numbers, dates as dates, a header row and the header frozen. The file is
// written whole beside its place and then renamed, or not at all.
#include "command.h"

#include "store/ledgerbook.h"
#include "store/schema.h"
#include "store/vouchers.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>
#include <xlsxwriter.h>

#include <cstdio>
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dbtool {

namespace {

bool isAmount(const QString &column)
{
    return column == QLatin1String("Cr_Amt") || column == QLatin1String("Dr_Amt");
}

QString csvField(const QVariant &value, bool amount)
{
    if (amount)
        return QString::number(value.toDouble(), 'g', 15);
    QString text = value.toString();
    if (text.contains(QLatin1Char('"')) || text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('\n')) ||
        text.contains(QLatin1Char('\r')) || text != text.trimmed()) {
        text.replace(QLatin1String("\""), QLatin1String("\"\""));
        text = QLatin1Char('"') + text + QLatin1Char('"');
    }
    return text;
}

QString csvText(const store::LineTable &table)
{
    QString text = table.columns.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    for (const QVariantList &row : table.rows) {
        QStringList fields;
        for (int i = 0; i < row.size(); ++i)
            fields << csvField(row[i], isAmount(table.columns[i]));
        text += fields.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return text;
}

// The text in CP949, or nothing when a character has no place in it; `line`
// then tells the CSV line that holds the first such character.
std::optional<QByteArray> toCp949(const QString &text, int &line)
{
    const QByteArray utf8 = text.toUtf8();
    iconv_t cd = iconv_open("CP949", "UTF-8");
    if (cd == iconv_t(-1))
        return std::nullopt;
    QByteArray encoded(utf8.size() * 2 + 16, Qt::Uninitialized);
    char *in = const_cast<char *>(utf8.constData());
    size_t inLeft = size_t(utf8.size());
    char *outStart = encoded.data(), *outPos = outStart;
    size_t outLeft = size_t(encoded.size());
    const bool ok = iconv(cd, &in, &inLeft, &outPos, &outLeft) != size_t(-1);
    iconv_close(cd);
    if (!ok) {
        line = int(QByteArray(utf8.constData(), int(in - utf8.constData())).count('\n')) + 1;
        return std::nullopt;
    }
    encoded.resize(int(outPos - outStart));
    return encoded;
}

int writeCsv(const store::LineTable &table, const QString &file, bool cp949)
{
    const QString text = csvText(table);
    QByteArray bytes;
    if (cp949) {
        int line = 0;
        const std::optional<QByteArray> encoded = toCp949(text, line);
        if (!encoded) {
            err() << QStringLiteral("CSV %1행에 CP949로 나타낼 수 없는 글자가 있습니다. --cp949 없이 UTF-8로 "
                                    "내보내세요. 아무것도 쓰지 않았습니다.")
                         .arg(line)
                  << Qt::endl;
            return WriteError;
        }
        bytes = *encoded;
    } else {
        bytes = QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    }
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit()) {
        err()
            << QStringLiteral("파일을 쓸 수 없습니다: %1 (%2). 아무것도 쓰지 않았습니다.").arg(file, out.errorString())
            << Qt::endl;
        return WriteError;
    }
    return Success;
}

std::optional<lxw_datetime> dateTimeOf(const QString &column, const QString &text)
{
    if (column == QLatin1String("Date_Day")) {
        const QDate date = QDate::fromString(text.trimmed(), QStringLiteral("yyyy-MM-dd"));
        if (date.isValid() && date.year() >= 1900)
            return lxw_datetime{date.year(), date.month(), date.day(), 0, 0, 0};
    } else if (column == QLatin1String("End_Day")) {
        const QDateTime at = store::endDayFrom(text);
        if (at.isValid() && at.date().year() >= 1900)
            return lxw_datetime{at.date().year(), at.date().month(),  at.date().day(),
                                at.time().hour(), at.time().minute(), at.time().second() + at.time().msec() / 1000.0};
    }
    return std::nullopt;
}

// Writes the workbook to `path`; false when the library refuses anything.
bool writeWorkbook(const store::LineTable &table, const QByteArray &path)
{
    lxw_workbook *workbook = workbook_new(path.constData());
    if (!workbook)
        return false;
    lxw_worksheet *sheet = workbook_add_worksheet(workbook, "전표");
    lxw_format *header = workbook_add_format(workbook);
    format_set_bold(header);
    lxw_format *amount = workbook_add_format(workbook);
    format_set_num_format(amount, "#,##0");
    lxw_format *day = workbook_add_format(workbook);
    format_set_num_format(day, "yyyy-mm-dd");
    lxw_format *moment = workbook_add_format(workbook);
    format_set_num_format(moment, "yyyy-mm-dd hh:mm:ss");
    bool ok = sheet != nullptr;
    for (int c = 0; ok && c < table.columns.size(); ++c)
        ok = worksheet_write_string(sheet, 0, lxw_col_t(c), table.columns[c].toUtf8().constData(), header) ==
             LXW_NO_ERROR;
    for (size_t r = 0; ok && r < table.rows.size(); ++r) {
        const lxw_row_t row = lxw_row_t(r + 1);
        for (int c = 0; ok && c < table.columns.size(); ++c) {
            const QString &column = table.columns[c];
            const QVariant &value = table.rows[r][c];
            const lxw_col_t col = lxw_col_t(c);
            if (isAmount(column)) {
                ok = worksheet_write_number(sheet, row, col, value.toDouble(), amount) == LXW_NO_ERROR;
            } else if (std::optional<lxw_datetime> at = dateTimeOf(column, value.toString())) {
                ok = worksheet_write_datetime(sheet, row, col, &*at,
                                              column == QLatin1String("Date_Day") ? day : moment) == LXW_NO_ERROR;
            } else if (!value.toString().isEmpty()) {
                ok = worksheet_write_string(sheet, row, col, value.toString().toUtf8().constData(), nullptr) ==
                     LXW_NO_ERROR;
            }
        }
    }
    if (ok) {
        worksheet_freeze_panes(sheet, 1, 0);
        worksheet_set_column(sheet, 0, lxw_col_t(table.columns.size() - 1), 14, nullptr);
    }
    const lxw_error closed = workbook_close(workbook);
    return ok && closed == LXW_NO_ERROR;
}

bool syncFile(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_RDONLY);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

int writeXlsx(const store::LineTable &table, const QString &file)
{
    // The library writes to a name: a temporary file beside the target takes
    // it, and only a complete workbook flushed to the disk is renamed.
    const QFileInfo target(file);
    QTemporaryFile temporary(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                             QStringLiteral(".XXXXXX"));
    bool ok = temporary.open();
    const QByteArray path = QFile::encodeName(temporary.fileName());
    temporary.close();
    // A temporary file is its owner's alone; the export gets the usual mode.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ok = ok && ::chmod(path.constData(), 0666 & ~mask) == 0 && writeWorkbook(table, path) && syncFile(path) &&
         ::rename(path.constData(), QFile::encodeName(target.absoluteFilePath()).constData()) == 0;
    if (!ok) {
        err() << QStringLiteral("파일을 쓸 수 없습니다: %1. 아무것도 쓰지 않았습니다.").arg(file) << Qt::endl;
        return WriteError;
    }
    temporary.setAutoRemove(false); // it has become the file
    if (const int folder = ::open(QFile::encodeName(target.absolutePath()).constData(), O_RDONLY); folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return Success;
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
        const int written = suffix == QLatin1String("csv") ? writeCsv(table, file, cp949) : writeXlsx(table, file);
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
