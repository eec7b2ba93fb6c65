#include "command.h"

#include "base/error.h"
#include "store/connection.h"

namespace dbtool {

const QList<Command> &commands()
{
    static const QList<Command> table = {
        {"init", "", "테이블을 만듭니다. 이미 있으면 아무것도 바꾸지 않습니다.", runInit},
        {"status", "", "테이블이 있는지 알려 줍니다 (있으면 0, 없으면 1, 전표 데이타베이스가 아니면 5).", runStatus},
        {"demo", "", "비어 있는 코드 테이블에 보기 자료를 넣습니다.", runDemo},
        {"import", "테이블 파일.csv", "코드 테이블 하나를 CSV 파일에서 가져옵니다.", runImport},
        {"pdf", "전표번호 파일.pdf", "저장된 전표의 대체전표를 PDF 파일로 만듭니다 (없으면 1).", runPdf},
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

int noSchema()
{
    err() << QStringLiteral("데이타베이스 '%1'에 테이블이 없습니다. 먼저 'jeonpyo-db init'으로 만드세요.")
                 .arg(databaseName())
          << Qt::endl;
    return DatabaseError;
}

} // namespace dbtool
