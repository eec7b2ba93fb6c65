// Saving, correcting and deleting vouchers through the window as a clerk does:
// names picked in the search dialogs, amounts typed, and what the store then
// holds, column by column. Every test runs on SQLite and on PostgreSQL.
#include "support/entryfixture.h"

#include "ui/fields.h"

#include <QComboBox>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace {

const QString today = QDate::currentDate().toString("yyyy-MM-dd");

class Clerk
{
public:
    explicit Clerk(EntryFixture &f) : m_f(f) {}

    // Types part of a name, leaves the field forward and double-clicks a row.
    void pick(const QString &fieldName, const QString &typed, const QString &dialog, const QString &code)
    {
        QLineEdit *edit = m_f.field(fieldName);
        focusOn(edit);
        edit->clear();
        commitText(edit, typed);
        QTest::keyClick(edit, Qt::Key_Return);
        QVERIFY2(dialogNamed(dialog)->isVisible(), qPrintable(dialog));
        pickByDoubleClick(dialog, code);
        m_f.activate();
    }
    void amount(int n, const QString &typed)
    {
        QLineEdit *edit = m_f.field(QStringLiteral("edCR_Cr_Amt_0%1").arg(n));
        focusOn(edit);
        edit->clear();
        typeText(edit, typed);
        focusOn(m_f.field(QStringLiteral("edDR_Ac_Text_0%1").arg(n)));
    }
    // A whole entry: debit 원재료비, credit 원재료, the amount.
    void entry(int n, const QString &typed)
    {
        pick(QStringLiteral("edCR_Ac_JenName_0%1").arg(n), "원재료비", "Form1", "40401001000");
        amount(n, typed);
        pick(QStringLiteral("edDR_Ac_JenName_0%1").arg(n), "원재료", "Form7", "10102005000");
    }
    void save() { QTest::mouseClick(m_f.window().SaveBtn, Qt::LeftButton); }
    void choose(int row)
    {
        EntryWindow &w = m_f.window();
        QTest::mouseClick(w.DBGrid1->viewport(), Qt::LeftButton, {},
                          w.DBGrid1->visualRect(w.list().index(row, 3)).center());
    }

private:
    EntryFixture &m_f;
};

} // namespace

