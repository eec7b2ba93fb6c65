// jeonpyo-db pdf: a stored voucher's sheet written straight to a PDF file.
#include "support/testdb.h"

#include "store/demo.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

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
};

QTEST_MAIN(TestPdfCommand)
#include "test_pdfcommand.moc"
