// The description and item fields hold 400 characters: typing stops there, and a
// paste that would not fit is refused whole and announced, never cut.
#include "support/entryfixture.h"

#include <QClipboard>
#include <QTest>

class TestLongText : public QObject
{
    Q_OBJECT

private slots:
    void aPasteThatDoesNotFitIsRefusedWhole()
    {
        EntryFixture f;
        QLineEdit *text = f.field("edCR_Ac_Text_01");
        focusOn(text);
        typeText(text, "abc");
        QGuiApplication::clipboard()->setText(QString(398, QChar(0xC801))); // 적 × 398
        QTest::keyClick(text, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(text->text(), QString("abc"));
        QCOMPARE(f.messages.texts, QStringList({"붙여 넣을 글이 너무 깁니다. 이 칸에는 400자까지 넣을 수 있습니다."}));

        QGuiApplication::clipboard()->setText(QString(397, QChar(0xC801)));
        QTest::keyClick(text, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(text->text().size(), 400);
        QCOMPARE(f.messages.texts.size(), 1);
        typeText(text, "x"); // a full field takes no more
        QCOMPARE(text->text().size(), 400);
    }
};

QTEST_MAIN(TestLongText)
#include "test_longtext.moc"
