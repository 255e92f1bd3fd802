#include "Tkorabbi_listak_form.h"

#include "app/Services.h"
#include "app/ui/Guard.h"
#include "app/ui/Keyboard.h"
#include "app/ui/Look.h"
#include "lists/ItemViewModel.h"
#include "lists/ListKind.h"
#include "lists/ListSelection.h"
#include "lists/PastLists.h"
#include "store/DataModule.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

namespace {

constexpr int kButtonHeight = 25;
constexpr int kGap = 8;

store::TDM1& dm()
{
    return store::TDM1::instance();
}

QTableView* makeGrid(QAbstractItemModel* model, const QString& name, QWidget* parent)
{
    auto* grid = new QTableView(parent);
    grid->setObjectName(name);
    grid->setModel(model);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setTabKeyNavigation(false);
    grid->setWordWrap(false);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    grid->horizontalHeader()->setHighlightSections(false);
    QFont bold = grid->horizontalHeader()->font();
    bold.setBold(true);
    grid->horizontalHeader()->setFont(bold);
    return grid;
}

} // namespace

Tkorabbi_listak_form::Tkorabbi_listak_form(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Tkorabbi_listak_form"));
    setWindowTitle(QStringLiteral("Korábbi listák"));
    setWindowFlags(Qt::Window);
    // The workspace behind waits until this window is closed.
    setWindowModality(Qt::ApplicationModal);
    ui::setSkyBlueBackground(this);
    resize(1000, 680);

    m_lists = new lists::PastListsModel(this);
    m_items = new lists::ItemViewModel(dm().MyQuery2, this);

    SCGroupBox1 = ui::makeGroupBox(QStringLiteral("Korábbi listák"), QStringLiteral("SCGroupBox1"), this);
    Label1 = new QLabel(QStringLiteral("Keresés (listaszám, címzett vagy dátum):"), SCGroupBox1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Edit1 = new QLineEdit(SCGroupBox1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setClearButtonEnabled(true);
    DBGrid1 = makeGrid(m_lists, QStringLiteral("DBGrid1"), SCGroupBox1);
    DBGrid1->horizontalHeader()->setStretchLastSection(false);
    DBGrid1->horizontalHeader()->setSectionResizeMode(lists::PastListsModel::AddresseeColumn,
                                                      QHeaderView::Stretch);
    Label2 =
        new QLabel(QStringLiteral("Lista megnyitása: <Enter>     Lapozás: ↑ ↓ PgUp PgDn     Bezárás: <Esc>"),
                   SCGroupBox1);
    Label2->setObjectName(QStringLiteral("Label2"));
    connect(Edit1, &QLineEdit::textChanged, this, &Tkorabbi_listak_form::Edit1Change);
    connect(DBGrid1, &QTableView::doubleClicked, this, &Tkorabbi_listak_form::DBGrid1DblClick);

    SCGroupBox2 = ui::makeGroupBox(QStringLiteral("Lista megtekintése"), QStringLiteral("SCGroupBox2"), this);
    Label3 = new QLabel(QStringLiteral("Listaszám:"), SCGroupBox2);
    Label3->setObjectName(QStringLiteral("Label3"));
    QFont bold = Label3->font();
    bold.setBold(true);
    Label3->setFont(bold);
    Label4 = new QLabel(QStringLiteral("Jegyzék címzettje:"), SCGroupBox2);
    Label4->setObjectName(QStringLiteral("Label4"));
    Edit2 = new QLineEdit(SCGroupBox2);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setReadOnly(true);
    Edit2->setFocusPolicy(Qt::NoFocus);
    Label5 = new QLabel(SCGroupBox2);
    Label5->setObjectName(QStringLiteral("Label5"));
    DBGrid2 = makeGrid(m_items, QStringLiteral("DBGrid2"), SCGroupBox2);
    DBGrid2->horizontalHeader()->setStretchLastSection(true);
    SCButton1 =
        ui::makeButton(QStringLiteral("Újranyomtatás <F8>"), QStringLiteral("SCButton1"), SCGroupBox2);
    SCButton2 =
        ui::makeButton(QStringLiteral("Nyomtatási kép <F7>"), QStringLiteral("SCButton2"), SCGroupBox2);
    SCButton3 =
        ui::makeButton(QStringLiteral("Vissza a listákhoz <Esc>"), QStringLiteral("SCButton3"), SCGroupBox2);
    connect(SCButton1, &QPushButton::clicked, this, &Tkorabbi_listak_form::SCButton1Click);
    connect(SCButton2, &QPushButton::clicked, this, &Tkorabbi_listak_form::SCButton2Click);
    connect(SCButton3, &QPushButton::clicked, this, &Tkorabbi_listak_form::SCButton3Click);
    SCGroupBox2->hide();

    ui::installKeyPreview(this, [this](QKeyEvent* event) { return FormKeyDown(event); });
    layOut();
}

void Tkorabbi_listak_form::layOut()
{
    const QRect area = rect().adjusted(4, 4, -4, -4);
    for (QGroupBox* box : {SCGroupBox1, SCGroupBox2})
        box->setGeometry(area);
    const int w = area.width();
    const int h = area.height();

    Label1->adjustSize();
    Label1->move(12, 26);
    const int editLeft = Label1->x() + Label1->width() + 8;
    Edit1->setGeometry(editLeft, 22, std::min(360, std::max(120, w - editLeft - 12)),
                       Edit1->sizeHint().height());
    Label2->adjustSize();
    Label2->move(12, h - 8 - Label2->height());
    DBGrid1->setGeometry(6, 52, w - 12, std::max(40, Label2->y() - kGap - 52));

    Label3->adjustSize();
    Label3->move(12, 26);
    Label4->adjustSize();
    const int captionLeft = std::max(160, Label3->x() + Label3->width() + 24);
    Label4->move(captionLeft, 26);
    const int edit2Left = captionLeft + Label4->width() + 8;
    Label5->adjustSize();
    const int edit2Width = std::min(420, std::max(120, w - edit2Left - 24 - Label5->width() - 12));
    Edit2->setGeometry(edit2Left, 22, edit2Width, Edit2->sizeHint().height());
    Label5->move(edit2Left + edit2Width + 24, 26);
    const int buttonsTop = h - 8 - kButtonHeight;
    DBGrid2->setGeometry(6, 52, w - 12, std::max(40, buttonsTop - kGap - 52));
    int buttonWidth = 190;
    for (QPushButton* button : {SCButton1, SCButton2, SCButton3}) {
        button->ensurePolished();
        buttonWidth = std::max(buttonWidth, button->sizeHint().width() + 8);
    }
    buttonWidth = std::min(buttonWidth, (w - 12 - 2 * kGap) / 3);
    int left = (w - (3 * buttonWidth + 2 * kGap)) / 2;
    for (QPushButton* button : {SCButton1, SCButton2, SCButton3}) {
        button->setGeometry(left, buttonsTop, buttonWidth, kButtonHeight);
        left += buttonWidth + kGap;
    }
}

void Tkorabbi_listak_form::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layOut();
}

void Tkorabbi_listak_form::openForKind(int kind)
{
    m_kind = kind;
    setWindowTitle(QStringLiteral("Korábbi listák – %1").arg(lists::listKind(kind).caption));
    m_items->setClassificationTitle(lists::listKind(kind).classificationTitle);
    {
        const QSignalBlocker quiet(Edit1);
        Edit1->clear();
    }
    reload(QString());
    showLists();
    show();
    raise();
    activateWindow();
    Edit1->setFocus();
}

void Tkorabbi_listak_form::reload(const QString& filter)
{
    ui::guarded([&] {
        m_lists->setLists(lists::PastLists::load(dm(), lists::listKind(m_kind)), filter);
        DBGrid1->setColumnWidth(lists::PastListsModel::NumberColumn, 80);
        for (int column = lists::PastListsModel::ClassifiedColumn;
             column <= lists::PastListsModel::TotalColumn; ++column)
            DBGrid1->setColumnWidth(column, 95);
        DBGrid1->setColumnWidth(lists::PastListsModel::PrintedColumn, 160);
        DBGrid1->setColumnWidth(lists::PastListsModel::PrintCountColumn, 95);
    });
    if (m_lists->rowCount() > 0)
        DBGrid1->selectRow(0);
}

bool Tkorabbi_listak_form::listShown() const
{
    return !SCGroupBox2->isHidden();
}

void Tkorabbi_listak_form::showLists()
{
    m_shownList = 0;
    SCGroupBox2->hide();
    SCGroupBox1->show();
    Edit1->setFocus();
}

void Tkorabbi_listak_form::Edit1Change(const QString& text)
{
    m_lists->setFilter(text);
    if (m_lists->rowCount() > 0)
        DBGrid1->selectRow(0);
}

void Tkorabbi_listak_form::DBGrid1DblClick()
{
    const QModelIndex current = DBGrid1->currentIndex();
    if (!current.isValid())
        return;
    openList(m_lists->list(current.row()).number);
}

void Tkorabbi_listak_form::openList(int listNumber)
{
    ui::guarded([&] {
        const lists::ListKindInfo& info = lists::listKind(m_kind);
        lists::ListSelection(dm(), info).openItemView(listNumber);
        m_shownList = listNumber;
        Label3->setText(QStringLiteral("Listaszám: %1").arg(listNumber));
        QString addressee;
        QString printed = QStringLiteral("Nincs nyomtatva");
        for (int row = 0; row < m_lists->rowCount(); ++row) {
            const lists::PastList& list = m_lists->list(row);
            if (list.number != listNumber)
                continue;
            addressee = list.addressee;
            if (list.isPrinted())
                printed = QStringLiteral("Nyomtatva: %1 (%2 alkalommal)")
                              .arg(list.printedText)
                              .arg(list.printCount);
            break;
        }
        Edit2->setText(addressee);
        Label5->setText(printed);
        DBGrid2->setColumnWidth(lists::ItemViewModel::SerialColumn, 40);
        DBGrid2->setColumnWidth(lists::ItemViewModel::RegistrationColumn, 230);
        DBGrid2->setColumnWidth(lists::ItemViewModel::ClassificationColumn, 170);
        DBGrid2->setColumnWidth(lists::ItemViewModel::CountColumn, 90);
        layOut();
        SCGroupBox1->hide();
        SCGroupBox2->show();
        if (m_items->rowCount() > 0)
            DBGrid2->selectRow(0);
        DBGrid2->setFocus();
    });
}

void Tkorabbi_listak_form::SCButton1Click()
{
    if (!listShown())
        return;
    ui::guarded([this] {
        const int number = m_shownList;
        if (lists::reprintList(dm(), m_kind, number, app::messages()) == lists::PrintResult::Printed)
            listPrinted(m_kind, number);
    });
}

void Tkorabbi_listak_form::SCButton2Click()
{
    if (!listShown())
        return;
    ui::guarded([this] {
        const std::optional<lists::ListCopies> copies =
            lists::layOutStoredList(dm(), m_kind, m_shownList, app::messages());
        if (copies)
            emit previewRequested(*copies);
    });
}

void Tkorabbi_listak_form::SCButton3Click()
{
    showLists();
}

void Tkorabbi_listak_form::listPrinted(int kind, int listNumber)
{
    if (kind != m_kind || !isVisible())
        return;
    const int shown = m_shownList;
    reload(m_lists->filter());
    if (shown != 0 && shown == listNumber)
        openList(shown);
}

bool Tkorabbi_listak_form::FormKeyDown(QKeyEvent* event)
{
    const bool oneList = listShown();
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (oneList)
            return false;
        DBGrid1DblClick();
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        // The filter keeps the focus while the arrows move through the lists.
        if (!oneList && QApplication::focusWidget() == Edit1) {
            QKeyEvent copy(event->type(), event->key(), event->modifiers());
            QCoreApplication::sendEvent(DBGrid1, &copy);
            return true;
        }
        return false;
    case Qt::Key_F7:
        if (oneList)
            SCButton2Click();
        return true;
    case Qt::Key_F8:
        if (oneList)
            SCButton1Click();
        return true;
    case Qt::Key_Escape:
        if (oneList)
            showLists();
        else
            close();
        return true;
    default:
        return false;
    }
}

void Tkorabbi_listak_form::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
    emit closed(m_kind);
}
