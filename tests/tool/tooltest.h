#pragma once
// A fresh SQLite file for one test of the database tool, and the tool run on it
// as a separate process (ACCOUNT_DB set for the child only). The file does not
// exist until the tool or open() makes it.
#include "store/connection.h"
#include "store/csvimport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlRecord>
#include <QSqlTableModel>
#include <QTemporaryDir>
#include <QTest>

struct ToolRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

class ToolDatabase
{
public:
    ToolDatabase()
        : m_folder(qEnvironmentVariable("JEONPYO_TEST_TMP", QDir::tempPath()) + QStringLiteral("/tool-XXXXXX"))
    {
        QDir().mkpath(qEnvironmentVariable("JEONPYO_TEST_TMP", QDir::tempPath()));
    }
    ~ToolDatabase()
    {
        if (QSqlDatabase::contains(m_connection)) {
            QSqlDatabase::database(m_connection, false).close();
            QSqlDatabase::removeDatabase(m_connection);
        }
    }
    ToolDatabase(const ToolDatabase &) = delete;
    ToolDatabase &operator=(const ToolDatabase &) = delete;

    QString file() const { return m_folder.filePath(QStringLiteral("account.db")); }
    QString path(const QString &name) const { return m_folder.filePath(name); }

    QString write(const QString &name, const QByteArray &bytes) const
    {
        QFile f(path(name));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write a test file");
        return f.fileName();
    }

    ToolRun tool(const QStringList &arguments, const QString &setting = QString()) const
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("ACCOUNT_DB"), setting.isEmpty() ? file() : setting);
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(JEONPYO_DB_TOOL), arguments);
        if (!process.waitForFinished(120000))
            qFatal("the database tool did not finish");
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
    }

    // This test's own connection to the file, for looking at what was stored.
    QSqlDatabase open()
    {
        if (!QSqlDatabase::contains(m_connection))
            return store::openExtra(m_connection, store::parseTarget(file()));
        return QSqlDatabase::database(m_connection);
    }

    int rows(const QString &table) { return store::countRows(open(), *store::findCodeTable(table)); }

    // The stored values of one column, ordered by the table's key.
    QStringList column(const QString &table, const QString &column)
    {
        QSqlTableModel model(nullptr, open());
        model.setTable(table);
        model.setSort(0, Qt::AscendingOrder);
        model.select();
        while (model.canFetchMore())
            model.fetchMore();
        QStringList values;
        for (int row = 0; row < model.rowCount(); ++row)
            values << model.record(row).value(column).toString();
        return values;
    }

private:
    QTemporaryDir m_folder;
    QString m_connection = QStringLiteral("tooltest");
};
