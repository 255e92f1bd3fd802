#include "ListWorkspace.h"

#include "app/AppState.h"
#include "app/Services.h"
#include "app/ui/ConfirmDialog.h"
#include "app/ui/Guard.h"
#include "app/ui/Keyboard.h"
#include "app/ui/Look.h"
#include "app/ui/TForm1.h"
#include "app/ui/Windows.h"
#include "items/GroupEntry.h"
#include "lists/ItemDeletion.h"
#include "lists/ItemViewModel.h"
#include "lists/ListKind.h"
#include "lists/ListPrinting.h"
#include "lists/ListSelection.h"
#include "lists/Renumbering.h"
#include "store/DataModule.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTimer>

namespace {

constexpr int kBorder = 4;        // between the window and a visible panel
constexpr int kButtonGap = 8;     // between the panel buttons, and above them
constexpr int kButtonWidth = 190; // at least; wider when the captions need it
constexpr int kButtonHeight = 25;
constexpr int kGridTop = 52;       // below the list number and addressee row
constexpr int kGridSideMargin = 6; // inside the panel frame
constexpr int kChoiceWidth = 257;
constexpr int kChoiceHeight = 30;

store::TDM1& dm()
{
    return store::TDM1::instance();
}

// One model over the item view serves the grids of all five workspaces, as only the
// workspace on show uses the item view.
lists::ItemViewModel& itemModel()
{
    static auto* model = new lists::ItemViewModel(store::TDM1::instance().MyQuery2);
    return *model;
}

void processPendingEvents()
{
    QCoreApplication::processEvents();
}

} // namespace

ListWorkspace::ListWorkspace(int kind, QWidget* parent) : QWidget(parent), m_kind(kind)
{
    const lists::ListKindInfo& info = lists::listKind(kind);
    setObjectName(info.windowName);
    setWindowTitle(info.caption);
    switch (info.frame) {
    case lists::WindowFrame::FixedCloseOnly:
    case lists::WindowFrame::ResizableCloseOnly:
        setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                       Qt::WindowCloseButtonHint);
        break;
    case lists::WindowFrame::ResizableWithMinMax:
        setWindowFlags(Qt::Window);
        break;
    }
    ui::setSkyBlueBackground(this);
    resize(1024, 700);

    SCButton1 = ui::makeButton(QStringLiteral("Aktív lista"), QStringLiteral("SCButton1"), this);
    SCButton2 = ui::makeButton(QStringLiteral("Előző lista"), QStringLiteral("SCButton2"), this);
    SCButton11 = ui::makeButton(QStringLiteral("Korábbi listák"), QStringLiteral("SCButton11"), this);
    for (QPushButton* choice : {SCButton1, SCButton2, SCButton11})
        choice->resize(kChoiceWidth, kChoiceHeight);
    connect(SCButton1, &QPushButton::clicked, this, &ListWorkspace::SCButton1Click);
    connect(SCButton2, &QPushButton::clicked, this, &ListWorkspace::SCButton2Click);
    connect(SCButton11, &QPushButton::clicked, this, &ListWorkspace::SCButton11Click);

    m_active = createPanel(QStringLiteral("Aktív lista"), 1, {3, 5, 4, 6, 12});
    SCGroupBox1 = m_active.box;
    Label1 = m_active.number;
    Label2 = m_active.caption;
    Edit1 = m_active.addressee;
    DBGrid1 = m_active.grid;
    SCButton3 = m_active.add;
    SCButton5 = m_active.group;
    SCButton4 = m_active.remove;
    SCButton6 = m_active.print;
    SCButton12 = m_active.preview;

    m_previous = createPanel(QStringLiteral("Előző lista"), 2, {7, 9, 8, 10, 13});
    SCGroupBox2 = m_previous.box;
    Label3 = m_previous.number;
    Label4 = m_previous.caption;
    Edit2 = m_previous.addressee;
    DBGrid2 = m_previous.grid;
    SCButton7 = m_previous.add;
    SCButton9 = m_previous.group;
    SCButton8 = m_previous.remove;
    SCButton10 = m_previous.print;
    SCButton13 = m_previous.preview;

    connect(SCButton3, &QPushButton::clicked, this, &ListWorkspace::SCButton3Click);
    connect(SCButton5, &QPushButton::clicked, this, &ListWorkspace::SCButton5Click);
    connect(SCButton4, &QPushButton::clicked, this, &ListWorkspace::SCButton4Click);
    connect(SCButton6, &QPushButton::clicked, this, &ListWorkspace::SCButton6Click);
    connect(SCButton7, &QPushButton::clicked, this, &ListWorkspace::SCButton7Click);
    connect(SCButton9, &QPushButton::clicked, this, &ListWorkspace::SCButton9Click);
    connect(SCButton8, &QPushButton::clicked, this, &ListWorkspace::SCButton8Click);
    connect(SCButton10, &QPushButton::clicked, this, &ListWorkspace::SCButton10Click);
    connect(SCButton12, &QPushButton::clicked, this, &ListWorkspace::SCButton12Click);
    connect(SCButton13, &QPushButton::clicked, this, &ListWorkspace::SCButton13Click);
    for (const Panel* panel : {&m_active, &m_previous}) {
        for (QPushButton* button : {panel->add, panel->group, panel->remove, panel->print, panel->preview})
            button->resize(kButtonWidth, kButtonHeight);
        panel->box->hide();
    }

    JvThreadTimer1 = new QTimer(this);
    JvThreadTimer1->setObjectName(QStringLiteral("JvThreadTimer1"));
    JvThreadTimer1->setSingleShot(true);
    JvThreadTimer1->setInterval(100);
    connect(JvThreadTimer1, &QTimer::timeout, this, &ListWorkspace::JvThreadTimer1Timer);

    // The grids follow the item view's current row whenever it is reloaded.
    connect(&itemModel(), &QAbstractItemModel::modelReset, this, [this] {
        selectCurrentItem(DBGrid1);
        selectCurrentItem(DBGrid2);
    });

    ui::installKeyPreview(this, [this](QKeyEvent* event) { return FormKeyDown(event); });
    centreChoiceButtons();
}

