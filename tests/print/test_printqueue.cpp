// Printing to a real queue: a throwaway CUPS server, started here on a private
// socket and folder with Debian's cups-pdf queue, gets the voucher sheet through
// QPrinter as the preview's print button sends it; the PDF that the queue makes
// holds the sheet. Where cupsd cannot run, the test says why and skips.
#include "pdfreader.h"
#include "samplevoucher.h"

#include "print/fmqrmarvet3.h"
#include "print/voucherprint.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

namespace {

const QString cupsd = QStringLiteral("/usr/sbin/cupsd");
const QString backend = QStringLiteral("/usr/lib/cups/backend/cups-pdf");
const QString ppd = QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd");
const QString queue = QStringLiteral("JeonpyoTest");

bool writeFile(const QString &path, const QString &text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) > 0;
}

QString run(const QString &program, const QStringList &arguments, int *exitCode = nullptr)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    process.waitForFinished(30000);
    if (exitCode)
        *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromUtf8(process.readAll());
}

} // namespace

class TestPrintQueue : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder{QDir(qEnvironmentVariable("JEONPYO_TEST_TMP", QDir::tempPath())).filePath("cups-XXXXXX")};
    QProcess m_cupsd;
    // cups-pdf reads its settings from /etc/cups only: one file for this queue's
    // device, taken away at the end.
    QString m_queueSettings;
    QString m_skip;

    QString path(const QString &name) const { return m_folder.filePath(name); }

    // Returns why the server cannot run here, or nothing once it runs.
    QString startServer()
    {
        if (geteuid() != 0)
            return QStringLiteral("cupsd and the cups-pdf backend need root here");
        for (const QString &needed : {cupsd, backend, ppd})
            if (!QFile::exists(needed))
                return needed + QStringLiteral(" is missing (cups-daemon, printer-driver-cups-pdf: scripts/setup.sh)");
        if (!m_folder.isValid())
            return QStringLiteral("no temporary folder");
        for (const char *sub : {"etc/ppd", "spool/tmp", "cache", "state", "log", "out"})
            QDir().mkpath(path(QString::fromLatin1(sub)));
        // The filters run as lp: the folders must be theirs to walk, the spool
        // theirs to write; cupsd refuses settings that others could change.
        for (QString p = m_folder.path(); p.size() > 1; p = QFileInfo(p).path())
            QFile::setPermissions(p, QFile::permissions(p) | QFile::ExeOther | QFile::ExeGroup);
        for (const char *sub : {"etc", "etc/ppd", "spool", "cache", "state", "log", "out"})
            QFile::setPermissions(path(QString::fromLatin1(sub)),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                      QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
        run(QStringLiteral("chmod"), {QStringLiteral("1777"), path("spool/tmp")});
        const QString device = QStringLiteral("jeonpyotest%1").arg(QCoreApplication::applicationPid());
        m_queueSettings = QStringLiteral("/etc/cups/cups-pdf-%1.conf").arg(device);
        if (!writeFile(m_queueSettings,
                       QStringLiteral("Out %1\nAnonDirName %1\nLog %2\nGrp lp\n").arg(path("out"), path("log"))))
            return QStringLiteral("cannot write %1 for the cups-pdf queue").arg(m_queueSettings);
        writeFile(path("etc/cupsd.conf"),
                  QStringLiteral("Listen %1\nLogLevel info\nWebInterface No\nBrowsing No\nDefaultAuthType None\n"
                                 "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                                 "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n")
                      .arg(path("cups.sock")));
        writeFile(path("cups-files.conf"),
                  QStringLiteral("ServerRoot %1\nRequestRoot %2\nTempDir %3\nCacheDir %4\nStateDir %5\n"
                                 "ErrorLog %6/error_log\nAccessLog %6/access_log\nPageLog %6/page_log\n"
                                 "User lp\nGroup lp\nSystemGroup root\n")
                      .arg(path("etc"), path("spool"), path("spool/tmp"), path("cache"), path("state"), path("log")));
        m_cupsd.setProcessChannelMode(QProcess::MergedChannels);
        m_cupsd.start(cupsd, {"-f", "-c", path("etc/cupsd.conf"), "-s", path("cups-files.conf")});
        m_cupsd.waitForStarted(10000);
        QElapsedTimer waited;
        waited.start();
        while (!QFile::exists(path("cups.sock")) && m_cupsd.state() == QProcess::Running && waited.elapsed() < 15000)
            QTest::qWait(50);
        if (!QFile::exists(path("cups.sock")))
            return QStringLiteral("cupsd did not start: ") + QString::fromUtf8(m_cupsd.readAll()) + errorLog() +
                   QStringLiteral(" (exit %1)").arg(m_cupsd.exitCode());
        // libcups, and so Qt's printing, asks the server that CUPS_SERVER names.
        qputenv("CUPS_SERVER", path("cups.sock").toUtf8());
        int code = -1;
        const QString said = run(
            QStringLiteral("lpadmin"),
            {"-p", queue, "-E", "-v", "cups-pdf:/" + device, "-P", ppd, "-o", "pdftops-renderer-default=pdftocairo"},
            &code);
        if (code != 0)
            return QStringLiteral("lpadmin could not add the queue: ") + said + errorLog();
        return {};
    }

    QString errorLog() const
    {
        QFile log(path("log/error_log"));
        return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll().right(2000)) : QString();
    }

    QStringList madeFiles() const { return QDir(path("out")).entryList({"*.pdf"}, QDir::Files); }

private slots:
    void initTestCase() { m_skip = startServer(); }
    void cleanupTestCase()
    {
        if (m_cupsd.state() == QProcess::Running) {
            m_cupsd.terminate();
            if (!m_cupsd.waitForFinished(10000))
                m_cupsd.kill();
        }
        if (!m_queueSettings.isEmpty())
            QFile::remove(m_queueSettings);
    }

    void aVoucherPrintedToTheQueueComesOutAsTheSheet()
    {
        if (!m_skip.isEmpty())
            QSKIP(qPrintable(m_skip));
        QVERIFY2(QPrinterInfo::availablePrinterNames().contains(queue),
                 qPrintable(QPrinterInfo::availablePrinterNames().join(", ")));

        TestDatabase database;
        const QString date = QStringLiteral("2026-12-07"), serial = QStringLiteral("2026-12-07-00000001");
        storeSampleVoucher(database, date, QStringLiteral("00000"), serial, 2);
        const print::SheetData sheet =
            print::gatherSheet({date, QStringLiteral("본사/서울"), QStringLiteral("00000"), serial});

        // The printer as the preview sets it up, sent to the queue.
        QPrinter printer(QPrinter::HighResolution);
        printer.setPrinterName(queue);
        QCOMPARE(printer.outputFormat(), QPrinter::NativeFormat);
        printer.setPageLayout(print::voucherSheet().pageLayout());
        printer.setDocName(QStringLiteral("대체전표"));
        QCOMPARE(print::renderSheet(sheet, printer), 1);

        QElapsedTimer waited;
        waited.start();
        while (madeFiles().isEmpty() && waited.elapsed() < 60000)
            QTest::qWait(100);
        QVERIFY2(!madeFiles().isEmpty(), qPrintable("the queue made no PDF: " + errorLog()));
        // Written whole once the queue has no job left.
        while (!run(QStringLiteral("lpstat"), {"-o", queue}).trimmed().isEmpty() && waited.elapsed() < 60000)
            QTest::qWait(100);
        const QString made = path("out/" + madeFiles().front());

        const PdfInfo info = pdfInfo(made);
        QCOMPARE(info.pages, 1);
        // A4, the landscape sheet turned onto the paper as a printer feeds it.
        QVERIFY2(qAbs(qMax(info.width, info.height) - 297) < 2 && qAbs(qMin(info.width, info.height) - 210) < 2,
                 qPrintable(QStringLiteral("%1 x %2 mm").arg(info.width).arg(info.height)));
        // The queue draws the sheet again through PostScript (poppler's cairo
        // renderer, which keeps the fonts' text): headings, rows and totals.
        QString text;
        for (const PdfWord &word : pdfWords(made))
            text += word.text + ' ';
        for (const char *expected :
             {"전표번호 :2026-12-07-00000001", "기준일자 : 2026-12-07", "본사 서울", "계정과목 이름",
              "재공품 원재료 투입 10102004000", "김철수 S001", "1,234,567", "2,500,000", "3,734,567"})
            QVERIFY2(text.contains(QString::fromUtf8(expected)),
                     qPrintable(QString::fromUtf8(expected) + " not in: " + text));
    }
};

QTEST_MAIN(TestPrintQueue)
#include "test_printqueue.moc"
