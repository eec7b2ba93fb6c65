#include "lookup/searchdialog.h"

#include "ui/accessible.h"
#include "ui/messages.h"
#include "ui/placement.h"
#include "ui/windowlook.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QStyle>
#include <QTableView>

#include <algorithm>

namespace lookup {

namespace {

const QString altF4Message = QStringLiteral("현재 \"Alt+F4\"키는 종료를 못 시킵니다");
const QString chooserEntries[] = {QStringLiteral("전   체"), QStringLiteral("거래처"), QStringLiteral("은행명")};

const QColor green(0x00, 0x80, 0x00);
const QColor blue(0x00, 0x00, 0xff);
const QColor teal(0x00, 0x80, 0x80);

constexpr int bandHeight = 105;
constexpr int searchWidth = 218;
constexpr int searchBtnOffset = 222; // from the search box's left edge

QFont gulim(int pixels, bool bold)
{
    QFont font(QStringLiteral("굴림"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

void paint(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Active, role, colour);
        palette.setColor(QPalette::Inactive, role, colour);
    }
    widget->setPalette(palette);
}

QLabel *label(const QString &text, QWidget *parent, int x, int y)
{
    auto *l = new QLabel(text, parent);
    l->move(x, y);
    l->adjustSize();
    return l;
}

QLineEdit *edit(const QString &name, QWidget *parent, const QRect &geometry)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setGeometry(geometry);
    return e;
}

QPushButton *button(const QString &name, const QString &caption, QWidget *parent, const QRect &geometry)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setGeometry(geometry);
    return b;
}

bool isEnter(const QKeyEvent *key)
{
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

bool isAltF4(const QKeyEvent *key)
{
    return key->key() == Qt::Key_F4 && key->modifiers().testFlag(Qt::AltModifier);
}

} // namespace

SearchDialog::SearchDialog(const DialogDesign &design, QWidget *entryWindow)
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_design(design),
      m_entry(entryWindow)
{
    setObjectName(design.objectName);
    setWindowTitle(design.caption);
    // A shown dialog must not keep the program running once the entry window closes.
    setAttribute(Qt::WA_QuitOnClose, false);
    setFont(gulim(13, false));
    setFixedSize(design.clientSize);
    build();
    look::fixColours(this);
    centre();

    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *old, QWidget *now) {
        if (old == m_search)
            searchFromExit(now);
    });
}

void SearchDialog::build()
{
    buildBand();
    buildGrid();
    orderTabs();
    nameForScreenReaders();
    // Key preview: the dialog sees every key before the control that has the focus.
    installEventFilter(this);
    QList<QWidget *> keyed{m_code, m_name, m_search, m_searchBtn, m_grid};
    for (QPushButton *button : std::as_const(m_barButtons))
        keyed << button;
    if (m_chooser)
        keyed << m_chooser << m_chooser->lineEdit();
    for (QWidget *control : keyed)
        control->installEventFilter(this);
}

void SearchDialog::buildBand()
{
    auto *band = new QFrame(this);
    band->setObjectName(QStringLiteral("Panel1"));
    band->setGeometry(0, 0, width(), bandHeight);
    band->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    band->setFont(gulim(12, true));
    paint(band, green);

    const int leftOfSearch = m_design.hasChooser ? 440 : m_design.searchX;
    label(QStringLiteral("선택한 코드"), band, 8, 7);
    m_code = edit(QStringLiteral("edAc_code2"), band, QRect(8, 21, 150, 21));
    label(m_design.kindLabel, band, 8, 58);
    m_name = edit(QStringLiteral("edAc_Name2"), band, QRect(8, 72, leftOfSearch - 20, 21));
    for (QLineEdit *shown : {m_code, m_name}) {
        shown->setEnabled(false);
        shown->setReadOnly(true);
    }

    QLabel *searchLabel = label(m_design.searchLabel, band, leftOfSearch, 58);
    searchLabel->setFont(gulim(13, true));
    paint(searchLabel, blue);
    searchLabel->adjustSize();

    if (m_design.hasChooser) {
        m_chooser = new QComboBox(band);
        m_chooser->setObjectName(QStringLiteral("cbCheck"));
        m_chooser->setGeometry(440, 72, 68, 20);
        m_chooser->setEditable(true);
        m_chooser->setInsertPolicy(QComboBox::NoInsert);
        for (const QString &entry : chooserEntries)
            m_chooser->addItem(entry);
        connect(m_chooser, &QComboBox::currentTextChanged, this, [this] { searchGuarded(); });
    }

    m_search = edit(QStringLiteral("edSearch"), band, QRect(m_design.searchX, 72, searchWidth, 21));
    m_search->setFont(gulim(13, true));
    paint(m_search, green);

    m_searchBtn = button(QStringLiteral("SearchBtn"), QStringLiteral("&R 검색"), band,
                         QRect(m_design.searchX + searchBtnOffset, 70, 80, 25));
    m_searchBtn->setFont(gulim(13, true));
    paint(m_searchBtn, teal);
    connect(m_searchBtn, &QPushButton::clicked, this, [this] { searchGuarded(); });

    buildButtonBar(band);
}

