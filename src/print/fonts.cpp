#include "print/fonts.h"

#include <QFont>
#include <QStringList>

namespace print {

void installKoreanFonts()
{
    // In order of preference; the first one installed is used.
    const QStringList korean = {QStringLiteral("NanumGothic"), QStringLiteral("Noto Sans CJK KR"),
                                QStringLiteral("UnDotum"), QStringLiteral("Baekmuk Gulim")};
    QFont::insertSubstitutions(QStringLiteral("굴림"), korean);
}

} // namespace print
