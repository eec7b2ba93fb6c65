// The writing side of the voucher store: voucher numbers and line keys, the
// save of a new voucher, the update of one entry, and the delete of one entry.
#include "store/vouchers.h"

#include "base/amount.h"
#include "base/error.h"
#include "base/text.h"
#include "store/connection.h"
#include "store/dialect.h"
#include "store/ledgerguard.h"
#include "store/sqlrun.h"
#include "store/voucherline.h"

#include <QSqlQuery>
#include <optional>

namespace store {

namespace {

constexpr int lastSequence = 99999999; // eight digits

// Every column of a line, in the table's order, with its bound parameter.
QStringList insertStatement()
{
    QStringList columns, parameters;
    for (const LineColumn &column : lineColumns()) {
        columns << QLatin1String(column.name);
        parameters << lineParameter(column);
    }
    return {QStringLiteral("  Insert  Into  Account_Jen_AA  (%1)").arg(columns.join(QStringLiteral(", "))),
            QStringLiteral("    Values  (%1)").arg(parameters.join(QStringLiteral(", ")))};
}

// What a correction writes: every column a panel gives, and End_Day.
QStringList updateStatement()
{
    QStringList set;
    for (const LineColumn &column : lineColumns())
        if (column.typed || column.typedAmount)
            set << QStringLiteral("%1 = %2").arg(QLatin1String(column.name), lineParameter(column));
    set << QStringLiteral("End_Day = :tbEnd_Day");
    return {
        QStringLiteral("  Update  Account_Jen_AA"),
        QStringLiteral("     Set  ") + set.join(QStringLiteral(",\n          ")),
        QStringLiteral(
            "  Where   rtrim(Date_Day) || rtrim(Serial_Jen) || rtrim(Serial_Bun) || rtrim(Serial_CrDr) = :tbSerial"),
        // Unchanged since it was loaded: the stored value's own text is compared,
        // a line without End_Day reading as ''; without a loaded value the line is
        // compared with itself.
        QStringLiteral("    And   coalesce(cast(End_Day as varchar(40)), '')"),
        QStringLiteral("            = coalesce(:tbLoaded_End_Day, cast(End_Day as varchar(40)), '')"),
    };
}

const QStringList lineCountStatement = {
    QStringLiteral("  Select  Count(*)  As  Serial"),
    QStringLiteral("  From    Account_Jen_AA"),
    QStringLiteral(
        "  Where   rtrim(Date_Day) || rtrim(Serial_Jen) || rtrim(Serial_Bun) || rtrim(Serial_CrDr) = :tbSerial"),
};

const QString debitSide = QStringLiteral("01");
const QString creditSide = QStringLiteral("02");

// The drawing of a date's numbers waits for any other writer of that date,
// however the engine makes it wait (see Dialect::numberingLock).
void holdDateForNumbering(QSqlDatabase db, const QString &dateText)
{
    const QString lock = Dialect::of(db).numberingLock();
    if (!lock.isEmpty())
        runValue(db, {lock}, {{QStringLiteral(":tbDate_Day"), Str_RTrim(dateText)}});
}

// The values both statements give one line from its panel: codes, names,
// texts and amounts, and the time of the writing.
Params lineValues(const LineFields &line)
{
    Params params;
    for (const LineColumn &column : lineColumns()) {
        if (column.typed)
            params.emplace_back(lineParameter(column), line.*column.typed);
        else if (column.typedAmount)
            params.emplace_back(lineParameter(column), line.*column.typedAmount);
    }
    // Read for each line, as the time of its own writing.
    params.emplace_back(QStringLiteral(":tbEnd_Day"), endDayValue(QDateTime::currentDateTime()));
    return params;
}

void insertLine(QSqlDatabase db, const NewVoucher &voucher, const QString &serialJen, const QString &serialBun,
                const QString &side, const LineFields &line)
{
    const QString &date = voucher.dateText;
    Params params = {
        {QStringLiteral(":tbSerial"),
         Serial_MaxValue(voucher.branchPosition, serialJen, serialBun, QStringLiteral("A005*") + side)},
        {QStringLiteral(":tbSerial_Jen"), serialJen},
        {QStringLiteral(":tbSerial_Bun"), serialBun},
        {QStringLiteral(":tbSerial_CrDr"), side},
        {QStringLiteral(":tbMonth_Char"), date.mid(5, 2)},
        {QStringLiteral(":tbYear_Char"), date.left(4)},
        {QStringLiteral(":tbDate_Day"), date},
        {QStringLiteral(":tbTable_Kubun"), QStringLiteral("AA")},
        {QStringLiteral(":tbKubun_Bon"), branchCode(voucher.branchPosition)},
        {QStringLiteral(":tbKubun_Jen"), QStringLiteral("3")},
        {QStringLiteral(":tbKubun_Amt"), QStringLiteral("5")},
        {QStringLiteral(":tbForm_Kubun"), QStringLiteral("A005")},
        {QStringLiteral(":tbGiel_Serial"), QStringLiteral("999")},
    };
    for (auto &value : lineValues(line))
        params.push_back(std::move(value));
    run(db, insertStatement(), params);
}

// Entry order, the debit line of each entry before its credit line.
void writeLines(QSqlDatabase db, const NewVoucher &voucher, SavedVoucher &saved)
{
    for (const EntryLines &entry : voucher.entries) {
        insertLine(db, voucher, saved.serialJen, entry.serialBun, debitSide, entry.debit);
        insertLine(db, voucher, saved.serialJen, entry.serialBun, creditSide, entry.credit);
        saved.lastKey = saved.serialJen + entry.serialBun;
    }
}

bool updateLine(QSqlDatabase db, const QString &lineKey, const LineFields &line, const std::optional<QString> &loaded)
{
    Params params = lineValues(line);
    params.emplace_back(QStringLiteral(":tbSerial"), lineKey);
    QVariant loadedValue; // NULL: not compared
    if (loaded)
        loadedValue = *loaded;
    params.emplace_back(QStringLiteral(":tbLoaded_End_Day"), loadedValue);
    return run(db, updateStatement(), params).numRowsAffected() > 0;
}

bool lineStored(QSqlDatabase db, const QString &lineKey)
{
    return runValue(db, lineCountStatement, {{QStringLiteral(":tbSerial"), lineKey}}).toInt() > 0;
}

// A well-formed voucher number is its line's date, a hyphen and eight digits;
// only those are drawn from. The condition tells them apart on either engine
// (Dialect::holdsNonDigit).
QString wellFormedNumber(QSqlDatabase db)
{
    const QString tail = QStringLiteral("substr(rtrim(Serial_Jen), length(rtrim(Date_Day)) + 2)");
    const QString nonDigit = Dialect::of(db).holdsNonDigit(tail);
    return QStringLiteral("(length(rtrim(Serial_Jen)) = length(rtrim(Date_Day)) + 9"
                          " and substr(rtrim(Serial_Jen), 1, length(rtrim(Date_Day)) + 1) = rtrim(Date_Day) || '-'"
                          " and not (%1))")
        .arg(nonDigit);
}

QString exhausted(const QString &dateText)
{
    return QStringLiteral("%1 일자의 전표번호를 %2번까지 모두 사용하여 더 이상 등록할 수 없습니다....")
        .arg(dateText, formatDigits(lastSequence, 8));
}

} // namespace

// Written as text in local time: a date-time value would be turned into UTC on
// its way to the server, and the year-one stand-in for "none" into a year the
// server refuses east of Greenwich.
QVariant endDayValue(const QDateTime &at)
{
    if (!at.isValid())
        return QVariant(); // NULL
    return at.toLocalTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"));
}

QDateTime endDayFrom(const QString &storedText)
{
    QString text = storedText.trimmed();
    if (text.size() > 10 && text.at(10) == QLatin1Char(' '))
        text[10] = QLatin1Char('T');
    QDateTime at = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!at.isValid())
        at = QDateTime::fromString(text, Qt::ISODate);
    return at.isValid() ? at.toLocalTime() : QDateTime();
}

