#include "entry/entrywindow.h"

#include "base/amount.h"
#include "store/vouchers.h"
#include "ui/accessible.h"
#include "ui/messages.h"
#include "ui/placement.h"
#include "ui/windowlook.h"

#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

namespace {

constexpr int windowWidth = 995, windowHeight = 718;
// A pixel beside the text in a field, no more: the fields are narrow.
const QMargins fieldTextMargins(1, 0, 1, 0);

} // namespace

QLabel *headerLabel(const QString &text, int x, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    look::setTextColour(label, QColor(0x00, 0x80, 0x00));
    label->move(x, 2);
    return label;
}

EntryWindow::EntryWindow(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("fmMarvet7"));
    setWindowTitle(QStringLiteral("제조원가 투입 및 매출원가 대체 등록 폼입니다."));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(windowWidth, windowHeight);
    QFont gulim(QStringLiteral("굴림"));
    gulim.setPixelSize(12);
    setFont(gulim);
    setAttribute(Qt::WA_DeleteOnClose);

    buildHeader();
    buildButtonBar();
    buildPanelArea();
    setTabOrder();
    connectHandlers();
    addDayPrintCommand();
    addVoucherCommands();
    addFindCommand();
    nameForScreenReaders();
    // Margins and colours are the controls' own rather than a style sheet's:
    // a style sheet on the window drew every control through the style-sheet
    // style, and the window came on screen 12-13 ms later.
    for (QLineEdit *edit : findChildren<QLineEdit *>())
        edit->setTextMargins(fieldTextMargins);
    look::fixColours(this);
}

EntryWindow::~EntryWindow()
{
    disconnect(qApp, nullptr, this, nullptr);
}

void EntryWindow::buildHeader()
{
    QLabel *dateLabel = headerLabel(QStringLiteral("기준일자"), 8, this);
    QLabel *branchLabel = headerLabel(QStringLiteral("본지점구분"), 80, this);
    QLabel *serialLabel = headerLabel(QStringLiteral("전표번호"), 172, this);

    edDate = new QLineEdit(QStringLiteral("2001-05-30"), this);
    edDate->setObjectName(QStringLiteral("edDate"));
    edDate->setGeometry(8, 18, 68, 20);
    edDate->setMaxLength(10);

    cbKubun = new QComboBox(this);
    cbKubun->setObjectName(QStringLiteral("cbKubun"));
    cbKubun->setEditable(true);
    cbKubun->setInsertPolicy(QComboBox::NoInsert);
    cbKubun->setGeometry(80, 18, 88, 20);

    edSerial = new QLineEdit(QStringLiteral("2001-05-30-12345678"), this);
    edSerial->setObjectName(QStringLiteral("edSerial"));
    edSerial->setGeometry(172, 18, 125, 20);
    edSerial->setEnabled(false);
    // The header labels stand over their fields: a screen reader names the box by them.
    dateLabel->setBuddy(edDate);
    branchLabel->setBuddy(cbKubun);
    serialLabel->setBuddy(edSerial);
    look::setTextColour(edSerial, Qt::black, QColor(0x00, 0xFF, 0xFF));
    // The installed Korean font runs a little wider than the fields were drawn
    // for: tighten the letters so that a whole date and number stay in view.
    for (QLineEdit *edit : {edDate, edSerial}) {
        QFont tight = edit->font();
        tight.setLetterSpacing(QFont::AbsoluteSpacing, -0.5);
        edit->setFont(tight);
    }
}

void EntryWindow::buildButtonBar()
{
    Panel7 = new QFrame(this);
    Panel7->setObjectName(QStringLiteral("Panel7"));
    Panel7->setFrameShape(QFrame::Panel);
    Panel7->setFrameShadow(QFrame::Sunken);
    Panel7->setGeometry(windowWidth - 497 - 3, 1, 497, 39);
    QFont barFont(QStringLiteral("굴림"));
    barFont.setPixelSize(15);
    barFont.setBold(true);
    struct ButtonRow
    {
        QPushButton **button;
        const char *name;
        const char *caption;
    };
    const ButtonRow buttons[] = {
        {&InsertBtn, "InsertBtn", "&I 등록"}, {&CancelBtn, "CancelBtn", "&C 취소"}, {&SaveBtn, "SaveBtn", "&S 저장"},
        {&DeleteBtn, "DeleteBtn", "D 삭제"},  {&PrintBtn, "PrintBtn", "P 출력"},    {&CloseBtn, "CloseBtn", "&X 종료"},
    };
    int x = 4;
    for (const ButtonRow &item : buttons) {
        auto *button = new QPushButton(QString::fromUtf8(item.caption), Panel7);
        button->setObjectName(QString::fromLatin1(item.name));
        button->setGeometry(x, 7, 80, 25);
        button->setFont(barFont);
        look::setTextColour(button, QColor(0x00, 0x80, 0x00));
        button->setAutoDefault(false);
        *item.button = button;
        x += 82;
    }
}