ListWorkspace::Panel ListWorkspace::createPanel(const QString& title, int index, std::array<int, 5> buttons)
{
    Panel panel{};
    panel.box = new QGroupBox(title, this);
    panel.box->setObjectName(QStringLiteral("SCGroupBox%1").arg(index));
    ui::styleGroupBox(panel.box);
    panel.number = new QLabel(QStringLiteral("Listaszám:"), panel.box);
    panel.number->setObjectName(QStringLiteral("Label%1").arg(2 * index - 1));
    QFont bold = panel.number->font();
    bold.setBold(true);
    panel.number->setFont(bold);
    panel.caption = new QLabel(QStringLiteral("Jegyzék címzettje:"), panel.box);
    panel.caption->setObjectName(QStringLiteral("Label%1").arg(2 * index));
    panel.addressee = new QLineEdit(panel.box);
    panel.addressee->setObjectName(QStringLiteral("Edit%1").arg(index));
    // Filled only by opening a list; the operator can neither type nor tab into it.
    panel.addressee->setReadOnly(true);
    panel.addressee->setFocusPolicy(Qt::NoFocus);
    createGrid(panel);
    panel.grid->setObjectName(QStringLiteral("DBGrid%1").arg(index));
    const auto button = [&](const QString& caption, int number) {
        return ui::makeButton(caption, QStringLiteral("SCButton%1").arg(number), panel.box);
    };
    panel.add = button(QStringLiteral("Tétel hozzáadása <F2>"), buttons[0]);
    panel.group = button(QStringLiteral("Csoportos felvitel <F4>"), buttons[1]);
    panel.remove = button(QStringLiteral("Kijelölt törlése <F6>"), buttons[2]);
    panel.print = button(QStringLiteral("Jegyzék nyomtatása <F8>"), buttons[3]);
    panel.preview = button(QStringLiteral("Nyomtatási kép <F7>"), buttons[4]);
    return panel;
}

void ListWorkspace::createGrid(Panel& panel)
{
    auto* grid = new QTableView(panel.box);
    grid->setModel(&itemModel());
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setTabKeyNavigation(false);
    grid->setWordWrap(false);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    QHeaderView* header = grid->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setStretchLastSection(true);
    header->setHighlightSections(false);
    // The operator's selection is the item view's current row, which the item dialogs,
    // deletion and printing read.
    connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [](const QModelIndex& current) {
                if (current.isValid())
                    dm().MyQuery2.setCurrentRow(current.row());
            });
    panel.grid = grid;
}

