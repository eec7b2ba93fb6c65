// jeonpyo-db: prepares the database the voucher program uses (tables, sample
// set, code tables loaded from CSV files).
#include "command.h"

#include "base/localzone.h"
#include "store/connection.h"
#include "store/csvimport.h"

#include <QGuiApplication>
#include <memory>

namespace {

using namespace dbtool;

void printHelp(QTextStream &stream)
{
    stream << QStringLiteral("사용법: jeonpyo-db 명령 [인수...]\n\n"
                             "전표 프로그램이 쓰는 데이타베이스를 준비합니다. 데이타베이스는 환경 변수\n"
                             "ACCOUNT_DB가 가리키는 SQLite 파일(경로 또는 sqlite:경로)이나 PostgreSQL 서버\n"
                             "(postgresql://사용자@호스트:포트/이름)이고, 없으면 프로그램의 기본 파일입니다.\n"
                             "지금 데이타베이스: %1\n\n명령:\n")
                  .arg(databaseName());
    for (const Command &command : commands()) {
        QString call =
            (QString::fromUtf8(command.name) + QLatin1Char(' ') + QString::fromUtf8(command.arguments)).trimmed();
        // Hangul takes two columns on a terminal, as it takes two bytes in the code page.
        // A long call has its summary on the next line, under the others.
        const int width = store::codePageWidth(call);
        call +=
            width < 24 ? QString(24 - width, QLatin1Char(' ')) : QStringLiteral("\n") + QString(26, QLatin1Char(' '));
        stream << QStringLiteral("  %1%2\n").arg(call, QString::fromUtf8(command.summary));
    }
    QStringList tables;
    for (const store::CodeTable &table : store::codeTables())
        tables << table.name;
    stream << QStringLiteral(
                  "\nimport의 테이블: %1 (대소문자 구별 없음).\n"
                  "CSV 파일의 첫 줄은 열 이름(대소문자 구별 없음, 코드 열은 꼭 있어야 함)이고, 인코딩은\n"
                  "UTF-8(BOM이 있어도 됨) 또는 CP949입니다. 모든 줄을 넣거나, 잘못된 줄이 하나라도 있으면\n"
                  "하나도 넣지 않고 잘못된 줄마다 줄 번호와 까닭을 알려 줍니다.\n\n"
                  "종료 코드:\n"
                  "  0  성공\n"
                  "  1  한 일 없음: status에서 테이블이 없음, demo에서 코드 테이블에 이미 자료가 있음,\n"
                  "     pdf와 history에서 전표나 이력이 없음, unlock에서 마감이 없음\n"
                  "  2  사용법 오류: 알 수 없는 명령이나 테이블, 인수가 틀림\n"
                  "  3  입력 파일 오류: 파일을 읽을 수 없거나 잘못된 줄이 있음 (아무것도 넣지 않음)\n"
                  "  4  데이타베이스 오류: 연결할 수 없음, 파일이나 테이블이 없음, 데이타베이스가 문장을 거부함\n"
                  "  5  전표 데이타베이스가 아니거나 손상된 파일 (파일은 바꾸지 않음)\n"
                  "  6  출력 파일 오류: 쓸 수 없는 파일이나 폴더, 가득 찬 디스크, CP949로 나타낼 수 없는 글자\n"
                  "     (아무것도 쓰지 않고, 있던 파일은 그대로 둠)\n\n"
                  "history, pdf --date, lock, export의 일자는 2001-05-30처럼 연-월-일로 씁니다. 일자가\n"
                  "날짜가 아니거나 export의 기간이 거꾸로이면 2, 이력이나 전표가 없으면 1입니다.\n"
                  "마감일자까지의 전표는 이 프로그램에서도, 다른 프로그램에서도 등록, 수정, 삭제할 수\n"
                  "없습니다. 마감과 해제, 전표 라인의 모든 변경은 데이타베이스가 변경 이력에 남깁니다.\n\n"
                  "jeonpyo-db --version은 판을 보입니다.\n")
                  .arg(tables.join(QLatin1String(", ")));
    stream.flush();
}

} // namespace

int main(int argc, char *argv[])
{
    settleLocalZone();
    // Drawing the sheet needs fonts, hence a GUI application, but never a screen.
    const bool drawing = argc > 1 && qstrcmp(argv[1], "pdf") == 0;
    if (drawing && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> app =
        drawing ? std::make_unique<QGuiApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    // The same name as the program's, so that the default database is its file.
    QCoreApplication::setApplicationName(QStringLiteral("jeonpyo"));
    // No screen holds typed input here: the messages do not say it is kept.
    store::setTypedInputKept(false);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.isEmpty()) {
        printHelp(err());
        return UsageError;
    }
    const QString name = arguments.takeFirst();
    if (name == QLatin1String("--help") || name == QLatin1String("-h") || name == QLatin1String("help")) {
        printHelp(out());
        return Success;
    }
    if (name == QLatin1String("--version") || name == QLatin1String("-v")) {
        out() << QStringLiteral("jeonpyo-db %1").arg(QStringLiteral(JEONPYO_VERSION)) << Qt::endl;
        return Success;
    }
    for (const Command &command : commands())
        if (name == QLatin1String(command.name))
            return command.run(arguments);
    err() << QStringLiteral("알 수 없는 명령입니다: '%1'. 'jeonpyo-db --help'로 사용법을 보세요.").arg(name)
          << Qt::endl;
    return UsageError;
}
