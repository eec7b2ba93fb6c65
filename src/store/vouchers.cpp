// The writing side of the voucher store: voucher numbers and line keys, the
// save of a new voucher, the update of one entry, and the delete of one entry.
#include "store/vouchers.h"

#include "entry/amount.h"
#include "entry/error.h"
#include "entry/text.h"
#include "store/connection.h"
#include "store/ledgerguard.h"
#include "store/sqlrun.h"

#include <QSqlQuery>
#include <optional>

namespace store {

namespace {

NumberingProbe probe;

constexpr int lastSequence = 99999999; // eight digits

const QStringList insertStatement = {
    QStringLiteral("  Insert  Into  Account_Jen_AA       ("),
    QStringLiteral("    Serial, Serial_Jen, Serial_Bun, Serial_CrDr, Month_Char,"),
    QStringLiteral("    Year_Char, Date_Day, Table_Kubun, Kubun_Bon, Kubun_Jen, Kubun_Amt, Form_Kubun,"),
    QStringLiteral("    Giel_Serial, Ac_JenCode, Ac_JenName, Ac_Text, Item_Code, Item_Name, Kubun_Code, Kubun_Name,"),
    QStringLiteral("    Project_Code, Project_Name, Buser_Code, Buser_Name, Sawon_Code, Sawon_Name, Cr_Amt, Dr_Amt, End_Day   )"),
    QStringLiteral("    Values    ("),
    QStringLiteral("    :tbSerial, :tbSerial_Jen, :tbSerial_Bun, :tbSerial_CrDr, :tbMonth_Char,"),
    QStringLiteral("    :tbYear_Char, :tbDate_Day, :tbTable_Kubun, :tbKubun_Bon, :tbKubun_Jen, :tbKubun_Amt, :tbForm_Kubun,"),
    QStringLiteral("    :tbGiel_Serial, :tbAc_JenCode, :tbAc_JenName, :tbAc_Text, :tbItem_Code, :tbItem_Name, :tbKubun_Code, :tbKubun_Name,"),
    QStringLiteral("    :tbProject_Code, :tbProject_Name, :tbBuser_Code, :tbBuser_Name, :tbSawon_Code, :tbSawon_Name, :tbCr_Amt, :tbDr_Amt, :tbEnd_Day )"),
};

const QStringList updateStatement = {
    QStringLiteral("  Update  Account_Jen_AA"),
    QStringLiteral("          Set  Ac_JenCode   = :tbAc_JenCode,   Ac_JenName    = :tbAc_JenName,"),
    QStringLiteral("               Ac_Text      = :tbAc_Text,"),
    QStringLiteral("               Item_Code    = :tbItem_Code,    Item_Name     = :tbItem_Name,"),
    QStringLiteral("               Kubun_Code   = :tbKubun_Code,   Kubun_Name    = :tbKubun_Name,"),
    QStringLiteral("               Project_Code = :tbProject_Code, Project_Name  = :tbProject_Name,"),
    QStringLiteral("               Buser_Code   = :tbBuser_Code,   Buser_Name    = :tbBuser_Name,"),
    QStringLiteral("               Sawon_Code   = :tbSawon_Code,   Sawon_Name    = :tbSawon_Name,"),
    QStringLiteral("               Cr_Amt       = :tbCr_Amt,       Dr_Amt        = :tbDr_Amt,"),
    QStringLiteral("               End_Day      = :tbEnd_Day"),
    QStringLiteral("  Where   rtrim(Date_Day) || rtrim(Serial_Jen) || rtrim(Serial_Bun) || rtrim(Serial_CrDr) = :tbSerial"),
    // Unchanged since it was loaded: the stored value's own text is compared,
    // a line without End_Day reading as ''; without a loaded value the line is
    // compared with itself.
    QStringLiteral("    And   coalesce(cast(End_Day as varchar(40)), '')"),
    QStringLiteral("            = coalesce(:tbLoaded_End_Day, cast(End_Day as varchar(40)), '')"),
};

const QStringList lineCountStatement = {
    QStringLiteral("  Select  Count(*)  As  Serial"),
    QStringLiteral("  From    Account_Jen_AA"),
    QStringLiteral("  Where   rtrim(Date_Day) || rtrim(Serial_Jen) || rtrim(Serial_Bun) || rtrim(Serial_CrDr) = :tbSerial"),
};

const QString debitSide = QStringLiteral("01");
const QString creditSide = QStringLiteral("02");

// Where the engines differ in numbering. On SQLite the write transaction begins
// with BEGIN IMMEDIATE, so each writer already waits for the one before it.
// PostgreSQL lets writers run side by side: the drawing of a date's numbers is
// serialised by a lock that the transaction holds until it ends.
void holdDateForNumbering(QSqlDatabase db, const QString &dateText)
{
    if (db.driverName() != QLatin1String("QPSQL"))
        return;
    run(db, {QStringLiteral("select pg_advisory_xact_lock(hashtext(:tbDate_Day))")},
        {{QStringLiteral(":tbDate_Day"), Str_RTrim(dateText)}});
}

// The values both statements give one line: codes, names, texts and amounts.
Params lineValues(const LineFields &line)
{
    return {
        {QStringLiteral(":tbAc_JenCode"), line.acCode},     {QStringLiteral(":tbAc_JenName"), line.acName},
        {QStringLiteral(":tbAc_Text"), line.acText},        {QStringLiteral(":tbItem_Code"), line.itemCode},
        {QStringLiteral(":tbItem_Name"), line.itemName},    {QStringLiteral(":tbKubun_Code"), line.kubunCode},
        {QStringLiteral(":tbKubun_Name"), line.kubunName},  {QStringLiteral(":tbProject_Code"), line.projectCode},
        {QStringLiteral(":tbProject_Name"), line.projectName}, {QStringLiteral(":tbBuser_Code"), line.buserCode},
        {QStringLiteral(":tbBuser_Name"), line.buserName},  {QStringLiteral(":tbSawon_Code"), line.sawonCode},
        {QStringLiteral(":tbSawon_Name"), line.sawonName},  {QStringLiteral(":tbCr_Amt"), line.crAmt},
        {QStringLiteral(":tbDr_Amt"), line.drAmt},
        // Read for each line, as the time of its own writing.
        {QStringLiteral(":tbEnd_Day"), endDayValue(QDateTime::currentDateTime())},
    };
}

void insertLine(QSqlDatabase db, const NewVoucher &voucher, const QString &serialJen,
                const QString &serialBun, const QString &side, const LineFields &line)
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
    run(db, insertStatement, params);
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

bool updateLine(QSqlDatabase db, const QString &lineKey, const LineFields &line,
                const std::optional<QString> &loaded)
{
    Params params = lineValues(line);
    params.emplace_back(QStringLiteral(":tbSerial"), lineKey);
    QVariant loadedValue; // NULL: not compared
    if (loaded)
        loadedValue = *loaded;
    params.emplace_back(QStringLiteral(":tbLoaded_End_Day"), loadedValue);
    return run(db, updateStatement, params).numRowsAffected() > 0;
}

bool lineStored(QSqlDatabase db, const QString &lineKey)
{
    QSqlQuery query = run(db, lineCountStatement, {{QStringLiteral(":tbSerial"), lineKey}});
    return query.next() && query.value(0).toInt() > 0;
}

// A well-formed voucher number is its line's date, a hyphen and eight digits;
// only those are drawn from. The condition tells them apart on either engine
// (a GLOB on SQLite, a regular expression on PostgreSQL).
QString wellFormedNumber(QSqlDatabase db)
{
    const QString tail = QStringLiteral("substr(rtrim(Serial_Jen), length(rtrim(Date_Day)) + 2)");
    const QString nonDigit = db.driverName() == QLatin1String("QPSQL") ? tail + QStringLiteral(" ~ '[^0-9]'")
                                                                      : tail + QStringLiteral(" GLOB '*[^0-9]*'");
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
    QString greatest;
    {
        QSqlQuery query = run(db, {
            QStringLiteral(" Select Serial_Jen as Serial_Max"),
            QStringLiteral(" From   Account_Jen_AA"),
            QStringLiteral(" Where  rtrim(Date_Day) = :tbDate_Day"),
            QStringLiteral(" And    ") + wellFormedNumber(db),
            QStringLiteral(" Order  By  Serial_Jen desc  limit 1"),
        }, {{QStringLiteral(":tbDate_Day"), Str_RTrim(dateText)}});
        if (query.next())
            greatest = Str_RTrim(query.value(0).toString());
    }
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

QString Serial_MaxValue(int branchPosition, const QString &serialJen, const QString &serialBun,
                        const QString &formSide)
{
    const QChar star = QLatin1Char('*');
    return QStringLiteral("AA*") + branchCode(branchPosition) + star + QLatin1Char('3') + star
        + Str_DelSpace(serialJen) + star + Str_DelSpace(serialBun) + star + Str_DelSpace(formSide);
}

SavedVoucher saveNewVoucher(const NewVoucher &voucher)
{
    QSqlDatabase db = account();
    std::optional<Transaction> transaction;
    if (!probe.unsafe) {
        // The number is drawn inside the transaction that writes the lines, so
        // nobody else can draw it before they are stored.
        transaction.emplace(db);
        holdDateForNumbering(db, voucher.dateText);
    }
    SavedVoucher saved;
    saved.serialJen = Serial_Jen_MaxValue(voucher.dateText);
    if (probe.afterDraw)
        probe.afterDraw(saved.serialJen);
    if (!transaction)
        transaction.emplace(db);
    ledger::signWrites(db);
    writeLines(db, voucher, saved);
    ledger::endWrites(db);
    transaction->commit();
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
    if (updateLine(db, debitKey, entry.debit, entry.debitLoaded)
        && updateLine(db, creditKey, entry.credit, entry.creditLoaded)) {
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
    run(db, {
        QStringLiteral("Delete"),
        QStringLiteral("From    Account_Jen_AA"),
        QStringLiteral("Where   rtrim(Serial_Jen) || rtrim(Serial_Bun) = :tbSerial"),
    }, {{QStringLiteral(":tbSerial"), serialJenBun}});
    ledger::endWrites(db);
    transaction.commit();
}

int countVoucherLines(const QString &serialJen)
{
    QSqlQuery query = run(account(), {
        QStringLiteral("Select    Count(*)  As    Serial"),
        QStringLiteral("From      Account_Jen_AA"),
        QStringLiteral("Where     rtrim(Serial_Jen) = :tbSerial"),
    }, {{QStringLiteral(":tbSerial"), serialJen}});
    return query.next() ? query.value(0).toInt() : 0;
}

void setNumberingProbe(NumberingProbe newProbe)
{
    probe = std::move(newProbe);
}

} // namespace store