void ListWorkspace::selectCurrentItem(QTableView* grid)
{
    const int row = dm().MyQuery2.isOpen() ? dm().MyQuery2.currentRow() : -1;
    if (row < 0 || row >= itemModel().rowCount()) {
        grid->selectionModel()->clear();
        return;
    }
    grid->selectionModel()->setCurrentIndex(itemModel().index(row, 0),
                                            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void ListWorkspace::layOutPanel(const Panel& panel)
{
    const QRect area = rect().adjusted(kBorder, kBorder, -kBorder, -kBorder);
    panel.box->setGeometry(area);
    const int width = area.width();
    const int height = area.height();

    panel.number->adjustSize();
    panel.number->move(12, 26);
    panel.caption->adjustSize();
    const int captionLeft = std::max(160, panel.number->x() + panel.number->width() + 24);
    panel.caption->move(captionLeft, 26);
    const int editLeft = captionLeft + panel.caption->width() + 8;
    // The preview sits at the right end of the addressee line, leaving the row of the four
    // list buttons as it is.
    panel.preview->ensurePolished();
    const int previewWidth = std::max(kButtonWidth, panel.preview->sizeHint().width() + 8);
    panel.preview->setGeometry(width - kGridSideMargin - previewWidth, 20, previewWidth, kButtonHeight);
    panel.addressee->setGeometry(editLeft, 22,
                                 std::min(480, std::max(120, panel.preview->x() - 12 - editLeft)),
                                 panel.addressee->sizeHint().height());

    const int buttonsTop = height - 8 - kButtonHeight;
    const int gridHeight = std::max(40, buttonsTop - kButtonGap - kGridTop);
    panel.grid->setGeometry(kGridSideMargin, kGridTop, width - 2 * kGridSideMargin, gridHeight);

    int buttonWidth = kButtonWidth;
    for (QPushButton* button : {panel.add, panel.group, panel.remove, panel.print}) {
        button->ensurePolished();
        buttonWidth = std::max(buttonWidth, button->sizeHint().width() + 8);
    }
    // On a screen too narrow for the four captions the buttons share the width there is.
    buttonWidth = std::min(buttonWidth, (width - 2 * kGridSideMargin - 3 * kButtonGap) / 4);
    const int rowWidth = 4 * buttonWidth + 3 * kButtonGap;
    int left = (width - rowWidth) / 2;
    for (QPushButton* button : {panel.add, panel.group, panel.remove, panel.print}) {
        button->setGeometry(left, panel.grid->geometry().bottom() + 1 + kButtonGap, buttonWidth,
                            kButtonHeight);
        left += buttonWidth + kButtonGap;
    }
}

void ListWorkspace::centreChoiceButtons()
{
    const int left = width() / 2 - kChoiceWidth / 2;
    const int top = height() / 2 - (3 * kChoiceHeight + 2 * 16) / 2;
    SCButton1->move(left, top);
    SCButton2->move(left, top + kChoiceHeight + 16);
    SCButton11->move(left, top + 2 * (kChoiceHeight + 16));
}

void ListWorkspace::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layOutPanel(m_active);
    layOutPanel(m_previous);
    centreChoiceButtons();
}

void ListWorkspace::fitToWorkArea()
{
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect workArea = screen->availableGeometry();
    // Full screen width and work-area height, frame and title bar included; the frame
    // is known only once the window has been shown.
    const QSize frame = frameGeometry().size() - size();
    const QSize client(screen->geometry().width() - frame.width(), workArea.height() - frame.height());
    if (lists::listKind(m_kind).frame == lists::WindowFrame::FixedCloseOnly)
        setFixedSize(client);
    else
        resize(client);
    move(workArea.topLeft());
}

void ListWorkspace::openFromMenu()
{
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    move(screen->availableGeometry().topLeft());
    SCGroupBox1->resize(width(), SCGroupBox1->height());
    SCGroupBox1->hide();
    SCGroupBox2->hide();
    SCButton1->show();
    SCButton2->show();
    SCButton11->show();
    fitToWorkArea();
    processPendingEvents();
    centreChoiceButtons();

    emit openingFromMenu();

    show();
    fitToWorkArea();
    activateWindow();
    SCButton1->setFocus();
    if (QWidget* menu = ui::windows().form1)
        menu->hide();
    processPendingEvents();

    ui::guarded([] { dm().MyQuery4.open(QStringLiteral("SELECT SZERVNEV FROM SZERVEK ORDER BY SZERVNEV")); });
    processPendingEvents();
}

void ListWorkspace::showStartScreen()
{
    JvThreadTimer1->stop();
    SCGroupBox1->hide();
    SCGroupBox2->hide();
    SCButton1->show();
    SCButton2->show();
    SCButton11->show();
    processPendingEvents();
    SCButton1->setFocus();
}

bool ListWorkspace::activePanelShown() const
{
    return !SCGroupBox1->isHidden();
}

bool ListWorkspace::previousPanelShown() const
{
    return !SCGroupBox2->isHidden();
}

const ListWorkspace::Panel* ListWorkspace::visiblePanel() const
{
    if (activePanelShown())
        return &m_active;
    if (previousPanelShown())
        return &m_previous;
    return nullptr;
}

void ListWorkspace::setPanelButtonsEnabled(const Panel& panel, bool enabled)
{
    for (QPushButton* button : {panel.add, panel.group, panel.remove, panel.print, panel.preview})
        button->setEnabled(enabled);
}

void ListWorkspace::enableAfterItemDialog()
{
    setEnabled(true);
    setPanelButtonsEnabled(m_active, true);
    setPanelButtonsEnabled(m_previous, true);
}

void ListWorkspace::setEntryWindow(QWidget* entryDialog)
{
    m_entryWindow = entryDialog;
}

void ListWorkspace::preparePanel(const Panel& panel)
{
    layOutPanel(panel);
    panel.addressee->clear();
    itemModel().setClassificationTitle(lists::listKind(m_kind).classificationTitle);
}

void ListWorkspace::showPanel(const Panel& panel)
{
    const int listNumber = app::appState().currentListNumber;
    panel.number->setText(QStringLiteral("Listaszám: %1").arg(listNumber));
    panel.number->adjustSize();
    QTableView* grid = panel.grid;
    grid->setColumnWidth(lists::ItemViewModel::SerialColumn, 40);
    grid->setColumnWidth(lists::ItemViewModel::RegistrationColumn, 230);
    grid->setColumnWidth(lists::ItemViewModel::ClassificationColumn, 170);
    grid->setColumnWidth(lists::ItemViewModel::CountColumn, 90);
    processPendingEvents();
    JvThreadTimer1->start();
    SCButton1->hide();
    SCButton2->hide();
    SCButton11->hide();
    panel.box->show();
    selectCurrentItem(grid);
    grid->setFocus();
}

void ListWorkspace::SCButton1Click()
{
    ui::guarded([this] {
        const lists::ListKindInfo& info = lists::listKind(m_kind);
        preparePanel(m_active);
        lists::ListSelection selection(dm(), info);
        const lists::ListSelection::ActiveList list = selection.activeList();
        app::appState().currentListNumber = list.number;
        Edit1->setText(list.addressee);
        selection.openItemView(list.number);
        if (Edit1->text().isEmpty())
            Edit1->setText(selection.defaultAddressee());
        showPanel(m_active);
    });
}

void ListWorkspace::SCButton2Click()
{
    ui::guarded([this] {
        const lists::ListKindInfo& info = lists::listKind(m_kind);
        preparePanel(m_previous);
        lists::ListSelection selection(dm(), info);
        const lists::ListSelection::PreviousList list = selection.previousList();
        if (list.status != lists::ListSelection::PreviousStatus::Found) {
            app::messages().inform(list.status == lists::ListSelection::PreviousStatus::NoListYet
                                       ? lists::ListSelection::kNoListYet
                                       : lists::ListSelection::kNonePrinted);
            SCButton1->setFocus();
            return;
        }
        app::appState().currentListNumber = list.number;
        // The stored addressee goes back into the header when an item is added; the
        // panel itself shows, and prints, the default addressee.
        Edit1->setText(list.addressee);
        selection.openItemView(list.number);
        Edit2->setText(selection.defaultAddressee());
        showPanel(m_previous);
    });
}

void ListWorkspace::JvThreadTimer1Timer()
{
    JvThreadTimer1->stop();
    if (!isVisible() || !isEnabled())
        return;
    if (activePanelShown() && !Edit1->text().isEmpty())
        SCButton3Click();
    else if (previousPanelShown() && !Edit2->text().isEmpty())
        SCButton7Click();
}

items::ItemEntry::ListAddressees ListWorkspace::listAddressees() const
{
    return {Edit1->text(), Edit2->text()};
}

void ListWorkspace::addItem(const Panel& panel)
{
    ui::guarded([&] {
        setPanelButtonsEnabled(panel, false);
        emit itemEntryRequested([self = QPointer<ListWorkspace>(this)] {
            return self ? self->listAddressees() : items::ItemEntry::ListAddressees{};
        });
        setEnabled(false);
    });
}

void ListWorkspace::SCButton3Click()
{
    addItem(m_active);
}

void ListWorkspace::SCButton7Click()
{
    addItem(m_previous);
}

void ListWorkspace::groupEntry()
{
    ui::guarded([this] {
        // An empty list, the number-less row and a member cannot take members.
        const QString refusal = items::GroupEntry::refusal(dm().MyQuery2);
        if (!refusal.isEmpty()) {
            app::messages().inform(refusal);
            return;
        }
        emit groupEntryRequested();
    });
}

void ListWorkspace::SCButton5Click()
{
    groupEntry();
}

void ListWorkspace::SCButton9Click()
{
    groupEntry();
}

void ListWorkspace::deleteSelected()
{
    ui::guarded([this] {
        store::Query& view = dm().MyQuery2;
        if (view.isEmpty())
            return;
        if (ui::windows().torles_form->ask() != ConfirmDialog::Yes)
            return;
        const lists::ItemDeletion::Result result = lists::ItemDeletion(dm(), lists::listKind(m_kind))
                                                       .deleteItem(view.value(QStringLiteral("TETEL_ID")));
        if (result == lists::ItemDeletion::Result::HasMembers) {
            app::messages().inform(lists::ItemDeletion::kHasMembers);
            return;
        }
        lists::Renumbering(dm(), lists::listKind(m_kind)).sorszam_rendezo(app::appState().currentListNumber);
        view.refresh();
    });
}

void ListWorkspace::SCButton4Click()
{
    deleteSelected();
}

void ListWorkspace::SCButton8Click()
{
    deleteSelected();
}

void ListWorkspace::print(const Panel& panel)
{
    // A printer failure ends the command here and leaves the panel on show.
    ui::guarded([&] {
        const lists::PrintResult result = lists::printList(dm(), m_kind, app::appState().currentListNumber,
                                                           panel.addressee->text(), app::messages());
        if (result == lists::PrintResult::Printed)
            showStartScreen();
    });
}

void ListWorkspace::preview(const Panel& panel)
{
    ui::guarded([&] {
        const std::optional<lists::ListCopies> copies = lists::layOutCopies(
            dm(), m_kind, app::appState().currentListNumber, panel.addressee->text(), app::messages());
        if (copies)
            emit previewRequested(*copies);
    });
}

void ListWorkspace::listPrinted(int kind, int listNumber)
{
    if (kind == m_kind && visiblePanel() && app::appState().currentListNumber == listNumber)
        showStartScreen();
}

void ListWorkspace::SCButton11Click()
{
    emit pastListsRequested(m_kind);
}

void ListWorkspace::returnFromPastLists()
{
    if (!isVisible())
        return;
    showStartScreen();
    activateWindow();
}

void ListWorkspace::SCButton12Click()
{
    preview(m_active);
}

void ListWorkspace::SCButton13Click()
{
    preview(m_previous);
}

void ListWorkspace::SCButton6Click()
{
    print(m_active);
}

void ListWorkspace::SCButton10Click()
{
    print(m_previous);
}

bool ListWorkspace::FormKeyDown(QKeyEvent* event)
{
    const Panel* panel = visiblePanel();
    const bool entryShown = m_entryWindow && m_entryWindow->isVisible();
    switch (event->key()) {
    case Qt::Key_F2:
        if (panel && !entryShown)
            addItem(*panel);
        return true;
    case Qt::Key_F4:
        if (panel && !entryShown)
            groupEntry();
        return true;
    case Qt::Key_F6:
        if (panel && panel->remove->isEnabled() && dm().MyQuery2.rowCount() > 0)
            deleteSelected();
        return true;
    case Qt::Key_F8:
        if (panel && panel->print->isEnabled())
            print(*panel);
        return true;
    case Qt::Key_F7:
        if (panel && panel->preview->isEnabled())
            preview(*panel);
        return true;
    case Qt::Key_Escape:
        if (panel)
            showStartScreen();
        else
            close();
        return true;
    default:
        return false;
    }
}

void ListWorkspace::closeEvent(QCloseEvent* event)
{
    JvThreadTimer1->stop();
    QWidget::closeEvent(event);
    if (QWidget* menu = ui::windows().form1)
        menu->show();
}

void ListWorkspace::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // Minimising this window takes the whole program off the screen with it.
    if (lists::listKind(m_kind).minimiseHidesApplication)
        m_minimise.follow(this, event);
}
