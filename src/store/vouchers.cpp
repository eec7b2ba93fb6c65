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
#include <map>
#include <optional>

namespace store {

namespace {

constexpr int lastSequence = 99999999; // eight digits

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

// The save in one statement: it draws the date's next number and writes every
// line with it. The number is the greatest well-formed one of the date plus
// one, as Serial_Jen_MaxValue draws it; past the last the statement writes
// nothing. Each line's values are its own parameters (":tbL3_Ac_Text" is the
// third line's description), cast to the column's kind so that the engine
// knows each before it sees the columns; a text too long for its column is
// refused all the same.
QStringList buildSaveStatement(QSqlDatabase db, int lineCount)
{
    const Dialect &dialect = Dialect::of(db);
    // Sent with its commit (see saveNewVoucher): a server stalled past the
    // program's wait writes nothing when it goes on.
    const QString within = dialect.begunWithin(QStringLiteral(":tbWithin"));
    QStringList columns, selected, rows;
    for (const LineColumn &column : lineColumns()) {
        const QString name = QLatin1String(column.name);
        columns << name;
        if (name == QLatin1String("Serial"))
            selected << QStringLiteral("line.Head || replace(drawn.Serial_Jen, ' ', '') || line.Tail");
        else if (name == QLatin1String("Serial_Jen"))
            selected << QStringLiteral("drawn.Serial_Jen");
        else
            selected << QStringLiteral("line.") + name;
    }
    for (int i = 1; i <= lineCount; ++i) {
        QStringList values;
        const QString prefix = QStringLiteral(":tbL%1_").arg(i);
        auto parameter = [&](const QString &name, const QString &type) {
            values << QStringLiteral("cast(%1%2 as %3)").arg(prefix, name, dialect.columnType(type));
        };
        parameter(QStringLiteral("Head"), QStringLiteral("text"));
        parameter(QStringLiteral("Tail"), QStringLiteral("text"));
        for (const LineColumn &column : lineColumns()) {
            const QString name = QLatin1String(column.name);
            if (name == QLatin1String("Serial") || name == QLatin1String("Serial_Jen"))
                continue;
            const QString type = QLatin1String(column.type);
            parameter(name, type.startsWith(QLatin1String("varchar")) ? QStringLiteral("text") : type);
        }
        rows << QStringLiteral("%1  %2, %3")
                    .arg(i == 1 ? QStringLiteral("  Select") : QStringLiteral("  Union All Select"))
                    .arg(i)
                    .arg(values.join(QStringLiteral(", ")));
    }
    QStringList lineNames{QStringLiteral("Position"), QStringLiteral("Head"), QStringLiteral("Tail")};
    for (const LineColumn &column : lineColumns())
        if (qstrcmp(column.name, "Serial") != 0 && qstrcmp(column.name, "Serial_Jen") != 0)
            lineNames << QLatin1String(column.name);
    // The next number is worked out once (materialised): the server would
    // otherwise search for the greatest again for each place it is used.
    QStringList statement{
        QStringLiteral("  With  greatest  As  ("),
        QStringLiteral("    Select  Serial_Jen  From  Account_Jen_AA"),
        QStringLiteral("     Where  rtrim(Date_Day) = :tbDate_Day  And  ") + wellFormedNumber(db),
        QStringLiteral("     Order  By  Serial_Jen desc  limit 1),"),
        QStringLiteral("  sequence  As  Materialized  ("),
        QStringLiteral("    Select  coalesce((Select cast(substr(rtrim(Serial_Jen), length(rtrim(Serial_Jen)) - 7) as "
                       "integer) From greatest), 0) + 1  As  Next),"),
        QStringLiteral("  drawn  As  ("),
        QStringLiteral("    Select  cast(:tbDate_Text as text) || '-' || substr('0000000' || cast(Next as text), "
                       "length(cast(Next as text)))  As  Serial_Jen"),
        QStringLiteral("      From  sequence  Where  Next <= %1%2),")
            .arg(lastSequence)
            .arg(within.isEmpty() ? QString() : QStringLiteral("  And  ") + within),
        QStringLiteral("  line  (%1)  As  (").arg(lineNames.join(QStringLiteral(", "))),
    };
    statement << rows;
    statement << QStringLiteral("  )");
    statement << QStringLiteral("  Insert  Into  Account_Jen_AA  (%1)").arg(columns.join(QStringLiteral(", ")));
    statement << QStringLiteral("  Select  %1").arg(selected.join(QStringLiteral(", ")));
    statement << QStringLiteral("    From  drawn, line  Order  By  line.Position");
    statement << QStringLiteral("  Returning  Serial_Jen");
    return statement;
}

// Made once for each engine and number of lines.
const QStringList &saveStatement(QSqlDatabase db, int lineCount)
{
    static std::map<std::pair<Engine, int>, QStringList> made;
    const std::pair key{Dialect::of(db).engine(), lineCount};
    auto found = made.find(key);
    if (found == made.end())
        found = made.emplace(key, buildSaveStatement(db, lineCount)).first;
    return found->second;
}

// The values of one line of the save statement.
void addLine(Params &params, int position, const NewVoucher &voucher, const QString &serialBun, const QString &side,
             const LineFields &line)
{
    const QString &date = voucher.dateText;
    const QString prefix = QStringLiteral(":tbL%1_").arg(position);
    const QChar star = QLatin1Char('*');
    // The line key around the number: Serial_MaxValue's form.
    Params values = {
        {QStringLiteral("Head"),
         QStringLiteral("AA*") + branchCode(voucher.branchPosition) + star + QLatin1Char('3') + star},
        {QStringLiteral("Tail"), star + Str_DelSpace(serialBun) + star + Str_DelSpace(QStringLiteral("A005*") + side)},
        {QStringLiteral("Serial_Bun"), serialBun},
        {QStringLiteral("Serial_CrDr"), side},
        {QStringLiteral("Month_Char"), date.mid(5, 2)},
        {QStringLiteral("Year_Char"), date.left(4)},
        {QStringLiteral("Date_Day"), date},
        {QStringLiteral("Table_Kubun"), QStringLiteral("AA")},
        {QStringLiteral("Kubun_Bon"), branchCode(voucher.branchPosition)},
        {QStringLiteral("Kubun_Jen"), QStringLiteral("3")},
        {QStringLiteral("Kubun_Amt"), QStringLiteral("5")},
        {QStringLiteral("Form_Kubun"), QStringLiteral("A005")},
        {QStringLiteral("Giel_Serial"), QStringLiteral("999")},
    };
    for (auto &[name, value] : values)
        params.emplace_back(prefix + name, std::move(value));
    for (auto &[name, value] : lineValues(line))
        params.emplace_back(prefix + name.mid(3), std::move(value)); // ":tbAc_Text" -> ":tbL1_Ac_Text"
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

namespace {

// The digits at [from, from + count) of text as a number; -1 when any is not one.
int digitsAt(QStringView text, qsizetype from, qsizetype count)
{
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

// The forms both engines give End_Day in, "yyyy-MM-dd HH:mm:ss" and the same
// with 'T' or with three digits of milliseconds, read directly: the local
// time Qt's reading of an ISO date gives them. Nothing for any other form.
std::optional<QDateTime> plainEndDay(QStringView text)
{
    if (text.size() != 19 && text.size() != 23)
        return std::nullopt;
    const auto at = [&](qsizetype i, char16_t c) { return text[i] == QChar(c); };
    if (!at(4, u'-') || !at(7, u'-') || !(at(10, u' ') || at(10, u'T')) || !at(13, u':') || !at(16, u':') ||
        (text.size() == 23 && !at(19, u'.')))
        return std::nullopt;
    const int fields[] = {digitsAt(text, 0, 4),
                          digitsAt(text, 5, 2),
                          digitsAt(text, 8, 2),
                          digitsAt(text, 11, 2),
                          digitsAt(text, 14, 2),
                          digitsAt(text, 17, 2),
                          text.size() == 23 ? digitsAt(text, 20, 3) : 0};
    for (const int field : fields)
        if (field < 0)
            return std::nullopt;
    const QDate date(fields[0], fields[1], fields[2]);
    const QTime time(fields[3], fields[4], fields[5], fields[6]);
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(date, time);
}

} // namespace

QDateTime endDayFrom(const QString &storedText)
{
    // A voucher's load reads one for each time its lines were written.
    if (const std::optional<QDateTime> plain = plainEndDay(storedText)) {
        if (plain->isValid())
            return *plain;
    }
    QString text = storedText.trimmed();
    if (text.size() > 10 && text.at(10) == QLatin1Char(' '))
        text[10] = QLatin1Char('T');
    QDateTime at = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!at.isValid())
        at = QDateTime::fromString(text, Qt::ISODate);
    return at.isValid() ? at.toLocalTime() : QDateTime();
}

void holdDateForNumbering(QSqlDatabase db, const QString &dateText)
{
    const QString lock = Dialect::of(db).numberingLock();
    if (!lock.isEmpty())
        runValue(db, {lock}, {{QStringLiteral(":tbDate_Day"), Str_RTrim(dateText)}});
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
    SavedVoucher saved;
    if (voucher.entries.empty()) {
        // Nothing to write: the number is drawn all the same.
        Transaction transaction(db);
        holdDateForNumbering(db, voucher.dateText);
        saved.serialJen = Serial_Jen_MaxValue(voucher.dateText);
        transaction.commit();
        return saved;
    }
    Params params = {{QStringLiteral(":tbDate_Day"), Str_RTrim(voucher.dateText)},
                     {QStringLiteral(":tbDate_Text"), voucher.dateText}};
    if (!Dialect::of(db).begunWithin({}).isEmpty())
        params.emplace_back(QStringLiteral(":tbWithin"), statementTimeout() > 0 ? statementTimeout() : 1 << 30);
    int position = 0;
    for (const EntryLines &entry : voucher.entries) {
        addLine(params, ++position, voucher, entry.serialBun, debitSide, entry.debit);
        addLine(params, ++position, voucher, entry.serialBun, creditSide, entry.credit);
    }
    const BoundStatement write{saveStatement(db, position), params};
    const QString lock = Dialect::of(db).numberingLock();
    std::vector<QVariant> numbers;
    // The number is drawn inside the transaction that writes the lines, so
    // nobody else can draw it before they are stored. Where the engine can,
    // the date's lock and the statement go to the server at once, and the
    // commit right after them.
    Transaction transaction(db);
    ledger::signWrites(db);
    if (std::optional<std::vector<QVariant>> written =
            lock.isEmpty()
                ? std::nullopt
                : commitAtOnce(transaction,
                               {{{lock}, {{QStringLiteral(":tbDate_Day"), Str_RTrim(voucher.dateText)}}}, write})) {
        numbers = std::move(*written);
        if (numbers.empty())
            throw AppError(exhausted(voucher.dateText)); // nothing was written
    } else {
        holdDateForNumbering(db, voucher.dateText);
        QSqlQuery query = run(db, write.lines, write.params);
        while (query.next())
            numbers.push_back(query.value(0));
        if (numbers.empty())
            throw AppError(exhausted(voucher.dateText));
        ledger::endWrites(db);
        transaction.commit();
    }
    saved.serialJen = numbers.front().toString();
    saved.lastKey = saved.serialJen + voucher.entries.back().serialBun;
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
