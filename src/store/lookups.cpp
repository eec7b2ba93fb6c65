#include "store/lookups.h"

#include "base/text.h"
#include "store/connection.h"
#include "store/namesearch.h"
#include "store/sqlrun.h"

#include <QSqlRecord>

namespace store {

namespace {

// The clerk's "%" and "_" are matched literally through this escape character.
// It is not the backslash, whose meaning in string literals differs by server.
constexpr QChar escapeChar = QLatin1Char('!');

const QString tbacName = QStringLiteral(":tbac_name");
const QString tbName = QStringLiteral(":tbName");

const QString noCompanyAccounts = QStringLiteral("('%' || '회사설정계정' || '%')");

// What distinguishes the debit-line account search from the credit-line one.
struct AccountVariant
{
    QString nameGroups;     // the groups whose matching accounts are named
    QString codeJoin;       // "and" or "or": how the code list joins them
    QString nameCodes;      // the listed codes named
    QString inventoryCodes; // the inventories that the inventory group takes
    QString groups;         // the groups whose matching accounts are classified
    bool namedOnly;         // only accounts with a classification
};

const AccountVariant debitVariant{
    QStringLiteral("'10102','40301','40302','40303','40304','40305','40401','40402'"),
    QStringLiteral("and"),
    QStringLiteral("'10102005000','10102008000', '10102017000','10102024000', "
                   "'40301001000','40302004000','40304001000', '40401001000','40402001000'"),
    QStringLiteral("'10102005000','10102008000', '10102017000','10102024000'"),
    QStringLiteral("'10102','40301','40302','40304','40401','40402'"),
    false,
};

// The "or" stands unbracketed after the and-chain, so the five inventory
// accounts are always named; still only the accounts a group classifies are
// offered.
const AccountVariant creditVariant{
    QStringLiteral("'40302','40401','40402','40403','40404'"),
    QStringLiteral("or"),
    QStringLiteral("'10102001000','10102005000','10102008000', '10102017000','10102024000'"),
    QStringLiteral("'10102001000','10102005000','10102008000', '10102017000','10102024000'"),
    QStringLiteral("'10102','40302','40401','40402','40403','40404'"),
    true,
};

// The group code of an account: its three kubun columns joined, as indexed.
const QString groupOf = QStringLiteral("(a_kubun || b_kubun || c_kubun)");

// An account the name branch finds: a named group's account whose name
// matches, joined by "and" or "or" to the listed codes. The "or" stands
// unbracketed after the and-chain, so the listed accounts always qualify.
QString nameHit(const AccountVariant &variant, const QString &nameMatches)
{
    return QStringLiteral("((code_kubun = 'SSSSS' and ac_name not like %1 and %2 in (%3) and %4) %5 ac_code in (%6))")
        .arg(noCompanyAccounts, groupOf, variant.nameGroups, nameMatches, variant.codeJoin, variant.nameCodes);
}

// An account a group branch finds: one of the listed groups' accounts whose
// name matches; of the inventories, only the listed codes.
QString groupHit(const AccountVariant &variant, const QString &nameMatches)
{
    return QStringLiteral("(%1 in (%2) and code_kubun = 'SSSSS' and ac_name not like %3 and %4 "
                          "and (%1 <> '10102' or ac_code in (%5)))")
        .arg(groupOf, variant.groups, noCompanyAccounts, nameMatches, variant.inventoryCodes);
}

// One row per account found by the name branch or a group branch: the name
// when the name branch found it, the classification when a group did. One
// read of the named groups and the listed codes; the credit line keeps only
// the accounts a group found with a classification.
QStringList accountStatement(const AccountVariant &variant, const NameSearch &search)
{
    const SearchedName &name = *searchedName(QStringLiteral("test_ac_code"));
    const QString nameMatches = search.nameCondition(name, tbacName);
    const QString byName = nameHit(variant, nameMatches);
    const QString byGroup = groupHit(variant, nameMatches);
    QStringList groups{variant.nameGroups, variant.groups};
    QStringList lines{
        QStringLiteral("select ac_code, case when %1 then rtrim(ac_name) else '' end AS ac_name01,").arg(byName),
        QStringLiteral("case when %1 then bigo else '' end AS ac_name02").arg(byGroup),
        QStringLiteral("from test_ac_code"),
        QStringLiteral("where (%1 in (%2) or ac_code in (%3))")
            .arg(groupOf, groups.join(QLatin1Char(',')), variant.nameCodes),
    };
    // Every account listed has a matching name: the trigram index narrows the
    // accounts read to those whose names may match.
    const QString candidates = search.candidates(name, tbacName);
    if (!candidates.isEmpty())
        lines << QStringLiteral("and ") + candidates;
    if (variant.namedOnly)
        lines << QStringLiteral("and %1 and bigo <> ''").arg(byGroup);
    else
        lines << QStringLiteral("and (%1 or %2)").arg(byName, byGroup);
    lines << QStringLiteral("order by ac_code");
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

QStringList customerAndBankStatement(KindChoice choice, const NameSearch &search)
{
    QStringList lines{
        QStringLiteral("Select Tot_Code, Tot_Name, Tot_No, Tot_Kubun"),
        QStringLiteral("From ("),
        QStringLiteral("Select Sale_Code AS Tot_code, Sale_Name AS Tot_Name,"),
        QStringLiteral("Sale_Serial01 || '-' || Sale_Serial02 || '-' || Sale_Serial03 AS Tot_No,"),
        QStringLiteral("'거래처' AS Tot_Kubun"),
        QStringLiteral("From Sale_Table"),
        QStringLiteral("Where ") + search.tableCondition(*searchedName(QStringLiteral("Sale_Table")), tbName),
        QStringLiteral("Union All"),
        QStringLiteral("Select Bank_Code AS Tot_code, Bank_Name AS Tot_Name,"),
        QStringLiteral("Bank_Serial AS Tot_No,"),
        QStringLiteral("'은행명' AS Tot_Kubun"),
        QStringLiteral("From Bank_Table"),
        QStringLiteral("Where ") + search.tableCondition(*searchedName(QStringLiteral("Bank_Table")), tbName),
        QStringLiteral(") T"),
    };
    const QString filter = kindFilter(choice);
    if (!filter.isEmpty())
        lines << filter;
    lines << QStringLiteral("Order by Tot_Code");
    return lines;
}

QStringList employeeStatement(const NameSearch &search)
{
    return {
        QStringLiteral("Select Sawon_Code, Sawon_Name,"),
        QStringLiteral("Sawon_Kubun,"),
        QStringLiteral("(Sawon_Jumin01 || '-' || Sawon_Jumin02) AS Sawon_Jumin,"),
        QStringLiteral("Sawon_Text"),
        QStringLiteral("From Sawon_Table"),
        QStringLiteral("Where ") + search.tableCondition(*searchedName(QStringLiteral("Sawon_Table")), tbName),
        QStringLiteral("Order By Sawon_Code"),
    };
}

// Departments, projects and items share one form over their own table.
QStringList codeTableStatement(const QString &prefix, const NameSearch &search)
{
    return {
        QStringLiteral("Select %1_Code, %1_Name, %1_Text").arg(prefix),
        QStringLiteral("From %1_Table").arg(prefix),
        QStringLiteral("Where ") + search.tableCondition(*searchedName(prefix + QStringLiteral("_Table")), tbName),
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

Statement statementFor(LookupStatement statement, KindChoice choice, const NameSearch &search)
{
    const QStringList accountColumns{QStringLiteral("ac_code"), QStringLiteral("ac_name01"),
                                     QStringLiteral("ac_name02")};
    switch (statement) {
    case LookupStatement::DebitAccounts:
        return {accountStatement(debitVariant, search), tbacName, accountColumns};
    case LookupStatement::CreditAccounts:
        return {accountStatement(creditVariant, search), tbacName, accountColumns};
    case LookupStatement::CustomersAndBanks:
        return {customerAndBankStatement(choice, search),
                tbName,
                {QStringLiteral("Tot_Code"), QStringLiteral("Tot_Name"), QStringLiteral("Tot_No"),
                 QStringLiteral("Tot_Kubun")}};
    case LookupStatement::Employees:
        return {employeeStatement(search),
                tbName,
                {QStringLiteral("Sawon_Code"), QStringLiteral("Sawon_Name"), QStringLiteral("Sawon_Kubun"),
                 QStringLiteral("Sawon_Jumin"), QStringLiteral("Sawon_Text")}};
    case LookupStatement::Departments:
        return {codeTableStatement(QStringLiteral("Buser"), search), tbName, codeTableColumns(QStringLiteral("Buser"))};
    case LookupStatement::Projects:
        return {codeTableStatement(QStringLiteral("Project"), search), tbName,
                codeTableColumns(QStringLiteral("Project"))};
    case LookupStatement::Items:
        return {codeTableStatement(QStringLiteral("Item"), search), tbName, codeTableColumns(QStringLiteral("Item"))};
    }
    return {};
}

LookupResult runLookup(LookupStatement statement, KindChoice choice, const NameSearch &search)
{
    const Statement s = statementFor(statement, choice, search);
    // Read around the driver: the customers' 5,040 rows of "상사" are 20,000
    // values that the driver would each make a variant of.
    const Rows found = read(accountToRead(), s.lines, search.params(s.parameter));
    LookupResult result{s.columns, {}};
    result.rows.reserve(found.size());
    for (size_t r = 0; r < found.size(); ++r) {
        QStringList row;
        row.reserve(s.columns.size());
        for (int i = 0; i < s.columns.size(); ++i)
            row << found.text(r, i);
        result.rows.push_back(row);
    }
    return result;
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
    return runLookup(statement, choice, NameSearch::literal(accountToRead(), pattern));
}

LookupResult lookupText(LookupStatement statement, const QString &searchText, KindChoice choice)
{
    return runLookup(statement, choice, NameSearch(accountToRead(), searchText));
}

} // namespace store
