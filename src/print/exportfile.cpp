#include "print/exportfile.h"

#include "base/runtimelibrary.h"
#include "store/vouchers.h"

#include <QDate>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>
#include <xlsxwriter.h>

#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

namespace print {

namespace {

QString csvField(const QVariant &value, CellKind kind)
{
    if (kind == CellKind::Amount)
        return QString::number(value.toDouble(), 'g', 15);
    QString text = value.toString();
    if (text.contains(QLatin1Char('"')) || text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('\n')) ||
        text.contains(QLatin1Char('\r')) || text != text.trimmed()) {
        text.replace(QLatin1String("\""), QLatin1String("\"\""));
        text = QLatin1Char('"') + text + QLatin1Char('"');
    }
    return text;
}

QString csvText(const ExportTable &table)
{
    QString text = table.columns.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    for (const QVariantList &row : table.rows) {
        QStringList fields;
        for (int i = 0; i < row.size(); ++i)
            fields << csvField(row[i], table.kinds.value(i));
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

ExportOutcome writeCsv(const ExportTable &table, const QString &file, bool cp949)
{
    const QString text = csvText(table);
    QByteArray bytes;
    if (cp949) {
        int line = 0;
        const std::optional<QByteArray> encoded = toCp949(text, line);
        if (!encoded)
            return {ExportOutcome::Kind::NotCp949, line, {}};
        bytes = *encoded;
    } else {
        bytes = QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    }
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        return {ExportOutcome::Kind::Unwritable, 0, out.errorString()};
    return {};
}

std::optional<lxw_datetime> dateTimeOf(CellKind kind, const QString &text)
{
    if (kind == CellKind::Day) {
        const QDate date = QDate::fromString(text.trimmed(), QStringLiteral("yyyy-MM-dd"));
        if (date.isValid() && date.year() >= 1900)
            return lxw_datetime{date.year(), date.month(), date.day(), 0, 0, 0};
    } else if (kind == CellKind::Moment) {
        const QDateTime at = store::endDayFrom(text);
        if (at.isValid() && at.date().year() >= 1900)
            return lxw_datetime{at.date().year(), at.date().month(),  at.date().day(),
                                at.time().hour(), at.time().minute(), at.time().second() + at.time().msec() / 1000.0};
    }
    return std::nullopt;
}

// The workbook library's functions, found when an export first wants them:
// the program does not link it, so that it is not mapped at every start.
// clang-format off
#define JEONPYO_XLSXWRITER(F) \
    F(workbook_new) F(workbook_add_worksheet) F(workbook_add_format) F(format_set_bold) \
    F(format_set_num_format) F(worksheet_write_string) F(worksheet_write_number) \
    F(worksheet_write_datetime) F(worksheet_freeze_panes) F(worksheet_set_column) F(workbook_close)
// clang-format on

struct Xlsxwriter
{
    JEONPYO_XLSXWRITER(JEONPYO_RUNTIME_POINTER)
};
Xlsxwriter xlsx;

// Whether `xlsx` holds every function; asked before any of them is called.
bool xlsxwriterFound()
{
    static const bool found =
        RuntimeLibrary::load(QStringLiteral("xlsxwriter"), 4, xlsx, [](RuntimeLibrary &library, Xlsxwriter &table) {
            JEONPYO_XLSXWRITER(JEONPYO_RUNTIME_FIND)
        });
    return found;
}

// Writes the workbook to `path`; false when the library refuses anything.
bool writeWorkbook(const ExportTable &table, const QByteArray &path)
{
    if (!xlsxwriterFound())
        return false;
    lxw_workbook *workbook = xlsx.workbook_new(path.constData());
    if (!workbook)
        return false;
    lxw_worksheet *sheet = xlsx.workbook_add_worksheet(workbook, table.sheetName.toUtf8().constData());
    lxw_format *header = xlsx.workbook_add_format(workbook);
    xlsx.format_set_bold(header);
    lxw_format *amount = xlsx.workbook_add_format(workbook);
    xlsx.format_set_num_format(amount, "#,##0");
    lxw_format *day = xlsx.workbook_add_format(workbook);
    xlsx.format_set_num_format(day, "yyyy-mm-dd");
    lxw_format *moment = xlsx.workbook_add_format(workbook);
    xlsx.format_set_num_format(moment, "yyyy-mm-dd hh:mm:ss");
    bool ok = sheet != nullptr;
    for (int c = 0; ok && c < table.columns.size(); ++c)
        ok = xlsx.worksheet_write_string(sheet, 0, lxw_col_t(c), table.columns[c].toUtf8().constData(), header) ==
             LXW_NO_ERROR;
    for (size_t r = 0; ok && r < table.rows.size(); ++r) {
        const lxw_row_t row = lxw_row_t(r + 1);
        for (int c = 0; ok && c < table.columns.size(); ++c) {
            const CellKind kind = table.kinds.value(c);
            const QVariant &value = table.rows[r].value(c);
            const lxw_col_t col = lxw_col_t(c);
            if (kind == CellKind::Amount) {
                ok = xlsx.worksheet_write_number(sheet, row, col, value.toDouble(), amount) == LXW_NO_ERROR;
            } else if (std::optional<lxw_datetime> at = dateTimeOf(kind, value.toString())) {
                ok = xlsx.worksheet_write_datetime(sheet, row, col, &*at, kind == CellKind::Day ? day : moment) ==
                     LXW_NO_ERROR;
            } else if (!value.toString().isEmpty()) {
                ok = xlsx.worksheet_write_string(sheet, row, col, value.toString().toUtf8().constData(), nullptr) ==
                     LXW_NO_ERROR;
            }
        }
    }
    if (ok) {
        xlsx.worksheet_freeze_panes(sheet, 1, 0);
        xlsx.worksheet_set_column(sheet, 0, lxw_col_t(table.columns.size() - 1), 14, nullptr);
    }
    const lxw_error closed = xlsx.workbook_close(workbook);
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

ExportOutcome writeXlsx(const ExportTable &table, const QString &file)
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
    if (!ok)
        return {ExportOutcome::Kind::Unwritable, 0, {}};
    temporary.setAutoRemove(false); // it has become the file
    if (const int folder = ::open(QFile::encodeName(target.absolutePath()).constData(), O_RDONLY); folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return {};
}

CellKind kindOfLineColumn(const QString &column)
{
    if (column == QLatin1String("Cr_Amt") || column == QLatin1String("Dr_Amt"))
        return CellKind::Amount;
    if (column == QLatin1String("Date_Day"))
        return CellKind::Day;
    if (column == QLatin1String("End_Day"))
        return CellKind::Moment;
    return CellKind::Text;
}

} // namespace

ExportTable exportTableOf(const store::LineTable &lines)
{
    ExportTable table;
    table.columns = lines.columns;
    for (const QString &column : lines.columns)
        table.kinds << kindOfLineColumn(column);
    table.rows = lines.rows;
    return table;
}

std::optional<ExportFormat> exportFormatOf(const QString &file, bool cp949)
{
    const QString suffix = QFileInfo(file).suffix().toLower();
    if (suffix == QLatin1String("csv"))
        return cp949 ? ExportFormat::CsvCp949 : ExportFormat::CsvUtf8;
    if (suffix == QLatin1String("xlsx"))
        return ExportFormat::Xlsx;
    return std::nullopt;
}

ExportOutcome writeExport(const ExportTable &table, const QString &file, ExportFormat format)
{
    if (format == ExportFormat::Xlsx)
        return writeXlsx(table, file);
    return writeCsv(table, file, format == ExportFormat::CsvCp949);
}

ExportTable foundEntriesTable(const std::vector<store::FoundEntry> &entries,
                              const std::function<QString(const QString &)> &branchText)
{
    ExportTable table;
    table.sheetName = QStringLiteral("찾은 항목");
    const std::pair<const char *, CellKind> columns[] = {
        {"일자", CellKind::Day},           {"본지점구분", CellKind::Text},    {"전표번호", CellKind::Text},
        {"항목", CellKind::Text},          {"차변 계정코드", CellKind::Text}, {"차변 계정", CellKind::Text},
        {"대변 계정코드", CellKind::Text}, {"대변 계정", CellKind::Text},     {"금액", CellKind::Amount},
        {"적요", CellKind::Text},
    };
    for (const auto &[title, kind] : columns) {
        table.columns << QString::fromUtf8(title);
        table.kinds << kind;
    }
    for (const store::FoundEntry &e : entries)
        table.rows.push_back({e.dateDay, branchText(e.kubunBon), e.serialJen, e.serialBun, e.debitCode, e.debitName,
                              e.creditCode, e.creditName, e.amount, e.text});
    return table;
}

QString exportFoundEntries(const std::vector<store::FoundEntry> &entries,
                           const std::function<QString(const QString &)> &branchText, const QString &file, bool cp949)
{
    const std::optional<ExportFormat> format = exportFormatOf(file, cp949);
    if (!format)
        return QStringLiteral("파일 이름은 .csv나 .xlsx로 끝나야 합니다: %1").arg(file);
    const ExportOutcome outcome = writeExport(foundEntriesTable(entries, branchText), file, *format);
    switch (outcome.kind) {
    case ExportOutcome::Kind::Written:
        return {};
    case ExportOutcome::Kind::NotCp949:
        return QStringLiteral("%1행에 CP949로 나타낼 수 없는 글자가 있습니다. CSV UTF-8이나 XLSX로 내보내세요. "
                              "아무것도 쓰지 않았습니다.")
            .arg(outcome.line);
    case ExportOutcome::Kind::Unwritable:
        break;
    }
    return outcome.reason.isEmpty()
               ? QStringLiteral("파일을 쓸 수 없습니다: %1. 아무것도 쓰지 않았습니다.").arg(file)
               : QStringLiteral("파일을 쓸 수 없습니다: %1 (%2). 아무것도 쓰지 않았습니다.").arg(file, outcome.reason);
}

} // namespace print
