#include "store/printrows.h"

#include "base/amount.h"
#include "store/connection.h"
#include "store/sqlrun.h"

#include <QSqlQuery>

namespace store {

namespace {

// "name   code" of one of the five code pairs a sheet row shows.
QString nameCode(const QString &prefix, bool last = false)
{
    return QStringLiteral("(rtrim(%1_Name) || '   ' || rtrim(%1_Code)) AS %1_NameCode%2")
        .arg(prefix, last ? QString() : QStringLiteral(","));
}

QStringList nameCodes()
{
    return {nameCode(QStringLiteral("Sawon")), nameCode(QStringLiteral("Buser")), nameCode(QStringLiteral("Kubun")),
            nameCode(QStringLiteral("Project")), nameCode(QStringLiteral("Item"), true)};
}

const QStringList voucherLines = {
    QStringLiteral("From    Account_Jen_AA"),
    QStringLiteral("Where   rtrim(Date_Day)     =  :tbDateDay     and"),
    QStringLiteral("        rtrim(Kubun_Bon)    =  :tbKubunBon    and"),
    QStringLiteral("        rtrim(Serial_Jen)   =  :tbSerialJen"),
};

Params keyParams(const PrintKey &key)
{
    return {{QStringLiteral(":tbDateDay"), key.tbDateDay},
            {QStringLiteral(":tbKubunBon"), key.tbKubunBon},
            {QStringLiteral(":tbSerialJen"), key.tbSerialJen}};
}

QStringList countStatement()
{
    return QStringList{QStringLiteral("Select  *,")} + nameCodes() + voucherLines +
           QStringList{QStringLiteral("Order   By  Serial_Jen, Serial_Bun, Serial_CrDR")};
}

// Both halves of the union give every column the same type on either engine:
// the blank Tot is cut to the width of Jen_Print.Tot and the zero amounts are
// floating point like the stored ones.
QStringList printStatement()
{
    QStringList lines{
        QStringLiteral("Select   *"),
        QStringLiteral("From     ("),
        QStringLiteral("Select  CAST(' ' AS VARCHAR(2)) AS Tot,  Serial_Bun , Kubun_Bon , Ac_JenCode, Ac_JenName,"),
        QStringLiteral("        Serial_Jen , Serial_CrDr, Cr_Amt,  Dr_Amt,  Ac_Text,"),
    };
    lines += nameCodes();
    lines += voucherLines;
    lines += QStringList{
        QStringLiteral("Union"),
        QStringLiteral("Select  Tot, '' AS Serial_Bun, '' AS Kubun_Bon, '' AS Ac_JenCode, '' AS Ac_JenName,"),
        QStringLiteral("        '' AS Serial_Jen, '' AS Serial_CrDr,"),
        QStringLiteral("        CAST(0 AS DOUBLE PRECISION) AS Cr_Amt, CAST(0 AS DOUBLE PRECISION) AS Dr_Amt,"),
        QStringLiteral("        '' AS Ac_Text, '' AS Sawon_NameCode, '' AS Buser_NameCode,"),
        QStringLiteral("        '' AS Kubun_NameCode, '' AS Project_NameCode, '' AS Item_NameCode"),
        QStringLiteral("From    Jen_Print"),
        QStringLiteral("Where   Tot <=  :tbCount"),
        QStringLiteral(")  T"),
        QStringLiteral("Order    By Tot, Serial_Jen, Serial_Bun, Serial_CrDr"),
    };
    return lines;
}

PrintRow readRow(const QSqlQuery &q)
{
    const auto text = [&q](const char *column) { return q.value(QLatin1String(column)).toString(); };
    PrintRow row;
    row.Tot = text("Tot");
    row.Serial_Bun = text("Serial_Bun");
    row.Kubun_Bon = text("Kubun_Bon");
    row.Ac_JenCode = text("Ac_JenCode");
    row.Ac_JenName = text("Ac_JenName");
    row.Serial_Jen = text("Serial_Jen");
    row.Serial_CrDr = text("Serial_CrDr");
    row.Cr_Amt = q.value(QStringLiteral("Cr_Amt")).toDouble();
    row.Dr_Amt = q.value(QStringLiteral("Dr_Amt")).toDouble();
    row.Ac_Text = text("Ac_Text");
    row.Sawon_NameCode = text("Sawon_NameCode");
    row.Buser_NameCode = text("Buser_NameCode");
    row.Kubun_NameCode = text("Kubun_NameCode");
    row.Project_NameCode = text("Project_NameCode");
    row.Item_NameCode = text("Item_NameCode");
    return row;
}

} // namespace

int Print_Count_Query(const PrintKey &key)
{
    QSqlQuery query = run(account(), countStatement(), keyParams(key));
    int count = 0;
    while (query.next())
        ++count;
    return count;
}

QString blankRowCount(int storedLines)
{
    // A full sheet asks for "00", which no Jen_Print row is at or below under any
    // collation; a negative count such as "-01" would depend on how the server
    // orders "-" before digits.
    return formatDigits(qMax(0, sheetRows - storedLines), 2);
}

std::vector<PrintRow> Print_Query(const PrintKey &key, const QString &tbCount)
{
    Params params = keyParams(key);
    params.emplace_back(QStringLiteral(":tbCount"), tbCount);
    QSqlQuery query = run(account(), printStatement(), params);
    std::vector<PrintRow> rows;
    while (query.next())
        rows.push_back(readRow(query));
    return rows;
}

} // namespace store
