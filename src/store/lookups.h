#pragma once
// The seven search statements behind the search dialogs: accounts for the
// debit line and for the credit line, customers and banks, employees,
// departments, projects and management items. Read only; values in, rows out.
#include <QString>
#include <QStringList>
#include <vector>

namespace store {

enum class LookupStatement {
    DebitAccounts,     // tbac_name
    CreditAccounts,    // tbac_name
    CustomersAndBanks, // tbName, filtered by the kind chooser
    Employees,         // tbName
    Departments,       // tbName
    Projects,          // tbName
    Items,             // tbName
};

// The kind chooser of the customer and bank search: its three entries, or no
// entry selected (then no filter line at all).
enum class KindChoice { None, All, Customers, Banks };

// The rows of a search in the statement's order. Column names are those the
// statement gives (the server may report them in another case).
struct LookupResult
{
    QStringList columns;
    std::vector<QStringList> rows;
};

// The pattern bound for a search text: its blanks removed, between two "%".
// "%", "_" and the escape character typed by the clerk stand for themselves,
// so that a search finds the names containing the text and nothing else.
QString searchPattern(const QString &searchText);

// Runs a statement with a pattern from searchPattern(). The kind choice is read
// by CustomersAndBanks only. Throws AppError when the database refuses.
LookupResult lookup(LookupStatement statement, const QString &pattern, KindChoice choice = KindChoice::All);
// Runs a statement for a search text as the clerk typed it: a text of initial
// consonants (ㅇㅈㄹ, 원ㅈ) finds names syllable by syllable, any other text
// is searched as through searchPattern().
LookupResult lookupText(LookupStatement statement, const QString &searchText, KindChoice choice = KindChoice::All);

} // namespace store
