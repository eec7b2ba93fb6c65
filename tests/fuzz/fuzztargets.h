#pragma once
// The bodies of the fuzz targets: each takes arbitrary bytes, runs them through
// the program's own code and checks what must hold whatever the input. Each
// returns what went wrong, or nothing; crashes and undefined behaviour are for
// the sanitisers to find. Shared by the libFuzzer programs (fuzz_*.cpp here)
// and by the replay of the kept corpus in every test run
// (tests/reliability/test_fuzzcorpus.cpp), so that each input once found to
// break something stays a regression test.
#include "base/amount.h"
#include "base/error.h"
#include "base/text.h"
#include "store/csvimport.h"
#include "store/schema.h"
#include "store/sqlrun.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace fuzz {

// The bytes as text in the two ways it reaches the helpers: decoded from UTF-8
// (a file, a paste) and taken as raw UTF-16 (what a widget may hold, NULs and
// broken surrogates included).
inline QList<QString> textsOf(const QByteArray &bytes)
{
    QList<QString> texts{QString::fromUtf8(bytes)};
    texts << QString(reinterpret_cast<const QChar *>(bytes.constData()), bytes.size() / 2);
    return texts;
}

inline bool onlyBlanks(QStringView v)
{
    return v.count(QLatin1Char(' ')) == v.size();
}

inline QString checkTrims(const QString &s)
{
    const QString left = Str_LTrim(s), right = Str_RTrim(s);
    const qsizetype cut = s.size() - left.size();
    if (cut < 0 || !onlyBlanks(QStringView(s).left(cut)) || QStringView(s).mid(cut) != left ||
        left.startsWith(QLatin1Char(' ')))
        return QStringLiteral("Str_LTrim did not take exactly the leading blanks");
    if (!s.startsWith(right) || !onlyBlanks(QStringView(s).mid(right.size())) || right.endsWith(QLatin1Char(' ')))
        return QStringLiteral("Str_RTrim did not take exactly the trailing blanks");
    if (Str_DelSpace(s) != QString(s).remove(QLatin1Char(' ')))
        return QStringLiteral("Str_DelSpace did not take exactly the blanks");
    if (Str_LTrim(right) != Str_RTrim(left))
        return QStringLiteral("the trims depend on their order");
    return {};
}

inline QString checkNumbers(const QString &s)
{
    // Str_ToFloat reads the characters of "-0123456789." that it keeps.
    QString kept;
    for (QChar c : s)
        if (QStringLiteral("-0123456789.").contains(c))
            kept += c;
    try {
        const double value = Str_ToFloat(s);
        if (!std::isfinite(value))
            return QStringLiteral("Str_ToFloat gave a value that is not finite");
        if (!kept.isEmpty() && value != kept.toDouble())
            return QStringLiteral("Str_ToFloat read another number than its kept characters");
    } catch (const AppError &error) {
        if (!error.message().endsWith(QLatin1String("' is not a valid floating point value")))
            return QStringLiteral("Str_ToFloat failed with an unexpected message");
    }
    try {
        const int value = Str_ToInt(s);
        if (Str_ToInt(QString::number(value)) != value)
            return QStringLiteral("Str_ToInt does not read back its own number");
    } catch (const AppError &error) {
        if (!error.message().endsWith(QLatin1String("' is not a valid integer value")))
            return QStringLiteral("Str_ToInt failed with an unexpected message");
    }
    return {};
}

// Target "text": the text helpers.
inline QString text(const QByteArray &bytes)
{
    for (const QString &s : textsOf(bytes)) {
        QString problem = checkTrims(s);
        if (problem.isEmpty())
            problem = checkNumbers(s);
        if (!problem.isEmpty())
            return problem;
    }
    return {};
}

inline QString checkAmount(double v)
{
    const QString thousands = formatThousands(v), display = amountDisplayForm(v), plain = plainAmountText(v);
    formatThousandsOrBlank(v);
    formatDigits(v, 8);
    if (!std::isfinite(v))
        return {}; // only nothing may crash
    static const QRegularExpression grouped(QStringLiteral("^-?\\d{1,3}(,\\d{3})*$"));
    const double whole = std::round(v);
    if (!grouped.match(thousands).hasMatch() || thousands.startsWith(QLatin1Char('-')) != (whole < 0))
        return QStringLiteral("\"#,##0\" gave %1 for %2").arg(thousands).arg(v, 0, 'g', 17);
    if (QString(thousands).remove(QLatin1Char(',')).remove(QLatin1Char('-')).toDouble() != std::fabs(whole))
        return QStringLiteral("\"#,##0\" does not read back as the rounded number");
    if (formatThousandsOrBlank(v) != (whole == 0 ? QString() : thousands))
        return QStringLiteral("\"#,###\" differs from \"#,##0\" for a non-zero number");
    const QString digits = formatDigits(v, 8);
    if (QString(digits).remove(QLatin1Char('-')).size() < 8 || digits.toDouble() != whole)
        return QStringLiteral("the eight-digit form does not hold the rounded number");
    // Read in a wider type: rounded to 15 digits, the greatest doubles print
    // as a number just beyond the double's range (1.79769313486232E308).
    const QByteArray plainBytes = plain.toLatin1();
    char *end = nullptr;
    const long double plainValue = std::strtold(plainBytes.constData(), &end);
    if (end != plainBytes.constData() + plainBytes.size() ||
        std::fabs(plainValue - (long double)v) > std::fabs((long double)v) * 1e-14L + 1e-300L)
        return QStringLiteral("the plain text %1 is not the number %2").arg(plain).arg(v, 0, 'g', 17);
    if (!display.isEmpty()) {
        if (!display.endsWith(thousands) || !onlyBlanks(QStringView(display).left(display.size() - thousands.size())))
            return QStringLiteral("the display form is not blanks and \"#,##0\"");
        // The credit line takes the debit amount as shown: the entry balances
        // only if the shown text reads back as the rounded amount.
        if (Str_ToFloat(Str_LTrim(display)) != whole)
            return QStringLiteral("the shown amount %1 does not read back as %2").arg(display).arg(whole, 0, 'f', 0);
    }
    return {};
}