void SearchDialog::buildButtonBar(QWidget *band)
{
    auto *bar = new QFrame(band);
    bar->setObjectName(QStringLiteral("Panel7"));
    bar->setGeometry(m_design.barX, 10, 497, 39);
    bar->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    const struct
    {
        const char *name;
        QString caption;
    } buttons[] = {
        {"InsertBtn", QStringLiteral("&I 등록")}, {"CancelBtn", QStringLiteral("&C 취소")},
        {"SaveBtn", QStringLiteral("&S 저장")},   {"DeleteBtn", QStringLiteral("D 삭제")},
        {"PrintBtn", QStringLiteral("P 출력")},   {"CloseBtn", QStringLiteral("&X 종료")},
    };
    int x = 8;
    for (const auto &b : buttons) {
        QPushButton *made = button(QString::fromLatin1(b.name), b.caption, bar, QRect(x, 7, 80, 25));
        made->setEnabled(false);
        m_barButtons << made;
        x += 81;
        m_closeBtn = made; // the last one made is the close button
    }
    m_closeBtn->setEnabled(true);
    connect(m_closeBtn, &QPushButton::clicked, this, &QWidget::hide);
}

void SearchDialog::buildGrid()
{
    m_model = new QStandardItemModel(0, int(m_design.columns.size()), this);
    const Qt::Alignment titleAlignment = m_design.centredTitles ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter;
    for (int i = 0; i < int(m_design.columns.size()); ++i) {
        auto *title = new QStandardItem(m_design.columns[i].title);
        title->setTextAlignment(titleAlignment);
        m_model->setHorizontalHeaderItem(i, title);
        if (m_design.columns[i].name == m_design.codeColumn)
            m_codeIndex = i;
        if (m_design.columns[i].name == m_design.nameColumn)
            m_nameIndex = i;
    }

    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setGeometry(0, bandHeight, width(), height() - bandHeight);
    m_grid->setModel(m_model);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setWordWrap(false);
    m_grid->horizontalHeader()->setFont(gulim(13, false));
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_grid->horizontalHeader()->setHighlightSections(false);
    // The row indicator only shows where the grid stands; moving happens in the cells.
    m_grid->verticalHeader()->setSectionsClickable(false);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 6);
    // A shown width counts characters of the grid's font, plus the cell's
    // margins. Fonts for Hangul report an average narrower than a digit, which
    // would cut the codes short, so a digit's width is the least taken.
    const QFontMetrics metrics = m_grid->fontMetrics();
    const int charWidth = std::max(metrics.averageCharWidth(), metrics.horizontalAdvance(QLatin1Char('0')));
    const int margins = 2 * (m_grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_grid) + 1);
    for (int i = 0; i < int(m_design.columns.size()); ++i)
        m_grid->setColumnWidth(i, m_design.columns[i].shownWidth * charWidth + margins);

    connect(m_grid, &QTableView::clicked, this, &SearchDialog::pick);
    connect(m_grid, &QTableView::doubleClicked, this, &SearchDialog::pickAndClose);
}

void SearchDialog::nameForScreenReaders()
{
    m_code->setAccessibleName(QStringLiteral("선택한 코드"));
    m_name->setAccessibleName(m_design.kindLabel);
    m_search->setAccessibleName(m_design.searchLabel);
    if (m_chooser) {
        m_chooser->setAccessibleName(QStringLiteral("거래처 은행 구분"));
        m_chooser->setAccessibleDescription(QStringLiteral("거래처 은행 구분"));
        m_chooser->lineEdit()->setAccessibleName(QStringLiteral("거래처 은행 구분"));
    }
    accessible::nameButton(m_searchBtn);
    for (QPushButton *b : std::as_const(m_barButtons))
        accessible::nameButton(b);
    accessible::describeGrid(m_grid, QStringLiteral("검색 결과"));
}

void SearchDialog::orderTabs()
{
    if (m_chooser)
        QWidget::setTabOrder(m_chooser, m_search);
    QWidget::setTabOrder(m_search, m_searchBtn);
    QWidget::setTabOrder(m_searchBtn, m_closeBtn);
    QWidget::setTabOrder(m_closeBtn, m_grid);
}

// Centred over the entry window by integer halves, on its screen.
void SearchDialog::centre()
{
    placement::placeOver(this, m_entry);
}

