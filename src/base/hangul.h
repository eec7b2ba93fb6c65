#pragma once
// The initial-consonant (초성) rules of Hangul texts: what a syllable's initial
// is, and when a clerk's search text asks for names by their initials
// (ㅇㅈㄹ for 원재료, or 원ㅈ mixing syllables and initials). Pure text rules;
// the store turns a pattern into a condition of its engine.
#include <QChar>
#include <QString>
#include <vector>

namespace hangul {

// One of the nineteen initial consonants as the keyboard gives it (ㄱ ㄲ ㄴ ㄷ
// ㄸ ㄹ ㅁ ㅂ ㅃ ㅅ ㅆ ㅇ ㅈ ㅉ ㅊ ㅋ ㅌ ㅍ ㅎ, the compatibility jamo).
bool isInitial(QChar c);
// A precomposed Hangul syllable (가 .. 힣).
bool isSyllable(QChar c);

// The initial consonant of a syllable (원 → ㅇ, 까 → ㄲ); any other character
// is its own initial.
QChar initialOf(QChar c);
// The text with every syllable replaced by its initial: 원재료 → ㅇㅈㄹ.
QString initials(const QString &text);

// The first and last syllable that begin with an initial consonant (ㅈ → 자, 짛).
struct SyllableRange
{
    QChar first;
    QChar last;
};
SyllableRange syllablesOf(QChar initial);

// Whether a search text, its blanks dropped, asks for names by initials: it
// holds at least one initial consonant and otherwise only syllables. Any other
// text (letters, digits, signs, vowels, no initial at all) is a plain search.
bool isInitialsPattern(const QString &searchText);

// Whether a name holds the pattern syllable by syllable: somewhere in it, each
// initial of the pattern meets a syllable beginning with it (or that consonant
// itself) and each syllable of the pattern meets itself. What the store's
// statements compute; kept here as the rule's own statement.
bool matchesInitials(const QString &name, const QString &pattern);

} // namespace hangul
