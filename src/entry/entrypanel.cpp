#include "entry/entrypanel.h"

#include "ui/windowlook.h"

#include <QLabel>

namespace {

enum class State { Editable, ReadOnly, Disabled, DisabledLime };

struct FieldLayout
{
    const char *baseName;
    int x, y, width;
    int maxLength; // 0: no limit
    State state;
    const char *colour; // text colour
    bool bold;          // the credit line is set in bold
};

constexpr int debitRow1 = 28, debitRow2 = 48, creditRow1 = 76, creditRow2 = 96;
constexpr int accountX = 56, kubunX = 224, sawonX = 410, buserX = 491, projectX = 617;
constexpr int textX = 186, itemX = 553, crAmtX = 728, drAmtX = 865;

const char *const teal = "#008080", *const green = "#008000", *const purple = "#800080", *const maroon = "#800000",
                  *const black = "#000000";

// In tab order: the entry number and the debit line, then the credit line.
const FieldLayout fieldTable[] = {
    {"edSerial_Bun", 6, debitRow1, 21, 0, State::Disabled, black, false},
    {"edCR_Serial_CrDr", 30, debitRow1, 21, 0, State::Disabled, black, false},
    {"edCR_Ac_JenName", accountX, debitRow1, 164, 0, State::Editable, teal, false},
    {"edCR_Kubun_Name", kubunX, debitRow1, 182, 0, State::Editable, green, false},
    {"edCR_Sawon_Name", sawonX, debitRow1, 77, 0, State::Editable, teal, false},
    {"edCR_Buser_Name", buserX, debitRow1, 122, 0, State::Editable, green, false},
    {"edCR_Project_Name", projectX, debitRow1, 257, 0, State::Editable, teal, false},
    {"edCR_Ac_Text", textX, debitRow2, 365, 400, State::Editable, purple, false},
    {"edCR_Item_Name", itemX, debitRow2, 173, 400, State::Editable, maroon, false},
    {"edCR_Cr_Amt", crAmtX, debitRow2, 120, 0, State::Editable, black, false},
    {"edCR_Dr_Amt", drAmtX, debitRow2, 120, 0, State::DisabledLime, black, false},
    {"edDR_Serial_CrDr", 30, creditRow1, 21, 0, State::Disabled, black, true},
    {"edDR_Ac_JenName", accountX, creditRow1, 164, 0, State::Editable, teal, true},
    {"edDR_Kubun_Name", kubunX, creditRow1, 182, 0, State::ReadOnly, green, true},
    {"edDR_Sawon_Name", sawonX, creditRow1, 77, 0, State::ReadOnly, teal, true},
    {"edDR_Buser_Name", buserX, creditRow1, 122, 0, State::ReadOnly, green, true},
    {"edDR_Project_Name", projectX, creditRow1, 257, 0, State::ReadOnly, teal, true},
    {"edDR_Ac_Text", textX, creditRow2, 365, 400, State::Editable, purple, true},
    {"edDR_Item_Name", itemX, creditRow2, 173, 400, State::ReadOnly, maroon, true},
    {"edDR_Cr_Amt", crAmtX, creditRow2, 120, 0, State::DisabledLime, black, true},
    {"edDR_Dr_Amt", drAmtX, creditRow2, 120, 0, State::Disabled, black, true},
};

struct LabelLayout
{
    const char *text;
    int x, y;
    const char *colour;
};

const LabelLayout labelTable[] = {
    {"순서", 4, 14, black},
    {"계   정   과   목     이   름", accountX + 6, 1, teal},
    {"거   래   처   및  은   행    명", kubunX + 6, 1, green},
    {"사 원 이 름", sawonX + 2, 1, teal},
    {"부    서     이    름", buserX + 6, 1, green},
    {"프        로        젝        트        명", projectX + 20, 1, teal},
    {"적         요           기              재         사           항", textX + 8, 14, purple},
    {"관        리         항       목", itemX + 12, 14, maroon},
    {"차   변     금   액", crAmtX + 10, 14, black},
    {"대   변     금   액", drAmtX + 10, 14, black},
    {"차변", 8, debitRow2 + 3, black},
    {"대변", 8, creditRow2 + 3, black},
};

// What a screen reader calls a field: the entry's number, the line and the column
// label above it, e.g. "1라인 차변 계정과목". The amount columns name the line only
// where the column is the line's own ("1라인 차변 금액").
const struct
{
    const char *column;
    const char *label;
} columnLabels[] = {
    {"Serial_CrDr", "번호"},       {"Ac_JenName", "계정과목"},  {"Kubun_Name", "거래처 및 은행명"},
    {"Sawon_Name", "사원 이름"},   {"Buser_Name", "부서 이름"}, {"Project_Name", "프로젝트명"},
    {"Ac_Text", "적요 기재 사항"}, {"Item_Name", "관리 항목"},  {"Cr_Amt", "차변 금액"},
    {"Dr_Amt", "대변 금액"},
};

QString spokenFieldName(const QString &baseName, int number)
{
    const QString entry = QStringLiteral("%1라인 ").arg(number);
    if (baseName == QLatin1String("edSerial_Bun"))
        return entry + QStringLiteral("순서");
    const QString line = baseName.startsWith(QLatin1String("edCR_")) ? QStringLiteral("차변") : QStringLiteral("대변");
    const QString column = baseName.mid(5);
    for (const auto &item : columnLabels) {
        if (column != QLatin1String(item.column))
            continue;
        const QString label = QString::fromUtf8(item.label);
        if (label == line + QStringLiteral(" 금액"))
            return entry + label;
        if (label.endsWith(QStringLiteral("금액")))
            return entry + line + QStringLiteral(" 줄 ") + label;
        return entry + line + QLatin1Char(' ') + label;
    }
    return entry + line;
}

} // namespace

