#pragma once
// Every statement on the voucher table: the listing shown in the grid, the
// loading of one voucher, the numbering, and the save, update and delete of
// entries. Values in, values out: the store knows nothing of widgets.
#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

namespace store {

struct BoundStatement;

// One row of the voucher listing: one entry (the debit and credit line folded).
struct ListRow
{
    QString serial_jen, serial_bun, Date_day, total;
    QString ac_text1, ac_text2, serial_ttt;
    QString ac_jencode1, ac_JenName1;
    double Cr_Amt1 = 0;
    QString ac_jencode2, ac_JenName2;
    double Dr_Amt2 = 0;
};

// One stored line of Account_Jen_AA, texts as the database returns them.
struct StoredLine
{
    QString Serial, Serial_Jen, Serial_Bun, Serial_CrDr, Month_Char, Year_Char, Date_Day;
    QString Table_Kubun, Kubun_Bon, Kubun_Jen, Kubun_Amt, Form_Kubun, Giel_Serial;
    QString Ac_JenCode, Ac_JenName, Ac_Text, Item_Code, Item_Name, Kubun_Code, Kubun_Name;
    QString Project_Code, Project_Name, Buser_Code, Buser_Name, Sawon_Code, Sawon_Name;
    double Cr_Amt = 0, Dr_Amt = 0;
    QDateTime End_Day;    // read as the clerk's local time (invalid when none)
    QString End_Day_Text; // as the store keeps it: what a correction compares
};

// End_Day as the program writes it: the clerk's local time to the millisecond,
// as text that both engines take for a date-time; NULL for an invalid one.
QVariant endDayValue(const QDateTime &at);
// End_Day as read back, whatever wrote it (this program, a script, the
// engine's own clock functions): a local date-time, invalid for none.
QDateTime endDayFrom(const QString &storedText);

// What one line of an entry carries from the panels: hidden codes and texts.
struct LineFields
{
    QString acCode, acName, acText;
    QString itemCode, itemName, kubunCode, kubunName;
    QString projectCode, projectName, buserCode, buserName, sawonCode, sawonName;
    double crAmt = 0, drAmt = 0;
};

struct EntryLines
{
    QString serialBun; // the panel's entry number as typed, "01" to "04"
    LineFields debit;  // side "01"
    LineFields credit; // side "02"
    // The End_Day of each line as it was loaded into the panels, as the store
    // keeps it (End_Day_Text: empty for a line stored without one). A
    // correction is written only while the stored line still carries it, so
    // that what another clerk saved in the meantime is never overwritten
    // unseen; the comparison is made by the store on its own text of the
    // value, so it holds at whatever precision and in whatever form the line
    // was written. Unset: not compared.
    std::optional<QString> debitLoaded, creditLoaded;
};

struct NewVoucher
{
    QString dateText;                // edDate as typed
    int branchPosition = 0;          // cbKubun's index; the branch code is it as "00000"
    std::vector<EntryLines> entries; // only the entries to write, in entry order
};

struct SavedVoucher
{
    QString serialJen; // the number drawn
    QString lastKey;   // the number followed by the entry number of the last entry written
};

// The branch list at start-up: rtrim(Kubun_Name) || '/' || rtrim(Kubun_JangSo), by code.
QStringList branchList();

// The branch code of a position in the branch list ("00000", "-00001" for none).
QString branchCode(int position);

// The listing of a date and branch (one row per entry).
std::vector<ListRow> listVouchers(const QString &dateText, const QString &branchCode);
// One screen of a day's listing, in the listing's order: the entries of the
// first `vouchers` vouchers whose number follows afterJen (as stored; empty for
// the day's first). `more` when vouchers of the day follow; lastJen is the
// number to continue after.
struct ListScreen
{
    std::vector<ListRow> rows;
    bool more = false;
    QString lastJen;
};
inline constexpr int screenVouchers = 15;
ListScreen listVoucherScreen(const QString &dateText, const QString &branchCode, const QString &afterJen = {},
                             int vouchers = screenVouchers);
// The read of today's first screen, as the window makes it on opening.
BoundStatement firstScreenListing();
// The same listing with its lines grouped into rows by the engine, as
// listVouchers does only for a day whose entries hold two lines of one side:
// kept so that a test can hold the two ways to the same rows.
std::vector<ListRow> listVouchersGrouped(const QString &dateText, const QString &branchCode);
// The listing as it was first written: lines found by a leading-wildcard match on
// date and branch joined (it scans every line, and a short date also matches
// other dates). Kept only so the benchmark can compare it with listVouchers.
std::vector<ListRow> listVouchersOriginal(const QString &dateText, const QString &branchCode);
// The listing restricted to one voucher after one of its entries was deleted.
std::vector<ListRow> listVoucherEntries(const QString &dateText, const QString &branchCode, const QString &relocateKey);

// The stored lines of a voucher in entry and side order (tbDayBon, tbSerial_jen).
std::vector<StoredLine> loadVoucherLines(const QString &dayBon, const QString &serialJen);
// The entry numbers a voucher has (tbSerial_jen, tbSerial_day).
QStringList entryNumbers(const QString &serialJen, const QString &dateDay);

// The next voucher number of a date: the greatest well-formed stored number
// (the date, a hyphen and eight digits) plus one.
QString Serial_Jen_MaxValue(const QString &dateText);
// Inside a write transaction, before a date's number is drawn: waits for any
// other writer of that date, however the engine makes it wait.
void holdDateForNumbering(QSqlDatabase db, const QString &dateText);
// The voucher numbers that are not of that form, with their dates, as stored.
struct MalformedNumber
{
    QString dateDay, serialJen;
};
std::vector<MalformedNumber> malformedVoucherNumbers(QSqlDatabase db);
// A line key: AA*<branch>*3*<voucher>*<entry>*<form and side>.
QString Serial_MaxValue(int branchPosition, const QString &serialJen, const QString &serialBun,
                        const QString &formSide);

// Draws the number and writes every line of the voucher in one transaction: all
// or nothing. Two clerks saving at once never get the same number.
SavedVoucher saveNewVoucher(const NewVoucher &voucher);

// What became of a correction. Anything but Written wrote nothing.
enum class UpdateOutcome {
    Written,
    Gone,             // a line of the entry is no longer stored (deleted elsewhere)
    ChangedElsewhere, // both lines are stored, but one was saved again after it was loaded
};
struct UpdateResult
{
    UpdateOutcome outcome = UpdateOutcome::Written;
    explicit operator bool() const { return outcome == UpdateOutcome::Written; }
};

// Rewrites both lines of one entry in one transaction, or nothing: when a line
// is no longer stored, or no longer carries the End_Day it was loaded with.
UpdateResult updateEntry(const QString &dateText, const QString &serialJen, const EntryLines &entry);

// Deletes both lines of an entry (tbSerial: voucher number and entry number).
void deleteEntry(const QString &serialJenBun);
// The number of stored lines of a voucher.
int countVoucherLines(const QString &serialJen);

} // namespace store