QString Serial_Jen_MaxValue(const QString &dateText)
{
    // The date is compared trimmed, as the lines' other statements compare it,
    // so a stored date padded with blanks still counts in the maximum. A number
    // of another form (letters, more digits, another date) written behind the
    // program's back is passed over: it can neither stop the drawing nor make
    // it jump; 'jeonpyo-db status' lists such numbers.
    QSqlDatabase db = account();
    const QString greatest = Str_RTrim(runValue(db,
                                                {
                                                    QStringLiteral(" Select Serial_Jen as Serial_Max"),
                                                    QStringLiteral(" From   Account_Jen_AA"),
                                                    QStringLiteral(" Where  rtrim(Date_Day) = :tbDate_Day"),
                                                    QStringLiteral(" And    ") + wellFormedNumber(db),
                                                    QStringLiteral(" Order  By  Serial_Jen desc  limit 1"),
                                                },
                                                {{QStringLiteral(":tbDate_Day"), Str_RTrim(dateText)}})
                                           .toString());
    if (greatest.isEmpty())
        return dateText + QStringLiteral("-00000001");
    const int sequence = Str_ToInt(greatest.right(8));
    if (sequence >= lastSequence)
        throw AppError(exhausted(dateText));
    return dateText + QLatin1Char('-') + formatDigits(sequence + 1, 8);
}

