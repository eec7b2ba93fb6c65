#pragma once
// jeonpyo-bench: speed figures of the program's own store code on a large
// store. The parent process prepares the store and reports; the measuring is
// done in child processes of the same program, so that the memory figure is
// the program's own footprint and not the bulk loader's.
#include "largeset.h"
#include "store/lookups.h"
#include "store/vouchers.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <functional>
#include <vector>

namespace bench {

struct Options
{
    QString sqlite;   // --sqlite FILE
    QString postgres; // --postgres URI
    store::LargeSetShape shape;
    bool json = false;
    bool rebuild = false;
    int runs = 101;      // timed runs of the quick operations (fewer for the slow ones)
    int clerks = 0;      // --clerks N: the concurrent writers instead of the timings
    qint64 vouchers = 0; // --vouchers N: the clerks stop after N in all (0: when stopped)
    bool window = false; // --window: the clerks' statements go through the window's helper thread
    bool floor = false;  // --floor: the clerks save through the engine's C library
    QString date;        // the clerks' date (children)
    int clerkIndex = -1; // children only
    bool measureChild = false;

    // The ACCOUNT_DB text of the store.
    QString setting() const;
    QString engineName() const { return postgres.isEmpty() ? QStringLiteral("SQLite") : QStringLiteral("PostgreSQL"); }
    // The arguments that give a child process the same store and sizes.
    QStringList childArguments() const;
};

// Reads the command line; on a mistake prints the usage and returns false.
bool parseOptions(const QStringList &arguments, Options &options, int &exitCode);

// Builds the store when it is missing; reuses it when it has the asked size;
// refuses (unless --rebuild) when it holds another. Throws AppError.
void prepareStore(const Options &options);

// Timings: each operation's runs in milliseconds.
struct Series
{
    std::vector<double> ms;
    double median() const;
    double percentile(double p) const;
};

// The store as the window runs it: every statement on its helper thread
// behind a waiting door (never shown: the bench has no window to show it
// in), with the program's statement time limit.
void runStatementsAsTheWindowDoes();

// Four balanced entries, every field filled, texts tagged (the saved voucher
// of the timings and of the clerks).
store::NewVoucher fourEntryVoucher(const QString &date, int branch, const QString &tag);

// The floor's work: the days listed, the vouchers loaded, the date saved on,
// and as many runs as the program's own timings had.
struct FloorCase
{
    QString date, branch, serialJen;
};
struct FloorWork
{
    std::vector<FloorCase> days, vouchers;
    QString saveDate;
    int branches = 1;
    int listRuns = 0, loadRuns = 0, saveRuns = 0;
};
// The same listing, load and save through the engine's C library, timed:
// {"list", "load", "save"}, each with its median, p90 and runs.
QJsonObject measureFloor(const Options &options, const FloorWork &work);
// The figures' keys of the floor: list_floor_ms, list_ratio (Jeonpyo ÷ floor),
// list_window_ms and list_window_ratio (through the window's helper thread), ...
QJsonObject floorRatios(const QJsonObject &result);
// A clerk's save through the engine's C library: the program's own lock and
// save statements, read back from its connection after one save of its own
// on `scratchDate` (deleted again), each prepared once. Returns the number
// drawn; throws AppError when the save failed (and was rolled back).
using FloorSave = std::function<QString(const QString &date, int branch, const QString &tag)>;
FloorSave floorSaver(const Options &options, const QString &scratchDate);
void printFloorTable(const QJsonObject &result);

// The program started on the X server of DISPLAY, to its window on screen
// with the day listed: median, p90, runs, rows; {"skipped": why} without one.
QJsonObject measureRealStartup(const Options &options);

// The measuring child: prints one JSON object of figures on stdout.
int runMeasureChild(const Options &options);
// The parent: starts the measuring child and prints its figures.
int runMeasurements(const Options &options);

// The voucher finder's one-month searches ("account": by a part of an
// account name; "open": no criterion besides the dates).
QJsonObject finderFigures(int runs);
// Each search dialog's statement for its usual text and for that text's
// initials (searches.cpp); a day of `entries` entries for one branch, listed
// whole and by its first screen.
QJsonObject measureSearches(int runs);
// The text each search dialog is timed with (the usual one of the bench store).
QString usualSearchText(store::LookupStatement statement);
QJsonObject measureBusyDay(int runs, int entries);

int runClerkChild(const Options &options);
int runClerks(const Options &options);

// Peak resident memory of this process so far, in MB (VmHWM).
double peakRssMb();

// How long the disk takes to make one written page durable (the median of a
// few fdatasync calls on a file in that folder): a durable commit waits for it.
double flushLatencyMs(const QString &folder);

QTextStream &out();
QTextStream &err();

} // namespace bench