// Target "amount": the amount forms, for a double's raw bits and for what a
// clerk may type into an amount field.
inline QString amount(const QByteArray &bytes)
{
    if (bytes.size() >= int(sizeof(double))) {
        double raw;
        std::memcpy(&raw, bytes.constData(), sizeof raw);
        if (QString problem = checkAmount(raw); !problem.isEmpty())
            return problem;
    }
    try {
        const double typed = Str_ToFloat(Str_LTrim(QString::fromLatin1(bytes)));
        return checkAmount(typed);
    } catch (const AppError &) {
        return {}; // shown to the clerk; nothing to check
    }
}

inline QString checkParse(const QString &text)
{
    const store::CsvText parsed = store::parseCsv(text);
    int line = 0;
    QString written;
    for (const store::CsvRecord &record : parsed.records) {
        if (record.line <= line)
            return QStringLiteral("records out of line order");
        line = record.line;
        QStringList quoted;
        for (QString field : record.fields)
            quoted << QLatin1Char('"') + field.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
        written += quoted.join(QLatin1Char(',')) + QLatin1Char('\n');
    }
    for (const store::CsvProblem &problem : parsed.problems)
        if (problem.line < 1 || problem.reason.isEmpty())
            return QStringLiteral("a problem without a line or a reason");
    // Written out again with every field quoted, the records read back the same.
    const store::CsvText again = store::parseCsv(written);
    if (!again.problems.isEmpty() || again.records.size() != parsed.records.size())
        return QStringLiteral("the records written out do not read back");
    for (qsizetype i = 0; i < again.records.size(); ++i)
        if (again.records[i].fields != parsed.records[i].fields)
            return QStringLiteral("record %1 reads back differently").arg(i + 1);
    return {};
}

// An in-memory store with the program's tables, made once.
inline QSqlDatabase csvStore()
{
    const QString name = QStringLiteral("fuzz");
    if (QSqlDatabase::contains(name))
        return QSqlDatabase::database(name);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(QStringLiteral(":memory:"));
    db.open();
    store::createSchema(db);
    return db;
}

// Target "csv": the first byte picks the code table, the rest is the file.
// The import takes every row or none, and the text reads as CSV consistently.
inline QString csv(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return {};
    const QList<store::CodeTable> &tables = store::codeTables();
    const store::CodeTable &table = tables[uchar(bytes[0]) % tables.size()];
    const QByteArray file = bytes.mid(1);
    const store::DecodedText decoded = store::decodeCsvBytes(file);
    if (decoded.problems.isEmpty()) {
        if (decoded.encoding.startsWith(QLatin1String("UTF-8")) && !file.endsWith(decoded.text.toUtf8()))
            return QStringLiteral("the UTF-8 text is not the file's bytes");
        if (QString problem = checkParse(decoded.text); !problem.isEmpty())
            return problem;
    }
    QSqlDatabase db = csvStore();
    QString problem;
    try {
        const store::ImportReport report = store::importCodeTable(db, table, file);
        const int stored = store::countRows(db, table);
        if (report.ok() && stored != report.rows)
            problem = QStringLiteral("%1 rows reported, %2 stored").arg(report.rows).arg(stored);
        if (!report.ok() && (stored != 0 || report.rows != 0))
            problem = QStringLiteral("a refused file left %1 rows").arg(stored);
        for (const store::CsvProblem &p : report.problems)
            if (p.line < 1 || p.reason.isEmpty())
                problem = QStringLiteral("a problem without a line or a reason");
    } catch (const AppError &) {
        if (store::countRows(db, table) != 0)
            problem = QStringLiteral("a refused import left rows behind");
    }
    store::exec(db, QStringLiteral("DELETE FROM ") + table.name);
    return problem;
}

} // namespace fuzz
