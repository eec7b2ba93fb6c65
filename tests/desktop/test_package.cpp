// The program as a Debian machine gets it: the menu entry and the AppStream
// metainfo pass Debian's validators, the manual pages render without warnings,
// and the .deb that CPack builds holds the programs and the desktop files,
// depends on what they need, and installs into a scratch root where it runs.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

namespace {

struct Run
{
    int exitCode = -1;
    QString out, err;
};

Run run(const QString &program, const QStringList &arguments, const QString &folder = {})
{
    QProcess process;
    if (!folder.isEmpty())
        process.setWorkingDirectory(folder);
    process.start(program, arguments);
    Run result;
    if (!process.waitForStarted(10000))
        return result;
    process.closeWriteChannel();
    if (!process.waitForFinished(300000))
        return result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

QString dataFile(const QString &name)
{
    return QStringLiteral(JEONPYO_SOURCE_DIR "/data/") + name;
}

QString tool(const char *name)
{
    return QStandardPaths::findExecutable(QString::fromLatin1(name));
}

const QString appId = QStringLiteral("org.jeonpyo.Jeonpyo");

} // namespace

class TestPackage : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder{QDir(qEnvironmentVariable("JEONPYO_TEST_TMP", QDir::tempPath())).filePath("package-XXXXXX")};
    QString m_deb;

    // cpack as a packager runs it, on the built tree, into a folder of its own.
    QString buildPackage()
    {
        if (!m_deb.isEmpty())
            return m_deb;
        const Run made = run(QStringLiteral("cpack"),
                             {"-G", "DEB", "--config", JEONPYO_BINARY_DIR "/CPackConfig.cmake", "-B", m_folder.path()});
        if (made.exitCode != 0) {
            qWarning("%s%s", qPrintable(made.out), qPrintable(made.err));
            return {};
        }
        const QStringList debs = QDir(m_folder.path()).entryList({"jeonpyo_*.deb"}, QDir::Files);
        m_deb = debs.size() == 1 ? m_folder.filePath(debs.front()) : QString();
        return m_deb;
    }

private slots:
    void theMenuEntryPassesDesktopFileValidate()
    {
        const QString validator = tool("desktop-file-validate");
        QVERIFY2(!validator.isEmpty(), "desktop-file-validate is missing (desktop-file-utils, scripts/setup.sh)");
        const Run checked = run(validator, {dataFile(appId + ".desktop")});
        QVERIFY2(checked.exitCode == 0 && checked.out.isEmpty(), qPrintable(checked.out + checked.err));
    }

    void theMetainfoPassesAppstreamcliValidate()
    {
        const QString validator = tool("appstreamcli");
        QVERIFY2(!validator.isEmpty(), "appstreamcli is missing (appstream, scripts/setup.sh)");
        const Run checked = run(validator, {"validate", "--no-net", dataFile(appId + ".metainfo.xml")});
        QVERIFY2(checked.exitCode == 0, qPrintable(checked.out + checked.err));
    }

