#include "bench.h"

#include "store/connection.h"
#include "store/waiting.h"

#include <condition_variable>
#include <mutex>

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryFile>
#include <algorithm>
#include <cmath>
#include <unistd.h>

namespace bench {

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

double Series::percentile(double p) const
{
    if (ms.empty())
        return 0;
    std::vector<double> sorted = ms;
    std::sort(sorted.begin(), sorted.end());
    const double at = p * double(sorted.size() - 1);
    const size_t low = size_t(std::floor(at)), high = size_t(std::ceil(at));
    return sorted[low] + (sorted[high] - sorted[low]) * (at - double(low));
}

double Series::median() const
{
    return percentile(0.5);
}

double peakRssMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    return 0;
}

double flushLatencyMs(const QString &folder)
{
    QTemporaryFile file(folder + QStringLiteral("/jeonpyo-bench-flush-XXXXXX"));
    if (!file.open())
        return 0;
    const QByteArray page(4096, 'x');
    Series series;
    QElapsedTimer timer;
    for (int i = 0; i < 31; ++i) {
        file.write(page);
        file.flush();
        timer.start();
        if (::fdatasync(file.handle()) != 0)
            return 0;
        series.ms.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return series.median();
}

namespace {

// Waits for the statement, as the window's door does, without a window.
class QuietDoor : public store::WaitingDoor
{
public:
    void wait(store::Wait &wait) override
    {
        std::mutex mutex;
        std::condition_variable ended;
        bool done = false;
        wait.whenDone([&] {
            std::lock_guard lock(mutex);
            done = true;
            ended.notify_all();
        });
        std::unique_lock lock(mutex);
        ended.wait(lock, [&] { return done; });
    }
};

} // namespace

void runStatementsAsTheWindowDoes()
{
    static QuietDoor door;
    store::setWaitingDoor(&door);
    store::setStatementTimeout(store::windowStatementTimeout);
}

} // namespace bench
