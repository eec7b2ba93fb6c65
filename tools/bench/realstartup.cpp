// Start-up as the clerk sees it: the program itself started on the X server
// named by DISPLAY, timed from the start of its process to the moment its
// entry window is on the screen with the day listed (the program says so on
// stderr when JEONPYO_STARTUP_MARK is set). Without a display it is skipped.
#include "bench.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

namespace bench {

namespace {

// The program beside the bench (installed), or in the build tree.
QString programPath()
{
    const QDir here(QCoreApplication::applicationDirPath());
    for (const QString &candidate :
         {here.filePath(QStringLiteral("jeonpyo")), here.filePath(QStringLiteral("../src/jeonpyo"))})
        if (QFileInfo(candidate).isExecutable())
            return QFileInfo(candidate).canonicalFilePath();
    return {};
}

// One start: milliseconds to the mark (-1 when it never came) and the rows listed.
double startOnce(const QString &program, int &rows)
{
    QProcess jeonpyo;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("JEONPYO_STARTUP_MARK"), QStringLiteral("1"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    jeonpyo.setProcessEnvironment(environment);
    // The mark comes on stderr: waiting for the other channel would take it
    // only when the wait's time is up, and so count whole waits.
    jeonpyo.setReadChannel(QProcess::StandardError);
    QElapsedTimer timer;
    timer.start();
    jeonpyo.start(program, {});
    double ms = -1;
    QByteArray said;
    while (timer.elapsed() < 20000 && jeonpyo.state() != QProcess::NotRunning) {
        jeonpyo.waitForReadyRead(50);
        said += jeonpyo.readAllStandardError();
        const qsizetype mark = said.indexOf("jeonpyo: on screen, ");
        if (mark >= 0 && said.indexOf('\n', mark) > 0) {
            ms = double(timer.nsecsElapsed()) / 1e6;
            rows = said.mid(mark + 20).split(' ').value(0).toInt();
            break;
        }
    }
    jeonpyo.terminate();
    if (!jeonpyo.waitForFinished(5000)) {
        jeonpyo.kill();
        jeonpyo.waitForFinished(5000);
    }
    if (ms < 0)
        err() << "jeonpyo-bench: the program gave no start-up mark: " << QString::fromLocal8Bit(said).trimmed()
              << Qt::endl;
    return ms;
}

} // namespace

QJsonObject measureRealStartup(const Options &options)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return {{"skipped", QStringLiteral("no DISPLAY: no X server to start the window on")}};
    const QString program = programPath();
    if (program.isEmpty())
        return {{"skipped", QStringLiteral("the jeonpyo program was not found beside the bench")}};
    int rows = 0;
    Series series;
    const int runs = std::max(5, options.runs / 10);
    for (int i = 0; i <= runs; ++i) {
        const double ms = startOnce(program, rows);
        if (ms < 0)
            return {{"skipped", QStringLiteral("the program did not come on screen")}};
        if (i > 0) // the first start fills the disk cache
            series.ms.push_back(ms);
    }
    return {
        {"median", series.median()}, {"p90", series.percentile(0.9)}, {"runs", int(series.ms.size())}, {"rows", rows}};
}

} // namespace bench
