// libFuzzer entry for the "amount" target (see fuzztargets.h).
#include "fuzztargets.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv); // Qt's plugins (the SQLite driver) need it
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString problem = fuzz::amount(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "fuzz_amount: %s\n", qPrintable(problem));
        std::abort();
    }
    return 0;
}
