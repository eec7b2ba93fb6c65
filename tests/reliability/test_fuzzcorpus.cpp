// Every input kept in the fuzz corpus (tests/fuzz/corpus/<target>/) run through
// its target's checks in the ordinary test run, without the fuzzer: the seeds,
// and each input that once broke something, stay regression tests.
#include "fuzz/fuzztargets.h"

#include <QDir>
#include <QTest>
#include <functional>
#include <map>

namespace {

const std::map<QString, std::function<QString(const QByteArray &)>> targets = {
    {"text", fuzz::text},
    {"amount", fuzz::amount},
    {"csv", fuzz::csv},
};

QDir corpus(const QString &target)
{
    return QDir(QStringLiteral(JEONPYO_SOURCE_DIR "/tests/fuzz/corpus/") + target);
}

} // namespace

class TestFuzzCorpus : public QObject
{
    Q_OBJECT

private slots:
    void everyTargetHasAKeptCorpus()
    {
        for (const auto &[target, run] : targets)
            QVERIFY2(!corpus(target).entryList(QDir::Files).isEmpty(), qPrintable(target));
    }

    void everyKeptInputHolds_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("file");
        for (const auto &[target, run] : targets)
            for (const QString &file : corpus(target).entryList(QDir::Files, QDir::Name))
                QTest::addRow("%s/%s", qPrintable(target), qPrintable(file)) << target << corpus(target).filePath(file);
    }
    void everyKeptInputHolds()
    {
        QFETCH(QString, target);
        QFETCH(QString, file);
        QFile input(file);
        QVERIFY(input.open(QIODevice::ReadOnly));
        const QString problem = targets.at(target)(input.readAll());
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }
};

QTEST_GUILESS_MAIN(TestFuzzCorpus)
#include "test_fuzzcorpus.moc"