class TestSaveVoucher : public BothEnginesTestCase
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            w->hide();
    }

    void twoEntriesAreStoredAsFourLines()
    {
        EntryFixture f(EntryFixture::Windows::WholeSet, {}, server());
        Clerk clerk(f);
        QTest::mouseClick(f.window().InsertBtn, Qt::LeftButton);
        clerk.entry(1, "1000");
        clerk.pick("edCR_Kubun_Name_01", "제조", "Form2", "C0003");
        focusOn(f.field("edCR_Ac_Text_01"));
        commitText(f.field("edCR_Ac_Text_01"), "원재료 투입");
        clerk.entry(2, "2500.4");
        clerk.save();
        QCOMPARE(f.messages.texts, QStringList());

        const std::vector<store::StoredLine> lines = f.database().allLines();
        QCOMPARE(lines.size(), size_t(4));
        const QString number = today + "-00000001";
        const QStringList order = {"01/01", "01/02", "02/01", "02/02"};
        for (size_t i = 0; i < 4; ++i) {
            const store::StoredLine &l = lines[i];
            QCOMPARE(l.Serial_Bun + "/" + l.Serial_CrDr, order[int(i)]);
            QCOMPARE(l.Serial, "AA*00000*3*" + number + "*" + l.Serial_Bun + "*A005*" + l.Serial_CrDr);
            QCOMPARE(l.Serial_Jen, number);
            QCOMPARE(l.Date_Day, today);
            QCOMPARE(l.Month_Char, today.mid(5, 2));
            QCOMPARE(l.Year_Char, today.left(4));
            QCOMPARE(l.Table_Kubun + l.Kubun_Bon + l.Kubun_Jen + l.Kubun_Amt + l.Form_Kubun + l.Giel_Serial,
                     QString("AA0000035A005999"));
            const bool debit = l.Serial_CrDr == "01";
            QCOMPARE(l.Ac_JenCode, QString(debit ? "40401001000" : "10102005000"));
            QCOMPARE(l.Ac_JenName, QString(debit ? "원재료비" : "원재료"));
            const double amount = l.Serial_Bun == "01" ? 1000 : 2500;
            QCOMPARE(l.Cr_Amt, debit ? amount : 0.0);
            QCOMPARE(l.Dr_Amt, debit ? 0.0 : amount);
            QVERIFY(l.End_Day.isValid());
        }
        QCOMPARE(lines[0].Kubun_Code, QString("C0003"));
        QCOMPARE(lines[1].Kubun_Name, QString("삼일제조공업"));
        QCOMPARE(lines[1].Ac_Text, QString("원재료 투입"));
        QCOMPARE(lines[2].Kubun_Code, QString());

        EntryWindow &w = f.window();
        QCOMPARE(w.mode(), EntryMode::Ready);
        QCOMPARE(w.edSerial->text(), QString());
        QCOMPARE(f.field("edCR_Ac_JenName_01")->text(), QString());
        QCOMPARE(w.list().rowCount(), 2);
        QCOMPARE(w.list().row(w.currentListRow()).serial_ttt, number + "02");
    }

    void onlyTheThirdPanelGivesEntryThreeAlone()
    {
        EntryFixture f(EntryFixture::Windows::WholeSet, {}, server());
        Clerk clerk(f);
        clerk.entry(3, "700");
        clerk.save();
        const std::vector<store::StoredLine> lines = f.database().allLines();
        QCOMPARE(lines.size(), size_t(2));
        QCOMPARE(lines[0].Serial_Bun + lines[0].Serial_CrDr + lines[1].Serial_Bun + lines[1].Serial_CrDr,
                 QString("03010302"));
    }

    void noAmountDrawsANumberButWritesNothing()
    {
        EntryFixture f(EntryFixture::Windows::WholeSet, {}, server());
        focusOn(f.field("edCR_Ac_JenName_01"));
        QTest::keyClick(f.field("edCR_Ac_JenName_01"), Qt::Key_Return); // a new voucher begins
        f.activate();
        QCOMPARE(f.window().mode(), EntryMode::New);
        QTest::mouseClick(f.window().SaveBtn, Qt::LeftButton);
        QCOMPARE(f.messages.texts, QStringList());
        QCOMPARE(f.database().allLines().size(), size_t(0));
        QCOMPARE(f.window().mode(), EntryMode::Ready);
    }

    void eachCheckStopsWithItsMessageAndFocus_data()
    {
        QTest::addColumn<QString>("missing");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        QTest::newRow("a debit account") << "edCR_Ac_JenName_02"
                                         << "2라인에 계정과목을 등록 하세요...."
                                         << "edCR_Ac_JenName_02";
        QTest::newRow("a credit account") << "edDR_Ac_JenName_02"
                                          << "2라인에 계정과목을 등록 하세요...."
                                          << "edDR_Ac_JenName_02";
        QTest::newRow("a customer") << "edCR_Kubun_Name_01"
                                    << "1라인에 거래처및은행명의 코드를 등록 하세요...."
                                    << "edCR_Kubun_Name_01";
        QTest::newRow("an employee") << "edCR_Sawon_Name_02"
                                     << "2라인에 사원이름의 코드를 등록 하세요...."
                                     << "edCR_Sawon_Name_02";
        QTest::newRow("a department") << "edCR_Buser_Name_01"
                                      << "1라인에 부서이름의 코드를 등록 하세요...."
                                      << "edCR_Buser_Name_01";
        QTest::newRow("a project") << "edCR_Project_Name_02"
                                   << "2라인에 프로젝트이름의 코드를 등록 하세요...."
                                   << "edCR_Project_Name_02";
        QTest::newRow("an item") << "edCR_Item_Name_01"
                                 << "1라인에 아이템 명의 코드를 등록 하세요...."
                                 << "edCR_Item_Name_01";
    }
    void eachCheckStopsWithItsMessageAndFocus()
    {
        QFETCH(QString, missing);
        EntryFixture f(EntryFixture::Windows::WholeSet, {}, server());
        Clerk clerk(f);
        clerk.entry(1, "100");
        clerk.entry(2, "200");
        QLineEdit *edit = f.field(missing);
        edit->setText("이름만");
        setHiddenCode(edit, QString()); // typed, never picked
        clerk.save();
        QTEST(f.messages.texts.value(0), "message");
        QCOMPARE(f.messages.texts.size(), 1);
        QTEST(focusedName(), "focus");
        QCOMPARE(f.window().mode(), EntryMode::New);
        QCOMPARE(f.database().allLines().size(), size_t(0));
    }

    void readyModeAsksToBeginFirst()
    {
        EntryFixture f(
            EntryFixture::Windows::WholeSet,
            [](TestDatabase &) { store::saveNewVoucher(sampleVoucher(today, 0, {"01"})); }, server());
        focusOn(f.field("edCR_Ac_Text_01"));
        f.window().SaveBtn->setEnabled(true); // only reachable when the mode and buttons disagree
        QTest::mouseClick(f.window().SaveBtn, Qt::LeftButton);
        QCOMPARE(f.messages.texts, QStringList({"처음 등록 부분을 하세요...."}));
        QCOMPARE(focusedName(), QString("edCR_Ac_JenName_01"));
    }

    void correctingAnEntryRewritesItsTwoLinesOnly()
    {
        QString number;
        EntryFixture f(
            EntryFixture::Windows::WholeSet,
            [&](TestDatabase &) {
                number = store::saveNewVoucher(sampleVoucher(today, 0, {"01", "02"})).serialJen;
            },
            server());
        Clerk clerk(f);
        const std::vector<store::StoredLine> before = f.database().allLines();
        clerk.choose(1);
        QCOMPARE(f.window().mode(), EntryMode::Loaded);
        clerk.pick("edDR_Ac_JenName_02", "상품", "Form7", "10102001000");
        clerk.amount(2, "0");
        clerk.save();
        QCOMPARE(f.messages.texts, QStringList());

        const std::vector<store::StoredLine> after = f.database().allLines();
        QCOMPARE(after.size(), size_t(4));
        QCOMPARE(after[0].End_Day, before[0].End_Day);
        QCOMPARE(after[1].Ac_JenName, before[1].Ac_JenName);
        QCOMPARE(after[3].Ac_JenCode, QString("10102001000"));
        QCOMPARE(after[3].Ac_JenName, QString("상품"));
        QCOMPARE(after[2].Cr_Amt, 0.0);
        QCOMPARE(after[3].Dr_Amt, 0.0);
        QCOMPARE(after[3].Serial, before[3].Serial);
        QVERIFY(after[2].End_Day != before[2].End_Day);

        EntryWindow &w = f.window();
        QCOMPARE(w.mode(), EntryMode::Loaded);
        QCOMPARE(w.list().row(w.currentListRow()).serial_ttt, number + "02");
        QCOMPARE(w.edSerial->text(), number);
        QVERIFY(w.panel(2)->isEnabled() && w.panel(2)->isHighlighted());
        QCOMPARE(f.field("edDR_Ac_JenName_02")->text(), QString("상품"));
    }

    void correctingWithoutAChosenVoucherIsRefused()
    {
        EntryFixture f(
            EntryFixture::Windows::WholeSet,
            [&](TestDatabase &) { store::saveNewVoucher(sampleVoucher(today, 0, {"01"})); }, server());
        Clerk clerk(f);
        clerk.choose(0);
        f.window().edSerial->clear(); // as printing leaves it
        clerk.save();
        QCOMPARE(f.messages.texts, QStringList({"그리드에서 수정할 레코드를 선택 하세요....."}));
    }

    void anEntryDeletedElsewhereIsNotReportedAsSaved()
    {
        QString number;
        EntryFixture f(
            EntryFixture::Windows::WholeSet,
            [&](TestDatabase &) {
                number = store::saveNewVoucher(sampleVoucher(today, 0, {"01", "02"})).serialJen;
            },
            server());
        Clerk clerk(f);
        clerk.choose(0);
        store::deleteEntry(number + "01"); // another clerk
        clerk.amount(1, "999");
        clerk.save();
        QCOMPARE(f.messages.texts.size(), 1);
        QVERIFY(f.messages.texts[0].contains("삭제"));
        QCOMPARE(f.database().allLines().size(), size_t(2));
        QCOMPARE(f.window().list().rowCount(), 1);
        QCOMPARE(f.field("edCR_Cr_Amt_01")->text().trimmed(), QString("999"));
    }

    void deletingEntriesOneByOne()
    {
        QString number;
        EntryFixture f(
            EntryFixture::Windows::WholeSet,
            [&](TestDatabase &) {
                number = store::saveNewVoucher(sampleVoucher(today, 0, {"01", "02"})).serialJen;
                store::saveNewVoucher(sampleVoucher(today, 0, {"01"}));
            },
            server());
        Clerk clerk(f);
        EntryWindow &w = f.window();
        QCOMPARE(w.list().rowCount(), 3);
        clerk.choose(1);
        QTest::mouseClick(w.DeleteBtn, Qt::LeftButton);
        QCOMPARE(f.messages.texts, QStringList());
        QCOMPARE(f.database().allLines().size(), size_t(4));
        QVERIFY(!w.panel(2)->isVisible());
        QCOMPARE(w.edSerial->text(), QString());
        QCOMPARE(w.list().rowCount(), 1);
        QCOMPARE(w.list().row(0).serial_ttt, number + "01");
        QCOMPARE(w.mode(), EntryMode::Loaded);

        QTest::mouseClick(w.DeleteBtn, Qt::LeftButton);
        QCOMPARE(f.messages.texts, QStringList({"그리드의 레코드를 선택하세요...."}));

        clerk.choose(0);
        QTest::mouseClick(w.DeleteBtn, Qt::LeftButton);
        QCOMPARE(f.database().allLines().size(), size_t(2));
        QCOMPARE(w.mode(), EntryMode::Ready);
        QCOMPARE(w.list().rowCount(), 1);
        for (int n = 1; n <= 4; ++n)
            QVERIFY(w.panel(n)->isVisible() && w.panel(n)->isEnabled());
        QCOMPARE(f.field("edCR_Ac_JenName_01")->text(), QString());
    }

    void aRefusedLineLeavesNothingStoredAndTheWindowAsItWas()
    {
        EntryFixture f(
            EntryFixture::Windows::WholeSet, [](TestDatabase &db) { db.refuseMarkedLines(); }, server());
        Clerk clerk(f);
        clerk.entry(1, "100");
        clerk.entry(2, "200");
        f.field("edCR_Ac_Text_02")->setText(TestDatabase::refusedText()); // the third line
        clerk.save();
        QCOMPARE(f.messages.texts.size(), 1);
        QCOMPARE(f.messages.kinds[0], Messages::Kind::Error);
        QCOMPARE(f.database().allLines().size(), size_t(0));
        EntryWindow &w = f.window();
        QCOMPARE(w.mode(), EntryMode::New);
        QCOMPARE(hiddenCode(f.field("edDR_Ac_JenName_02")), QString("10102005000"));
        QCOMPARE(f.field("edCR_Cr_Amt_02")->text().trimmed(), QString("200"));

        f.field("edCR_Ac_Text_02")->setText("고친 적요");
        clerk.save();
        const std::vector<store::StoredLine> lines = f.database().allLines();
        QCOMPARE(lines.size(), size_t(4));
        QCOMPARE(lines[0].Serial_Jen, today + "-00000001");
    }
};

QTEST_MAIN(TestSaveVoucher)
#include "test_savevoucher.moc"
