// The windows whose texts have fixed colours (green and teal labels, purple and
// maroon fields, aqua and lime boxes) read the same under a dark desktop theme:
// their backgrounds are fixed too, light as designed, with the texts dark on them.
#include "support/entryfixture.h"

#include "app/windowset.h"

#include <QApplication>
#include <QComboBox>
#include <QHash>
#include <QLabel>
#include <QTableView>
#include <QTest>

namespace {

QPalette darkDesktop()
{
    QPalette p(QColor(0xEE, 0xEE, 0xEE), QColor(0x2B, 0x2B, 0x2B));
    p.setColor(QPalette::Base, QColor(0x1E, 0x1E, 0x1E));
    p.setColor(QPalette::AlternateBase, QColor(0x26, 0x26, 0x26));
    p.setColor(QPalette::Text, QColor(0xEE, 0xEE, 0xEE));
    p.setColor(QPalette::Button, QColor(0x35, 0x35, 0x35));
    p.setColor(QPalette::ButtonText, QColor(0xEE, 0xEE, 0xEE));
    return p;
}

// The colour that covers most of a control (or of a part of it): its background.
QColor background(QWidget *widget, const QRect &part = QRect())
{
    const QImage image = widget->grab(part.isNull() ? QRect(QPoint(0, 0), QSize(-1, -1)) : part).toImage();
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
    QRgb most = 0;
    int best = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > best) {
            best = it.value();
            most = it.key();
        }
    return QColor::fromRgb(most);
}

// Whether a control draws some pixel of `ink` (give or take anti-aliasing).
bool draws(QWidget *widget, const QColor &ink)
{
    const QImage image = widget->grab().toImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = QColor::fromRgb(image.pixel(x, y));
            if (qAbs(c.red() - ink.red()) + qAbs(c.green() - ink.green()) + qAbs(c.blue() - ink.blue()) < 40)
                return true;
        }
    return false;
}

QString describe(const QColor &c)
{
    return c.name();
}

} // namespace

class TestDarkTheme : public QObject
{
    Q_OBJECT

    std::unique_ptr<EntryFixture> m_fixture;

private slots:
    void initTestCase()
    {
        QApplication::setPalette(darkDesktop());
        m_fixture = std::make_unique<EntryFixture>(EntryFixture::Windows::WholeSet);
        EntryWindow &w = m_fixture->window();
        commitText(w.field("edCR_Ac_Text_01"), QStringLiteral("원재료 투입"));
        commitText(w.field("edCR_Ac_JenName_01"), QStringLiteral("재공품"));
    }
    void cleanupTestCase() { m_fixture.reset(); }

    void backgroundsAreTheDesignsNotTheThemes_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QRect>("part"); // an empty stretch of the control; null: all of it
        QTest::addColumn<QColor>("expected");
        const QColor white(Qt::white), face(0xF0, 0xF0, 0xF0), aqua(0x00, 0xFF, 0xFF), lime(0x00, 0xFF, 0x00);
        const QRect all;
        QTest::newRow("the entry window's face, beside the voucher number")
            << "fmMarvet7"
            << "fmMarvet7" << QRect(300, 4, 190, 34) << face;
        QTest::newRow("an entry panel, left of its red rule") << "fmMarvet7"
                                                              << "Panel2" << QRect(4, 68, 24, 6) << face;
        QTest::newRow("the date field") << "fmMarvet7"
                                        << "edDate" << all << white;
        QTest::newRow("an account field") << "fmMarvet7"
                                          << "edCR_Ac_JenName_01" << all << white;
        QTest::newRow("a description field") << "fmMarvet7"
                                             << "edDR_Ac_Text_03" << all << white;
        QTest::newRow("the aqua voucher number") << "fmMarvet7"
                                                 << "edSerial" << all << aqua;
        QTest::newRow("a lime amount") << "fmMarvet7"
                                       << "edCR_Dr_Amt_02" << all << lime;
        QTest::newRow("the voucher grid") << "fmMarvet7"
                                          << "DBGrid1" << all << white;
        QTest::newRow("a search dialog's band") << "Form1"
                                                << "Panel1" << all << face;
        QTest::newRow("a search dialog's search box") << "Form2"
                                                      << "edSearch" << all << white;
        QTest::newRow("a search dialog's grid") << "Form3"
                                                << "DBGrid1" << all << white;
    }
    void backgroundsAreTheDesignsNotTheThemes()
    {
        QFETCH(QString, window);
        QFETCH(QString, control);
        QFETCH(QRect, part);
        QFETCH(QColor, expected);
        QWidget *top = windowByName(window);
        QVERIFY(top);
        QWidget *widget = top->objectName() == control ? top : top->findChild<QWidget *>(control);
        QVERIFY2(widget, qPrintable(control));
        const QColor seen = background(widget, part);
        QVERIFY2(qAbs(seen.lightness() - expected.lightness()) < 12 && qAbs(seen.hue() - expected.hue()) < 12,
                 qPrintable(control + " is " + describe(seen) + ", not " + describe(expected)));
    }

    // The fixed text colours are drawn as designed on the light backgrounds.
    void fixedTextColoursStandOnLightBackgrounds_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QColor>("ink");
        QTest::newRow("the teal account name") << "edCR_Ac_JenName_01" << QColor(0x00, 0x80, 0x80);
        QTest::newRow("the purple description") << "edCR_Ac_Text_01" << QColor(0x80, 0x00, 0x80);
        QTest::newRow("the green voucher buttons") << "InsertBtn" << QColor(0x00, 0x80, 0x00);
    }
    void fixedTextColoursStandOnLightBackgrounds()
    {
        QFETCH(QString, control);
        QFETCH(QColor, ink);
        auto *widget = m_fixture->window().findChild<QWidget *>(control);
        QVERIFY(widget);
        // Light: a button's face is shaded, a field white.
        QVERIFY2(background(widget).lightness() > 150, qPrintable(describe(background(widget))));
        QVERIFY(draws(widget, ink));
    }

    void aLabelOfTheHeaderIsGreenOnTheFace()
    {
        QLabel *label = nullptr;
        for (QLabel *l : m_fixture->window().findChildren<QLabel *>())
            if (l->text() == QStringLiteral("기준일자"))
                label = l;
        QVERIFY(label);
        // A label draws on its window's face.
        QWidget *window = label->window();
        const QRect place(label->mapTo(window, QPoint(0, 0)), label->size());
        const QImage seen = window->grab(place).toImage();
        int light = 0, green = 0;
        for (int y = 0; y < seen.height(); ++y)
            for (int x = 0; x < seen.width(); ++x) {
                const QColor c = QColor::fromRgb(seen.pixel(x, y));
                light += c.lightness() > 200;
                green += c.green() > 0x60 && c.red() < 0x40 && c.blue() < 0x40;
            }
        QVERIFY2(light > seen.width() * seen.height() / 2, "the face behind the label is dark");
        QVERIFY2(green > 10, "the label is not green");
    }
};

QTEST_MAIN(TestDarkTheme)
#include "test_darktheme.moc"
