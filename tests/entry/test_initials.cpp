// The initial-consonant rules of a search text: a syllable's initial, when a
// text asks for names by initials, and which names such a text matches.
#include "base/hangul.h"

#include <QTest>

class TestInitials : public QObject
{
    Q_OBJECT

private slots:
    void eachSyllableBecomesItsInitial_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("initials");
        QTest::newRow("원재료 is ㅇㅈㄹ") << "원재료"
                                          << "ㅇㅈㄹ";
        QTest::newRow("the double initials keep their doubling") << "까따빠싸짜"
                                                                 << "ㄲㄸㅃㅆㅉ";
        QTest::newRow("the first and last syllables") << "가힣"
                                                      << "ㄱㅎ";
        QTest::newRow("a final consonant does not matter") << "각갔"
                                                           << "ㄱㄱ";
        QTest::newRow("letters, digits and signs stay") << "A_1%상사 "
                                                        << "A_1%ㅅㅅ ";
        QTest::newRow("jamo stay as they are") << "ㅇㅏㄳ"
                                               << "ㅇㅏㄳ";
    }
    void eachSyllableBecomesItsInitial()
    {
        QFETCH(QString, text);
        QTEST(hangul::initials(text), "initials");
    }

    void aTextOfInitialsIsToldFromAPlainText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("byInitials");
        QTest::newRow("initials only") << "ㅇㅈㄹ" << true;
        QTest::newRow("a syllable and an initial") << "원ㅈ" << true;
        QTest::newRow("double initials") << "ㄲㄸㅃㅆㅉ" << true;
        QTest::newRow("blanks are dropped first") << " ㅇ ㅈ " << true;
        QTest::newRow("syllables only are a plain text") << "원재료" << false;
        QTest::newRow("an initial beside a letter is a plain text") << "Aㅇ" << false;
        QTest::newRow("an initial beside a digit is a plain text") << "ㅇ1" << false;
        QTest::newRow("a vowel is no initial") << "ㅏ" << false;
        QTest::newRow("a final-only cluster is no initial") << "ㄳ" << false;
        QTest::newRow("an initial beside a vowel is a plain text") << "ㅇㅏ" << false;
        QTest::newRow("nothing is a plain text") << "" << false;
        QTest::newRow("blanks are a plain text") << "   " << false;
    }
    void aTextOfInitialsIsToldFromAPlainText()
    {
        QFETCH(QString, text);
        QTEST(hangul::isInitialsPattern(text), "byInitials");
    }

    void aTextOfInitialsMatchesSyllableBySyllable_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("matches");
        QTest::newRow("ㅇㅈㄹ finds 원재료") << "원재료"
                                             << "ㅇㅈㄹ" << true;
        QTest::newRow("ㅇㅈㄹ finds 원자료") << "원자료"
                                             << "ㅇㅈㄹ" << true;
        QTest::newRow("ㅇㅈㄹ finds it inside a longer name") << "기초원재료재고액"
                                                              << "ㅇㅈㄹ" << true;
        QTest::newRow("원ㅈ finds 원재료") << "원재료"
                                           << "원ㅈ" << true;
        QTest::newRow("원ㅈ does not find 운재료") << "운재료"
                                                   << "원ㅈ" << false;
        QTest::newRow("the initials must be next to each other") << "원가재료"
                                                                 << "ㅇㅈ" << false;
        QTest::newRow("an initial finds the jamo itself") << "ㅇ재료"
                                                          << "ㅇㅈ" << true;
        QTest::newRow("ㄱ does not find a syllable of ㄲ") << "까치"
                                                           << "ㄱㅊ" << false;
        QTest::newRow("ㄲ finds a syllable of ㄲ") << "까치"
                                                   << "ㄲㅊ" << true;
        QTest::newRow("ㅆ does not find a syllable of ㅅ") << "상사"
                                                           << "ㅆ" << false;
        QTest::newRow("a blank in the name is a character") << "원 재료"
                                                            << "ㅇㅈ" << false;
        QTest::newRow("a blank in the pattern is dropped") << "원재료"
                                                           << "ㅇ ㅈ" << true;
        QTest::newRow("a pattern longer than the name") << "원"
                                                        << "ㅇㅈ" << false;
    }
    void aTextOfInitialsMatchesSyllableBySyllable()
    {
        QFETCH(QString, name);
        QFETCH(QString, pattern);
        QTEST(hangul::matchesInitials(name, pattern), "matches");
    }
};

QTEST_GUILESS_MAIN(TestInitials)
#include "test_initials.moc"
