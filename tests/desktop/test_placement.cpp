// Where the windows open at any scale: the entry window on the screen it starts
// on, the search dialogs over the entry window, the preview at a size that fits.
// Two screens side by side: a 1366×768 laptop, and one at scale 2 (683×384 in
// the program's pixels), where the entry window cannot fit.
#include "support/entryfixture.h"

#include "lookup/searchdialog.h"
#include "print/samplevoucher.h"
#include "print/voucherprint.h"
#include "ui/placement.h"

#include <QApplication>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

QScreen *laptop()
{
    return QGuiApplication::screens().value(0);
}

QScreen *scaledScreen()
{
    return QGuiApplication::screens().value(1);
}

bool inside(const QRect &area, const QRect &rect)
{
    return area.contains(rect.topLeft()) && area.contains(rect.bottomRight());
}

QString text(const QRect &r)
{
    return QStringLiteral("%1,%2 %3×%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

QRect globalRect(const QWidget *w)
{
    return QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
}

} // namespace

class TestPlacement : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::screens().size(), 2);
        QCOMPARE(scaledScreen()->devicePixelRatio(), 2.0);
        QCOMPARE(scaledScreen()->availableGeometry().size(), QSize(683, 384));
    }

    void aFrameIsCentredAndKeptOnTheArea_data()
    {
        QTest::addColumn<QRect>("over");
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QPoint>("topLeft");
        const QRect laptop(0, 0, 1366, 768), scaled(1366, 0, 683, 384);
        QTest::newRow("a window that fits is centred by integer halves")
            << laptop << QSize(1003, 751) << laptop << QPoint(181, 8);
        QTest::newRow("a dialog over a window near the corner is moved wholly onto the screen")
            << QRect(1200, 600, 300, 200) << QSize(400, 300) << laptop << QPoint(966, 468);
        QTest::newRow("a dialog over a window partly off the left is moved onto the screen")
            << QRect(-200, 100, 300, 200) << QSize(400, 300) << laptop << QPoint(0, 50);
        QTest::newRow("too wide and too tall: the top and the right edge stay on the screen")
            << scaled << QSize(1003, 751) << scaled << QPoint(1366 + 683 - 1003, 0);
        QTest::newRow("too tall only: the top stays on the screen, centred across")
            << laptop << QSize(600, 900) << laptop << QPoint(383, 0);
    }
    void aFrameIsCentredAndKeptOnTheArea()
    {
        QFETCH(QRect, over);
        QFETCH(QSize, frame);
        QFETCH(QRect, area);
        QFETCH(QPoint, topLeft);
        QCOMPARE(placement::centredWithin(over, frame, area), topLeft);
    }

    // The window that fits lies wholly on its screen; the one that does not
    // keeps its title bar and its button bar (at the top right) on it.
    void theEntryWindowOpensOnItsScreen_data()
    {
        QTest::addColumn<int>("screen");
        QTest::addColumn<bool>("fits");
        QTest::newRow("the laptop screen: wholly on it") << 0 << true;
        QTest::newRow("the screen at scale 2: title bar and buttons on it") << 1 << false;
    }
    void theEntryWindowOpensOnItsScreen()
    {
        QFETCH(int, screen);
        QFETCH(bool, fits);
        MessageRecorder messages;
        TestDatabase database;
        EntryWindow w;
        w.setAttribute(Qt::WA_DeleteOnClose, false);
        w.setScreen(QGuiApplication::screens().at(screen));
        w.FormCreate();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QRect area = QGuiApplication::screens().at(screen)->availableGeometry();
        const QRect frame = w.frameGeometry();
        QCOMPARE(w.screen(), QGuiApplication::screens().at(screen));
        QVERIFY2(frame.top() >= area.top(), qPrintable(text(frame)));
        if (fits) {
            QVERIFY2(inside(area, frame), qPrintable(text(frame) + " on " + text(area)));
            // Centred, give or take the frame the window system adds after the first show.
            QVERIFY2(qAbs(frame.center().x() - area.center().x()) <= 8, qPrintable(text(frame)));
        } else {
            QVERIFY2(frame.top() == area.top() && qAbs(frame.right() - area.right()) <= 8, qPrintable(text(frame)));
            for (QPushButton *b : {w.InsertBtn, w.SaveBtn, w.PrintBtn, w.CloseBtn})
                QVERIFY2(inside(area, globalRect(b)), qPrintable(b->objectName() + " at " + text(globalRect(b))));
        }
    }

    void aSearchDialogOpensOverTheEntryWindowOnItsScreen()
    {
        EntryFixture f(EntryFixture::Windows::WholeSet);
        EntryWindow &w = f.window();
        auto *dialog = qobject_cast<lookup::SearchDialog *>(dialogNamed("Form3"));
        QVERIFY(dialog);

        w.move(300, 30); // moved by the clerk, to the right of the laptop screen
        QTest::qWait(10);
        dialog->open(1, QString());
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        QRect frame = dialog->frameGeometry();
        const QRect laptopArea = laptop()->availableGeometry();
        QCOMPARE(dialog->screen(), laptop());
        QVERIFY2(inside(laptopArea, frame), qPrintable(text(frame)));
        QVERIFY2(qAbs(frame.center().x() - w.frameGeometry().center().x()) <= 1,
                 qPrintable(text(frame) + " over " + text(w.frameGeometry())));
        dialog->hide();

        // The entry window taken to the screen at scale 2: the dialog follows it.
        w.move(scaledScreen()->availableGeometry().topLeft());
        QTRY_COMPARE(w.screen(), scaledScreen());
        dialog->open(1, QString());
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        frame = dialog->frameGeometry();
        const QRect scaledArea = scaledScreen()->availableGeometry();
        QCOMPARE(dialog->screen(), scaledScreen());
        QVERIFY2(frame.top() == scaledArea.top() && frame.right() == scaledArea.right(), qPrintable(text(frame)));
        dialog->hide();
    }

    void thePreviewFitsTheScreen_data()
    {
        QTest::addColumn<int>("screen");
        QTest::newRow("the laptop screen, lower than the preview's 800") << 0;
        QTest::newRow("the screen at scale 2") << 1;
    }
    void thePreviewFitsTheScreen()
    {
        QFETCH(int, screen);
        TestDatabase database;
        const QString date = QStringLiteral("2026-12-07"), serial = QStringLiteral("2026-12-07-00000001");
        storeSampleVoucher(database, date, QStringLiteral("00000"), serial, 1);
        QWidget owner;
        QScreen *target = QGuiApplication::screens().at(screen);
        owner.setScreen(target);
        owner.setGeometry(QRect(target->availableGeometry().topLeft() + QPoint(10, 40), QSize(200, 100)));
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));
        QRect frame;
        QScreen *shownOn = nullptr;
        QTimer::singleShot(0, [&] {
            if (auto *dialog = qobject_cast<QPrintPreviewDialog *>(QApplication::activeModalWidget())) {
                frame = dialog->frameGeometry();
                shownOn = dialog->screen();
                dialog->reject();
            }
        });
        QVERIFY(print::previewVoucher(&owner, {date, QStringLiteral("본사/서울"), QStringLiteral("00000"), serial}));
        QCOMPARE(shownOn, target);
        QVERIFY2(inside(target->availableGeometry(), frame), qPrintable(text(frame)));
        QVERIFY2(frame.width() >= qMin(1100, target->availableGeometry().width() - 20), qPrintable(text(frame)));
    }
};

int main(int argc, char *argv[])
{
    // The offscreen platform, with the two screens of these tests.
    QTemporaryDir folder;
    const QString config = folder.filePath(QStringLiteral("screens.json"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    file.write(R"({"windowFrameMargins": true, "screens": [
        {"name": "laptop", "x": 0, "y": 0, "width": 1366, "height": 768, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},
        {"name": "scaled", "x": 1366, "y": 0, "width": 683, "height": 384, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 2}
    ]})");
    file.close();
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toUtf8());
    QApplication app(argc, argv);
    TestPlacement test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_placement.moc"