QString rowSuffix(int number)
{
    return QStringLiteral("_0%1").arg(number);
}

int EntryPanel::numberOf(const QWidget *field)
{
    const auto *panel = field ? qobject_cast<const EntryPanel *>(field->parentWidget()) : nullptr;
    return panel ? panel->number() : 0;
}

QString EntryPanel::baseNameOf(const QWidget *field)
{
    return field ? field->property("baseName").toString() : QString();
}

EntryPanel::EntryPanel(int number, QWidget *parent) : QFrame(parent), m_number(number)
{
    setObjectName(QStringLiteral("Panel%1").arg(number));
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);
    addLabels();

    for (const FieldLayout &item : fieldTable) {
        auto *edit = new QLineEdit(this);
        const QString base = QString::fromLatin1(item.baseName);
        edit->setObjectName(base + rowSuffix(number));
        edit->setProperty("baseName", base);
        edit->setGeometry(item.x, item.y, item.width, 20);
        if (item.maxLength > 0)
            edit->setMaxLength(item.maxLength);
        edit->setReadOnly(item.state != State::Editable);
        edit->setEnabled(item.state == State::Editable || item.state == State::ReadOnly);
        look::setTextColour(edit, QColor(QLatin1String(item.colour)),
                            item.state == State::DisabledLime ? QColor(0x00, 0xFF, 0x00) : QColor());
        if (item.bold) {
            QFont bold = edit->font();
            bold.setBold(true);
            edit->setFont(bold);
        }
        edit->setAttribute(Qt::WA_InputMethodEnabled, true);
        if (item.width < 30) { // two digits in a narrow box
            edit->setAlignment(Qt::AlignCenter);
            QFont tight = edit->font();
            tight.setLetterSpacing(QFont::AbsoluteSpacing, -1);
            edit->setFont(tight);
        }
        edit->setAccessibleName(spokenFieldName(base, number));
        m_fields.insert(base, edit);
        m_tabOrder.append(edit);
    }
    field(QStringLiteral("edSerial_Bun"))->setText(QStringLiteral("0%1").arg(number));
    field(QStringLiteral("edCR_Serial_CrDr"))->setText(QStringLiteral("01"));
    field(QStringLiteral("edDR_Serial_CrDr"))->setText(QStringLiteral("02"));
    // At design every other field shows its own name until the window clears it.
    for (QLineEdit *edit : std::as_const(m_tabOrder))
        if (edit->text().isEmpty())
            edit->setText(edit->objectName());
    setHighlighted(false);
}

void EntryPanel::addLabels()
{
    QFont bold = font();
    bold.setBold(true);
    for (const LabelLayout &item : labelTable) {
        auto *label = new QLabel(QString::fromUtf8(item.text), this);
        label->setFont(bold);
        look::setTextColour(label, QColor(QLatin1String(item.colour)));
        label->move(item.x, item.y);
    }
    auto *separator = new QLabel(QString(150, QLatin1Char('=')), this);
    look::setTextColour(separator, QColor(0xFF, 0x00, 0x00));
    separator->setGeometry(56, 68, 930, 8);
    separator->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

QLineEdit *EntryPanel::field(const QString &baseName) const
{
    return m_fields.value(baseName);
}

void EntryPanel::setHighlighted(bool aqua)
{
    m_highlighted = aqua;
    QPalette p = palette();
    p.setColor(QPalette::Window, aqua ? QColor(0x00, 0xFF, 0xFF) : look::fixedPalette().color(QPalette::Button));
    setPalette(p);
}
