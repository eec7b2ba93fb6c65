#include "print/voucherprint.h"

#include "base/amount.h"
#include "base/error.h"
#include "base/text.h"
#include "print/fmqrmarvet3.h"
#include "print/wholefile.h"
#include "store/ledgerbook.h"
#include "ui/messages.h"
#include "ui/placement.h"

#include <QAction>
#include <QBuffer>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLayout>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QToolBar>
#include <limits>

namespace print {

namespace {

std::function<void(const SheetData &)> previewHook;

struct TextColumn
{
    const char *name;
    QString store::PrintRow::*member;
};

const TextColumn textColumns[] = {
    {"Tot", &store::PrintRow::Tot},
    {"Serial_Bun", &store::PrintRow::Serial_Bun},
    {"Kubun_Bon", &store::PrintRow::Kubun_Bon},
    {"Ac_JenCode", &store::PrintRow::Ac_JenCode},
    {"Ac_JenName", &store::PrintRow::Ac_JenName},
    {"Serial_Jen", &store::PrintRow::Serial_Jen},
    {"Serial_CrDr", &store::PrintRow::Serial_CrDr},
    {"Ac_Text", &store::PrintRow::Ac_Text},
    {"Sawon_NameCode", &store::PrintRow::Sawon_NameCode},
    {"Buser_NameCode", &store::PrintRow::Buser_NameCode},
    {"Kubun_NameCode", &store::PrintRow::Kubun_NameCode},
    {"Project_NameCode", &store::PrintRow::Project_NameCode},
    {"Item_NameCode", &store::PrintRow::Item_NameCode},
};

// An amount the form cannot hold (inf, nan, 1e308 stored behind the program's
// back) goes to the sheet as not a number: the sheet prints the mark for it,
// and for the total it spoils.
double printedAmount(double stored)
{
    return amountFits(stored) ? stored : std::numeric_limits<double>::quiet_NaN();
}

QVariant columnValue(const store::PrintRow &row, const QString &column)
{
    if (column == QLatin1String("Cr_Amt"))
        return printedAmount(row.Cr_Amt);
    if (column == QLatin1String("Dr_Amt"))
        return printedAmount(row.Dr_Amt);
    for (const TextColumn &c : textColumns)
        if (column == QLatin1String(c.name))
            return row.*c.member;
    return {};
}

// Reading the two statements may take a moment on a busy server.
class WaitCursor
{
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
};

void savePdfAs(QWidget *parent, const std::vector<SheetData> &sheets, const QString &proposed)
{
    QString file = QFileDialog::getSaveFileName(parent, QStringLiteral("PDF로 저장"), proposed,
                                                QStringLiteral("PDF 파일 (*.pdf)"));
    if (file.isEmpty())
        return;
    if (!file.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        file += QStringLiteral(".pdf");
    guarded([&] { writeSheetsPdf(sheets, file); }, parent);
}

void addPdfAction(QPrintPreviewDialog &dialog, const std::vector<SheetData> &sheets, const QString &proposed)
{
    auto *action = new QAction(QStringLiteral("PDF로 저장"), &dialog);
    action->setObjectName(QStringLiteral("savePdfAction"));
    action->setToolTip(QStringLiteral("전표를 PDF 파일로 저장합니다"));
    QObject::connect(action, &QAction::triggered, &dialog,
                     [&dialog, &sheets, proposed] { savePdfAs(&dialog, sheets, proposed); });
    if (auto *bar = dialog.findChild<QToolBar *>())
        bar->addAction(action);
    else
        dialog.addAction(action);
}

void showPreview(QWidget *parent, const std::vector<SheetData> &sheets, const QString &pdfFile)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(voucherSheet().pageLayout());
    printer.setCopyCount(1);
    printer.setDuplex(QPrinter::DuplexNone);
    printer.setDocName(QStringLiteral("대체전표"));
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("대체전표 미리보기"));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&sheets](QPrinter *target) { renderSheets(sheets, *target); });
    addPdfAction(dialog, sheets, pdfFile);
    // Large enough to read the sheet, small enough for the screen it opens on.
    if (dialog.layout())
        dialog.layout()->activate();
    dialog.resize(placement::fittingSize(parent ? parent->window() : &dialog, QSize(1100, 800)));
    placement::placeOver(&dialog, parent ? parent->window() : nullptr);
    dialog.exec();
}

} // namespace

