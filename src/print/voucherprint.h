#pragma once
// The print command's engine side: gathers the chosen voucher's rows, sets the
// sheet's headings and shows the sheet in a preview window from which the clerk
// prints it or saves it as a PDF file.
#include "store/printrows.h"

#include <QString>
#include <functional>
#include <vector>

class QPagedPaintDevice;
class QWidget;

namespace print {

// The voucher as the entry window shows it.
struct VoucherRef
{
    QString dateText;   // edDate
    QString branchText; // cbKubun's text
    QString branchCode; // the branch code of cbKubun's position ("00000")
    QString serialText; // edSerial
};

// What one sheet prints: the three heading captions and the rows.
struct SheetData
{
    QString qlKubun;
    QString qlJen;
    QString qlDate;
    // "재발행 (n회째 출력)" on a voucher printed before, empty on its first print.
    QString qlReprint;
    std::vector<store::PrintRow> rows;
};

// Runs Print_Count_Query and Print_Query for the voucher and sets the headings;
// a voucher with rows is counted as printed once more (reprintMark).
// Throws AppError when the database refuses.
SheetData gatherSheet(const VoucherRef &ref);

// The print command after its checks: shows the sheet in a modal A4 landscape
// preview and returns when the clerk closes it. Returns true when there were
// rows to show (the caller then empties edSerial); false shows nothing.
// Throws AppError when the database refuses (nothing is shown then).
bool previewVoucher(QWidget *parent, const VoucherRef &ref);

// Where "PDF로 저장" proposes to write the sheet of a voucher number: the
// documents folder (the home folder when there is none), 대체전표-<number>.pdf.
QString suggestedPdfFile(const QString &serialText);

// Tests: called instead of the preview window while set; an empty function
// restores the window.
void setPreviewHook(std::function<void(const SheetData &)> hook);

// Draws the sheet onto a printer or PDF writer; returns the number of pages.
int renderSheet(const SheetData &sheet, QPagedPaintDevice &device);
// Several sheets, each on a page of its own, in the order given.
int renderSheets(const std::vector<SheetData> &sheets, QPagedPaintDevice &device);
// Writes the sheet(s) as one PDF file, whole or not at all (written beside it,
// flushed, then renamed); throws AppError when the file cannot be written.
void writeSheetPdf(const SheetData &sheet, const QString &file);
void writeSheetsPdf(const std::vector<SheetData> &sheets, const QString &file);

// Several sheets in one preview window (the hook, when set, gets each sheet).
void previewSheets(QWidget *parent, const std::vector<SheetData> &sheets, const QString &pdfFile);

// Counts a print of the voucher in the store and returns the sheet's reprint
// mark: empty on the first print, "재발행 (n회째 출력)" after.
QString reprintMark(const QString &serialText);

// For a command-line tool: the voucher's sheet as a PDF file. Returns false,
// writing nothing, when there are no rows to print.
bool renderVoucherPdf(const VoucherRef &ref, const QString &file);

} // namespace print