    void theMenuEntryIsInKoreanAndEnglishUnderOfficeAndFinance()
    {
        QFile file(dataFile(appId + ".desktop"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
        for (const char *line : {"Name=Jeonpyo Transfer Vouchers", "Name[ko]=대체전표", "Exec=jeonpyo",
                                 "Icon=org.jeonpyo.Jeonpyo", "Categories=Office;Finance;"})
            QVERIFY2(lines.contains(QString::fromUtf8(line)), line);
    }

    void theIconIsAScalableSquareSvg()
    {
        QFile file(dataFile(appId + ".svg"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QXmlStreamReader svg(&file);
        QVERIFY(svg.readNextStartElement());
        QCOMPARE(svg.name(), QStringLiteral("svg"));
        QCOMPARE(svg.attributes().value("viewBox"), QStringLiteral("0 0 128 128"));
        while (!svg.atEnd())
            svg.readNext();
        QVERIFY2(!svg.hasError(), qPrintable(svg.errorString()));
    }

    void theManualPagesRenderWithoutWarnings_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QStringList>("mentions");
        QTest::newRow("jeonpyo(1)") << "jeonpyo.1"
                                    << QStringList{"--database", "--version", "ACCOUNT_DB", "account.db"};
        QTest::newRow("jeonpyo-db(1)") << "jeonpyo-db.1" << QStringList{"init", "demo", "import", "pdf", "EXIT STATUS"};
    }
    void theManualPagesRenderWithoutWarnings()
    {
        QFETCH(QString, page);
        QFETCH(QStringList, mentions);
        const QString man = tool("man");
        QVERIFY2(!man.isEmpty(), "man is missing (man-db, scripts/setup.sh)");
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("MANWIDTH", "80");
        env.insert("MAN_KEEP_FORMATTING", "0");
        process.setProcessEnvironment(env);
        process.start(man, {"--warnings", "-E", "UTF-8", "-l", dataFile(page)});
        QVERIFY(process.waitForFinished(60000));
        const QString warnings = QString::fromUtf8(process.readAllStandardError());
        QString text = QString::fromUtf8(process.readAllStandardOutput());
        text.remove(QRegularExpression(QStringLiteral(".\b"))); // overstrike bold
        QCOMPARE(process.exitCode(), 0);
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings));
        for (const QString &word : mentions)
            QVERIFY2(text.contains(word), qPrintable(word));
    }

    void theDebianPackageHoldsTheProgramsAndTheDesktopFiles()
    {
        const QString deb = buildPackage();
        QVERIFY2(!deb.isEmpty(), "cpack -G DEB made no package");
        const Run listed = run("dpkg-deb", {"-c", deb});
        QCOMPARE(listed.exitCode, 0);
        for (const char *path :
             {"./usr/bin/jeonpyo", "./usr/bin/jeonpyo-db", "./usr/bin/jeonpyo-bench",
              "./usr/share/applications/org.jeonpyo.Jeonpyo.desktop",
              "./usr/share/icons/hicolor/scalable/apps/org.jeonpyo.Jeonpyo.svg",
              "./usr/share/metainfo/org.jeonpyo.Jeonpyo.metainfo.xml", "./usr/share/man/man1/jeonpyo.1.gz",
              "./usr/share/man/man1/jeonpyo-db.1.gz", "./usr/share/doc/jeonpyo/README.md"})
            QVERIFY2(listed.out.contains(QString::fromLatin1(path) + '\n'), path);
    }

    // The libraries are dpkg-shlibdeps' findings; the drivers, libpq, the
    // workbook library and the font are loaded at run time and named by hand.
    void theDebianPackageDependsOnWhatTheProgramsNeed()
    {
        const QString deb = buildPackage();
        QVERIFY(!deb.isEmpty());
        const Run field = run("dpkg-deb", {"-f", deb, "Depends"});
        QCOMPARE(field.exitCode, 0);
        QStringList depends;
        for (const QString &item : field.out.trimmed().split(", "))
            depends << item.section(' ', 0, 0);
        for (const char *package :
             {"libc6", "libstdc++6", "libqt6core6", "libqt6gui6", "libqt6widgets6", "libqt6sql6", "libqt6printsupport6",
              "libqt6network6", "libqt6sql6-sqlite", "libqt6sql6-psql", "libpq5", "libxlsxwriter4", "fonts-nanum"})
            QVERIFY2(depends.contains(QString::fromLatin1(package)), qPrintable(package + (" not in " + field.out)));
        QCOMPARE(run("dpkg-deb", {"-f", deb, "Package"}).out.trimmed(), QStringLiteral("jeonpyo"));
    }

    // Unpacked into a scratch root as dpkg would put it: the programs answer.
    void theUnpackedProgramsRun()
    {
        const QString deb = buildPackage();
        QVERIFY(!deb.isEmpty());
        const QString root = m_folder.filePath("root");
        QCOMPARE(run("dpkg-deb", {"-x", deb, root}).exitCode, 0);
        for (const char *program : {"jeonpyo", "jeonpyo-db", "jeonpyo-bench"}) {
            const Run answered = run(root + "/usr/bin/" + program, {"--version"});
            QCOMPARE(answered.exitCode, 0);
            QCOMPARE(answered.out, QString::fromLatin1(program) + " " JEONPYO_VERSION "\n");
        }
        // The window's program finds libpq and the workbook library when it
        // wants them: a start maps neither, nor the libraries they bring.
        const Run linked = run("readelf", {"-d", root + "/usr/bin/jeonpyo"});
        QCOMPARE(linked.exitCode, 0);
        QVERIFY2(linked.out.contains("libQt6Core.so"), qPrintable(linked.out));
        QVERIFY2(!linked.out.contains("libpq.so") && !linked.out.contains("libxlsxwriter.so"), qPrintable(linked.out));
    }

    // What `apt-get install ./jeonpyo_*.deb` would do, without doing it.
    void aptAcceptsThePackage()
    {
        const QString deb = buildPackage();
        QVERIFY(!deb.isEmpty());
        const QString apt = tool("apt-get");
        if (apt.isEmpty())
            QSKIP("apt-get is not on this machine");
        const Run simulated = run(apt, {"install", "--simulate", "--no-install-recommends", deb});
        QVERIFY2(simulated.exitCode == 0, qPrintable(simulated.out + simulated.err));
        QVERIFY2(simulated.out.contains(QRegularExpression("Inst jeonpyo ")), qPrintable(simulated.out));
    }
};

QTEST_GUILESS_MAIN(TestPackage)
#include "test_package.moc"
