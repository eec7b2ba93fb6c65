// What a pick in a search dialog writes into the entry window, and where.
#include "bench.h"

#include <QTest>

class TestPicks : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_bench = std::make_unique<Bench>(); }
    void cleanup() { m_bench.reset(); }

    void aClickWritesTheRowIntoTheEntryAndKeepsTheDialogOpen()
    {
        Bench &b = *m_bench;
        lookup::SearchDialog *form1 = b.dialog("Form1");
        form1->open(2, "상품 ");
        QCOMPARE(Bench::listed(form1), QStringList({"40301001000", "40301002000"}));

        Bench::clickRow(form1, 1);
        QCOMPARE(b.code("edCR_Ac_JenName_02"), QString("40301002000"));
        QCOMPARE(b.text("edCR_Ac_JenName_02"), QString()); // an unnamed group row
        QCOMPARE(Bench::control<QLineEdit>(form1, "edAc_code2")->text(), QString("40301002000"));
        QVERIFY(form1->isVisible());

        Bench::clickRow(form1, 0);
        QCOMPARE(b.code("edCR_Ac_JenName_02"), QString("40301001000"));
        QCOMPARE(b.text("edCR_Ac_JenName_02"), QString("상품매출원가"));
        QCOMPARE(Bench::control<QLineEdit>(form1, "edAc_Name2")->text(), QString("상품매출원가"));
        for (const QString other : {"edDR_Ac_JenName_02", "edCR_Ac_JenName_01", "edCR_Ac_JenName_03"})
            QVERIFY2(b.text(other).isEmpty() && b.code(other).isEmpty(), qPrintable(other));
    }

    void eachDialogFillsItsFieldsOfTheTargetEntry_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("search");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("the debit account fills the debit line only")
            << "Form1"
            << "당기"
            << "40302004000"
            << "당기제품제조원가" << QStringList{"edCR_Ac_JenName_03"};
        QTest::newRow("the credit account fills the credit line only") << "Form7"
                                                                       << "임금"
                                                                       << "40403001000"
                                                                       << "임금" << QStringList{"edDR_Ac_JenName_03"};
        QTest::newRow("a customer fills both lines")
            << "Form2"
            << "대한"
            << "S001"
            << "대한상사" << QStringList{"edCR_Kubun_Name_03", "edDR_Kubun_Name_03"};
        QTest::newRow("an employee fills both lines")
            << "Form3"
            << "영희"
            << "E002"
            << "이영희" << QStringList{"edCR_Sawon_Name_03", "edDR_Sawon_Name_03"};
        QTest::newRow("a department fills both lines")
            << "Form4"
            << "생산"
            << "D02"
            << "생산1부" << QStringList{"edCR_Buser_Name_03", "edDR_Buser_Name_03"};
        QTest::newRow("a project fills both lines")
            << "Form5"
            << "공장"
            << "P02"
            << "공장증설" << QStringList{"edCR_Project_Name_03", "edDR_Project_Name_03"};
        QTest::newRow("an item fills both lines")
            << "Form6"
            << "납품"
            << "I05"
            << "O'Neil납품" << QStringList{"edCR_Item_Name_03", "edDR_Item_Name_03"};
    }
    void eachDialogFillsItsFieldsOfTheTargetEntry()
    {
        QFETCH(QString, dialog);
        QFETCH(QString, search);
        QFETCH(QString, code);
        QFETCH(QString, name);
        QFETCH(QStringList, fields);
        Bench &b = *m_bench;
        b.dialog(dialog)->open(3, search);
        QCOMPARE(Bench::listed(b.dialog(dialog)), QStringList{code});
        Bench::clickRow(b.dialog(dialog), 0);
        for (const QString &field : fields) {
            QCOMPARE(b.code(field), code);
            QCOMPARE(b.text(field), name);
        }
        int filled = 0;
        for (QLineEdit *field : b.entry.findChildren<QLineEdit *>())
            filled += field->text().isEmpty() ? 0 : 1;
        QCOMPARE(filled, int(fields.size()));
    }

    void arrowKeysWriteTheRowBeforeAndAfterTheMove()
    {
        Bench &b = *m_bench;
        lookup::SearchDialog *form7 = b.dialog("Form7");
        form7->open(1, "제조");
        QTableView *grid = Bench::grid(form7);
        grid->setFocus();

        QTest::keyPress(grid, Qt::Key_Down);
        QCOMPARE(b.code("edDR_Ac_JenName_01"), QString("40302001000")); // where the grid stood
        QTest::keyRelease(grid, Qt::Key_Down);
        QCOMPARE(b.code("edDR_Ac_JenName_01"), QString("40302004000")); // where it moved to
        QCOMPARE(b.text("edDR_Ac_JenName_01"), QString("당기제품제조원가"));

        QTest::keyClick(grid, Qt::Key_Up);
        QCOMPARE(b.code("edDR_Ac_JenName_01"), QString("40302001000"));
        QCOMPARE(b.text("edDR_Ac_JenName_01"), QString("제조간접비"));
    }

    void anyKeyInTheGridWritesTheCurrentRow_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Tab") << int(Qt::Key_Tab);
        QTest::newRow("Page Down") << int(Qt::Key_PageDown);
        QTest::newRow("a letter") << int(Qt::Key_A);
    }
    void anyKeyInTheGridWritesTheCurrentRow()
    {
        QFETCH(int, key);
        Bench &b = *m_bench;
        lookup::SearchDialog *form4 = b.dialog("Form4");
        form4->open(4, "");
        Bench::grid(form4)->setFocus();
        QTest::keyPress(Bench::grid(form4), Qt::Key(key));
        QCOMPARE(b.code("edCR_Buser_Name_04"), QString("D01"));
        QCOMPARE(b.text("edDR_Buser_Name_04"), QString("경리부"));
    }

    void aKeyInAnEmptyGridWritesAnEmptyCodeAndName()
    {
        Bench &b = *m_bench;
        b.resolve("edCR_Buser_Name_02", "D09", "영업부");
        b.resolve("edDR_Buser_Name_02", "D09", "영업부");
        lookup::SearchDialog *form4 = b.dialog("Form4");
        form4->open(2, "영업");
        QVERIFY(Bench::listed(form4).isEmpty());
        QTest::keyClick(Bench::grid(form4), Qt::Key_Down);
        for (const QString field : {"edCR_Buser_Name_02", "edDR_Buser_Name_02"}) {
            QCOMPARE(b.code(field), QString());
            QCOMPARE(b.text(field), QString());
        }
    }

    void aDoubleClickWritesTheRowAndHidesTheDialog()
    {
        Bench &b = *m_bench;
        lookup::SearchDialog *form2 = b.dialog("Form2");
        form2->open(1, "은행");
        Bench::doubleClickRow(form2, 1);
        QCOMPARE(b.code("edCR_Kubun_Name_01"), QString("C100"));
        QCOMPARE(b.text("edDR_Kubun_Name_01"), QString("우리은행 역삼"));
        QVERIFY(!form2->isVisible());
    }

    void enterInTheGridPicksAndHidesLikeADoubleClick()
    {
        Bench &b = *m_bench;
        lookup::SearchDialog *form5 = b.dialog("Form5");
        form5->open(2, "");
        QTest::keyClick(Bench::grid(form5), Qt::Key_Down);
        QTest::keyClick(Bench::grid(form5), Qt::Key_Return);
        QCOMPARE(b.code("edCR_Project_Name_02"), QString("P02"));
        QVERIFY(!form5->isVisible());
    }

    void theCloseButtonHidesAndKeepsEarlierPicks()
    {
        Bench &b = *m_bench;
        lookup::SearchDialog *form3 = b.dialog("Form3");
        b.field("edCR_Sawon_Name_01")->setText("김");
        form3->open(1, "김");
        QTest::mouseClick(Bench::control<QPushButton>(form3, "CloseBtn"), Qt::LeftButton);
        QVERIFY(!form3->isVisible());
        QCOMPARE(b.text("edCR_Sawon_Name_01"), QString("김")); // nothing picked: the typed text stays
        QCOMPARE(b.code("edCR_Sawon_Name_01"), QString());

        form3->open(1, "김");
        Bench::clickRow(form3, 0);
        QTest::mouseClick(Bench::control<QPushButton>(form3, "CloseBtn"), Qt::LeftButton);
        QCOMPARE(b.code("edCR_Sawon_Name_01"), QString("E001"));
        QCOMPARE(b.text("edDR_Sawon_Name_01"), QString("김민수"));
    }

    void reopeningForAnotherEntryRedirectsLaterPicks()
    {
        Bench &b = *m_bench;
        lookup::SearchDialog *form6 = b.dialog("Form6");
        form6->open(1, "부품");
        Bench::clickRow(form6, 0);
        form6->open(3, "부품"); // still open
        QCOMPARE(Bench::control<QLineEdit>(form6, "edAc_code2")->text(), QString());
        Bench::clickRow(form6, 1);
        QCOMPARE(b.code("edCR_Item_Name_01"), QString("I03"));
        QCOMPARE(b.code("edCR_Item_Name_03"), QString("I04"));
        QCOMPARE(b.code("edDR_Item_Name_03"), QString("I04"));
    }

    void dialogsOpenTogetherWriteIntoTheirOwnEntries()
    {
        Bench &b = *m_bench;
        lookup::SearchDialog *form3 = b.dialog("Form3");
        lookup::SearchDialog *form4 = b.dialog("Form4");
        form3->open(1, "이영희");
        form4->open(4, "경리");
        Bench::clickRow(form3, 0);
        Bench::clickRow(form4, 0);
        QCOMPARE(b.code("edCR_Sawon_Name_01"), QString("E002"));
        QCOMPARE(b.code("edCR_Buser_Name_04"), QString("D01"));
        QCOMPARE(b.code("edCR_Sawon_Name_04"), QString());
        QCOMPARE(b.code("edCR_Buser_Name_01"), QString());
    }

    void theDialogsAreMadeInStartUpOrderAndFoundByName()
    {
        QStringList names;
        for (const auto &dialog : m_bench->dialogs->all()) {
            names << dialog->objectName();
            QVERIFY(!dialog->isVisible());
        }
        QCOMPARE(names, QStringList({"Form1", "Form7", "Form2", "Form3", "Form4", "Form5", "Form6"}));
        QCOMPARE(m_bench->dialog("Form5")->objectName(), QString("Form5"));
        QVERIFY(!m_bench->dialog("Form8"));
    }

private:
    std::unique_ptr<Bench> m_bench;
};

QTEST_MAIN(TestPicks)
#include "test_picks.moc"
