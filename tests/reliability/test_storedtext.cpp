// Whatever a clerk or a file puts into the text fields reaches the database as
// data: quotes, "%", "_", SQL fragments, control characters and 400-character
// Korean descriptions are saved, listed, loaded and corrected exactly as typed,
// and a character no engine can store is refused with a message before
// anything is written. Stored lines the window cannot read (an entry number
// that is no number) stop the command with the conversion error and change
// nothing. Every test runs on SQLite and on PostgreSQL.
#include "support/entryfixture.h"

#include "base/text.h"
#include "ui/fields.h"

#include <QComboBox>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace {

const QString today = QDate::currentDate().toString("yyyy-MM-dd");

// The name fields of a line and the stored columns they fill.
const std::pair<const char *, const char *> nameFields[] = {
    {"Ac_JenName", "Ac_JenCode"}, {"Kubun_Name", "Kubun_Code"},     {"Sawon_Name", "Sawon_Code"},
    {"Buser_Name", "Buser_Code"}, {"Project_Name", "Project_Code"}, {"Item_Name", "Item_Code"},
};

void chooseRow(EntryWindow &w, int row)
{
    QTest::mouseClick(w.DBGrid1->viewport(), Qt::LeftButton, {},
                      w.DBGrid1->visualRect(w.list().index(row, 3)).center());
}

// Entry 1 with `text` in every name field and both descriptions, each name
// carrying `code` as if picked; an amount of 1,000.
void typeEntry(EntryFixture &f, const QString &text, const QString &code)
{
    focusOn(f.field("edCR_Cr_Amt_01"));
    typeText(f.field("edCR_Cr_Amt_01"), "1000");
    focusOn(f.field("edDR_Ac_Text_01"));
    for (const char *side : {"edCR_", "edDR_"}) {
        for (const auto &[name, column] : nameFields) {
            QLineEdit *edit = f.field(QString(side) + name + "_01");
            edit->setText(text);
            setHiddenCode(edit, code);
        }
        f.field(QString(side) + "Ac_Text_01")->setText(text);
    }
    f.window().setMode(EntryMode::New);
    f.window().pEnabledBtn();
}

QStringList storedTexts(const store::StoredLine &l)
{
    return {l.Ac_JenName, l.Ac_Text, l.Kubun_Name, l.Sawon_Name, l.Buser_Name, l.Project_Name, l.Item_Name};
}

QStringList storedCodes(const store::StoredLine &l)
{
    return {l.Ac_JenCode, l.Kubun_Code, l.Sawon_Code, l.Buser_Code, l.Project_Code, l.Item_Code};
}

QStringList fieldTexts(EntryFixture &f, const char *side)
{
    QStringList texts = {f.field(QString(side) + "Ac_JenName_01")->text(),
                         f.field(QString(side) + "Ac_Text_01")->text()};
    for (const char *name : {"Kubun_Name", "Sawon_Name", "Buser_Name", "Project_Name", "Item_Name"})
        texts << f.field(QString(side) + name + "_01")->text();
    return texts;
}

} // namespace