SheetData gatherSheet(const VoucherRef &ref)
{
    const store::PrintKey key{Str_DelSpace(ref.dateText), ref.branchCode, Str_DelSpace(ref.serialText)};
    SheetData sheet;
    {
        WaitCursor wait;
        const int lines = store::Print_Count_Query(key);
        sheet.rows = store::Print_Query(key, store::blankRowCount(lines));
    }
    sheet.qlKubun = QStringLiteral("구    분 :") + ref.branchText;
    sheet.qlJen = QStringLiteral("전표번호 :") + ref.serialText;
    sheet.qlDate = QStringLiteral("기준일자 : ") + ref.dateText;
    if (!sheet.rows.empty())
        sheet.qlReprint = reprintMark(ref.serialText);
    return sheet;
}

bool previewVoucher(QWidget *parent, const VoucherRef &ref)
{
    const SheetData sheet = gatherSheet(ref);
    if (sheet.rows.empty())
        return false;
    if (previewHook)
        previewHook(sheet);
    else
        showPreview(parent, {sheet}, suggestedPdfFile(ref.serialText));
    return true;
}

void previewSheets(QWidget *parent, const std::vector<SheetData> &sheets, const QString &pdfFile)
{
    if (previewHook) {
        for (const SheetData &sheet : sheets)
            previewHook(sheet);
        return;
    }
    showPreview(parent, sheets, pdfFile);
}

QString suggestedPdfFile(const QString &serialText)
{
    QString stem = Str_DelSpace(serialText);
    stem.replace(QRegularExpression(QStringLiteral("[^0-9A-Za-z_-]")), QStringLiteral("_"));
    const QString name = QStringLiteral("대체전표-%1.pdf").arg(stem);
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return QDir(documents).filePath(name);
    return QDir::home().filePath(name);
}

void setPreviewHook(std::function<void(const SheetData &)> hook)
{
    previewHook = std::move(hook);
}

int renderSheet(const SheetData &sheet, QPagedPaintDevice &device)
{
    return renderSheets({sheet}, device);
}

int renderSheets(const std::vector<SheetData> &sheets, QPagedPaintDevice &device)
{
    // Every print makes its own instance of the report and sets its headings.
    std::vector<report::Report> reports;
    std::vector<report::Document> documents;
    reports.reserve(sheets.size());
    for (const SheetData &sheet : sheets) {
        report::Report &report = reports.emplace_back(voucherSheet());
        report.setCaption(QStringLiteral("qlKubun"), sheet.qlKubun);
        report.setCaption(QStringLiteral("qlJen"), sheet.qlJen);
        report.setCaption(QStringLiteral("qlDate"), sheet.qlDate);
        report.setCaption(QStringLiteral("qlReprint"), sheet.qlReprint);
        documents.push_back({&report, {int(sheet.rows.size()), [&sheet](int row, const QString &column) {
                                           return columnValue(sheet.rows[size_t(row)], column);
                                       }}});
    }
    return report::render(documents, device);
}

void writeSheetPdf(const SheetData &sheet, const QString &file)
{
    writeSheetsPdf({sheet}, file);
}

void writeSheetsPdf(const std::vector<SheetData> &sheets, const QString &file)
{
    // Drawn in memory first: the file is written whole or not at all.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(QStringLiteral("대체전표"));
        writer.setCreator(QStringLiteral("Jeonpyo"));
        if (renderSheets(sheets, writer) == 0)
            throw AppError(QStringLiteral("PDF 파일을 저장할 수 없습니다: %1").arg(QDir::toNativeSeparators(file)));
    }
    writeWholeFile(QStringLiteral("PDF"), file, buffer.data());
}

QString reprintMark(const QString &serialText)
{
    // A sheet is issued whether it is previewed, printed or saved; a count
    // that cannot be written (a login that may only read) leaves the sheet
    // without the mark rather than without the print.
    int count = 0;
    try {
        count = store::notePrint(serialText);
    } catch (const AppError &) {
        return QString();
    }
    return count > 1 ? QStringLiteral("재발행 (%1회째 출력)").arg(count) : QString();
}

bool renderVoucherPdf(const VoucherRef &ref, const QString &file)
{
    const SheetData sheet = gatherSheet(ref);
    if (sheet.rows.empty())
        return false;
    writeSheetPdf(sheet, file);
    return true;
}

} // namespace print
