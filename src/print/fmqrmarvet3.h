#pragma once
// The report form of the printed transfer voucher: the sheet's bands and
// elements as data, and the window that holds them. The window is never shown;
// the print command makes an instance of its own for every print.
#include "print/report.h"

#include <QWidget>

namespace print {

// The layout of the sheet, with the design captions of its headings.
report::Report voucherSheet();

class TfmQrMarvet3 : public QWidget
{
    Q_OBJECT

public:
    explicit TfmQrMarvet3(QWidget *parent = nullptr);

    report::Report &report() { return m_report; }
    const report::Report &report() const { return m_report; }

private:
    report::Report m_report;
};

// The report host of the window set: object name "fmQrMarvet3", released when
// closed as a window (a QPointer to it then clears itself).
TfmQrMarvet3 *createFmQrMarvet3(QWidget *parent = nullptr);

} // namespace print