void SearchDialog::prepare(int row, const QString &text)
{
    m_code->clear();
    m_name->clear();
    m_search->clear();
    m_row = row;
    m_search->setText(text);
    if (m_chooser) {
        const QSignalBlocker quiet(m_chooser);
        m_chooser->setCurrentIndex(0);
    }
}

store::KindChoice SearchDialog::chosenKind() const
{
    if (!m_chooser)
        return store::KindChoice::All;
    // Text typed into the chooser that names no entry leaves no entry selected.
    switch (m_chooser->findText(m_chooser->currentText())) {
    case 0:
        return store::KindChoice::All;
    case 1:
        return store::KindChoice::Customers;
    case 2:
        return store::KindChoice::Banks;
    default:
        return store::KindChoice::None;
    }
}

void SearchDialog::search()
{
    clearResult();
    showResult(store::lookupText(m_design.statement, m_search->text(), chosenKind()));
}

void SearchDialog::clearResult()
{
    m_model->removeRows(0, m_model->rowCount());
}

void SearchDialog::showResult(const store::LookupResult &result)
{
    std::vector<int> source; // result column of each grid column
    for (const GridColumn &column : m_design.columns) {
        int found = -1;
        for (int i = 0; i < result.columns.size(); ++i)
            if (result.columns[i].compare(column.name, Qt::CaseInsensitive) == 0)
                found = i;
        source.push_back(found);
    }
    for (const QStringList &row : result.rows) {
        QList<QStandardItem *> items;
        for (int from : source) {
            auto *item = new QStandardItem(from >= 0 ? row.value(from) : QString());
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            items << item;
        }
        m_model->appendRow(items);
    }
    if (m_model->rowCount() > 0)
        m_grid->setCurrentIndex(m_model->index(0, 0));
    m_grid->scrollToTop();
}

void SearchDialog::searchGuarded()
{
    guarded([this] { search(); }, this);
}

// Leaving the search box for another control of this dialog searches; a switch
// to another window is no leaving.
void SearchDialog::searchFromExit(QWidget *now)
{
    if (!now || now == m_search || now->window() != this)
        return;
    if (now == m_closeBtn && !m_design.searchTowardsClose)
        return;
    searchGuarded();
}

// Every opening starts in the search box, whatever had the focus when the
// dialog was last closed.
void SearchDialog::showNonBlocking()
{
    if (!isVisible())
        centre();
    m_search->setFocus();
    show();
    raise();
    activateWindow();
}

void SearchDialog::open(int row, const QString &text)
{
    prepare(row, text);
    search();
    showNonBlocking();
}

// Shows the grid's current record (empty when there is none) as the pick, and
// says it was picked for the entry of the last opening.
void SearchDialog::pick()
{
    QString code;
    QString name;
    const QModelIndex current = m_grid->currentIndex();
    if (current.isValid()) {
        code = m_model->index(current.row(), m_codeIndex).data().toString();
        name = m_model->index(current.row(), m_nameIndex).data().toString();
    }
    m_code->setText(code);
    m_name->setText(name);
    if (m_row >= 1)
        emit picked(m_design.objectName, m_row, code, name);
}

void SearchDialog::pickAndClose()
{
    pick();
    hide();
}

bool SearchDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)
        return handleKey(watched, static_cast<QKeyEvent *>(event));
    return QWidget::eventFilter(watched, event);
}

bool SearchDialog::handleKey(QObject *watched, QKeyEvent *key)
{
    const bool press = key->type() == QEvent::KeyPress;
    if (press && isAltF4(key)) {
        showPlain(altF4Message, this);
        return true;
    }
    // Esc closes the dialog as its close button does, from any control.
    if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
        if (press)
            m_closeBtn->click();
        return true;
    }
    if (watched == m_grid) {
        if (press && isEnter(key)) {
            pickAndClose();
            return true;
        }
        // At a press the grid has not moved yet; at the release it has.
        pick();
        return false;
    }
    if (press && watched == m_search && key->key() == Qt::Key_Down) {
        m_grid->setFocus(Qt::TabFocusReason);
        return true;
    }
    if (!press || !isEnter(key))
        return false;
    if (watched == m_search || (m_chooser && watched == m_chooser)) {
        focusNextChild();
        return true;
    }
    if (auto *pressed = qobject_cast<QPushButton *>(watched)) {
        pressed->click();
        return true;
    }
    return false;
}

void SearchDialog::closeEvent(QCloseEvent *event)
{
    // The program closing its windows on the way out closes the dialog too.
    if (!event->spontaneous()) {
        event->accept();
        return;
    }
    // From the window system, only the close button and a double click close it.
    event->ignore();
    showPlain(altF4Message, this);
}

} // namespace lookup
