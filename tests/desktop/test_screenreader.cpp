// What a screen reader hears, read back over Qt's accessibility interface: every
// field, button and grid of the entry window and the search dialogs has a name
// made from its label and entry line, and every grid a description.
#include "support/entryfixture.h"

#include "app/windowset.h"
#include "lookup/catalogue.h"

#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>
#include <QSet>
#include <QTableView>
#include <QTest>

namespace {

QString spokenName(QWidget *widget)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(QAccessible::Name) : QString();
}

// Every control a reader walks to from the window, with its role and name.
void walk(QAccessibleInterface *face, QList<QPair<QAccessible::Role, QString>> &seen, QStringList &paths,
          const QString &path)
{
    for (int i = 0; i < face->childCount(); ++i) {
        QAccessibleInterface *child = face->child(i);
        if (!child)
            continue;
        const QString name = child->text(QAccessible::Name);
        const QObject *object = child->object();
        const QString here = path + '/' + (object ? object->objectName() : QString());
        seen.append({child->role(), name});
        paths << here;
        walk(child, seen, paths, here);
    }
}

} // namespace

class TestScreenReader : public QObject
{
    Q_OBJECT

    std::unique_ptr<EntryFixture> m_fixture;

private slots:
    void initTestCase() { m_fixture = std::make_unique<EntryFixture>(EntryFixture::Windows::WholeSet); }
    void cleanupTestCase() { m_fixture.reset(); }

