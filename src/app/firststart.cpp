#include "app/firststart.h"

#include "base/error.h"
#include "store/codetables.h"
#include "store/connection.h"
#include "store/csvimport.h"
#include "store/demo.h"
#include "store/schema.h"
#include "ui/messages.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>

namespace {

const QString notOursMessage =
    QStringLiteral("%1 에는 다른 프로그램의 테이블이 있고 전표 테이블이 없습니다.\n"
                   "전표 데이터베이스가 아니므로 아무것도 바꾸지 않았습니다. 다른 데이터베이스를 지정하세요.");

// One CSV file a code table, named after its table (Kubun_Table.csv, …): all
// files are checked and written one by one; what went in and what did not is
// said at the end.
void importCodeTables(QSqlDatabase db, QWidget *parent)
{
    const QStringList files = QFileDialog::getOpenFileNames(
        parent, QStringLiteral("코드표 CSV 파일 고르기 (파일 이름이 테이블 이름)"),
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation), QStringLiteral("CSV 파일 (*.csv *.CSV)"));
    if (files.isEmpty())
        return;
    QStringList said;
    for (const QString &path : files) {
        const QString name = QFileInfo(path).fileName();
        const store::CodeTable *table = store::findCodeTable(QFileInfo(path).completeBaseName());
        if (!table) {
            said << QStringLiteral("%1: 파일 이름이 코드표 이름이 아닙니다 (예: Kubun_Table.csv).").arg(name);
            continue;
        }
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            said << QStringLiteral("%1: 읽을 수 없습니다 (%2).").arg(name, file.errorString());
            continue;
        }
        const store::ImportReport report = store::importCodeTable(db, *table, file.readAll());
        if (report.ok()) {
            said << QStringLiteral("%1: %2 테이블에 %3행을 넣었습니다.").arg(name, table->name).arg(report.rows);
            continue;
        }
        said << QStringLiteral("%1: 잘못된 곳이 %2군데 있어 넣지 않았습니다 (첫 번째: %3행, %4).")
                    .arg(name)
                    .arg(report.problems.size())
                    .arg(report.problems.first().line)
                    .arg(report.problems.first().reason);
    }
    showPlain(said.join(QLatin1Char('\n')), parent);
}

// The offer for empty code tables. Without branches and accounts no voucher
// can be entered, so the clerk is asked what to fill them with.
void offerCodeTables(QSqlDatabase db, QWidget *parent)
{
    QMessageBox box(
        QMessageBox::Question, QStringLiteral("전표"),
        QStringLiteral("코드표(본지점, 계정과목, 거래처, 은행, 사원, 부서, 프로젝트, 아이템)가 비어 있습니다.\n"
                       "예제 자료를 넣을까요, 아니면 가지고 있는 코드표 CSV 파일을 가져올까요?"),
        QMessageBox::NoButton, parent);
    QPushButton *sample = box.addButton(QStringLiteral("예제 자료 넣기(&E)"), QMessageBox::AcceptRole);
    QPushButton *import = box.addButton(QStringLiteral("코드표 가져오기(&G)"), QMessageBox::ActionRole);
    box.addButton(QStringLiteral("나중에(&N)"), QMessageBox::RejectRole);
    box.setDefaultButton(sample);
    box.exec();
    if (box.clickedButton() == sample)
        store::fillDemo(db);
    else if (box.clickedButton() == import)
        importCodeTables(db, parent);
}

} // namespace

bool prepareBooks(QWidget *parent)
{
    return guarded(
        [parent] {
            QSqlDatabase db = store::account();
            if (!store::hasSchema(db)) {
                if (!store::isEmptyDatabase(db))
                    throw AppError(notOursMessage.arg(store::resolveTarget().displayName()));
                store::createSchema(db);
            }
            if (store::codeTablesEmpty(db))
                offerCodeTables(db, parent);
        },
        parent);
}
