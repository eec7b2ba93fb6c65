// The store the figures are taken on: built once, reused while it has the
// asked size.
#include "bench.h"

#include "base/error.h"
#include "store/connection.h"
#include "store/ledgerguard.h"
#include "store/schema.h"
#include "store/voucherfind.h"

#include <QElapsedTimer>
#include <QFile>

namespace bench {

namespace {

QString describeCounts(const store::LargeSetCounts &c)
{
    return QStringLiteral("%1 lines, %2 accounts, %3 customers").arg(c.lines).arg(c.accounts).arg(c.customers);
}

void build(QSqlDatabase db, const Options &options)
{
    QElapsedTimer timer;
    timer.start();
    const qint64 lines = store::countsOf(options.shape).lines;
    err() << "Building a store of " << lines << " voucher lines on " << options.engineName() << " ..." << Qt::endl;
    // The guard's triggers come after the bulk load: a made-up past is not a
    // history of changes.
    store::createSchema(db, false);
    store::fillLargeSet(db, options.shape, [&](qint64 written) {
        err() << QStringLiteral("  %1 lines (%2%), %3 s")
                     .arg(written)
                     .arg(100 * written / lines)
                     .arg(double(timer.elapsed()) / 1000, 0, 'f', 1)
              << Qt::endl;
    });
    store::ledger::installGuard(db);
    err() << QStringLiteral("Built in %1 s.").arg(double(timer.elapsed()) / 1000, 0, 'f', 1) << Qt::endl;
}

void prepare(const Options &options)
{
    if (options.rebuild && !options.sqlite.isEmpty()) {
        for (const char *suffix : {"", "-wal", "-shm"})
            QFile::remove(options.sqlite + QLatin1String(suffix));
    }
    QSqlDatabase db = store::account();
    if (store::hasSchema(db)) {
        if (!options.rebuild) {
            const store::LargeSetCounts wanted = store::countsOf(options.shape);
            const store::LargeSetCounts found = store::countLargeSet(db);
            if (found == wanted) {
                err() << "Reusing the store: " << describeCounts(found) << "." << Qt::endl;
                store::addFinderIndex(db);    // a store built before the finder
                store::addTrigramSearch(db);  // and before the trigram indexes
                store::addLineStatistics(db); // and before the listing's figures

                return;
            }
            throw AppError(QStringLiteral("the store holds %1, not %2; give --rebuild to build it anew "
                                          "(its tables are dropped), or name another store")
                               .arg(describeCounts(found), describeCounts(wanted)));
        }
        store::dropSchema(db);
    }
    build(db, options);
}

} // namespace

void prepareStore(const Options &options)
{
    prepare(options);
    // The measuring and the writing are done by other processes: this one
    // lets go of the store, so that it takes no part in what they measure.
    store::closeAccount();
}

} // namespace bench
