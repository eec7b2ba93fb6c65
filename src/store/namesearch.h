#pragma once
// How a clerk's search text is matched against a name column, for every
// statement that searches names (the seven search dialogs, the voucher
// finder). A text of initial consonants (ㅇㅈㄹ, or 원ㅈ mixing syllables and
// initials) matches names syllable by syllable; any other text is looked for
// literally, its blanks dropped, as the searches always did.
#include "store/sqlrun.h"

#include <QSqlDatabase>
#include <QString>

namespace store {

// A condition of a statement and the values it binds.
struct SqlCondition
{
    QString sql;
    Params params;
};

class NameSearch
{
public:
    // The search for a text as the clerk typed it, on the engine of db.
    NameSearch(QSqlDatabase db, const QString &searchText);
    // A literal search for a pattern already made by searchPattern().
    static NameSearch literal(const QString &likePattern);

    bool byInitials() const { return m_byInitials; }
    // The condition that the text `column` (a column or an expression over one)
    // matches; it refers to `parameter`, which may be used by several conditions.
    QString condition(const QString &column, const QString &parameter) const;
    // The value bound to that parameter.
    QString value() const { return m_value; }

private:
    NameSearch() = default;

    bool m_byInitials = false;
    QString m_value;
    QString m_holds; // a condition with the placeholders %1 (column) and %2 (parameter)
};

// One condition on one column, with its parameter bound: the finder's form.
SqlCondition nameCondition(QSqlDatabase db, const QString &column, const QString &searchText, const QString &parameter);

} // namespace store
