// Only one copy runs: a second start brings the first copy's window forward and
// ends without showing a window of its own.
#include "support/testdb.h"

#include "app/singleinstance.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestSingleCopy : public QObject
{
    Q_OBJECT

private slots:
    void aSecondStartHandsOverToTheFirst()
    {
        TestDatabase database;
        QTemporaryDir runtime;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("ACCOUNT_DB", database.setting());
        env.insert("XDG_RUNTIME_DIR", runtime.path());
        env.insert("TMPDIR", runtime.path());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        store::closeAccount();

        QProcess first;
        first.setProcessEnvironment(env);
        first.start(JEONPYO_PROGRAM, {});
        QVERIFY(first.waitForStarted());
        // The first copy is ready once its socket is there.
        const QString socket = runtime.filePath(SingleInstance::nameFor("jeonpyo"));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(socket), 20000);

        QProcess second;
        second.setProcessEnvironment(env);
        second.start(JEONPYO_PROGRAM, {});
        QVERIFY(second.waitForFinished(20000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);

        QByteArray said;
        QTRY_VERIFY2_WITH_TIMEOUT((said += first.readAllStandardError()).contains("brought this window forward"),
                                  said.constData(), 10000);
        QCOMPARE(first.state(), QProcess::Running);
        first.kill();
        first.waitForFinished();
    }
};

QTEST_MAIN(TestSingleCopy)
#include "test_singlecopy.moc"