    void theEntryWindowsControlsAreNamedByLabelAndLine_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("name");
        QTest::newRow("the debit account of entry 1") << "edCR_Ac_JenName_01"
                                                      << "1라인 차변 계정과목";
        QTest::newRow("the credit account of entry 4") << "edDR_Ac_JenName_04"
                                                       << "4라인 대변 계정과목";
        QTest::newRow("the debit customer of entry 2") << "edCR_Kubun_Name_02"
                                                       << "2라인 차변 거래처 및 은행명";
        QTest::newRow("the credit employee of entry 3") << "edDR_Sawon_Name_03"
                                                        << "3라인 대변 사원 이름";
        QTest::newRow("the debit department of entry 1") << "edCR_Buser_Name_01"
                                                         << "1라인 차변 부서 이름";
        QTest::newRow("the debit project of entry 1") << "edCR_Project_Name_01"
                                                      << "1라인 차변 프로젝트명";
        QTest::newRow("the credit description of entry 2") << "edDR_Ac_Text_02"
                                                           << "2라인 대변 적요 기재 사항";
        QTest::newRow("the debit management item of entry 4") << "edCR_Item_Name_04"
                                                              << "4라인 차변 관리 항목";
        QTest::newRow("the debit amount of entry 2") << "edCR_Cr_Amt_02"
                                                     << "2라인 차변 금액";
        QTest::newRow("the credit amount of entry 3") << "edDR_Dr_Amt_03"
                                                      << "3라인 대변 금액";
        QTest::newRow("the lime credit column of the debit line") << "edCR_Dr_Amt_01"
                                                                  << "1라인 차변 줄 대변 금액";
        QTest::newRow("the lime debit column of the credit line") << "edDR_Cr_Amt_01"
                                                                  << "1라인 대변 줄 차변 금액";
        QTest::newRow("the entry number of entry 3") << "edSerial_Bun_03"
                                                     << "3라인 순서";
        QTest::newRow("the line number of the credit line") << "edDR_Serial_CrDr_02"
                                                            << "2라인 대변 번호";
        QTest::newRow("the base date") << "edDate"
                                       << "기준일자";
        QTest::newRow("the text box of the branch") << "cbKubun/"
                                                    << "본지점구분";
        QTest::newRow("the voucher number") << "edSerial"
                                            << "전표번호";
        QTest::newRow("the insert button, without its key letter") << "InsertBtn"
                                                                   << "등록";
        QTest::newRow("the delete button") << "DeleteBtn"
                                           << "삭제";
        QTest::newRow("the voucher grid") << "DBGrid1"
                                          << "전표 목록";
    }
    void theEntryWindowsControlsAreNamedByLabelAndLine()
    {
        QFETCH(QString, control);
        QFETCH(QString, name);
        QWidget *widget = m_fixture->window().findChild<QWidget *>(control.section('/', 0, 0));
        QVERIFY2(widget, qPrintable(control));
        if (control.endsWith('/')) // the text box of a combo box
            widget = qobject_cast<QComboBox *>(widget)->lineEdit();
        QCOMPARE(spokenName(widget), name);
    }

    // A combo box says its chosen text as its name; the label over it names it
    // through the "labelled by" relation, as on every Linux desktop.
    void theBranchBoxIsLabelledByTheLabelOverIt()
    {
        QAccessibleInterface *box = QAccessible::queryAccessibleInterface(m_fixture->window().cbKubun);
        QStringList labels;
        for (const auto &[other, relation] : box->relations(QAccessible::Label))
            labels << other->text(QAccessible::Name);
        QCOMPARE(labels, QStringList{"본지점구분"});
    }

    // Walking the window as a reader does: no field, button or grid is silent,
    // and no two fields sound alike.
    void noControlOfTheEntryWindowIsSilent()
    {
        QList<QPair<QAccessible::Role, QString>> seen;
        QStringList paths;
        walk(QAccessible::queryAccessibleInterface(&m_fixture->window()), seen, paths, QString());
        QSet<QString> fieldNames;
        int fields = 0, buttons = 0, grids = 0;
        for (int i = 0; i < seen.size(); ++i) {
            const auto &[role, name] = seen[i];
            if (role != QAccessible::EditableText && role != QAccessible::PushButton && role != QAccessible::Table &&
                role != QAccessible::ComboBox)
                continue;
            QVERIFY2(!name.isEmpty(), qPrintable(paths[i] + " has no name"));
            if (role == QAccessible::EditableText && !paths[i].contains("cbKubun")) {
                ++fields;
                QVERIFY2(!fieldNames.contains(name), qPrintable(name + " twice"));
                fieldNames.insert(name);
            }
            buttons += role == QAccessible::PushButton;
            grids += role == QAccessible::Table;
        }
        QCOMPARE(fields, 4 * 21 + 2);
        QCOMPARE(buttons, 6);
        QCOMPARE(grids, 1);
    }

    void theVoucherGridDescribesItsColumns()
    {
        QAccessibleInterface *grid = QAccessible::queryAccessibleInterface(m_fixture->window().DBGrid1);
        const QString description = grid->text(QAccessible::Description);
        for (const char *column : {"기준일자", "본지점구분", "차변 계정과목 이름", "차변금액", "대변금액"})
            QVERIFY2(description.contains(QString::fromUtf8(column)), qPrintable(description));
    }

    void everySearchDialogNamesItsFieldsAndDescribesItsGrid_data()
    {
        QTest::addColumn<QString>("dialog");
        for (const lookup::DialogDesign &design : lookup::catalogue())
            QTest::newRow(qPrintable(design.objectName + ": " + design.caption)) << design.objectName;
    }
    void everySearchDialogNamesItsFieldsAndDescribesItsGrid()
    {
        QFETCH(QString, dialog);
        const lookup::DialogDesign &design = *lookup::findDesign(dialog);
        QWidget *window = windowByName(dialog);
        QVERIFY(window);
        QCOMPARE(spokenName(window->findChild<QWidget *>("edSearch")), design.searchLabel);
        QCOMPARE(spokenName(window->findChild<QWidget *>("edAc_code2")), QStringLiteral("선택한 코드"));
        QCOMPARE(spokenName(window->findChild<QWidget *>("edAc_Name2")), design.kindLabel);
        QCOMPARE(spokenName(window->findChild<QWidget *>("SearchBtn")), QStringLiteral("검색"));
        QCOMPARE(spokenName(window->findChild<QWidget *>("CloseBtn")), QStringLiteral("종료"));
        if (design.hasChooser)
            QCOMPARE(spokenName(window->findChild<QComboBox *>("cbCheck")->lineEdit()),
                     QStringLiteral("거래처 은행 구분"));
        QAccessibleInterface *grid = QAccessible::queryAccessibleInterface(window->findChild<QWidget *>("DBGrid1"));
        QCOMPARE(grid->text(QAccessible::Name), QStringLiteral("검색 결과"));
        const QString description = grid->text(QAccessible::Description);
        // Each column title is read as words, its spread-out letters joined.
        const QStringList columns = description.section(QStringLiteral("열은 "), 1).split(QStringLiteral(", "));
        QCOMPARE(columns.size(), int(design.columns.size()));
        QVERIFY2(!description.contains(QStringLiteral("  ")), qPrintable(description));
    }
};

QTEST_MAIN(TestScreenReader)
#include "test_screenreader.moc"
