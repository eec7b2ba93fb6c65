// The print command's engine side as the entry window calls it: the headings it
// sets, the voucher it finds, when it shows nothing, and how it fails.
#include "samplevoucher.h"

#include "base/error.h"
#include "print/voucherprint.h"
#include "store/sqlrun.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>
#include <optional>

namespace {

const QString date = QStringLiteral("2001-12-31");
const QString branch = QStringLiteral("00000");
const QString serial = QStringLiteral("2001-12-31-00000001");
const QString branchText = QStringLiteral("본사/서울");

QString tempFile(const QString &name)
{
    return QDir(qEnvironmentVariable("JEONPYO_TEST_TMP", QDir::tempPath())).filePath(name);
}

} // namespace

class TestPrintCommand : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestDatabase> m_db;
    std::optional<print::SheetData> m_shown;
    int m_previews = 0;

private slots:
    void init()
    {
        m_db = std::make_unique<TestDatabase>();
        m_shown.reset();
        m_previews = 0;
        print::setPreviewHook([this](const print::SheetData &sheet) {
            m_shown = sheet;
            ++m_previews;
        });
    }
    void cleanup()
    {
        print::setPreviewHook({});
        m_db.reset();
    }

    void headingsAreThePrefixesAndTheWindowTexts()
    {
        storeSampleVoucher(*m_db, date, branch, serial, 1);
        QVERIFY(print::previewVoucher(nullptr, {date, branchText, branch, serial}));
        QCOMPARE(m_previews, 1);
        QCOMPARE(m_shown->qlKubun, QStringLiteral("구    분 :본사/서울"));
        QCOMPARE(m_shown->qlJen, QStringLiteral("전표번호 :2001-12-31-00000001"));
        QCOMPARE(m_shown->qlDate, QStringLiteral("기준일자 : 2001-12-31"));
        QCOMPARE(m_shown->rows.size(), size_t(10));
    }

    // Without the hook the clerk gets the real preview: one A4 landscape page,
    // printing from its toolbar, and saving as a PDF file beside it.
    void thePreviewShowsOneLandscapePageWithAPdfAction()
    {
        print::setPreviewHook({});
        storeSampleVoucher(*m_db, date, branch, serial, 1);
        int pages = -1;
        QPageLayout layout;
        bool hasPdfAction = false;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<QPrintPreviewDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            auto *preview = dialog->findChild<QPrintPreviewWidget *>();
            pages = preview ? preview->pageCount() : -1;
            if (auto *printer = dialog->printer())
                layout = printer->pageLayout();
            const auto actions = dialog->findChildren<QAction *>(QStringLiteral("savePdfAction"));
            hasPdfAction = actions.size() == 1 && actions.front()->text() == QStringLiteral("PDF로 저장") &&
                           !actions.front()->associatedObjects().isEmpty();
            dialog->reject();
        });
        QVERIFY(print::previewVoucher(nullptr, {date, branchText, branch, serial}));
        QCOMPARE(pages, 1);
        QCOMPARE(layout.orientation(), QPageLayout::Landscape);
        QCOMPARE(layout.pageSize().id(), QPageSize::A4);
        QVERIFY(hasPdfAction);
    }

    void blanksTypedInDateAndNumberAreIgnoredInTheSearch_data()
    {
        QTest::addColumn<QString>("dateText");
        QTest::addColumn<QString>("serialText");
        QTest::newRow("a number with a trailing blank") << date << serial + " ";
        QTest::newRow("a number with blanks inside") << date << "2001-12-31- 00000001";
        QTest::newRow("a date with a leading blank") << " " + date << serial;
    }
    void blanksTypedInDateAndNumberAreIgnoredInTheSearch()
    {
        QFETCH(QString, dateText);
        QFETCH(QString, serialText);
        storeSampleVoucher(*m_db, date, branch, serial, 2);
        QVERIFY(print::previewVoucher(nullptr, {dateText, branchText, branch, serialText}));
        QCOMPARE(m_shown->rows.front().Ac_JenName, QStringLiteral("재공품"));
        QCOMPARE(m_shown->rows.at(4).Tot, QStringLiteral("01"));
        // The headings show the texts as they stand in the window.
        QCOMPARE(m_shown->qlJen, "전표번호 :" + serialText);
        QCOMPARE(m_shown->qlDate, "기준일자 : " + dateText);
    }

    void anUnknownVoucherShowsTenBlankRows()
    {
        QVERIFY(print::previewVoucher(nullptr, {date, branchText, branch, serial}));
        QCOMPARE(m_shown->rows.size(), size_t(10));
        QCOMPARE(m_shown->rows.front().Tot, QStringLiteral("01"));
    }

    void nothingIsShownWithoutRows()
    {
        store::exec(store::account(), QStringLiteral("DELETE FROM Jen_Print"));
        QVERIFY(!print::previewVoucher(nullptr, {date, branchText, branch, serial}));
        QCOMPARE(m_previews, 0);
        const QString file = tempFile(QStringLiteral("no-rows.pdf"));
        QFile::remove(file);
        QVERIFY(!print::renderVoucherPdf({date, branchText, branch, serial}, file));
        QVERIFY(!QFile::exists(file));
    }

    void aRefusedStatementIsAnErrorAndShowsNothing()
    {
        storeSampleVoucher(*m_db, date, branch, serial, 1);
        store::exec(store::account(), QStringLiteral("DROP TABLE Jen_Print"));
        QVERIFY_THROWS_EXCEPTION(AppError, print::previewVoucher(nullptr, {date, branchText, branch, serial}));
        QCOMPARE(m_previews, 0);
    }

    // "PDF로 저장" proposes the desktop's documents folder (XDG_DOCUMENTS_DIR)
    // and a name from the voucher number.
    void aPdfIsProposedInTheDocumentsFolderUnderTheVoucherNumber_data()
    {
        QTest::addColumn<QString>("serialText");
        QTest::addColumn<bool>("documentsExist");
        QTest::addColumn<QString>("proposed"); // %1: the documents folder, %2: home
        QTest::newRow("the number as it stands") << serial << true << "%1/대체전표-2001-12-31-00000001.pdf";
        QTest::newRow("blanks typed in the number are dropped")
            << " 2001-12-31- 00000001 " << true << "%1/대체전표-2001-12-31-00000001.pdf";
        QTest::newRow("characters a file name should not hold become underscores")
            << "2001/12/31:1" << true << "%1/대체전표-2001_12_31_1.pdf";
        QTest::newRow("without the documents folder, the home folder")
            << serial << false << "%2/대체전표-2001-12-31-00000001.pdf";
    }
    void aPdfIsProposedInTheDocumentsFolderUnderTheVoucherNumber()
    {
        QFETCH(QString, serialText);
        QFETCH(bool, documentsExist);
        QFETCH(QString, proposed);
        QTemporaryDir config;
        const QString documents = config.filePath(QStringLiteral("문서"));
        if (documentsExist)
            QVERIFY(QDir().mkpath(documents));
        QFile dirs(config.filePath(QStringLiteral("user-dirs.dirs")));
        QVERIFY(dirs.open(QIODevice::WriteOnly));
        dirs.write(QStringLiteral("XDG_DOCUMENTS_DIR=\"%1\"\n").arg(documents).toUtf8());
        dirs.close();
        const QByteArray previous = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        const QString file = print::suggestedPdfFile(serialText);
        if (previous.isEmpty())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", previous);
        QCOMPARE(file, QString(proposed).replace("%1", documents).replace("%2", QDir::homePath()));
    }

    void aPdfThatCannotBeWrittenIsAnError()
    {
        storeSampleVoucher(*m_db, date, branch, serial, 1);
        const QString file = tempFile(QStringLiteral("no-such-folder/sheet.pdf"));
        try {
            print::renderVoucherPdf({date, branchText, branch, serial}, file);
            QFAIL("no error for an unwritable file");
        } catch (const AppError &error) {
            QVERIFY2(error.message().startsWith(QStringLiteral("PDF 파일을 저장할 수 없습니다")),
                     qPrintable(error.message()));
        }
    }
};

QTEST_MAIN(TestPrintCommand)
#include "test_printcommand.moc"