class TestStoredText : public BothEnginesTestCase
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            w->hide();
    }

    void everyTextIsStoredListedAndLoadedAsTyped_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("code");
        QTest::newRow("quotes") << "O'Neil \"상사\" '' 끝'"
                                << "C'1\"";
        QTest::newRow("percent and underscore") << "100% 달성_기념 %_%"
                                                << "P%_1";
        QTest::newRow("a statement to drop the table") << "'; DROP TABLE Account_Jen_AA; --"
                                                       << "';--";
        QTest::newRow("an always-true condition") << "x' OR '1'='1"
                                                  << "' OR 1=1";
        QTest::newRow("a placeholder and a cast") << ":tbSerial ::text $1 ?"
                                                  << ":tbAc";
        QTest::newRow("backslashes and the escape character") << "C:\\경로\\ !% \\'"
                                                              << "\\!";
        QTest::newRow("control characters") << "탭\t줄\n바꿈\r끝\x01\x1b\x7f"
                                            << "T\t1";
        QTest::newRow("blanks at both ends") << "  앞뒤 공백  "
                                             << " B1 ";
        QTest::newRow("400 Korean characters") << QString("제조원가 대체 적요입니다 ").repeated(40).left(400) << "K400";
        QTest::newRow("characters beyond the Korean code page") << "😀 ẞ Ω 漢字 ㈜"
                                                                << "U1";
    }
    void everyTextIsStoredListedAndLoadedAsTyped()
    {
        QFETCH(QString, text);
        QFETCH(QString, code);
        EntryFixture f(EntryFixture::Windows::EntryOnly, {}, server());
        EntryWindow &w = f.window();
        const QStringList branches = f.database().column("SELECT Kubun_Code FROM Kubun_Table");
        typeEntry(f, text, code);
        QTest::mouseClick(w.SaveBtn, Qt::LeftButton);
        QCOMPARE(f.messages.texts, QStringList());

        const std::vector<store::StoredLine> lines = f.database().allLines();
        QCOMPARE(int(lines.size()), 2);
        for (const store::StoredLine &line : lines) {
            QCOMPARE(storedTexts(line), QStringList(7, text));
            QCOMPARE(storedCodes(line), QStringList(6, code));
        }
        QCOMPARE(w.list().rowCount(), 1);
        QCOMPARE(w.list().row(0).ac_JenName1, Str_RTrim(text)); // the listing shows names trimmed

        chooseRow(w, 0);
        QCOMPARE(f.messages.texts, QStringList());
        QCOMPARE(fieldTexts(f, "edCR_"), QStringList(7, text));
        QCOMPARE(fieldTexts(f, "edDR_"), QStringList(7, text));
        QCOMPARE(hiddenCode(f.field("edDR_Item_Name_01")), code);

        const QString corrected = "'" + text.chopped(1); // as long as before: the field holds 400
        f.field("edCR_Ac_Text_01")->setText(corrected);
        QTest::mouseClick(w.SaveBtn, Qt::LeftButton);
        QCOMPARE(f.messages.texts, QStringList());
        QCOMPARE(f.database().allLines().at(0).Ac_Text, corrected);
        QCOMPARE(f.field("edCR_Ac_Text_01")->text(), corrected);
        QCOMPARE(f.database().column("SELECT Kubun_Code FROM Kubun_Table"), branches);
    }

    void aCharacterNoEngineStoresIsRefusedBeforeWriting_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("a NUL in the description") << QString("앞") + QChar(0) + QString("뒤");
        QTest::newRow("half of a surrogate pair") << QString("깨진 ") + QChar(0xD83D);
    }
    void aCharacterNoEngineStoresIsRefusedBeforeWriting()
    {
        QFETCH(QString, text);
        EntryFixture f(EntryFixture::Windows::EntryOnly, {}, server());
        typeEntry(f, "정상 이름", "C1");
        f.field("edDR_Ac_Text_01")->setText(text); // the fourth text of the second line
        QTest::mouseClick(f.window().SaveBtn, Qt::LeftButton);
        QCOMPARE(f.messages.texts.size(), 1);
        QVERIFY2(f.messages.texts[0].startsWith("입력한 내용에 저장할 수 없는 글자"), qPrintable(f.messages.texts[0]));
        QCOMPARE(f.database().allLines().size(), size_t(0));
        QCOMPARE(f.field("edDR_Ac_Text_01")->text(), text);
        QCOMPARE(f.window().mode(), EntryMode::New);
    }

    void anEntryNumberTheWindowCannotReadChangesNothing_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("deletable");
        // The delete reads the number without its blanks; the load and the
        // correction read it as stored.
        QTest::newRow("letters") << "x1" << false;
        QTest::newRow("trailing blanks") << "01 " << true;
    }
    void anEntryNumberTheWindowCannotReadChangesNothing()
    {
        QFETCH(QString, entry);
        QFETCH(bool, deletable);
        EntryFixture f(
            EntryFixture::Windows::EntryOnly,
            [&](TestDatabase &db) {
                for (const char *side : {"01", "02"})
                    db.insertRaw(sampleLine(today, today + "-00000001", entry, side));
            },
            server());
        EntryWindow &w = f.window();
        const std::vector<store::StoredLine> before = f.database().allLines();
        chooseRow(w, 0);
        QCOMPARE(f.messages.texts, QStringList{"'" + w.list().row(0).serial_bun + "' is not a valid integer value"});

        f.messages.clear();
        QTest::mouseClick(w.SaveBtn, Qt::LeftButton);
        QCOMPARE(f.messages.texts, QStringList{"'" + w.list().row(0).serial_bun + "' is not a valid integer value"});
        QCOMPARE(f.messages.kinds.value(0), Messages::Kind::Error);
        QCOMPARE(f.database().allLines().size(), before.size());
        QCOMPARE(f.database().allLines().at(0).End_Day, before.at(0).End_Day);

        f.messages.clear();
        QTest::mouseClick(w.DeleteBtn, Qt::LeftButton);
        if (deletable) {
            QCOMPARE(f.messages.texts, QStringList());
            QCOMPARE(f.database().allLines().size(), size_t(0));
            QCOMPARE(w.mode(), EntryMode::Ready);
        } else {
            QCOMPARE(f.messages.texts, QStringList{"'x1' is not a valid integer value"});
            QCOMPARE(f.database().allLines().size(), before.size());
        }
    }
};

QTEST_MAIN(TestStoredText)
#include "test_storedtext.moc"
