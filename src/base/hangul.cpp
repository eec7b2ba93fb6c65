#include "base/hangul.h"

#include "base/text.h"

namespace hangul {

namespace {

constexpr char16_t firstSyllable = 0xAC00; // 가
constexpr char16_t lastSyllable = 0xD7A3;  // 힣
constexpr int syllablesPerInitial = 21 * 28;

// The initials in the order of the syllable table (가 까 나 다 따 ...).
constexpr char16_t initialJamo[] = {0x3131, 0x3132, 0x3134, 0x3137, 0x3138, 0x3139, 0x3141, 0x3142, 0x3143, 0x3145,
                                    0x3146, 0x3147, 0x3148, 0x3149, 0x314A, 0x314B, 0x314C, 0x314D, 0x314E};

int initialIndex(QChar c)
{
    for (int i = 0; i < int(std::size(initialJamo)); ++i)
        if (c.unicode() == initialJamo[i])
            return i;
    return -1;
}

} // namespace

bool isInitial(QChar c)
{
    return initialIndex(c) >= 0;
}

bool isSyllable(QChar c)
{
    return c.unicode() >= firstSyllable && c.unicode() <= lastSyllable;
}

QChar initialOf(QChar c)
{
    if (!isSyllable(c))
        return c;
    return QChar(initialJamo[(c.unicode() - firstSyllable) / syllablesPerInitial]);
}

QString initials(const QString &text)
{
    QString result;
    result.reserve(text.size());
    for (QChar c : text)
        result.append(initialOf(c));
    return result;
}

SyllableRange syllablesOf(QChar initial)
{
    const int index = initialIndex(initial);
    if (index < 0)
        return {initial, initial};
    const auto first = char16_t(firstSyllable + index * syllablesPerInitial);
    return {QChar(first), QChar(char16_t(first + syllablesPerInitial - 1))};
}

bool isInitialsPattern(const QString &searchText)
{
    bool anyInitial = false;
    for (QChar c : Str_DelSpace(searchText)) {
        if (isInitial(c))
            anyInitial = true;
        else if (!isSyllable(c))
            return false;
    }
    return anyInitial;
}

bool matchesInitials(const QString &name, const QString &pattern)
{
    const QString wanted = Str_DelSpace(pattern);
    for (qsizetype start = 0; start + wanted.size() <= name.size(); ++start) {
        bool all = true;
        for (qsizetype i = 0; i < wanted.size() && all; ++i) {
            const QChar n = name[start + i];
            all = isInitial(wanted[i]) ? initialOf(n) == wanted[i] : n == wanted[i];
        }
        if (all)
            return true;
    }
    return false;
}

} // namespace hangul
