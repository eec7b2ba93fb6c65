#include "command.h"

#include "store/csvimport.h"
#include "store/schema.h"

#include <QFile>
#include <QFileInfo>

namespace dbtool {

namespace {

QString tableNames()
{
    QStringList names;
    for (const store::CodeTable &table : store::codeTables())
        names << table.name;
    return names.join(QLatin1String(", "));
}

int report(const store::ImportReport &result, const QString &file)
{
    const QString shown = QFileInfo(file).fileName();
    if (result.ok()) {
        out() << QStringLiteral("%1 테이블에 %2행을 넣었습니다 (%3, %4).")
                     .arg(result.table)
                     .arg(result.rows)
                     .arg(shown, result.encoding)
              << Qt::endl;
        return Success;
    }
    for (const store::CsvProblem &problem : result.problems)
        err() << QStringLiteral("%1 %2행: %3").arg(shown).arg(problem.line).arg(problem.reason) << Qt::endl;
    if (result.moreProblems > 0)
        err() << QStringLiteral("%1: 그 밖에 잘못된 곳이 %2군데 더 있습니다.").arg(shown).arg(result.moreProblems)
              << Qt::endl;
    err() << QStringLiteral("가져오지 않았습니다: 잘못된 곳이 %1군데 있습니다. %2 테이블은 바뀌지 않았습니다.")
                 .arg(result.problems.size() + result.moreProblems)
                 .arg(result.table)
          << Qt::endl;
    return BadInput;
}

} // namespace

int runImport(const QStringList &arguments)
{
    if (arguments.size() != 2)
        return usageOf("import");
    const store::CodeTable *table = store::findCodeTable(arguments[0]);
    if (!table) {
        err() << QStringLiteral("알 수 없는 테이블입니다: '%1'. 가져올 수 있는 테이블: %2")
                     .arg(arguments[0], tableNames())
              << Qt::endl;
        return UsageError;
    }
    QFile file(arguments[1]);
    if (!file.open(QIODevice::ReadOnly)) {
        err() << QStringLiteral("파일을 읽을 수 없습니다: %1 (%2)").arg(arguments[1], file.errorString()) << Qt::endl;
        return BadInput;
    }
    // The file is read as it goes, never whole: any size fits in memory.
    return withDatabase([&](QSqlDatabase db) {
        if (!store::hasSchema(db))
            return noSchema();
        const auto progress = [](store::ImportPhase phase, qint64 done, qint64 total) {
            if (phase != store::ImportPhase::Writing && total < 1024 * 1024)
                return; // a small file is read at once
            const auto mb = [](qint64 bytes) { return QString::number(double(bytes) / (1024 * 1024), 'f', 1); };
            switch (phase) {
            case store::ImportPhase::Reading:
                err() << QStringLiteral("파일 읽는 중... %1 / %2 MB").arg(mb(done), mb(total)) << Qt::endl;
                break;
            case store::ImportPhase::Checking:
                err() << QStringLiteral("줄 검사하는 중... %1 / %2 MB").arg(mb(done), mb(total)) << Qt::endl;
                break;
            case store::ImportPhase::Writing:
                err() << QStringLiteral("%1 / %2행 넣는 중...").arg(done).arg(total) << Qt::endl;
                break;
            }
        };
        return report(store::importCodeTable(db, *table, file, progress), arguments[1]);
    });
}

} // namespace dbtool
