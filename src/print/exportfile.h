#pragma once
// Rows taken out to a spreadsheet: a CSV file (UTF-8 with a byte-order mark,
// what spreadsheet programs on Korean desktops open correctly, or CP949) or an
// XLSX workbook with numbers as numbers, dates as dates, a bold header row and
// the header frozen. One writer for 'jeonpyo-db export' and for the voucher
// finder's results. The file is written whole beside its place and then
// renamed, or not at all.
#include "store/ledgerbook.h"
#include "store/voucherfind.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <functional>
#include <optional>
#include <vector>

namespace print {

// What a column holds, for the cell types of a workbook and the CSV's numbers.
enum class CellKind { Text, Amount, Day, Moment };

struct ExportTable
{
    QStringList columns;
    QList<CellKind> kinds; // one per column
    std::vector<QVariantList> rows;
    QString sheetName = QStringLiteral("전표");
};

// The stored lines of a period with the kinds of their columns: the amounts,
// Date_Day (yyyy-MM-dd) and End_Day (as the store keeps it).
ExportTable exportTableOf(const store::LineTable &lines);

enum class ExportFormat { CsvUtf8, CsvCp949, Xlsx };

// The format of a file by its suffix (.csv or .xlsx, any case), CP949 when
// asked for a CSV file; nothing for another suffix.
std::optional<ExportFormat> exportFormatOf(const QString &file, bool cp949 = false);

struct ExportOutcome
{
    enum class Kind { Written, NotCp949, Unwritable } kind = Kind::Written;
    int line = 0;   // NotCp949: the CSV line holding the first character CP949 lacks
    QString reason; // Unwritable: what the file system said (may be empty)
    bool written() const { return kind == Kind::Written; }
};

// Writes the table into `file`; anything but Written left nothing behind.
ExportOutcome writeExport(const ExportTable &table, const QString &file, ExportFormat format);

// The voucher finder's entries as the finder lists them: date, branch (as
// `branchText` names its code), number, entry, both accounts (code and name),
// amount and description.
ExportTable foundEntriesTable(const std::vector<store::FoundEntry> &entries,
                              const std::function<QString(const QString &)> &branchText);
// Writes them for the finder (the format by the file's suffix); empty when
// written, otherwise what to tell the clerk.
QString exportFoundEntries(const std::vector<store::FoundEntry> &entries,
                           const std::function<QString(const QString &)> &branchText, const QString &file, bool cp949);

} // namespace print