void EntryWindow::buildPanelArea()
{
    auto *area = new QFrame(this);
    area->setObjectName(QStringLiteral("PanelArea"));
    area->setFrameShape(QFrame::Panel);
    area->setFrameShadow(QFrame::Raised);
    area->setGeometry(0, 42, windowWidth, 676);
    const int tops[] = {2, 119, 236, 353};
    for (int n = 1; n <= 4; ++n) {
        auto *p = new EntryPanel(n, area);
        p->setGeometry(2, tops[n - 1], 991, 117);
        m_panels[size_t(n - 1)] = p;
    }

    m_list = new VoucherListModel(this);
    DBGrid1 = new QTableView(area);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setGeometry(2, 470, 991, 204);
    DBGrid1->setModel(m_list);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setTabKeyNavigation(false);
    DBGrid1->verticalHeader()->setDefaultSectionSize(18);
    DBGrid1->verticalHeader()->setFixedWidth(12);
    DBGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    for (int c = 0; c < m_list->columnCount(); ++c) {
        const int width = VoucherListModel::columnWidth(c);
        if (width == 0)
            DBGrid1->setColumnHidden(c, true);
        else if (width > 0)
            DBGrid1->setColumnWidth(c, width);
    }
}

void EntryWindow::nameForScreenReaders()
{
    edDate->setAccessibleName(QStringLiteral("기준일자"));
    cbKubun->setAccessibleName(QStringLiteral("본지점구분"));
    cbKubun->lineEdit()->setAccessibleName(QStringLiteral("본지점구분"));
    edSerial->setAccessibleName(QStringLiteral("전표번호"));
    for (QPushButton *button : {InsertBtn, CancelBtn, SaveBtn, DeleteBtn, PrintBtn, CloseBtn})
        accessible::nameButton(button);
    accessible::describeGrid(DBGrid1, QStringLiteral("전표 목록"));
}

void EntryWindow::setTabOrder()
{
    QList<QWidget *> chain;
    for (EntryPanel *p : m_panels)
        for (QLineEdit *edit : p->fieldsInTabOrder())
            chain << edit;
    chain << DBGrid1 << InsertBtn << CancelBtn << SaveBtn << PrintBtn << CloseBtn << DeleteBtn << edDate << cbKubun
          << edSerial;
    for (qsizetype i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
}

void EntryWindow::FormCreate()
{
    // Centred on the screen it opens on, whatever position the window system
    // proposes, and wholly on it (or title bar and buttons on it) at any scale.
    placement::placeOnScreen(this);
    guarded(
        [this] {
            const QStringList branches = store::branchList();
            cbKubun->clear();
            cbKubun->addItems(branches);
            edDate->setText(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
            cbKubun->setCurrentIndex(branches.isEmpty() ? -1 : 0);
            m_lastBranchIndex = cbKubun->currentIndex();
            m_branchTyped = false;
            m_relocateKey.clear();
            pClear();
            pQuery();
            m_mode = EntryMode::Ready;
            pEnabledBtn();
        },
        this);
}

void EntryWindow::closeEvent(QCloseEvent *event)
{
    // Whatever is typed and not saved is lost: there is no question.
    QWidget::closeEvent(event);
    emit closing();
}

void EntryWindow::CloseBtnClick()
{
    close();
}

QLineEdit *EntryWindow::field(const QString &name) const
{
    for (EntryPanel *p : m_panels)
        if (name.endsWith(rowSuffix(p->number())))
            return p->field(name.chopped(3));
    return nullptr;
}

QLineEdit *EntryWindow::field(const QString &baseName, int number) const
{
    return panel(number)->field(baseName);
}

int EntryWindow::branchPosition() const
{
    return m_branchTyped ? -1 : cbKubun->currentIndex();
}

QString EntryWindow::branchCode() const
{
    return store::branchCode(branchPosition());
}

int EntryWindow::currentListRow() const
{
    const QModelIndex index = DBGrid1->currentIndex();
    return index.isValid() ? index.row() : (m_list->isEmpty() ? -1 : 0);
}

void EntryWindow::setCurrentListRow(int row)
{
    if (row < 0 || row >= m_list->rowCount())
        return;
    DBGrid1->setCurrentIndex(m_list->index(row, 1));
    DBGrid1->selectRow(row);
}

void EntryWindow::focusNext()
{
    focusNextPrevChild(true);
}

void EntryWindow::moveFocus(QWidget *to)
{
    m_focusTarget = to;
    to->setFocus();
}

void EntryWindow::moveFocusQuietly(QWidget *to)
{
    const bool inExit = m_inExit;
    m_inExit = true;
    to->setFocus();
    m_inExit = inExit;
}
