#include "app/commandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

const QString helpName = QStringLiteral("help");
const QString versionName = QStringLiteral("version");
const QString databaseName = QStringLiteral("database");

QString helpText()
{
    return QStringLiteral("사용법: jeonpyo [--database URI]\n\n"
                          "대체전표를 등록, 수정, 삭제하고 출력하는 프로그램입니다.\n\n"
                          "선택 사항:\n"
                          "  -h, --help          이 도움말을 보이고 끝냅니다\n"
                          "  -v, --version       판을 보이고 끝냅니다\n"
                          "  --database URI      이 데이타베이스를 씁니다 (ACCOUNT_DB 대신):\n"
                          "                      SQLite 파일의 경로나 sqlite:경로, 또는\n"
                          "                      postgresql://사용자@호스트:포트/이름\n\n"
                          "--database도 ACCOUNT_DB도 없으면 기본 파일\n"
                          "~/.local/share/jeonpyo/account.db를 씁니다.\n"
                          "Qt의 선택 사항(-style, -platform 등)도 받습니다.\n");
}

} // namespace

StartChoice readCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{QStringLiteral("h"), helpName});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), versionName});
    const QCommandLineOption database(databaseName, {}, QStringLiteral("URI"));
    parser.addOptions({help, version, database});
    StartChoice choice;
    if (!parser.parse(arguments)) {
        choice.action = StartChoice::Refuse;
        const QStringList unknown = parser.unknownOptionNames();
        choice.text = unknown.isEmpty()
                          ? QStringLiteral("--database 뒤에 데이타베이스를 주십시오.")
                          : QStringLiteral("알 수 없는 선택 사항입니다: %1").arg(unknown.join(QStringLiteral(", ")));
        choice.text += QStringLiteral(" 'jeonpyo --help'로 사용법을 보세요.");
        return choice;
    }
    if (!parser.positionalArguments().isEmpty()) {
        choice.action = StartChoice::Refuse;
        choice.text = QStringLiteral("알 수 없는 인수입니다: %1 'jeonpyo --help'로 사용법을 보세요.")
                          .arg(parser.positionalArguments().join(QLatin1Char(' ')));
        return choice;
    }
    if (parser.isSet(help)) {
        choice.action = StartChoice::PrintHelp;
        choice.text = helpText();
    } else if (parser.isSet(version)) {
        choice.action = StartChoice::PrintVersion;
        choice.text = QStringLiteral("jeonpyo %1\n").arg(QStringLiteral(JEONPYO_VERSION));
    } else if (parser.isSet(database)) {
        choice.database = parser.value(database);
        if (choice.database.trimmed().isEmpty()) {
            choice.database.clear();
            choice.action = StartChoice::Refuse;
            choice.text =
                QStringLiteral("--database 뒤에 데이타베이스를 주십시오. 'jeonpyo --help'로 사용법을 보세요.");
        }
    }
    return choice;
}

bool asksOnlyForText(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "-h" || argument == "--help" || argument == "-v" || argument == "--version")
            return true;
    }
    return false;
}

bool installQtTranslations(const QLocale &locale)
{
    if (locale.language() != QLocale::Korean)
        return false;
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(locale, QStringLiteral("qt"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}
