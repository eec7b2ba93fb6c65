#include "lookup/catalogue.h"

namespace lookup {

namespace {

using store::LookupStatement;

std::vector<GridColumn> accountColumns()
{
    return {
        {QStringLiteral("ac_code"), 12, QStringLiteral("계정과목 코드")},
        {QStringLiteral("ac_name01"), 30, QStringLiteral("회계 계정과목 이름")},
        {QStringLiteral("ac_name02"), 50, QStringLiteral("회계 계정과목 이름에 대한 분류 계정")},
    };
}

DialogDesign accountDialog(const QString &objectName, LookupStatement statement)
{
    return {objectName,
            QStringLiteral("회계 계정과목을 검색하는 창입니다."),
            QSize(698, 673),
            QStringLiteral("선택한 계정과목"),
            QStringLiteral("검색할 계정과목명 등록"),
            385,
            190,
            false,
            false,
            statement,
            accountColumns(),
            false,
            QStringLiteral("ac_code"),
            QStringLiteral("ac_name01")};
}

DialogDesign customerDialog()
{
    return {QStringLiteral("Form2"),
            QStringLiteral("거래처및은행명의 코드를 검색하는 차입니다."),
            QSize(844, 616),
            QStringLiteral("선택한 거래처및은행명"),
            QStringLiteral("검색할 거래처 및 은행명등을 등록"),
            518,
            323,
            true,
            true,
            LookupStatement::CustomersAndBanks,
            {
                {QStringLiteral("Tot_Code"), 12, QStringLiteral("코              드")},
                {QStringLiteral("Tot_Name"), 47, QStringLiteral("거 래 처  명  및  은  행  계 좌 번 호 명")},
                {QStringLiteral("Tot_No"), 47, QStringLiteral("사 업 자 등 록 번호   및   은 행  계 좌 번 호")},
                {QStringLiteral("Tot_Kubun"), 6, QStringLiteral("구  분")},
            },
            true,
            QStringLiteral("Tot_Code"),
            QStringLiteral("Tot_Name")};
}

// Employees, departments, projects and items: a code, a name, a text (employees
// have two more columns).
DialogDesign codeTableDialog(const QString &objectName, const QString &caption, QSize size, const QString &kind,
                             LookupStatement statement, const QString &prefix, std::vector<GridColumn> columns,
                             bool centredTitles)
{
    return {objectName,
            caption,
            size,
            QStringLiteral("선택한 ") + kind,
            QStringLiteral("검색할 ") + kind + QStringLiteral(" 등록"),
            459,
            264,
            false,
            true,
            statement,
            std::move(columns),
            centredTitles,
            prefix + QStringLiteral("_Code"),
            prefix + QStringLiteral("_Name")};
}

std::vector<DialogDesign> build()
{
    std::vector<DialogDesign> all;
    all.push_back(accountDialog(QStringLiteral("Form1"), LookupStatement::DebitAccounts));
    all.push_back(accountDialog(QStringLiteral("Form7"), LookupStatement::CreditAccounts));
    all.push_back(customerDialog());
    all.push_back(
        codeTableDialog(QStringLiteral("Form3"), QStringLiteral("사원이름을 검색하는 창입니다."), QSize(788, 680),
                        QStringLiteral("사원이름"), LookupStatement::Employees, QStringLiteral("Sawon"),
                        {
                            {QStringLiteral("Sawon_Code"), 12, QStringLiteral("사 원 코 드")},
                            {QStringLiteral("Sawon_Name"), 20, QStringLiteral("사   원      이   름")},
                            {QStringLiteral("Sawon_Kubun"), 6, QStringLiteral("성  별")},
                            {QStringLiteral("Sawon_Jumin"), 15, QStringLiteral("주 민  등 록 번 호")},
                            {QStringLiteral("Sawon_Text"), 50,
                             QStringLiteral("적          요          기          재          사          항")},
                        },
                        true));
    all.push_back(codeTableDialog(
        QStringLiteral("Form4"), QStringLiteral("부서이름을 검색하는 창입니다."), QSize(775, 646),
        QStringLiteral("부서이름"), LookupStatement::Departments, QStringLiteral("Buser"),
        {
            {QStringLiteral("Buser_Code"), 12, QStringLiteral("부  서  코  드")},
            {QStringLiteral("Buser_Name"), 35, QStringLiteral("부           서             이           름")},
            {QStringLiteral("Buser_Text"), 56,
             QStringLiteral("적               요               기               재               사               항")},
        },
        false));
    all.push_back(codeTableDialog(
        QStringLiteral("Form5"), QStringLiteral("프로젝트이름을 검색하는 창입니다."), QSize(775, 689),
        QStringLiteral("프로젝트이름"), LookupStatement::Projects, QStringLiteral("Project"),
        {
            {QStringLiteral("Project_Code"), 12, QStringLiteral("프로젝트 코드")},
            {QStringLiteral("Project_Name"), 31, QStringLiteral("프   로   젝   트          이   름")},
            {QStringLiteral("Project_Text"), 60,
             QStringLiteral("적             요             기             재             사             항")},
        },
        true));
    all.push_back(codeTableDialog(
        QStringLiteral("Form6"), QStringLiteral("아이템 명을 검색하는 창입니다."), QSize(775, 710),
        QStringLiteral("아이템 명"), LookupStatement::Items, QStringLiteral("Item"),
        {
            {QStringLiteral("Item_Code"), 12, QStringLiteral("아이템  코드")},
            {QStringLiteral("Item_Name"), 35, QStringLiteral("아          이          템             명")},
            {QStringLiteral("Item_Text"), 56,
             QStringLiteral("적               요               기               재               사               항")},
        },
        true));
    return all;
}

} // namespace

const std::vector<DialogDesign> &catalogue()
{
    static const std::vector<DialogDesign> all = build();
    return all;
}

const DialogDesign *findDesign(const QString &objectName)
{
    for (const DialogDesign &design : catalogue())
        if (design.objectName == objectName)
            return &design;
    return nullptr;
}

} // namespace lookup
