// The reading side of the voucher store: the branch list, the voucher listing
// shown in the grid (and its restriction to one voucher after a delete), and the
// loading of one voucher back into the panels.
#include "store/vouchers.h"

#include "store/voucherline.h"

#include "base/amount.h"
#include "base/text.h"
#include "store/connection.h"
#include "store/sqlrun.h"

#include <optional>
#include <utility>
#include <vector>

namespace store {

namespace {

// Which lines the listing takes, besides kind "3", form "A005" and the side.
struct LineFilter
{
    QString where; // the line after "where": date and branch
    QString extra; // the line after the branch join
};

// The branch text a row shows, from the branch table joined as tt.
const QString branchTotal = QStringLiteral("(rtrim(tt.kubun_name) || '/' || rtrim(tt.kubun_jangso)) AS total");

// The lines a filter takes (t), each joined to its branch (tt).
QStringList listedLines(const LineFilter &filter)
{
    return {
        QStringLiteral("from         account_jen_AA t, kubun_table tt"),
        filter.where,
        QStringLiteral("and rtrim(t.Serial_CrDr) in ('01', '02')  and rtrim(t.kubun_bon) = rtrim(tt.kubun_code)"),
        filter.extra,
    };
}

// The grid's listing: each debit line ("01") becomes a row carrying its
// description, account and amount in the "1" columns, each credit line ("02")
// one carrying them in the "2" columns; grouping by voucher, entry, date and
// branch text folds the two lines of an entry into one grid row. The lines are
// read once, each side's columns chosen by its side.
QStringList listingStatement(const LineFilter &filter, bool ordered)
{
    const auto side = [](const char *crdr, const char *column, const char *otherwise, const char *as) {
        return QStringLiteral("case when rtrim(t.Serial_CrDr) = '%1' then t.%2 else %3 end AS %4,")
            .arg(QLatin1String(crdr), QLatin1String(column), QLatin1String(otherwise), QLatin1String(as));
    };
    QStringList lines = {
        QStringLiteral("select      ttt.serial_jen,     ttt.serial_bun,    ttt.Date_day,    ttt.total,"),
        QStringLiteral("max(rtrim(ttt.ac_text1)) AS ac_text1, max(rtrim(ttt.ac_text2)) AS ac_text2,"),
        QStringLiteral("(rtrim(ttt.serial_jen) || rtrim(ttt.serial_bun)) AS serial_ttt,"),
        QStringLiteral("max(Rtrim(ttt.ac_jencode1)) AS ac_jencode1, max(Rtrim(ttt.ac_JenName1)) AS ac_JenName1,"),
        QStringLiteral("sum(ttt.cr_amt1) AS Cr_Amt1,"),
        QStringLiteral("max(Rtrim(ttt.ac_jencode2)) AS ac_jencode2, max(Rtrim(ttt.ac_JenName2)) AS ac_JenName2,"),
        QStringLiteral("sum(ttt.dr_amt2) AS Dr_Amt2"),
        QStringLiteral("from      ("),
        QStringLiteral("select       t.serial_jen,    t.serial_bun,    t.Date_day,"),
        side("01", "ac_text", "''", "ac_text1"),
        side("02", "ac_text", "''", "ac_text2"),
        side("01", "ac_Jencode", "''", "ac_Jencode1"),
        side("01", "ac_JenName", "''", "ac_JenName1"),
        side("01", "Cr_Amt", "0", "CR_Amt1"),
        side("02", "ac_Jencode", "''", "ac_jencode2"),
        side("02", "ac_JenName", "''", "ac_JenName2"),
        side("02", "Dr_Amt", "0", "Dr_Amt2"),
        branchTotal,
    };
    lines << listedLines(filter);
    lines << QStringLiteral(")  ttt")
          << QStringLiteral("group    by  ttt.serial_jen,    ttt.serial_bun,    ttt.date_day,    ttt.total");
    // The grid shows the rows in this order on every engine.
    if (ordered)
        lines << QStringLiteral("order    by  ttt.serial_jen,    ttt.serial_bun");
    return lines;
}

// The same lines one by one, in the grid's order, each with its side and the
// values its grid row shows. The rows are folded here rather than by the
// engine's grouping, which took three times as long as reading the lines on a
// busy day. The lines of one row (same number, entry, date and branch text)
// come together, since the order holds the whole grouping key. An amount is
// read as the engine adds it (+ 0), as its sum would have taken it.
QStringList lineStatement(const LineFilter &filter)
{
    QStringList lines = {
        QStringLiteral("select      t.serial_jen,     t.serial_bun,    t.Date_day,"),
        branchTotal + QLatin1Char(','),
        QStringLiteral("rtrim(t.Serial_CrDr) AS side, rtrim(t.ac_text) AS ac_text,"),
        QStringLiteral("rtrim(t.ac_Jencode) AS ac_jencode, rtrim(t.ac_JenName) AS ac_JenName,"),
        QStringLiteral("(case when rtrim(t.Serial_CrDr) = '01' then t.Cr_Amt else t.Dr_Amt end) + 0 AS amount"),
    };
    lines << listedLines(filter);
    lines << QStringLiteral("order    by  t.serial_jen,    t.serial_bun,    t.Date_day,    total");
    return lines;
}

// Every fixed-width text is compared trimmed, side and form code included, so a
// value stored with padding blanks still matches. Date and branch are compared
// whole, so the engine can use the index on (rtrim(Date_Day), rtrim(Kubun_Bon)).
const QString byDayAndBranch = QStringLiteral(
    "where      rtrim(t.Date_Day) = :tbDate_Day and rtrim(t.Kubun_Bon) = :tbKubun_Bon and rtrim(t.kubun_jen) = '3'");

// A date and branch's whole listing.
const LineFilter wholeDay{byDayAndBranch, QStringLiteral("and rtrim(t.Form_Kubun) = 'A005'")};

Params dayAndBranch(const QString &dateText, const QString &branchCode)
{
    return {{QStringLiteral(":tbDate_Day"), Str_RTrim(dateText)},
            {QStringLiteral(":tbKubun_Bon"), Str_RTrim(branchCode)}};
}

// The grid row's members, each by the name the listing gives its column.
const std::pair<const char *, QString ListRow::*> listedTexts[] = {
    {"serial_jen", &ListRow::serial_jen},   {"serial_bun", &ListRow::serial_bun},
    {"Date_day", &ListRow::Date_day},       {"total", &ListRow::total},
    {"ac_text1", &ListRow::ac_text1},       {"ac_text2", &ListRow::ac_text2},
    {"serial_ttt", &ListRow::serial_ttt},   {"ac_jencode1", &ListRow::ac_jencode1},
    {"ac_JenName1", &ListRow::ac_JenName1}, {"ac_jencode2", &ListRow::ac_jencode2},
    {"ac_JenName2", &ListRow::ac_JenName2},
};
const std::pair<const char *, double ListRow::*> listedAmounts[] = {
    {"Cr_Amt1", &ListRow::Cr_Amt1},
    {"Dr_Amt2", &ListRow::Dr_Amt2},
};

std::vector<ListRow> listRows(const Rows &found)
{
    std::vector<std::pair<int, QString ListRow::*>> texts;
    for (const auto &[name, member] : listedTexts)
        texts.emplace_back(found.column(name), member);
    std::vector<std::pair<int, double ListRow::*>> amounts;
    for (const auto &[name, member] : listedAmounts)
        amounts.emplace_back(found.column(name), member);
    std::vector<ListRow> rows(found.size());
    for (size_t i = 0; i < found.size(); ++i) {
        for (const auto &[column, member] : texts)
            rows[i].*member = found.text(i, column);
        for (const auto &[column, member] : amounts)
            rows[i].*member = found.number(i, column);
    }
    return rows;
}

// The grid rows of lineStatement's lines: each row's debit line gives its "1"
// columns, its credit line its "2" columns, and a side without a line shows
// blanks and 0, as the grouping's max() and sum() over the other side's blanks
// and zeros give. Nothing when a row has two lines of one side (padded variants
// of the side, written by another program): which of them max() and sum()
// show is then the engine's to say.
std::optional<std::vector<ListRow>> foldLines(Rows found)
{
    const int jen = found.column("serial_jen"), bun = found.column("serial_bun"), day = found.column("Date_day"),
              total = found.column("total"), side = found.column("side"), text = found.column("ac_text"),
              code = found.column("ac_jencode"), name = found.column("ac_JenName"), amount = found.column("amount");
    std::vector<ListRow> rows;
    rows.reserve(found.size() / 2 + 1);
    bool debitSeen = false, creditSeen = false;
    for (size_t i = 0; i < found.size(); ++i) {
        if (rows.empty() || found.text(i, jen) != rows.back().serial_jen ||
            found.text(i, bun) != rows.back().serial_bun || found.text(i, day) != rows.back().Date_day ||
            found.text(i, total) != rows.back().total) {
            ListRow &row = rows.emplace_back();
            row.serial_jen = found.take(i, jen);
            row.serial_bun = found.take(i, bun);
            row.Date_day = found.take(i, day);
            row.total = found.take(i, total);
            row.serial_ttt = Str_RTrim(row.serial_jen) + Str_RTrim(row.serial_bun);
            debitSeen = creditSeen = false;
        }
        ListRow &row = rows.back();
        const bool debit = found.text(i, side) == QLatin1String("01");
        bool &seen = debit ? debitSeen : creditSeen;
        if (seen)
            return std::nullopt;
        seen = true;
        (debit ? row.ac_text1 : row.ac_text2) = found.take(i, text);
        (debit ? row.ac_jencode1 : row.ac_jencode2) = found.take(i, code);
        (debit ? row.ac_JenName1 : row.ac_JenName2) = found.take(i, name);
        (debit ? row.Cr_Amt1 : row.Dr_Amt2) = found.number(i, amount);
    }
    return rows;
}

// The grid's rows for the lines a filter takes, in the grid's order.
std::vector<ListRow> listing(const LineFilter &filter, const Params &params)
{
    if (std::optional<std::vector<ListRow>> rows = foldLines(read(accountToRead(), lineStatement(filter), params)))
        return std::move(*rows);
    return listRows(read(accountToRead(), listingStatement(filter, true), params));
}

} // namespace

QString branchCode(int position)
{
    return formatDigits(position, 5);
}

QStringList branchList()
{
    const Rows found =
        read(accountToRead(),
             {
                 QStringLiteral(" Select  Kubun_Code, ( rtrim(Kubun_Name) || '/' || rtrim(Kubun_JangSo) ) As Total"),
                 QStringLiteral(" From    Kubun_Table"),
                 QStringLiteral(" Order   By   Kubun_Code"),
             });
    QStringList branches;
    const int total = found.column("Total");
    for (size_t i = 0; i < found.size(); ++i)
        branches << found.text(i, total);
    return branches;
}

std::vector<ListRow> listVouchers(const QString &dateText, const QString &branchCode)
{
    return listing(wholeDay, dayAndBranch(dateText, branchCode));
}

std::vector<ListRow> listVouchersGrouped(const QString &dateText, const QString &branchCode)
{
    return listRows(read(accountToRead(), listingStatement(wholeDay, true), dayAndBranch(dateText, branchCode)));
}

namespace {

// A screen's vouchers, and one more to tell whether any follow: the first by
// number after the last one shown, read in the index's order. Each has a
// listed line (the same lines qualify), so a voucher counted is a voucher
// shown.
const LineFilter screenFilter{
    byDayAndBranch,
    wholeDay.extra +
        QStringLiteral(
            " and t.Serial_Jen in (select Serial_Jen from Account_Jen_AA"
            " where rtrim(Date_Day) = :tbDate_Day and rtrim(Kubun_Bon) = :tbKubun_Bon"
            " and Serial_Jen > :tbAfter"
            " and rtrim(kubun_jen) = '3' and rtrim(Form_Kubun) = 'A005' and rtrim(Serial_CrDr) in ('01', '02')"
            " group by Serial_Jen order by Serial_Jen limit :tbVouchers)")};

Params screenParams(const QString &dateText, const QString &branchCode, const QString &afterJen, int vouchers)
{
    Params params = dayAndBranch(dateText, branchCode);
    params.emplace_back(QStringLiteral(":tbAfter"), afterJen);
    params.emplace_back(QStringLiteral(":tbVouchers"), vouchers + 1);
    return params;
}

} // namespace

BoundStatement firstScreenListing()
{
    // Today, as the window opens; the branch makes no difference to what the
    // server reads to plan it.
    return {lineStatement(screenFilter),
            screenParams(QDate::currentDate().toString(Qt::ISODate), branchCode(0), {}, screenVouchers)};
}

ListScreen listVoucherScreen(const QString &dateText, const QString &branchCode, const QString &afterJen, int vouchers)
{
    ListScreen screen;
    screen.rows = listing(screenFilter, screenParams(dateText, branchCode, afterJen, vouchers));
    // The rows come in voucher order: those of a voucher past the screen go.
    QString last;
    int counted = 0;
    for (size_t i = 0; i < screen.rows.size(); ++i) {
        if (i > 0 && screen.rows[i].serial_jen == last)
            continue;
        last = screen.rows[i].serial_jen;
        if (++counted > vouchers) {
            screen.rows.resize(i);
            screen.more = true;
            break;
        }
    }
    if (!screen.rows.empty())
        screen.lastJen = screen.rows.back().serial_jen;
    return screen;
}

// Differs from listVouchers only in how it finds the lines of the date and
// branch, and in having no order.
std::vector<ListRow> listVouchersOriginal(const QString &dateText, const QString &branchCode)
{
    const LineFilter filter{
        QStringLiteral("where      t.Date_Day || t.Kubun_Bon like (:tbDKubun)  and rtrim(t.kubun_jen) = '3'"),
        QStringLiteral("and rtrim(t.Form_Kubun) = 'A005'")};
    const QString pattern = QLatin1Char('%') + dateText + branchCode + QLatin1Char('%');
    return listRows(read(accountToRead(), listingStatement(filter, false), {{QStringLiteral(":tbDKubun"), pattern}}));
}

std::vector<ListRow> listVoucherEntries(const QString &dateText, const QString &branchCode, const QString &relocateKey)
{
    // The key is a whole voucher number, so it is compared whole.
    const LineFilter filter{
        byDayAndBranch, QStringLiteral("and rtrim(t.serial_jen) = :tbSerial_jen  and  rtrim(t.Form_Kubun) = 'A005'")};
    Params params = dayAndBranch(dateText, branchCode);
    params.emplace_back(QStringLiteral(":tbSerial_jen"), Str_DelSpace(relocateKey));
    return listing(filter, params);
}

std::vector<StoredLine> loadVoucherLines(const QString &dayBon, const QString &serialJen)
{
    Rows found = read(accountToRead(),
                      {
                          // End_Day also as the store's own text of it, which a correction compares.
                          QStringLiteral("select *, cast(End_Day as varchar(40)) As End_Day_Text"),
                          QStringLiteral("From   Account_Jen_AA"),
                          QStringLiteral("where  rtrim(Date_Day) || rtrim(kubun_bon)   =    :tbDayBon"),
                          QStringLiteral("and  rtrim(serial_jen) =  :tbSerial_jen      and  rtrim(kubun_jen) = '3'"),
                          QStringLiteral("and  rtrim(Form_Kubun) = 'A005'"),
                          QStringLiteral("order  by  serial_bun,  serial_crdr"),
                      },
                      {{QStringLiteral(":tbDayBon"), dayBon}, {QStringLiteral(":tbSerial_jen"), Str_RTrim(serialJen)}});
    std::vector<int> positions;
    for (const LineColumn &column : lineColumns())
        positions.push_back(found.column(column.name));
    const int endDayText = found.column("End_Day_Text");
    std::vector<StoredLine> lines(found.size());
    for (size_t i = 0; i < found.size(); ++i) {
        StoredLine &line = lines[i];
        for (size_t c = 0; c < lineColumns().size(); ++c) {
            const LineColumn &column = lineColumns()[c];
            if (column.stored)
                line.*column.stored = found.take(i, positions[c]);
            else if (column.storedAmount)
                line.*column.storedAmount = found.number(i, positions[c]);
        }
        line.End_Day_Text = found.take(i, endDayText);
        // The lines of a voucher are mostly written at one moment.
        line.End_Day = i > 0 && line.End_Day_Text == lines[i - 1].End_Day_Text ? lines[i - 1].End_Day
                                                                               : endDayFrom(line.End_Day_Text);
    }
    return lines;
}

QStringList entryNumbers(const QString &serialJen, const QString &dateDay)
{
    // Trimmed, because the entry number is read as a whole number; ordered, so
    // that the panels are gone through in entry order on every engine.
    const Rows found =
        read(accountToRead(),
             {
                 QStringLiteral("select DISTINCT rtrim(serial_bun) AS serial_bun"),
                 QStringLiteral("From   Account_Jen_AA"),
                 QStringLiteral("where  rtrim(serial_jen)    = :tbSerial_jen   and  rtrim(kubun_jen) = '3'"),
                 QStringLiteral("and  rtrim(date_day) = :tbSerial_day   and  rtrim(Form_Kubun) = 'A005'"),
                 QStringLiteral("order  by  serial_bun"),
             },
             {{QStringLiteral(":tbSerial_jen"), Str_RTrim(serialJen)},
              {QStringLiteral(":tbSerial_day"), Str_RTrim(dateDay)}});
    QStringList numbers;
    for (size_t i = 0; i < found.size(); ++i)
        numbers << found.text(i, 0);
    return numbers;
}

} // namespace store
