// The reading side of the voucher store: the branch list, the voucher listing
// shown in the grid (and its restriction to one voucher after a delete), and the
// loading of one voucher back into the panels.
#include "store/vouchers.h"

#include "store/voucherline.h"

#include "base/amount.h"
#include "base/text.h"
#include "store/connection.h"
#include "store/sqlrun.h"

#include <QSqlQuery>
#include <QSqlRecord>
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
        QStringLiteral("(rtrim(tt.kubun_name) || '/' || rtrim(tt.kubun_jangso)) AS total"),
        QStringLiteral("from         account_jen_AA t, kubun_table tt"),
        filter.where,
        QStringLiteral("and rtrim(t.Serial_CrDr) in ('01', '02')  and rtrim(t.kubun_bon) = rtrim(tt.kubun_code)"),
        filter.extra,
        QStringLiteral(")  ttt"),
        QStringLiteral("group    by  ttt.serial_jen,    ttt.serial_bun,    ttt.date_day,    ttt.total"),
    };
    // The grid shows the rows in this order on every engine.
    if (ordered)
        lines << QStringLiteral("order    by  ttt.serial_jen,    ttt.serial_bun");
    return lines;
}

// Every fixed-width text is compared trimmed, side and form code included, so a
// value stored with padding blanks still matches. Date and branch are compared
// whole, so the engine can use the index on (rtrim(Date_Day), rtrim(Kubun_Bon)).
const QString byDayAndBranch = QStringLiteral(
    "where      rtrim(t.Date_Day) = :tbDate_Day and rtrim(t.Kubun_Bon) = :tbKubun_Bon and rtrim(t.kubun_jen) = '3'");

Params dayAndBranch(const QString &dateText, const QString &branchCode)
{
    return {{QStringLiteral(":tbDate_Day"), Str_RTrim(dateText)},
            {QStringLiteral(":tbKubun_Bon"), Str_RTrim(branchCode)}};
}

// The values of the current row by column name. A lookup by name on the query
// builds the result's whole record for every value; here the record is read
// once per result, each name is found in it once by the same rule (its case
// does not matter, for the server reports names in lower case), and its
// position is kept for the following rows.
class Columns
{
public:
    explicit Columns(const QSqlQuery &query) : m_query(query), m_record(query.record()) {}
    QVariant value(const char *column) const { return m_query.value(position(column)); }
    QString text(const char *column) const { return value(column).toString(); }
    double number(const char *column) const { return value(column).toDouble(); }

private:
    int position(const char *column) const
    {
        for (const auto &[name, at] : m_positions)
            if (name == column)
                return at;
        const int at = m_record.indexOf(QLatin1String(column));
        m_positions.emplace_back(column, at);
        return at;
    }

    const QSqlQuery &m_query;
    QSqlRecord m_record;
    mutable std::vector<std::pair<const char *, int>> m_positions; // by the caller's literal
};

std::vector<ListRow> listRows(QSqlQuery query)
{
    std::vector<ListRow> rows;
    const Columns columns(query);
    while (query.next()) {
        ListRow row;
        row.serial_jen = columns.text("serial_jen");
        row.serial_bun = columns.text("serial_bun");
        row.Date_day = columns.text("Date_day");
        row.total = columns.text("total");
        row.ac_text1 = columns.text("ac_text1");
        row.ac_text2 = columns.text("ac_text2");
        row.serial_ttt = columns.text("serial_ttt");
        row.ac_jencode1 = columns.text("ac_jencode1");
        row.ac_JenName1 = columns.text("ac_JenName1");
        row.Cr_Amt1 = columns.number("Cr_Amt1");
        row.ac_jencode2 = columns.text("ac_jencode2");
        row.ac_JenName2 = columns.text("ac_JenName2");
        row.Dr_Amt2 = columns.number("Dr_Amt2");
        rows.push_back(row);
    }
    return rows;
}

} // namespace

QString branchCode(int position)
{
    return formatDigits(position, 5);
}

