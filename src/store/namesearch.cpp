#include "store/namesearch.h"

#include "base/hangul.h"
#include "base/text.h"
#include "store/dialect.h"
#include "store/lookups.h"

#include <algorithm>

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

const QString trigramParameter = QStringLiteral(":tbTrigram");

// The literal text of a pattern made by searchPattern() when the trigram
// indexes can look it up: three letters or digits in a row (from which both
// engines make trigrams) and nothing that like reads as a wildcard or an
// escape; an empty text otherwise.
QString trigramTextOf(const QString &likePattern)
{
    if (likePattern.size() < 2 || !likePattern.startsWith(QLatin1Char('%')) || !likePattern.endsWith(QLatin1Char('%')))
        return {};
    const QString text = likePattern.mid(1, likePattern.size() - 2);
    int run = 0;
    int longest = 0;
    for (const char32_t c : text.toUcs4()) {
        if (c == U'%' || c == U'_' || c == U'!')
            return {};
        run = QChar::isLetterOrNumber(c) ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest >= 3 ? text : QString();
}

} // namespace

NameSearch::NameSearch(QSqlDatabase db, const QString &searchText)
{
    if (!hangul::isInitialsPattern(searchText)) {
        *this = literal(db, searchPattern(searchText));
        return;
    }
    const Dialect &dialect = Dialect::of(db);
    m_dialect = &dialect;
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

NameSearch NameSearch::literal(QSqlDatabase db, const QString &likePattern)
{
    NameSearch search = literal(likePattern);
    const Dialect &dialect = Dialect::of(db);
    search.m_dialect = &dialect;
    const QString text = trigramTextOf(likePattern);
    if (!text.isEmpty() && dialect.hasTrigrams(db, trigramIndexes())) {
        search.m_byTrigrams = true;
        search.m_trigramText = dialect.trigramText(text);
    }
    return search;
}

QString NameSearch::condition(const QString &column, const QString &parameter) const
{
    return m_holds.arg(column, parameter);
}

QString NameSearch::nameCondition(const SearchedName &name, const QString &parameter) const
{
    if (m_byTrigrams || !m_dialect)
        return condition(name.column, parameter);
    return condition(m_dialect->withoutTrigrams(name.column), parameter);
}

QString NameSearch::candidates(const SearchedName &name, const QString &parameter) const
{
    if (!m_byTrigrams)
        return {};
    if (m_trigramText.isEmpty()) // the like on the name is what the index serves
        return nameCondition(name, parameter);
    return m_dialect->trigramCandidates(name.trigrams, trigramParameter);
}

QString NameSearch::tableCondition(const SearchedName &name, const QString &parameter) const
{
    const QString matches = nameCondition(name, parameter);
    const QString narrowed = candidates(name, parameter);
    return narrowed.isEmpty() || narrowed == matches ? matches : matches + QStringLiteral(" and ") + narrowed;
}

Params NameSearch::params(const QString &parameter) const
{
    Params params{{parameter, m_value}};
    if (m_byTrigrams && !m_trigramText.isEmpty())
        params.emplace_back(trigramParameter, m_trigramText);
    return params;
}

SqlCondition nameCondition(QSqlDatabase db, const QString &column, const QString &searchText, const QString &parameter)
{
    const NameSearch search(db, searchText);
    return {search.condition(column, parameter), {{parameter, search.value()}}};
}

} // namespace store
