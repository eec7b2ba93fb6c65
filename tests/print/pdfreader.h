#pragma once
// Reads a PDF the way a person checking a printout would: the words with their
// boxes (pdftotext -bbox), the page count and size (pdfinfo) and the fonts
// (pdffonts). Positions are in millimetres from the page's top left corner.
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QXmlStreamReader>
#include <vector>

struct PdfWord
{
    int page = 0;
    QString text;
    double left = 0, top = 0, right = 0, bottom = 0; // mm
};

inline double pointsToMm(double points)
{
    return points * 25.4 / 72.0;
}

inline QString runTool(const QString &tool, const QStringList &arguments)
{
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

inline std::vector<PdfWord> pdfWords(const QString &file)
{
    QString text = runTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), file, QStringLiteral("-")});
    // A control character read back from a glyph would make the XML unreadable.
    text.replace(QRegularExpression(QStringLiteral("[\\x00-\\x08\\x0b\\x0c\\x0e-\\x1f]")), QStringLiteral("?"));
    QXmlStreamReader xml(text);
    std::vector<PdfWord> words;
    int page = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("page")) {
            ++page;
        } else if (xml.name() == QLatin1String("word")) {
            const auto at = [&xml](const char *name) {
                return pointsToMm(xml.attributes().value(QLatin1String(name)).toDouble());
            };
            PdfWord word{page, QString(), at("xMin"), at("yMin"), at("xMax"), at("yMax")};
            word.text = xml.readElementText();
            words.push_back(word);
        }
    }
    return words;
}

// "Pages:" and "Page size:" of pdfinfo: the page count and the first page's size in mm.
struct PdfInfo
{
    int pages = 0;
    double width = 0, height = 0;
};

inline PdfInfo pdfInfo(const QString &file)
{
    const QString text = runTool(QStringLiteral("pdfinfo"), {file});
    PdfInfo info;
    const auto pages = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(text);
    if (pages.hasMatch())
        info.pages = pages.captured(1).toInt();
    const auto size = QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+) pts")).match(text);
    if (size.hasMatch()) {
        info.width = pointsToMm(size.captured(1).toDouble());
        info.height = pointsToMm(size.captured(2).toDouble());
    }
    return info;
}

// One line of pdffonts per font: its name and whether it is embedded.
struct PdfFont
{
    QString name;
    bool embedded = false;
};

inline std::vector<PdfFont> pdfFonts(const QString &file)
{
    std::vector<PdfFont> fonts;
    const QStringList lines = runTool(QStringLiteral("pdffonts"), {file}).split(QLatin1Char('\n'));
    for (const QString &line : lines.mid(2)) {
        const QStringList parts = line.simplified().split(QLatin1Char(' '));
        if (parts.size() < 5)
            continue;
        // name type [type...] encoding emb sub uni object ID: "emb" is the fifth field from the end.
        fonts.push_back({parts.first(), parts.at(parts.size() - 5) == QLatin1String("yes")});
    }
    return fonts;
}