std::vector<MalformedNumber> malformedVoucherNumbers(QSqlDatabase db)
{
    QSqlQuery query = run(db, {
                                  QStringLiteral(" Select Distinct rtrim(Date_Day) As Date_Day, Serial_Jen"),
                                  QStringLiteral(" From   Account_Jen_AA"),
                                  QStringLiteral(" Where  not ") + wellFormedNumber(db),
                                  QStringLiteral(" Order  By  1, 2"),
                              });
    std::vector<MalformedNumber> numbers;
    while (query.next())
        numbers.push_back({query.value(0).toString(), query.value(1).toString()});
    return numbers;
}

QString Serial_MaxValue(int branchPosition, const QString &serialJen, const QString &serialBun, const QString &formSide)
{
    const QChar star = QLatin1Char('*');
    return QStringLiteral("AA*") + branchCode(branchPosition) + star + QLatin1Char('3') + star +
           Str_DelSpace(serialJen) + star + Str_DelSpace(serialBun) + star + Str_DelSpace(formSide);
}

SavedVoucher saveNewVoucher(const NewVoucher &voucher)
{
    QSqlDatabase db = account();
    // The number is drawn inside the transaction that writes the lines, so
    // nobody else can draw it before they are stored.
    Transaction transaction(db);
    holdDateForNumbering(db, voucher.dateText);
    SavedVoucher saved;
    saved.serialJen = Serial_Jen_MaxValue(voucher.dateText);
    ledger::signWrites(db);
    writeLines(db, voucher, saved);
    ledger::endWrites(db);
    transaction.commit();
    return saved;
}

UpdateResult updateEntry(const QString &dateText, const QString &serialJen, const EntryLines &entry)
{
    QSqlDatabase db = account();
    Transaction transaction(db);
    const QString entryKey = Str_DelSpace(dateText) + Str_DelSpace(serialJen) + Str_DelSpace(entry.serialBun);
    const QString debitKey = entryKey + debitSide, creditKey = entryKey + creditSide;
    // A line that is gone or was saved again elsewhere leaves both as they were
    // (the transaction is rolled back); the count tells the two apart.
    ledger::signWrites(db);
    if (updateLine(db, debitKey, entry.debit, entry.debitLoaded) &&
        updateLine(db, creditKey, entry.credit, entry.creditLoaded)) {
        ledger::endWrites(db);
        transaction.commit();
        return {UpdateOutcome::Written};
    }
    if (lineStored(db, debitKey) && lineStored(db, creditKey))
        return {UpdateOutcome::ChangedElsewhere};
    return {UpdateOutcome::Gone};
}

void deleteEntry(const QString &serialJenBun)
{
    QSqlDatabase db = account();
    Transaction transaction(db);
    ledger::signWrites(db);
    run(db,
        {
            QStringLiteral("Delete"),
            QStringLiteral("From    Account_Jen_AA"),
            QStringLiteral("Where   rtrim(Serial_Jen) || rtrim(Serial_Bun) = :tbSerial"),
        },
        {{QStringLiteral(":tbSerial"), serialJenBun}});
    ledger::endWrites(db);
    transaction.commit();
}

int countVoucherLines(const QString &serialJen)
{
    return runValue(account(),
                    {
                        QStringLiteral("Select    Count(*)  As    Serial"),
                        QStringLiteral("From      Account_Jen_AA"),
                        QStringLiteral("Where     rtrim(Serial_Jen) = :tbSerial"),
                    },
                    {{QStringLiteral(":tbSerial"), serialJen}})
        .toInt();
}

} // namespace store
