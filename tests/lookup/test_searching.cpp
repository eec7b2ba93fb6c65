// When a search dialog searches again, how the keyboard moves through it, and
// how it refuses to be closed other than by its close button.
#include "bench.h"

#include "base/error.h"
#include "store/connection.h"
#include "store/sqlrun.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QPushButton>
#include <QTest>
#include <QtTest/qtestspontaneevent.h>

namespace {

const QString altF4Message = QStringLiteral("현재 \"Alt+F4\"키는 종료를 못 시킵니다");

QLineEdit *searchBox(QWidget *dialog)
{
    return Bench::control<QLineEdit>(dialog, "edSearch");
}

// Opens a dialog, active, with the focus in its search box holding a new text.
bool openWithNewText(lookup::SearchDialog *dialog, const QString &first, const QString &next)
{
    dialog->open(1, first);
    if (!Bench::activate(dialog))
        return false;
    searchBox(dialog)->setFocus();
    searchBox(dialog)->setText(next);
    return QApplication::focusWidget() == searchBox(dialog);
}

} // namespace

class TestSearching : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_bench = std::make_unique<Bench>(); }
    void cleanup() { m_bench.reset(); }

    void leavingTheSearchBoxSearches_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("towards");
        QTest::addColumn<QStringList>("listed");
        const QStringList before{"40302001000", "40302004000"};
        const QStringList after{"40403001000"};
        QTest::newRow("Form7 towards the search button searches") << "Form7"
                                                                  << "SearchBtn" << after;
        QTest::newRow("Form7 towards the grid searches") << "Form7"
                                                         << "DBGrid1" << after;
        QTest::newRow("Form7 towards the close button does not") << "Form7"
                                                                 << "CloseBtn" << before;
    }
    void leavingTheSearchBoxSearches()
    {
        QFETCH(QString, dialog);
        QFETCH(QString, towards);
        lookup::SearchDialog *d = m_bench->dialog(dialog);
        QVERIFY(openWithNewText(d, "제조", "임금"));
        d->findChild<QWidget *>(towards)->setFocus(Qt::MouseFocusReason);
        QTEST(Bench::listed(d), "listed");
    }

    void clickingCloseFromTheSearchBoxSearchesOnlyWhereItShould_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("next");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("the debit account search does not") << "Form1"
                                                           << "제조"
                                                           << "상품" << QStringList{"40302001000", "40302004000"};
        QTest::newRow("the credit account search does not") << "Form7"
                                                            << "임금"
                                                            << "전력" << QStringList{"40403001000"};
        QTest::newRow("the employee search does") << "Form3"
                                                  << "김"
                                                  << "이" << QStringList{"E002"};
        QTest::newRow("the customer search does") << "Form2"
                                                  << "대한"
                                                  << "은행" << QStringList{"B001", "C100"};
    }
    void clickingCloseFromTheSearchBoxSearchesOnlyWhereItShould()
    {
        QFETCH(QString, dialog);
        QFETCH(QString, first);
        QFETCH(QString, next);
        lookup::SearchDialog *d = m_bench->dialog(dialog);
        QVERIFY(openWithNewText(d, first, next));
        QTest::mouseClick(Bench::control<QPushButton>(d, "CloseBtn"), Qt::LeftButton);
        QVERIFY(!d->isVisible());
        QTEST(Bench::listed(d), "listed");
    }

    void switchingToAnotherWindowIsNoLeaving()
    {
        lookup::SearchDialog *form3 = m_bench->dialog("Form3");
        QVERIFY(openWithNewText(form3, "김", "이"));
        QVERIFY(Bench::activate(&m_bench->entry));
        QCOMPARE(Bench::listed(form3), QStringList{"E001"});
    }

    void enterMovesThroughTheSearchBoxToTheSearchButton()
    {
        lookup::SearchDialog *form4 = m_bench->dialog("Form4");
        QVERIFY(openWithNewText(form4, "경리", "생산"));
        QTest::keyClick(searchBox(form4), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget()->objectName(), QString("SearchBtn"));
        QCOMPARE(Bench::listed(form4), QStringList{"D02"});

        // Enter on the search button searches again and finds what came since.
        sample::rows("Buser_Table", {"Buser_Code", "Buser_Name"}, {{"D03", "생산2부"}});
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(Bench::listed(form4), QStringList({"D02", "D03"}));
    }

    void tabGoesFromTheSearchBoxToTheButtonsAndTheGrid_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("an account search") << "Form1" << QStringList{"edSearch", "SearchBtn", "CloseBtn", "DBGrid1"};
        QTest::newRow("the customer search starts at the chooser")
            << "Form2" << QStringList{"cbCheck", "edSearch", "SearchBtn", "CloseBtn", "DBGrid1"};
    }
    void tabGoesFromTheSearchBoxToTheButtonsAndTheGrid()
    {
        QFETCH(QString, dialog);
        QFETCH(QStringList, order);
        lookup::SearchDialog *d = m_bench->dialog(dialog);
        d->open(1, "");
        QVERIFY(Bench::activate(d));
        d->findChild<QWidget *>(order.first())->setFocus();
        QStringList visited{QApplication::focusWidget()->objectName()};
        for (int i = 1; i < order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited, order);
    }

    void enterInTheChooserMovesToTheSearchBox()
    {
        lookup::SearchDialog *form2 = m_bench->dialog("Form2");
        form2->open(1, "");
        QVERIFY(Bench::activate(form2));
        auto *chooser = Bench::control<QComboBox>(form2, "cbCheck");
        chooser->setFocus();
        QTest::keyClick(chooser, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), searchBox(form2));
        QCOMPARE(chooser->count(), 3); // Enter added nothing to the chooser
    }

    void choosingAKindSearchesAtOnce()
    {
        lookup::SearchDialog *form2 = m_bench->dialog("Form2");
        form2->open(1, "");
        QCOMPARE(Bench::listed(form2).size(), 5);
        auto *chooser = Bench::control<QComboBox>(form2, "cbCheck");
        QVERIFY(Bench::activate(form2));
        chooser->setFocus();
        QTest::keyClick(chooser, Qt::Key_Down);
        QCOMPARE(chooser->currentText(), QString("거래처"));
        QCOMPARE(Bench::listed(form2), QStringList({"C100", "S001", "S002"}));
        QTest::keyClick(chooser, Qt::Key_Down);
        QCOMPARE(Bench::listed(form2), QStringList({"B001", "C100"}));

        // Typing away the entry leaves no entry chosen: both kinds again.
        chooser->lineEdit()->selectAll();
        QTest::keyClick(chooser, Qt::Key_Delete);
        QCOMPARE(chooser->currentText(), QString());
        QCOMPARE(Bench::listed(form2).size(), 5);

        // A typed entry name counts as choosing it.
        QInputMethodEvent typed;
        typed.setCommitString(QStringLiteral("은행명"));
        QApplication::sendEvent(chooser, &typed);
        QCOMPARE(Bench::listed(form2), QStringList({"B001", "C100"}));
    }

    void preparingResetsTheChooserQuietly()
    {
        lookup::SearchDialog *form2 = m_bench->dialog("Form2");
        form2->open(1, "");
        auto *chooser = Bench::control<QComboBox>(form2, "cbCheck");
        chooser->setCurrentIndex(2); // the banks, as the clerk chose them
        QCOMPARE(Bench::listed(form2), QStringList({"B001", "C100"}));
        form2->prepare(2, "상사");
        QCOMPARE(chooser->currentText(), QString("전   체"));
        QCOMPARE(Bench::listed(form2), QStringList({"B001", "C100"})); // no search yet
        form2->search();
        QCOMPARE(Bench::listed(form2), QStringList({"C100", "S001", "S002"}));
    }

    void altF4IsRefusedAnywhereInTheDialog_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("control");
        QTest::newRow("in the search box") << "Form1"
                                           << "edSearch";
        QTest::newRow("in the grid") << "Form3"
                                     << "DBGrid1";
        QTest::newRow("in the chooser") << "Form2"
                                        << "cbCheck";
        QTest::newRow("on the close button") << "Form6"
                                             << "CloseBtn";
    }
    void altF4IsRefusedAnywhereInTheDialog()
    {
        QFETCH(QString, dialog);
        QFETCH(QString, control);
        lookup::SearchDialog *d = m_bench->dialog(dialog);
        d->open(1, "");
        QTest::keyClick(d->findChild<QWidget *>(control), Qt::Key_F4, Qt::AltModifier);
        QCOMPARE(m_bench->messages.texts, QStringList{altF4Message});
        QCOMPARE(m_bench->messages.kinds.first(), Messages::Kind::Plain);
        QVERIFY(d->isVisible());
    }

    void theWindowManagersCloseIsRefusedToo()
    {
        lookup::SearchDialog *form5 = m_bench->dialog("Form5");
        form5->open(1, "");
        // As the window system asks: a spontaneous close.
        QCloseEvent event;
        QSpontaneKeyEvent::setSpontaneous(&event);
        qApp->notify(form5, &event); // delivered as it comes, spontaneous

        QVERIFY(!event.isAccepted());
        QVERIFY(form5->isVisible());
        QCOMPARE(m_bench->messages.texts, QStringList{altF4Message});
        // The program's own close on its way out is accepted.
        m_bench->messages.clear();
        QVERIFY(form5->close());
        QVERIFY(m_bench->messages.texts.isEmpty());
    }

    void aRefusedSearchLeavesTheGridEmptyAndIsShown()
    {
        lookup::SearchDialog *form6 = m_bench->dialog("Form6");
        form6->open(1, "");
        QCOMPARE(Bench::listed(form6).size(), 8);
        store::exec(store::account(), "DROP TABLE Item_Table");
        QVERIFY_THROWS_EXCEPTION(AppError, form6->search());
        QVERIFY(Bench::listed(form6).isEmpty());

        QTest::mouseClick(Bench::control<QPushButton>(form6, "SearchBtn"), Qt::LeftButton);
        QCOMPARE(m_bench->messages.kinds, QList<Messages::Kind>{Messages::Kind::Error});
        QVERIFY(form6->isVisible());
    }

private:
    std::unique_ptr<Bench> m_bench;
};

QTEST_MAIN(TestSearching)
#include "test_searching.moc"
