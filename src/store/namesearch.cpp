#include "store/namesearch.h"

#include "base/hangul.h"
#include "base/text.h"
#include "store/dialect.h"
#include "store/lookups.h"

namespace store {

namespace {

// Each initial becomes the class of itself and its syllables; a syllable
// stands for itself. Neither engine gives Hangul a special meaning.
QString initialsSequence(const QString &searchText)
{
    QString sequence;
    for (QChar c : Str_DelSpace(searchText)) {
        if (!hangul::isInitial(c)) {
            sequence += c;
            continue;
        }
        const hangul::SyllableRange range = hangul::syllablesOf(c);
        sequence += QLatin1Char('[') + c + range.first + QLatin1Char('-') + range.last + QLatin1Char(']');
    }
    return sequence;
}

} // namespace

NameSearch::NameSearch(QSqlDatabase db, const QString &searchText)
{
    if (!hangul::isInitialsPattern(searchText)) {
        *this = literal(searchPattern(searchText));
        return;
    }
    const Dialect &dialect = Dialect::of(db);
    m_byInitials = true;
    m_value = dialect.sequencePattern(initialsSequence(searchText));
    m_holds = dialect.holdsSequence(QStringLiteral("%1"), QStringLiteral("%2"));
}

NameSearch NameSearch::literal(const QString &likePattern)
{
    NameSearch search;
    search.m_value = likePattern;
    // The escape character is the one searchPattern() writes.
    search.m_holds = QStringLiteral("%1 like (%2) escape '!'");
    return search;
}

QString NameSearch::condition(const QString &column, const QString &parameter) const
{
    return m_holds.arg(column, parameter);
}

SqlCondition nameCondition(QSqlDatabase db, const QString &column, const QString &searchText, const QString &parameter)
{
    const NameSearch search(db, searchText);
    return {search.condition(column, parameter), {{parameter, search.value()}}};
}

} // namespace store
