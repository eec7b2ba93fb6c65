#pragma once
// The search statements as they read before the account searches were folded
// into one pass and the name comparisons lost their rtrim(): the reference the
// rewritten statements must agree with, row for row, on any data.
#include "store/connection.h"
#include "store/lookups.h"
#include "store/sqlrun.h"

#include <QSqlQuery>
#include <QStringList>
#include <vector>

namespace earlier {

struct Group
{
    QString label;
    QString code;
};

struct AccountVariant
{
    QString nameGroups;
    QString codeJoin;
    QString nameCodes;
    QString inventoryCodes;
    std::vector<Group> groups;
    bool namedOnly;
};

inline const QString likeSearch = QStringLiteral(" escape '!'");
inline const QString noCompanyAccounts = QStringLiteral("('%' || '회사설정계정' || '%')");

inline AccountVariant debitVariant()
{
    return {QStringLiteral("'10102','40301','40302','40303','40304','40305','40401','40402'"),
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
            false};
}

inline AccountVariant creditVariant()
{
    return {QStringLiteral("'40302','40401','40402','40403','40404'"),
            QStringLiteral("or"),
            QStringLiteral("'10102001000','10102005000','10102008000', '10102017000','10102024000'"),
            QStringLiteral("'10102001000','10102005000','10102008000', '10102017000','10102024000'"),
            {{QStringLiteral("03재고자산"), QStringLiteral("10102")},
             {QStringLiteral("18제조"), QStringLiteral("40302")},
             {QStringLiteral("22제조원가"), QStringLiteral("40401")},
             {QStringLiteral("23부재료비"), QStringLiteral("40402")},
             {QStringLiteral("24노무비"), QStringLiteral("40403")},
             {QStringLiteral("25제조경비"), QStringLiteral("40404")}},
            true};
}

inline QStringList accountStatement(const AccountVariant &variant)
{
    QStringList lines{
        QStringLiteral("select t.ac_code, max(t.ac_name01) AS ac_name01, max(t.ac_name02) AS ac_name02"),
        QStringLiteral("from ("),
        QStringLiteral("select '01전체합계란' AS tt, ac_code, rtrim(ac_name) AS ac_name01, '' AS ac_name02"),
        QStringLiteral("from test_ac_code"),
        QStringLiteral("where code_kubun = 'SSSSS' and ac_name not like ") + noCompanyAccounts,
        QStringLiteral("and (a_kubun || b_kubun || c_kubun) in (%1)").arg(variant.nameGroups),
        QStringLiteral("and ac_name like (:tbac_name)") + likeSearch,
        QStringLiteral("%1 ac_code in (%2)").arg(variant.codeJoin, variant.nameCodes),
    };
    for (const Group &group : variant.groups) {
        lines << QStringLiteral("union all")
              << QStringLiteral("select '%1' AS tt, ac_code, '' AS ac_name01, bigo AS ac_name02").arg(group.label)
              << QStringLiteral("from test_ac_code")
              << QStringLiteral("where (a_kubun || b_kubun || c_kubun) = '%1' and code_kubun = 'SSSSS'").arg(group.code)
              << QStringLiteral("and ac_name not like ") + noCompanyAccounts
              << QStringLiteral("and ac_name like (:tbac_name)") + likeSearch;
        if (group.code == QLatin1String("10102"))
            lines << QStringLiteral("and ac_code in (%1)").arg(variant.inventoryCodes);
    }
    lines << QStringLiteral(") t") << QStringLiteral("group by t.ac_code");
    if (variant.namedOnly)
        lines << QStringLiteral("having max(t.ac_name02) <> ''");
    lines << QStringLiteral("order by t.ac_code");
    return lines;
}

inline QStringList customerAndBankStatement()
{
    return {
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
        QStringLiteral("Where Tot_Kubun like ('%' || '' || '%' )"),
        QStringLiteral("Order by Tot_Code"),
    };
}

inline QStringList employeeStatement()
{
    return {
        QStringLiteral("Select Sawon_Code, Sawon_Name, Sawon_Kubun,"),
        QStringLiteral("(Sawon_Jumin01 || '-' || Sawon_Jumin02) AS Sawon_Jumin, Sawon_Text"),
        QStringLiteral("From Sawon_Table"),
        QStringLiteral("Where Sawon_Name Like ( :tbName )") + likeSearch,
        QStringLiteral("Order By Sawon_Code"),
    };
}

inline QStringList codeTableStatement(const QString &prefix)
{
    return {
        QStringLiteral("Select %1_Code, %1_Name, %1_Text").arg(prefix),
        QStringLiteral("From %1_Table").arg(prefix),
        QStringLiteral("Where rtrim(%1_Name) like ( :tbName )").arg(prefix) + likeSearch,
        QStringLiteral("Order By %1_Code").arg(prefix),
    };
}

// The earlier statement's rows for a pattern, each as its columns joined by "|"
// (the customer and bank search with every kind, as the dialog opens).
inline QStringList rows(store::LookupStatement statement, const QString &pattern)
{
    QStringList lines;
    QString parameter = QStringLiteral(":tbName");
    int columns = 3;
    switch (statement) {
    case store::LookupStatement::DebitAccounts:
        lines = accountStatement(debitVariant()), parameter = QStringLiteral(":tbac_name");
        break;
    case store::LookupStatement::CreditAccounts:
        lines = accountStatement(creditVariant()), parameter = QStringLiteral(":tbac_name");
        break;
    case store::LookupStatement::CustomersAndBanks:
        lines = customerAndBankStatement(), columns = 4;
        break;
    case store::LookupStatement::Employees:
        lines = employeeStatement(), columns = 5;
        break;
    case store::LookupStatement::Departments:
        lines = codeTableStatement(QStringLiteral("Buser"));
        break;
    case store::LookupStatement::Projects:
        lines = codeTableStatement(QStringLiteral("Project"));
        break;
    case store::LookupStatement::Items:
        lines = codeTableStatement(QStringLiteral("Item"));
        break;
    }
    QSqlQuery query = store::run(store::account(), lines, {{parameter, pattern}});
    QStringList found;
    while (query.next()) {
        QStringList row;
        for (int i = 0; i < columns; ++i)
            row << query.value(i).toString();
        found << row.join(QLatin1Char('|'));
    }
    return found;
}

} // namespace earlier
