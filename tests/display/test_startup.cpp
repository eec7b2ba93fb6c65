// Starting the program on a real display: one copy per database, a close with
// a search dialog open that ends the program, the window before its search
// dialogs, and a first start on a database without tables.
#include "support/desk.h"

#include "app/application.h"
#include "app/windowset.h"
#include "entry/entrywindow.h"
#include "store/demo.h"
#include "store/schema.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The program's own process on this display, on the database `setting`.
class Copy
{
public:
    Copy(const QString &setting, const QString &runtime)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("ACCOUNT_DB", setting);
        env.insert("XDG_RUNTIME_DIR", runtime);
        env.insert("TMPDIR", runtime);
        process.setProcessEnvironment(env);
        process.start(JEONPYO_PROGRAM, {});
    }
    ~Copy()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
    }
    QProcess process;
};

// The X windows titled `title`.
QStringList windowsTitled(const QString &title)
{
    QProcess xdotool;
    xdotool.start("xdotool", {"search", "--onlyvisible", "--name", "^" + title + "$"});
    xdotool.waitForFinished(5000);
    return QString::fromUtf8(xdotool.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

const QString entryTitle = QStringLiteral("제조원가 투입 및 매출원가 대체 등록 폼입니다.");

void xdotool(const QStringList &arguments)
{
    QProcess::execute("xdotool", arguments);
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void oneCopyPerDatabase()
    {
        TestDatabase first;
        store::fillDemo(store::account());
        store::closeAccount();
        TestDatabase other;
        store::fillDemo(store::account());
        QTemporaryDir runtime;
        store::closeAccount();
        Copy a(first.setting(), runtime.path());
        QTRY_COMPARE_WITH_TIMEOUT(windowsTitled(entryTitle).size(), 1, 20000);

        // Other books: a program of its own, with a window of its own.
        Copy b(other.setting(), runtime.path());
        QTRY_COMPARE_WITH_TIMEOUT(windowsTitled(entryTitle).size(), 2, 20000);
        QCOMPARE(b.process.state(), QProcess::Running);

        // The same books again: handed over to the first copy.
        Copy c(first.setting(), runtime.path());
        QVERIFY(c.process.waitForFinished(20000));
        QCOMPARE(c.process.exitCode(), 0);
        QByteArray said;
        QTRY_VERIFY2_WITH_TIMEOUT((said += a.process.readAllStandardError()).contains("brought this window forward"),
                                  said.constData(), 10000);
        QVERIFY(!b.process.readAllStandardError().contains("brought this window forward"));
        QCOMPARE(windowsTitled(entryTitle).size(), 2);
    }

    void closingWithADialogOpenEndsTheProgram()
    {
        TestDatabase books;
        store::fillDemo(store::account());
        QTemporaryDir runtime;
        store::closeAccount();
        auto a = std::make_unique<Copy>(books.setting(), runtime.path());
        QStringList windows;
        QTRY_VERIFY_WITH_TIMEOUT((windows = windowsTitled(entryTitle)).size() == 1, 20000);
        xdotool({"windowactivate", "--sync", windows.first()});
        // Into the first account and out of it: the account search opens.
        xdotool({"key", "alt+i"});
        QTest::qWait(500);
        xdotool({"key", "Tab"});
        QTRY_COMPARE_WITH_TIMEOUT(windowsTitled("회계 계정과목을 검색하는 창입니다.").size(), 1, 10000);
        // The entry window closed from its title bar (the window manager's close).
        xdotool({"windowactivate", "--sync", windows.first()});
        xdotool({"key", "alt+F4"});
        QVERIFY2(a->process.waitForFinished(10000), "the program lives on without its window");
        QCOMPARE(a->process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(a->process.exitCode(), 0);

        // The next start is a first copy again, with its window.
        Copy next(books.setting(), runtime.path());
        QTRY_COMPARE_WITH_TIMEOUT(windowsTitled(entryTitle).size(), 1, 20000);
        QCOMPARE(next.process.state(), QProcess::Running);
    }

    // The clerk sees the entry window before its seven search dialogs are
    // made; they follow as soon as it is on the screen, or at once when one
    // is wanted sooner.
    void theWindowComesBeforeItsSearchDialogs()
    {
        TestDatabase books;
        store::fillDemo(store::account());
        const auto dialogsMade = [] {
            int made = 0;
            for (QWidget *window : QApplication::topLevelWidgets())
                made += QRegularExpression("^Form[1-7]$").match(window->objectName()).hasMatch();
            return made;
        };
        EntryWindow *w = startWindows();
        QVERIFY(w);
        QCOMPARE(dialogsMade(), 0);
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QTRY_COMPARE(dialogsMade(), 7);
        deleteWindowSet();

        w = startWindows();
        QVERIFY(w);
        QVERIFY(windowByName("Form3"));
        QCOMPARE(dialogsMade(), 7);
        deleteWindowSet();
        store::closeAccount();
    }

    void aFirstStartOnABareDatabaseMakesItsTables()
    {
        QTemporaryDir folder;
        const QString file = folder.filePath("new.db");
        qputenv("ACCOUNT_DB", file.toUtf8());
        store::closeAccount();
        BoxAnswerer boxes; // Return takes the offer's default: the sample set
        EntryWindow *w = startWindows();
        QVERIFY(store::hasSchema(store::account()));
        QVERIFY(!store::codeTablesEmpty(store::account()));
        QCOMPARE(boxes.texts.size(), 1);
        QVERIFY2(boxes.texts.first().contains("코드표"), qPrintable(boxes.texts.first()));
        QVERIFY(w->cbKubun->count() > 0);
        QCOMPARE(w->cbKubun->currentIndex(), 0);
        deleteWindowSet();
        store::closeAccount();
        qunsetenv("ACCOUNT_DB");
    }

    // Books that cannot be reached at start: said once, without a word of
    // typed input kept (nothing has been typed), and no window.
    void aStartThatCannotReachTheBooksSaysSoAndShowsNoWindow()
    {
        QTemporaryDir folder;
        QFile blocker(folder.filePath("not-a-folder"));
        QVERIFY(blocker.open(QIODevice::WriteOnly)); // a file where the folder would be
        blocker.close();
        qputenv("ACCOUNT_DB", folder.filePath("not-a-folder/books.db").toUtf8());
        store::closeAccount();
        BoxAnswerer boxes;
        QVERIFY(!startWindows());
        QCOMPARE(boxes.texts.size(), 1);
        QVERIFY2(boxes.texts.first().contains("에 연결할 수 없습니다."), qPrintable(boxes.texts.first()));
        QVERIFY2(!boxes.texts.first().contains("입력한 내용"), qPrintable(boxes.texts.first()));
        QVERIFY(!windowByName("fmMarvet7"));
        store::closeAccount();
        qunsetenv("ACCOUNT_DB");
    }

    void aFirstStartLeavesAForeignDatabaseAlone()
    {
        QTemporaryDir folder;
        const QString file = folder.filePath("other.db");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "foreign");
            db.setDatabaseName(file);
            QVERIFY(db.open());
            QSqlQuery(db).exec("CREATE TABLE notes (x TEXT)");
            db.close();
        }
        QSqlDatabase::removeDatabase("foreign");
        qputenv("ACCOUNT_DB", file.toUtf8());
        store::closeAccount();
        BoxAnswerer boxes;
        QVERIFY(!startWindows());
        QCOMPARE(boxes.texts.size(), 1);
        QVERIFY2(boxes.texts.first().contains("전표 데이터베이스가 아니"), qPrintable(boxes.texts.first()));
        QVERIFY(!store::hasSchema(store::account()));
        deleteWindowSet();
        store::closeAccount();
        qunsetenv("ACCOUNT_DB");
    }
};

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
