// The entry window's commands on a real display: a click in an empty grid, a
// refused amount before a save, where the focus goes after a cancel and a
// delete, and long pastes from every path.
#include "support/desk.h"

#include "entry/entrywindow.h"
#include "ui/fields.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace {

const QString noData = QStringLiteral("현재 데이타가 없읍니다....");

// Starts a new voucher the way the clerk does (out of the first account, which
// checks the header and opens the account search, closed again with Esc), then
// fills entry 01 as picks in the dialogs would, and the debit amount as typed.
void fillEntry(EntryWindow &w, const QString &amount)
{
    clerk::click(w.field("edCR_Ac_JenName_01"));
    clerk::key("Tab");
    QVERIFY(QTest::qWaitFor([] { return shownDialogGrid("Form1") != nullptr; }, 5000));
    clerk::key("Escape");
    QVERIFY(QTest::qWaitFor([&w] { return w.isActiveWindow(); }, 5000));
    for (const char *side : {"edCR_Ac_JenName_01", "edDR_Ac_JenName_01"}) {
        setHiddenCode(w.field(side), "10101001000");
        w.field(side)->setText("현금");
    }
    w.field("edCR_Ac_Text_01")->setText("적요 그대로");
    clerk::click(w.field("edCR_Cr_Amt_01"));
    clerk::type(amount);
}

} // namespace

class TestCommands : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_desk = std::make_unique<Desk>(); }
    void cleanup() { m_desk.reset(); }

    void aClickInAnEmptyGridWarnsAndHidesThePanels()
    {
        EntryWindow &w = m_desk->window();
        QVERIFY(w.list().isEmpty());
        clerk::click(w.DBGrid1->viewport(), QPoint(300, 100));
        QTRY_COMPARE(m_desk->boxes.texts, QStringList{noData});
        QCOMPARE(w.mode(), EntryMode::Loaded);
        for (int n = 1; n <= 4; ++n)
            QVERIFY(!w.panel(n)->isVisible());
    }

    void anAmountTooLongStopsTheSave()
    {
        EntryWindow &w = m_desk->window();
        clerk::click(w.InsertBtn);
        fillEntry(w, "12345678901234567890");
        clerk::key("alt+s");
        QTRY_VERIFY(m_desk->boxes.texts.size() >= 1);
        clerk::settle(500);
        QCOMPARE(m_desk->boxes.texts.value(0),
                 QString("금액은 15자리까지 입력할 수 있습니다. 금액을 다시 입력하세요...."));
        QCOMPARE(m_desk->database().allLines().size(), size_t(0));
        QCOMPARE(w.field("edCR_Ac_Text_01")->text(), QString("적요 그대로"));
        QCOMPARE(w.mode(), EntryMode::New);
        QCOMPARE(clerk::focused(), QString("edCR_Cr_Amt_01"));
        // Entered again, the voucher saves.
        clerk::key("ctrl+a");
        clerk::type("50000");
        m_desk->boxes.texts.clear();
        clerk::key("alt+s");
        QTRY_COMPARE(m_desk->database().allLines().size(), size_t(2));
        QCOMPARE(m_desk->boxes.texts, QStringList());
    }

    void theFocusGoesWhereTheClerkContinues()
    {
        EntryWindow &w = m_desk->window();
        clerk::click(w.InsertBtn);
        fillEntry(w, "1000");
        clerk::key("alt+c");
        QTRY_COMPARE(clerk::focused(), QString("InsertBtn"));
        QCOMPARE(w.mode(), EntryMode::Ready);

        // A saved voucher of one entry, deleted from the list: back to a new one.
        fillEntry(w, "1000");
        clerk::key("alt+s");
        QTRY_COMPARE(w.list().rowCount(), 1);
        clerk::click(w.DBGrid1->viewport(), w.DBGrid1->visualRect(w.DBGrid1->model()->index(0, 1)).center());
        QTRY_COMPARE(w.mode(), EntryMode::Loaded);
        clerk::click(w.DeleteBtn);
        QTRY_VERIFY(w.list().isEmpty());
        QCOMPARE(w.mode(), EntryMode::Ready);
        QCOMPARE(clerk::focused(), QString("InsertBtn"));
        QCOMPARE(m_desk->boxes.texts, QStringList());
    }

    void aPasteTooLongIsRefusedFromEveryPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("the keys") << "keys";
        QTest::newRow("the field's menu") << "menu";
        QTest::newRow("the middle button") << "middle";
    }
    void aPasteTooLongIsRefusedFromEveryPath()
    {
        QFETCH(QString, path);
        QLineEdit *text = m_desk->window().field("edCR_Ac_Text_01");
        clerk::click(text);
        clerk::type("abc");
        const QString tooLong(400, QChar(0xC801)); // 400 syllables on top of three letters
        QApplication::clipboard()->setText(tooLong);
        QApplication::clipboard()->setText(tooLong, QClipboard::Selection);
        clerk::settle(100);
        if (path == "keys") {
            clerk::key("ctrl+v");
        } else if (path == "menu") {
            clerk::click(text, QPoint(20, 8), 3);
            QMenu *menu = nullptr;
            QTRY_VERIFY((menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())));
            QAction *paste = nullptr;
            for (QAction *action : menu->actions())
                if (action->text().endsWith("\t" +
                                            QKeySequence(QKeySequence::Paste).toString(QKeySequence::NativeText)))
                    paste = action;
            QVERIFY(paste);
            clerk::click(menu, menu->actionGeometry(paste).center());
        } else {
            clerk::click(text, QPoint(20, 8), 2);
        }
        QTRY_COMPARE(m_desk->boxes.texts,
                     QStringList{"붙여 넣을 글이 너무 깁니다. 이 칸에는 400자까지 넣을 수 있습니다."});
        QCOMPARE(text->text(), QString("abc"));
    }

private:
    std::unique_ptr<Desk> m_desk;
};

QTEST_MAIN(TestCommands)
#include "test_commands.moc"
