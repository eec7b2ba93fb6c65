// jeonpyo-db pdf: a stored voucher's sheet written straight to a PDF file.
#include "support/testdb.h"

#include "store/demo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

struct Run
{
    int code;
    QString out, err;
};

Run tool(const QString &setting, const QStringList &arguments)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("ACCOUNT_DB", setting);
    env.remove("QT_QPA_PLATFORM"); // the tool needs no screen of its own
    p.setProcessEnvironment(env);
    p.start(JEONPYO_DB_TOOL, arguments);
    p.waitForFinished(60000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

QString pdfText(const QString &file)
{
    QProcess p;
    p.start("pdftotext", {"-layout", file, "-"});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class TestPdfCommand : public QObject
{
    Q_OBJECT

private slots:
    void writesTheSheetOfAStoredVoucher()
    {
        TestDatabase db;
        store::fillDemo(store::account());
        const QString number = store::saveNewVoucher(sampleVoucher("2001-05-30", 1, {"01", "02"}, "인쇄")).serialJen;
        store::closeAccount();
        QTemporaryDir folder;
        const QString file = folder.filePath("voucher.pdf");
        const Run run = tool(db.setting(), {"pdf", number, file});
        QCOMPARE(run.code, 0);
        // The layout spreads words apart; compare without the blanks.
        const QString text = pdfText(file).remove(' ');
        QVERIFY2(text.contains("대체전표"), qPrintable(text));
        QVERIFY(text.contains("전표번호:" + number));
        QVERIFY(text.contains("기준일자:2001-05-30"));
        QVERIFY(text.contains("부산지점/부산"));
        QVERIFY(text.contains("인쇄02차변계정"));
    }

    void aNumberThatMatchesNothingWritesNothing()
    {
        TestDatabase db;
        store::closeAccount();
        QTemporaryDir folder;
        const QString file = folder.filePath("none.pdf");
        const Run run = tool(db.setting(), {"pdf", "2001-05-30-00000009", file});
        QCOMPARE(run.code, 1);
        QVERIFY2(run.err.contains("2001-05-30-00000009"), qPrintable(run.err));
        QVERIFY(!QFile::exists(file));
        QCOMPARE(tool(db.setting(), {"pdf", "only-one-argument"}).code, 2);
    }

    // A device that takes no byte (what a full disk does to the last write),
    // and a folder that is not there: no success is reported, and an earlier
    // file of the name is kept whole.
    void aWriteThatFailsIsReportedAndLeavesNoPartialFile_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("a device that is always full") << "full";
        QTest::newRow("a folder that does not exist") << "missing/voucher.pdf";
    }
    void aWriteThatFailsIsReportedAndLeavesNoPartialFile()
    {
        QFETCH(QString, target);
        TestDatabase db;
        const QString number = store::saveNewVoucher(sampleVoucher("2001-05-30", 0, {"01"}, "인쇄")).serialJen;
        store::closeAccount();
        QTemporaryDir folder;
        const QString file = folder.filePath(target);
        // The always-full device made anew in the test's folder, so that a
        // fault could only ever replace this copy of it.
        if (target == "full" && ::mknod(QFile::encodeName(file).constData(), S_IFCHR | 0666, makedev(1, 7)) != 0)
            QSKIP("making a device node needs root");
        const Run run = tool(db.setting(), {"pdf", number, file});
        QCOMPARE(run.code, 6);
        QVERIFY2(!run.out.contains("저장했습니다"), qPrintable(run.out));
        QVERIFY2(run.err.contains("저장할 수 없습니다"), qPrintable(run.err));
        QVERIFY(!QFileInfo(file).isFile());
    }

    void anEarlierFileIsReplacedWhole()
    {
        TestDatabase db;
        const QString number = store::saveNewVoucher(sampleVoucher("2001-05-30", 0, {"01"}, "인쇄")).serialJen;
        store::closeAccount();
        QTemporaryDir folder;
        const QString file = folder.filePath("voucher.pdf");
        QFile old(file);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("an older file") > 0);
        old.close();
        QCOMPARE(tool(db.setting(), {"pdf", number, file}).code, 0);
        QVERIFY(pdfText(file).remove(' ').contains("전표번호:" + number));
        // Only the PDF is left in the folder: no temporary file beside it.
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"voucher.pdf"});
    }
};

QTEST_MAIN(TestPdfCommand)
#include "test_pdfcommand.moc"
