// jeonpyo-bench: speed figures of the program's store on a large store, and
// several clerks saving at once. See --help.
#include "bench.h"

#include "base/error.h"
#include "base/localzone.h"
#include "store/connection.h"

#include <QApplication>
#include <QCoreApplication>
#include <memory>

int main(int argc, char *argv[])
{
    settleLocalZone();
    // The measuring child creates the entry window, headless.
    bool windows = false;
    for (int i = 1; i < argc; ++i)
        windows = windows || qstrcmp(argv[i], "--measure-child") == 0;
    if (windows && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> app =
        windows ? std::make_unique<QApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("jeonpyo"));

    bench::Options options;
    int exitCode = 0;
    if (!bench::parseOptions(QCoreApplication::arguments(), options, exitCode))
        return exitCode;
    // The store's connection "Account" opens what ACCOUNT_DB names; no screen
    // holds typed input here.
    store::setTypedInputKept(false);
    qputenv("ACCOUNT_DB", options.setting().toUtf8());
    try {
        if (options.measureChild)
            return bench::runMeasureChild(options);
        if (options.clerkIndex >= 0)
            return bench::runClerkChild(options);
        bench::prepareStore(options);
        return options.clerks > 0 ? bench::runClerks(options) : bench::runMeasurements(options);
    } catch (const AppError &error) {
        bench::err() << "jeonpyo-bench: " << error.message() << Qt::endl;
        return 1;
    }
}
