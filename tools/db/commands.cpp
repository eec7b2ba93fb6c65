#include "command.h"

#include "base/error.h"
#include "store/connection.h"
#include "store/ledgerbook.h"

#include <QFileInfo>

namespace dbtool {

const QList<Command> &commands()
{
    static const QList<Command> table = {
        {"init", "", "테이블을 만듭니다. 이미 있으면 아무것도 바꾸지 않습니다.", runInit},
        {"status", "", "테이블이 있는지 알려 줍니다 (있으면 0, 없으면 1, 전표 데이타베이스가 아니면 5).", runStatus},
        {"demo", "", "비어 있는 코드 테이블에 보기 자료를 넣습니다.", runDemo},
        {"import", "테이블 파일.csv", "코드 테이블 하나를 CSV 파일에서 가져옵니다.", runImport},
        {"pdf", "전표번호 파일.pdf", "저장된 전표의 대체전표를 PDF 파일로 만듭니다 (없으면 1).", runPdf},
        {"pdf", "--date 일자 [--branch 지점코드] 파일.pdf",
         "그 날의 전표를 번호 순서로 한 장씩 PDF 파일 하나에 담습니다 (없으면 1).", runPdf},
        {"history", "전표번호 | --date 일자", "전표 라인의 변경 이력을 보입니다 (없으면 1).", runHistory},
        {"lock", "[마감일자]", "그 날짜까지(그날 포함) 전표를 바꿀 수 없게 마감합니다. 날짜 없이: 마감 상태와 이력.",
         runLock},
        {"unlock", "", "마감을 풉니다. 마감과 해제는 변경 이력에 남습니다.", runUnlock},
        {"export", "--from 일자 --to 일자 [--branch 지점코드] [--cp949] 파일.csv|파일.xlsx",
         "기간의 전표 라인을 모든 열과 함께 CSV나 XLSX 파일로 내보냅니다.", runExport},
    };
    return table;
}

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

int usageOf(const char *name)
{
    for (const Command &command : commands())
        if (qstrcmp(command.name, name) == 0)
            err() << QStringLiteral("사용법: jeonpyo-db %1 %2")
                         .arg(QString::fromUtf8(command.name), QString::fromUtf8(command.arguments))
                         .trimmed()
                  << Qt::endl;
    return UsageError;
}

QString databaseName()
{
    return store::resolveTarget().displayName();
}

int withDatabase(const std::function<int(QSqlDatabase)> &work, Missing missing)
{
    const store::Target target = store::resolveTarget();
    if (!target.problem.isEmpty()) {
        err() << target.problem << Qt::endl;
        return DatabaseError;
    }
    if (target.engine == store::Engine::SQLite) {
        switch (store::sqliteFileState(target.file)) {
        case store::SqliteFileState::Missing:
            if (missing == Missing::Create)
                break;
            err() << QStringLiteral("데이타베이스 파일이 없습니다: %1. 먼저 'jeonpyo-db init'으로 만드세요.")
                         .arg(target.file)
                  << Qt::endl;
            return DatabaseError;
        case store::SqliteFileState::Damaged:
        case store::SqliteFileState::Foreign:
            err() << store::notOursMessage(target.file) << Qt::endl;
            return NotOurs;
        case store::SqliteFileState::Empty:
        case store::SqliteFileState::Ours:
            break;
        }
    }
    try {
        return work(store::account());
    } catch (const AppError &error) {
        err() << error.message() << Qt::endl;
        return DatabaseError;
    }
}

bool readOptions(const QStringList &arguments, const QStringList &withValue, const QStringList &flags, Options &options)
{
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (!argument.startsWith(QLatin1String("--"))) {
            options.plain << argument;
        } else if (flags.contains(argument)) {
            options.values.insert(argument, QString());
        } else if (withValue.contains(argument) && i + 1 < arguments.size()) {
            options.values.insert(argument, arguments[++i]);
        } else {
            err() << (withValue.contains(argument) ? QStringLiteral("%1 다음에 값이 없습니다.").arg(argument)
                                                   : QStringLiteral("알 수 없는 선택 사항입니다: %1").arg(argument))
                  << Qt::endl;
            return false;
        }
    }
    return true;
}

bool checkDate(const QString &text, const QString &what)
{
    if (store::isDateText(text))
        return true;
    err() << QStringLiteral("%1 '%2'은(는) 날짜가 아닙니다. 2001-05-30처럼 연-월-일로 쓰세요.").arg(what, text)
          << Qt::endl;
    return false;
}

bool checkWritable(const QString &file)
{
    const QFileInfo info(file);
    const QFileInfo folder(info.absolutePath());
    if (folder.isDir() && folder.isWritable() && !info.isDir() && (!info.exists() || info.isWritable()))
        return true;
    err() << QStringLiteral("파일을 쓸 수 없습니다: %1 (폴더가 없거나 쓸 권한이 없습니다). 아무것도 쓰지 않았습니다.")
                 .arg(file)
          << Qt::endl;
    return false;
}

int noSchema()
{
    err() << QStringLiteral("데이타베이스 '%1'에 테이블이 없습니다. 먼저 'jeonpyo-db init'으로 만드세요.")
                 .arg(databaseName())
          << Qt::endl;
    return DatabaseError;
}

} // namespace dbtool
