#pragma once
// Loading a code table (branches, accounts, customers, banks, employees,
// departments, projects, items) from a CSV file whose header row names the
// columns. The file is read as a stream, a line at a time, twice: once to find
// its encoding, once to check its rows into a temporary table of the
// transaction; then every row goes in, in that one transaction, or none does
// and every bad row is reported with its line number. Memory stays small
// whatever the size of the file.
#include <QByteArray>
#include <QIODevice>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <functional>

#include "store/codetables.h"

namespace store {

// Width of a text in bytes of the Korean code page: one for ASCII, two for
// anything else.
int codePageWidth(const QString &text);

// Number of rows stored in a table. Throws AppError when the database refuses.
int countRows(QSqlDatabase db, const CodeTable &table);
// Inserts one row; columns not named take their default (an empty text).
void insertCodeRow(QSqlDatabase db, const CodeTable &table, const QStringList &columns, const QStringList &values);

// A fault in the input file, at a line (1 is the header row).
struct CsvProblem
{
    int line = 0;
    QString reason;
};

// The file's bytes as text: strict UTF-8 (a leading byte-order mark dropped),
// otherwise the Korean code page 949. When neither reads every byte, `problem`
// names the first line that cannot be read.
struct DecodedText
{
    QString text;
    QString encoding; // "UTF-8", "UTF-8 (BOM)" or "CP949"
    QList<CsvProblem> problems;
};
DecodedText decodeCsvBytes(const QByteArray &bytes);

// One record of a CSV text and the line it starts on.
struct CsvRecord
{
    int line = 0;
    QStringList fields;
};
struct CsvText
{
    QList<CsvRecord> records;
    QList<CsvProblem> problems;
};
// Splits text by the usual CSV rules: fields separated by commas, a field in
// double quotes may hold commas, line breaks and doubled quotes. Empty lines
// are skipped.
CsvText parseCsv(const QString &text);

// The problems listed in a report; any beyond are only counted.
inline constexpr int maxListedProblems = 1000;

struct ImportReport
{
    QString table;
    QString encoding;
    int rows = 0;               // rows written (0 unless all were good)
    QList<CsvProblem> problems; // the first problems by line; empty when the import went through
    int moreProblems = 0;       // problems past those listed
    bool ok() const { return problems.isEmpty(); }
};

// What the import is doing: reading the file for its encoding, checking its
// rows (both counted in bytes of the file), writing the rows (counted in rows).
enum class ImportPhase { Reading, Checking, Writing };
// Called every few megabytes read or checked, and after every `progressStep`
// rows written.
using ImportProgress = std::function<void(ImportPhase phase, qint64 done, qint64 total)>;
inline constexpr int progressStep = 10000;

// Checks the whole file against the table and its stored keys, then writes
// every row in one transaction, or nothing when a problem was found. Throws
// AppError when the database refuses (the transaction is then rolled back).
// The device must be able to seek back to its start.
ImportReport importCodeTable(QSqlDatabase db, const CodeTable &table, QIODevice &file,
                             const ImportProgress &progress = {});
ImportReport importCodeTable(QSqlDatabase db, const CodeTable &table, const QByteArray &bytes,
                             const ImportProgress &progress = {});

} // namespace store
