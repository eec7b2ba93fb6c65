#include "store/lookups.h"

#include "base/text.h"
#include "store/connection.h"
#include "store/sqlrun.h"

#include <QSqlQuery>
#include <QSqlRecord>

namespace store {

namespace {

// The clerk's "%" and "_" are matched literally through this escape character.
// It is not the backslash, whose meaning in string literals differs by server.
constexpr QChar escapeChar = QLatin1Char('!');
const QString likeSearch = QStringLiteral(" escape '!'");

const QString noCompanyAccounts = QStringLiteral("('%' || '회사설정계정' || '%')");

struct Group
{
    QString label;
    QString code;
};

// What distinguishes the debit-line account search from the credit-line one.
struct AccountVariant
{
    QString nameGroups;     // the group list of the name branch
    QString codeJoin;       // "and" or "or": how the code list joins the name branch
    QString nameCodes;      // the code list of the name branch
    QString inventoryCodes; // the code list of the inventory group branch
    std::vector<Group> groups;
    bool namedOnly; // only rows with a classification (the having line)
};

const AccountVariant debitVariant{
    QStringLiteral("'10102','40301','40302','40303','40304','40305','40401','40402'"),
    QStringLiteral("and"),
    QStringLiteral("'10102005000','10102008000', '10102017000','10102024000', "
                   "'40301001000','40302004000','40304001000', '40401001000','40402001000'"),
    QStringLiteral("'10102005000','10102008000', '10102017000','10102024000'"),
    {{QStringLiteral("03재고자산"), QStringLiteral("10102")},
     {QStringLiteral("17매출원가"), QStringLiteral("40301")},
     {QStringLiteral("18제조"), QStringLiteral("40302")},
     {QStringLiteral("20제품매출원가"), QStringLiteral("40304")},
     {QStringLiteral("22제조원가"), QStringLiteral("40401")},
     {QStringLiteral("23부재료비"), QStringLiteral("40402")}},
    false,
};

// The "or" stands unbracketed after the and-chain, so the five inventory
// accounts always reach the name branch; the having line still lets through
// only the accounts that a group branch found.
const AccountVariant creditVariant{
    QStringLiteral("'40302','40401','40402','40403','40404'"),
    QStringLiteral("or"),
    QStringLiteral("'10102001000','10102005000','10102008000', '10102017000','10102024000'"),
    QStringLiteral("'10102001000','10102005000','10102008000', '10102017000','10102024000'"),
    {{QStringLiteral("03재고자산"), QStringLiteral("10102")},
     {QStringLiteral("18제조"), QStringLiteral("40302")},
     {QStringLiteral("22제조원가"), QStringLiteral("40401")},
     {QStringLiteral("23부재료비"), QStringLiteral("40402")},
     {QStringLiteral("24노무비"), QStringLiteral("40403")},
     {QStringLiteral("25제조경비"), QStringLiteral("40404")}},
    true,
};

QStringList nameBranch(const AccountVariant &variant)
{
    return {
        QStringLiteral("select '01전체합계란' AS tt, ac_code, rtrim(ac_name) AS ac_name01, '' AS ac_name02"),
        QStringLiteral("from test_ac_code"),
        QStringLiteral("where code_kubun = 'SSSSS' and ac_name not like ") + noCompanyAccounts,
        QStringLiteral("and (a_kubun || b_kubun || c_kubun) in (%1)").arg(variant.nameGroups),
        QStringLiteral("and ac_name like (:tbac_name)") + likeSearch,
        QStringLiteral("%1 ac_code in (%2)").arg(variant.codeJoin, variant.nameCodes),
    };
}

QStringList groupBranch(const AccountVariant &variant, const Group &group)
{
    QStringList lines{
        QStringLiteral("select '%1' AS tt, ac_code, '' AS ac_name01, bigo AS ac_name02").arg(group.label),
        QStringLiteral("from test_ac_code"),
        QStringLiteral("where (a_kubun || b_kubun || c_kubun) = '%1' and code_kubun = 'SSSSS'").arg(group.code),
        QStringLiteral("and ac_name not like ") + noCompanyAccounts,
        QStringLiteral("and ac_name like (:tbac_name)") + likeSearch,
    };
    if (group.code == QLatin1String("10102"))
        lines << QStringLiteral("and ac_code in (%1)").arg(variant.inventoryCodes);
    return lines;
}

// One row per account code found by any branch; max() picks the non-empty
// name and classification among the branches.
QStringList accountStatement(const AccountVariant &variant)
{
    QStringList lines{
        QStringLiteral("select t.ac_code, max(t.ac_name01) AS ac_name01, max(t.ac_name02) AS ac_name02"),
        QStringLiteral("from ("),
    };
    lines << nameBranch(variant);
    for (const Group &group : variant.groups)
        lines << QStringLiteral("union all") << groupBranch(variant, group);
    lines << QStringLiteral(") t") << QStringLiteral("group by t.ac_code");
    if (variant.namedOnly)
        lines << QStringLiteral("having max(t.ac_name02) <> ''");
    lines << QStringLiteral("order by t.ac_code");
    return lines;
}

QString kindFilter(KindChoice choice)
{
    switch (choice) {
    case KindChoice::All:
        return QStringLiteral("Where Tot_Kubun like ('%' || '' || '%' )");
    case KindChoice::Customers:
        return QStringLiteral("Where Tot_Kubun like ('%' || '거래처' || '%' )");
    case KindChoice::Banks:
        return QStringLiteral("Where Tot_Kubun like ('%' || '은행명' || '%' )");
    case KindChoice::None:
        break;
    }
    return {};
}

QStringList customerAndBankStatement(KindChoice choice)
{
    QStringList lines{
        QStringLiteral("Select Tot_Code, Tot_Name, Tot_No, Tot_Kubun"),
        QStringLiteral("From ("),
        QStringLiteral("Select Sale_Code AS Tot_code, Sale_Name AS Tot_Name,"),
        QStringLiteral("Sale_Serial01 || '-' || Sale_Serial02 || '-' || Sale_Serial03 AS Tot_No,"),
        QStringLiteral("'거래처' AS Tot_Kubun"),
        QStringLiteral("From Sale_Table"),
        QStringLiteral("Where rtrim(Sale_Name) like ( :tbName )") + likeSearch,
        QStringLiteral("Union All"),
        QStringLiteral("Select Bank_Code AS Tot_code, Bank_Name AS Tot_Name,"),
        QStringLiteral("Bank_Serial AS Tot_No,"),
        QStringLiteral("'은행명' AS Tot_Kubun"),
        QStringLiteral("From Bank_Table"),
        QStringLiteral("Where rtrim(Bank_Name) like ( :tbName )") + likeSearch,
        QStringLiteral(") T"),
    };
    const QString filter = kindFilter(choice);
    if (!filter.isEmpty())
        lines << filter;
    lines << QStringLiteral("Order by Tot_Code");
    return lines;
}

QStringList employeeStatement()
{
    return {
        QStringLiteral("Select Sawon_Code, Sawon_Name,"),
        QStringLiteral("Sawon_Kubun,"),
        QStringLiteral("(Sawon_Jumin01 || '-' || Sawon_Jumin02) AS Sawon_Jumin,"),
        QStringLiteral("Sawon_Text"),
        QStringLiteral("From Sawon_Table"),
        QStringLiteral("Where Sawon_Name Like ( :tbName )") + likeSearch,
        QStringLiteral("Order By Sawon_Code"),
    };
}

// Departments, projects and items share one form over their own table.
QStringList codeTableStatement(const QString &prefix)
{
    return {
        QStringLiteral("Select %1_Code, %1_Name, %1_Text").arg(prefix),
        QStringLiteral("From %1_Table").arg(prefix),
        QStringLiteral("Where rtrim(%1_Name) like ( :tbName )").arg(prefix) + likeSearch,
        QStringLiteral("Order By %1_Code").arg(prefix),
    };
}

struct Statement
{
    QStringList lines;
    QString parameter;
    QStringList columns;
};

QStringList codeTableColumns(const QString &prefix)
{
    return {prefix + QStringLiteral("_Code"), prefix + QStringLiteral("_Name"), prefix + QStringLiteral("_Text")};
}

Statement statementFor(LookupStatement statement, KindChoice choice)
{
    const QString tbacName = QStringLiteral(":tbac_name");
    const QString tbName = QStringLiteral(":tbName");
    const QStringList accountColumns{QStringLiteral("ac_code"), QStringLiteral("ac_name01"),
                                     QStringLiteral("ac_name02")};
    switch (statement) {
    case LookupStatement::DebitAccounts:
        return {accountStatement(debitVariant), tbacName, accountColumns};
    case LookupStatement::CreditAccounts:
        return {accountStatement(creditVariant), tbacName, accountColumns};
    case LookupStatement::CustomersAndBanks:
        return {customerAndBankStatement(choice),
                tbName,
                {QStringLiteral("Tot_Code"), QStringLiteral("Tot_Name"), QStringLiteral("Tot_No"),
                 QStringLiteral("Tot_Kubun")}};
    case LookupStatement::Employees:
        return {employeeStatement(),
                tbName,
                {QStringLiteral("Sawon_Code"), QStringLiteral("Sawon_Name"), QStringLiteral("Sawon_Kubun"),
                 QStringLiteral("Sawon_Jumin"), QStringLiteral("Sawon_Text")}};
    case LookupStatement::Departments:
        return {codeTableStatement(QStringLiteral("Buser")), tbName, codeTableColumns(QStringLiteral("Buser"))};
    case LookupStatement::Projects:
        return {codeTableStatement(QStringLiteral("Project")), tbName, codeTableColumns(QStringLiteral("Project"))};
    case LookupStatement::Items:
        return {codeTableStatement(QStringLiteral("Item")), tbName, codeTableColumns(QStringLiteral("Item"))};
    }
    return {};
}

} // namespace

QString searchPattern(const QString &searchText)
{
    QString escaped;
    for (QChar c : Str_DelSpace(searchText)) {
        if (c == escapeChar || c == QLatin1Char('%') || c == QLatin1Char('_'))
            escaped += escapeChar;
        escaped += c;
    }
    return QLatin1Char('%') + escaped + QLatin1Char('%');
}

LookupResult lookup(LookupStatement statement, const QString &pattern, KindChoice choice)
{
    const Statement s = statementFor(statement, choice);
    QSqlQuery query = run(account(), s.lines, {{s.parameter, pattern}});
    LookupResult result{s.columns, {}};
    while (query.next()) {
        QStringList row;
        for (int i = 0; i < s.columns.size(); ++i)
            row << query.value(i).toString();
        result.rows.push_back(row);
    }
    return result;
}

} // namespace store
