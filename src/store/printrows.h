#pragma once
// The two statements of the print command: the count of a voucher's stored lines
// and the rows the printed sheet shows (the stored lines, then blank rows from
// Jen_Print up to ten rows in all).
#include <QString>
#include <vector>

namespace store {

// Which voucher to print: the trimmed date, the branch code and the trimmed
// voucher number, compared with the stored values right-trimmed.
struct PrintKey
{
    QString tbDateDay;
    QString tbKubunBon;
    QString tbSerialJen;
};

// One row of the sheet, columns as Print_Query returns them. Stored lines carry
// Tot = " "; blank rows carry their Jen_Print number, empty texts and zero amounts.
struct PrintRow
{
    QString Tot, Serial_Bun, Kubun_Bon, Ac_JenCode, Ac_JenName, Serial_Jen, Serial_CrDr;
    double Cr_Amt = 0; // debit amount
    double Dr_Amt = 0; // credit amount
    QString Ac_Text, Sawon_NameCode, Buser_NameCode, Kubun_NameCode, Project_NameCode, Item_NameCode;
};

// The number of rows a sheet has before stored lines are counted.
inline constexpr int sheetRows = 10;

// Print_Count_Query: the number of stored lines of the voucher.
int Print_Count_Query(const PrintKey &key);

// tbCount: the blank rows a sheet of that many stored lines asks for, two
// digits ("08" for 2 lines, "00" for 10 lines or more, which matches no row).
QString blankRowCount(int storedLines);

// Print_Query: the stored lines in entry and side order, then the Jen_Print rows
// whose Tot is not above tbCount.
std::vector<PrintRow> Print_Query(const PrintKey &key, const QString &tbCount);

} // namespace store
