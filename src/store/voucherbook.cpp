#include "store/voucherbook.h"

#include "base/error.h"
#include "base/text.h"
#include "store/connection.h"
#include "store/ledgerbook.h"
#include "store/ledgerguard.h"
#include "store/schema.h"
#include "store/sqlrun.h"
#include "store/voucherline.h"

#include <QDateTime>
#include <QSqlQuery>
#include <map>

namespace store {

namespace {

const QString debitSide = QStringLiteral("01");
const QString creditSide = QStringLiteral("02");
const QString endDay = QStringLiteral("End_Day");

// Every column of a line in the table's order; End_Day as the store's own text.
QString selectedColumns()
{
    QStringList selected;
    for (const LineColumn &column : lineColumns())
        selected << (QLatin1String(column.name) == endDay ? QStringLiteral("cast(End_Day as varchar(40))")
                                                          : QLatin1String(column.name));
    return selected.join(QStringLiteral(", "));
}

std::vector<KeptLine> readLines(QSqlQuery query)
{
    std::vector<KeptLine> lines;
    const std::vector<LineColumn> &columns = lineColumns();
    while (query.next()) {
        KeptLine line;
        for (size_t i = 0; i < columns.size(); ++i) {
            QVariant value = query.value(int(i));
            // A line without End_Day keeps none: a typeless value binds as NULL.
            if (value.isNull())
                value = QVariant();
            line.insert(QLatin1String(columns[i].name), value);
        }
        lines.push_back(line);
    }
    return lines;
}

QString text(const KeptLine &line, const char *column)
{
    return Str_RTrim(line.value(QLatin1String(column)).toString());
}

void insertLine(QSqlDatabase db, const KeptLine &line)
{
    QStringList columns, parameters;
    Params params;
    for (const LineColumn &column : lineColumns()) {
        columns << QLatin1String(column.name);
        parameters << lineParameter(column);
        params.emplace_back(lineParameter(column), line.value(QLatin1String(column.name)));
    }
    run(db,
        {QStringLiteral("Insert Into Account_Jen_AA (%1)").arg(columns.join(QStringLiteral(", "))),
         QStringLiteral("     Values (%1)").arg(parameters.join(QStringLiteral(", ")))},
        params);
}

int count(QSqlDatabase db, const QString &where, const Params &params)
{
    return runValue(db, {QStringLiteral("Select Count(*) From Account_Jen_AA Where ") + where}, params).toInt();
}

int voucherLines(QSqlDatabase db, const QString &serialJen)
{
    return count(db, QStringLiteral("rtrim(Serial_Jen) = :tbSerial_Jen"),
                 {{QStringLiteral(":tbSerial_Jen"), Str_DelSpace(serialJen)}});
}

// The voucher's lines as the entry window loads them, in entry and side order.
std::vector<KeptLine> voucherLinesOf(QSqlDatabase db, const QString &dateText, const QString &branchCode,
                                     const QString &serialJen)
{
    return readLines(run(db,
                         {
                             QStringLiteral("Select ") + selectedColumns(),
                             QStringLiteral("From   Account_Jen_AA"),
                             QStringLiteral("Where  rtrim(Date_Day) = :tbDate_Day and rtrim(Kubun_Bon) = :tbKubun_Bon"),
                             QStringLiteral("And    rtrim(Serial_Jen) = :tbSerial_Jen and rtrim(Kubun_Jen) = '3'"),
                             QStringLiteral("And    rtrim(Form_Kubun) = 'A005'"),
                             QStringLiteral("Order  By Serial_Bun, Serial_CrDr"),
                         },
                         {{QStringLiteral(":tbDate_Day"), Str_RTrim(dateText)},
                          {QStringLiteral(":tbKubun_Bon"), Str_RTrim(branchCode)},
                          {QStringLiteral(":tbSerial_Jen"), Str_DelSpace(serialJen)}}));
}

QString notStored(const QString &serialJen)
{
    return QStringLiteral("전표 %1은(는) 저장되어 있지 않습니다. 다른 사용자가 삭제했을 수 있습니다.\n"
                          "목록을 다시 읽으세요. 데이타베이스는 바뀌지 않았습니다.")
        .arg(serialJen);
}

// A line made anew under another number and date, written now.
KeptLine renumbered(KeptLine line, const QString &serialJen, const QString &dateText)
{
    const QString side = text(line, "Serial_CrDr");
    line[QStringLiteral("Serial")] =
        Serial_MaxValue(text(line, "Kubun_Bon").toInt(), serialJen, text(line, "Serial_Bun"),
                        text(line, "Form_Kubun") + QLatin1Char('*') + side);
    line[QStringLiteral("Serial_Jen")] = serialJen;
    line[QStringLiteral("Date_Day")] = dateText;
    line[QStringLiteral("Month_Char")] = dateText.mid(5, 2);
    line[QStringLiteral("Year_Char")] = dateText.left(4);
    line[endDay] = endDayValue(QDateTime::currentDateTime());
    return line;
}

SavedVoucher writeVoucher(QSqlDatabase db, const std::vector<KeptLine> &lines, const QString &serialJen)
{
    SavedVoucher saved;
    saved.serialJen = serialJen;
    ledger::signWrites(db);
    for (const KeptLine &line : lines) {
        insertLine(db, line);
        if (saved.lastKey.isEmpty())
            saved.lastKey = serialJen + text(line, "Serial_Bun"); // the first entry
    }
    ledger::endWrites(db);
    return saved;
}

QString linkOf(QSqlDatabase db, const char *known, const char *wanted, const QString &serialJen)
{
    return Str_RTrim(runValue(db,
                              {QStringLiteral("Select %1 From Voucher_Link Where %2 = :tbSerial_Jen")
                                   .arg(QLatin1String(wanted), QLatin1String(known))},
                              {{QStringLiteral(":tbSerial_Jen"), Str_DelSpace(serialJen)}})
                         .toString());
}

// The text columns a line takes from its panel: what a reversal swaps.
bool swapped(const LineColumn &column)
{
    return column.typed != nullptr;
}

} // namespace

QStringList voucherLinkStatements()
{
    return {QStringLiteral("CREATE TABLE IF NOT EXISTS Voucher_Link (\n"
                           "  Serial_Jen varchar(20) NOT NULL PRIMARY KEY,\n"
                           "  Reversed_Jen varchar(20) NOT NULL UNIQUE,\n"
                           "  Linked_At varchar(40) NOT NULL DEFAULT '')")};
}

void prepareVoucherLinks(QSqlDatabase db)
{
    try {
        if (hasTable(db, linkTable) || !hasSchema(db))
            return;
    } catch (const AppError &) {
        return; // the statement that needs the table says what is wrong
    }
    // On the connection as it is: a login or a file that may not add the table
    // works on, and only a reversal then says what is missing.
    QSqlQuery query(db);
    for (const QString &sql : voucherLinkStatements())
        query.exec(sql);
}

QString reversalText(const QString &reversedJen, const QString &ownText)
{
    QString marked = QStringLiteral("역분개: ") + Str_RTrim(reversedJen);
    if (!ownText.trimmed().isEmpty())
        marked += QLatin1Char(' ') + ownText;
    return marked.left(descriptionLength);
}

SavedVoucher copyVoucher(const QString &dateText, const QString &branchCode, const QString &serialJen,
                         const QString &toDate)
{
    if (!isDateText(toDate))
        throw AppError(toDate + QStringLiteral(" : 유효하지 않은 날짜 형식입니다."));
    QSqlDatabase db = account();
    Transaction transaction(db);
    holdDateForNumbering(db, toDate);
    const std::vector<KeptLine> stored = voucherLinesOf(db, dateText, branchCode, serialJen);
    if (stored.empty())
        throw AppError(notStored(serialJen));
    const QString number = Serial_Jen_MaxValue(toDate);
    std::vector<KeptLine> lines;
    for (const KeptLine &line : stored)
        lines.push_back(renumbered(line, number, toDate));
    const SavedVoucher saved = writeVoucher(db, lines, number);
    transaction.commit();
    return saved;
}

SavedVoucher reverseVoucher(const QString &dateText, const QString &branchCode, const QString &serialJen)
{
    const QString original = Str_DelSpace(serialJen);
    QSqlDatabase db = account();
    Transaction transaction(db);
    holdDateForNumbering(db, dateText);
    const QString reversal = linkOf(db, "Reversed_Jen", "Serial_Jen", original);
    if (!reversal.isEmpty() && voucherLines(db, reversal) > 0)
        throw AppError(QStringLiteral("전표 %1은(는) 이미 전표 %2(으)로 역분개되었습니다. 다시 역분개할 수 없습니다.\n"
                                      "데이타베이스는 바뀌지 않았습니다.")
                           .arg(original, reversal));
    const QString reversed = linkOf(db, "Serial_Jen", "Reversed_Jen", original);
    if (!reversed.isEmpty() && voucherLines(db, reversed) > 0)
        throw AppError(QStringLiteral("전표 %1은(는) 전표 %2의 역분개 전표입니다. 원래 전표가 남아 있는 동안에는 "
                                      "역분개할 수 없습니다.\n데이타베이스는 바뀌지 않았습니다.")
                           .arg(original, reversed));
    const std::vector<KeptLine> stored = voucherLinesOf(db, dateText, branchCode, original);
    if (stored.empty())
        throw AppError(notStored(original));
    // Each entry's two lines, by entry number and side.
    std::map<QString, std::map<QString, std::vector<KeptLine>>> entries;
    for (const KeptLine &line : stored)
        entries[text(line, "Serial_Bun")][text(line, "Serial_CrDr")].push_back(line);
    const QString number = Serial_Jen_MaxValue(dateText);
    std::vector<KeptLine> lines;
    for (auto &[bun, sides] : entries) {
        if (sides.size() != 2 || sides[debitSide].size() != 1 || sides[creditSide].size() != 1)
            throw AppError(QStringLiteral("전표 %1의 %2번 항목은 차변 라인 하나와 대변 라인 하나로 저장되어 있지 않아 "
                                          "역분개할 수 없습니다.\n데이타베이스는 바뀌지 않았습니다.")
                               .arg(original, bun));
        const KeptLine &debit = sides[debitSide].front();
        const KeptLine &credit = sides[creditSide].front();
        // The side's own amounts stay; what names the line comes from the other.
        auto turned = [&](const KeptLine &line, const KeptLine &other) {
            KeptLine made = renumbered(line, number, dateText);
            for (const LineColumn &column : lineColumns())
                if (swapped(column))
                    made[QLatin1String(column.name)] = other.value(QLatin1String(column.name));
            made[QStringLiteral("Ac_Text")] = reversalText(original, other.value(QStringLiteral("Ac_Text")).toString());
            return made;
        };
        lines.push_back(turned(debit, credit));
        lines.push_back(turned(credit, debit));
    }
    // A link left by a reversal that is no longer stored gives way to this one.
    const Params link = {{QStringLiteral(":tbSerial_Jen"), number},
                         {QStringLiteral(":tbReversed_Jen"), original},
                         {QStringLiteral(":tbLinked_At"), endDayValue(QDateTime::currentDateTime())}};
    run(db,
        {QStringLiteral("Delete From Voucher_Link Where Reversed_Jen = :tbReversed_Jen or Serial_Jen = :tbSerial_Jen")},
        {link[0], link[1]});
    const SavedVoucher saved = writeVoucher(db, lines, number);
    run(db,
        {QStringLiteral("Insert Into Voucher_Link (Serial_Jen, Reversed_Jen, Linked_At)"),
         QStringLiteral("     Values (:tbSerial_Jen, :tbReversed_Jen, :tbLinked_At)")},
        link);
    transaction.commit();
    return saved;
}

QString reversalOf(const QString &serialJen)
{
    return linkOf(account(), "Reversed_Jen", "Serial_Jen", serialJen);
}

QString reversedBy(const QString &serialJen)
{
    return linkOf(account(), "Serial_Jen", "Reversed_Jen", serialJen);
}

DeletedEntry deleteEntryKept(const QString &serialJenBun)
{
    QSqlDatabase db = account();
    const QString where = QStringLiteral("rtrim(Serial_Jen) || rtrim(Serial_Bun) = :tbSerial");
    const Params key = {{QStringLiteral(":tbSerial"), serialJenBun}};
    Transaction transaction(db);
    DeletedEntry deleted;
    deleted.lines =
        readLines(run(db,
                      {QStringLiteral("Select ") + selectedColumns(), QStringLiteral("From   Account_Jen_AA"),
                       QStringLiteral("Where  ") + where, QStringLiteral("Order  By Serial_CrDr")},
                      key));
    ledger::signWrites(db);
    run(db, {QStringLiteral("Delete From Account_Jen_AA Where ") + where}, key);
    ledger::endWrites(db);
    if (!deleted.isEmpty()) {
        const KeptLine &first = deleted.lines.front();
        deleted.dateDay = text(first, "Date_Day");
        deleted.kubunBon = text(first, "Kubun_Bon");
        deleted.serialJen = text(first, "Serial_Jen");
        deleted.serialBun = text(first, "Serial_Bun");
        deleted.voucherGone = voucherLines(db, deleted.serialJen) == 0;
    }
    transaction.commit();
    return deleted;
}

void restoreEntry(const DeletedEntry &entry)
{
    if (entry.isEmpty())
        return;
    QSqlDatabase db = account();
    Transaction transaction(db);
    // Nobody draws a number of the date while the lines come back.
    holdDateForNumbering(db, entry.dateDay);
    const QString refused = QStringLiteral("삭제한 항목을 되살릴 수 없습니다. ");
    const QString unchanged = QStringLiteral("\n데이타베이스는 바뀌지 않았습니다.");
    if (entry.voucherGone && voucherLines(db, entry.serialJen) > 0)
        throw AppError(
            refused +
            QStringLiteral("그 사이에 다른 전표가 전표번호 %1을(를) 받아 등록되었습니다.").arg(entry.serialJen) +
            unchanged);
    if (count(db, QStringLiteral("rtrim(Serial_Jen) || rtrim(Serial_Bun) = :tbSerial"),
              {{QStringLiteral(":tbSerial"), entry.serialJen + entry.serialBun}}) > 0)
        throw AppError(refused +
                       QStringLiteral("그 사이에 전표 %1의 %2번 항목이 다시 등록되었습니다.")
                           .arg(entry.serialJen, entry.serialBun) +
                       unchanged);
    ledger::signWrites(db);
    for (const KeptLine &line : entry.lines)
        insertLine(db, line);
    ledger::endWrites(db);
    transaction.commit();
}

double dayTotal(const QString &dateText, const QString &branchCode)
{
    return runValue(account(),
                    {
                        QStringLiteral("Select coalesce(sum(Cr_Amt), 0) From Account_Jen_AA"),
                        QStringLiteral("Where  rtrim(Date_Day) = :tbDate_Day and rtrim(Kubun_Bon) = :tbKubun_Bon"),
                        QStringLiteral("And    rtrim(Kubun_Jen) = '3' and rtrim(Form_Kubun) = 'A005'"),
                        QStringLiteral("And    rtrim(Serial_CrDr) = '01'"),
                    },
                    {{QStringLiteral(":tbDate_Day"), Str_RTrim(dateText)},
                     {QStringLiteral(":tbKubun_Bon"), Str_RTrim(branchCode)}})
        .toDouble();
}

} // namespace store
