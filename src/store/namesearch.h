#pragma once
// How a clerk's search text is matched against a name column, for every
// statement that searches names (the seven search dialogs, the voucher
// finder). A text of initial consonants (ㅇㅈㄹ, or 원ㅈ mixing syllables and
// initials) matches names syllable by syllable; any other text is looked for
// literally, its blanks dropped, as the searches always did. A literal text
// with three letters or digits in a row is looked up in the trigram index of
// a searched name (schema.h) where the store has one; the like on the name
// still decides, so the rows are those of a reading of every name.
#include "store/schema.h"
#include "store/sqlrun.h"

#include <QSqlDatabase>
#include <QString>

namespace store {

class Dialect;

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
    // A literal search for a pattern already made by searchPattern(); with a
    // connection it may go through the trigram indexes of the searched names.
    static NameSearch literal(const QString &likePattern);
    static NameSearch literal(QSqlDatabase db, const QString &likePattern);

    bool byInitials() const { return m_byInitials; }
    bool byTrigrams() const { return m_byTrigrams; }
    // The condition that the text `column` (a column or an expression over one)
    // matches; it refers to `parameter`, which may be used by several conditions.
    QString condition(const QString &column, const QString &parameter) const;
    // The value bound to that parameter.
    QString value() const { return m_value; }

    // The condition that a searched name matches, on its table's rows: through
    // its trigram index when the search goes that way, and never through it
    // when it does not.
    QString nameCondition(const SearchedName &name, const QString &parameter) const;
    // A condition that narrows the table's rows to those the trigram index
    // offers, for a statement that tests nameCondition() under "or"; empty
    // when the search does not go that way.
    QString candidates(const SearchedName &name, const QString &parameter) const;
    // Both, for a statement that tests the name once.
    QString tableCondition(const SearchedName &name, const QString &parameter) const;
    // The values those conditions bind: `parameter`'s, and the trigram text's.
    Params params(const QString &parameter) const;

private:
    NameSearch() = default;

    const Dialect *m_dialect = nullptr;
    bool m_byInitials = false;
    bool m_byTrigrams = false;
    QString m_value;
    QString m_trigramText; // bound to trigramParameter, when not empty
    QString m_holds;       // a condition with the placeholders %1 (column) and %2 (parameter)
};

// One condition on one column, with its parameter bound: the finder's form.
SqlCondition nameCondition(QSqlDatabase db, const QString &column, const QString &searchText, const QString &parameter);

} // namespace store