QStringList branchList()
{
    QSqlQuery query =
        run(account(),
            {
                QStringLiteral(" Select  Kubun_Code, ( rtrim(Kubun_Name) || '/' || rtrim(Kubun_JangSo) ) As Total"),
                QStringLiteral(" From    Kubun_Table"),
                QStringLiteral(" Order   By   Kubun_Code"),
            });
    QStringList branches;
    const Columns columns(query);
    while (query.next())
        branches << columns.text("Total");
    return branches;
}

std::vector<ListRow> listVouchers(const QString &dateText, const QString &branchCode)
{
    const LineFilter filter{byDayAndBranch, QStringLiteral("and rtrim(t.Form_Kubun) = 'A005'")};
    return listRows(run(account(), listingStatement(filter, true), dayAndBranch(dateText, branchCode)));
}

ListScreen listVoucherScreen(const QString &dateText, const QString &branchCode, const QString &afterJen, int vouchers)
{
    // The screen's vouchers, and one more to tell whether any follow: the
    // first by number after the last one shown, read in the index's order.
    // Each has a listed line (the same lines qualify), so a voucher counted is
    // a voucher shown.
    const QString screenVouchers = QStringLiteral(
        "and t.Serial_Jen in (select Serial_Jen from Account_Jen_AA"
        " where rtrim(Date_Day) = :tbDate_Day and rtrim(Kubun_Bon) = :tbKubun_Bon and Serial_Jen > :tbAfter"
        " and rtrim(kubun_jen) = '3' and rtrim(Form_Kubun) = 'A005' and rtrim(Serial_CrDr) in ('01', '02')"
        " group by Serial_Jen order by Serial_Jen limit :tbVouchers)");
    const LineFilter filter{byDayAndBranch, QStringLiteral("and rtrim(t.Form_Kubun) = 'A005' ") + screenVouchers};
    Params params = dayAndBranch(dateText, branchCode);
    params.emplace_back(QStringLiteral(":tbAfter"), afterJen);
    params.emplace_back(QStringLiteral(":tbVouchers"), vouchers + 1);
    ListScreen screen;
    screen.rows = listRows(run(account(), listingStatement(filter, true), params));
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
    return listRows(run(account(), listingStatement(filter, false), {{QStringLiteral(":tbDKubun"), pattern}}));
}

std::vector<ListRow> listVoucherEntries(const QString &dateText, const QString &branchCode, const QString &relocateKey)
{
    // The key is a whole voucher number, so it is compared whole.
    const LineFilter filter{
        byDayAndBranch, QStringLiteral("and rtrim(t.serial_jen) = :tbSerial_jen  and  rtrim(t.Form_Kubun) = 'A005'")};
    Params params = dayAndBranch(dateText, branchCode);
    params.emplace_back(QStringLiteral(":tbSerial_jen"), Str_DelSpace(relocateKey));
    return listRows(run(account(), listingStatement(filter, true), params));
}

std::vector<StoredLine> loadVoucherLines(const QString &dayBon, const QString &serialJen)
{
    QSqlQuery query =
        run(account(),
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
    std::vector<StoredLine> lines;
    const Columns columns(query);
    while (query.next()) {
        StoredLine line;
        for (const LineColumn &column : lineColumns()) {
            if (column.stored)
                line.*column.stored = columns.text(column.name);
            else if (column.storedAmount)
                line.*column.storedAmount = columns.number(column.name);
        }
        line.End_Day_Text = columns.value("End_Day_Text").toString();
        line.End_Day = endDayFrom(line.End_Day_Text);
        lines.push_back(line);
    }
    return lines;
}

QStringList entryNumbers(const QString &serialJen, const QString &dateDay)
{
    // Trimmed, because the entry number is read as a whole number; ordered, so
    // that the panels are gone through in entry order on every engine.
    QSqlQuery query =
        run(account(),
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
    const Columns columns(query);
    while (query.next())
        numbers << columns.text("serial_bun");
    return numbers;
}

} // namespace store
