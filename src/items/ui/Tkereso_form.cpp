#include "Tkereso_form.h"

#include "app/Services.h"
#include "app/ui/Guard.h"
#include "app/ui/Keyboard.h"
#include "app/ui/Look.h"
#include "items/QueryGridModel.h"
#include "store/DataModule.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTableView>
#include <QTimer>

using items::AddresseeSearch;

namespace {

constexpr int kButtonWidth = 165;
constexpr int kButtonHeight = 32;
constexpr int kGridTop = 44;
constexpr int kButtonGap = 12;

store::Query& searchQuery()
{
    return store::TDM1::instance().MyQuery3;
}

} // namespace

Tkereso_form::Tkereso_form(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Tkereso_form"));
    setWindowTitle(QStringLiteral("Címzett keresése"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(1016, 550);
    ui::setSkyBlueBackground(this);

    Label3 = new QLabel(QStringLiteral("keresendő:"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(12, 13, 76, 20);
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setGeometry(92, 10, 420, 24);
    Label3->setBuddy(Edit2);
    connect(Edit2, &QLineEdit::textChanged, this, &Tkereso_form::Edit2Change);

    SCRadioButton1 = new QRadioButton(QStringLiteral("tartalmazza"), this);
    SCRadioButton1->setObjectName(QStringLiteral("SCRadioButton1"));
    SCRadioButton1->setGeometry(532, 12, 120, 22);
    SCRadioButton1->setChecked(true);
    SCRadioButton2 = new QRadioButton(QStringLiteral("kezdődik"), this);
    SCRadioButton2->setObjectName(QStringLiteral("SCRadioButton2"));
    SCRadioButton2->setGeometry(660, 12, 120, 22);
    // Either button's change runs the search again with the current text.
    connect(SCRadioButton1, &QRadioButton::toggled, this, &Tkereso_form::Edit2Change);
    connect(SCRadioButton2, &QRadioButton::toggled, this, &Tkereso_form::Edit2Change);

    DBGrid2 = new QTableView(this);
    DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
    const Qt::Alignment centred = Qt::AlignCenter;
    m_model =
        new items::QueryGridModel(searchQuery(),
                                  {{QStringLiteral("mino"), QStringLiteral("Csak min.-t fogadhat"), centred},
                                   {QStringLiteral("SZERVNEV"), QStringLiteral("Szervnév")},
                                   {QStringLiteral("rovidnev"), QStringLiteral("Rövid név")},
                                   {QStringLiteral("IRSZ"), QStringLiteral("Ir.szám.")},
                                   {QStringLiteral("TELEPULES"), QStringLiteral("Település")}},
                                  this);
    DBGrid2->setModel(m_model);
    DBGrid2->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid2->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid2->setWordWrap(false);
    DBGrid2->verticalHeader()->hide();
    DBGrid2->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    DBGrid2->verticalHeader()->setDefaultSectionSize(22);
    DBGrid2->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    DBGrid2->horizontalHeader()->setStretchLastSection(true);
    DBGrid2->horizontalHeader()->setSectionsClickable(false);
    DBGrid2->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The selected grid row is the query's current row, the organisation a take uses.
    connect(DBGrid2->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [](const QModelIndex& current) {
                if (current.isValid())
                    searchQuery().setCurrentRow(current.row());
            });
    connect(DBGrid2, &QTableView::doubleClicked, this, &Tkereso_form::DBGrid2DblClick);
    // The grid's query is shared with the register lookups of other windows. Should one
    // of them reuse it while the search is on screen, the search runs again rather than
    // leave the operator an empty or foreign result to choose from.
    m_queryListener = searchQuery().addChangeListener([this] {
        if (m_ownQuery || m_reloadPending || !isVisible())
            return;
        m_reloadPending = true;
        QTimer::singleShot(0, this, [this] {
            m_reloadPending = false;
            if (isVisible())
                Edit2Change();
        });
    });

    SCButton3 = new QPushButton(QStringLiteral("Ok <ENTER>"), this);
    SCButton3->setObjectName(QStringLiteral("SCButton3"));
    ui::styleButton(SCButton3);
    connect(SCButton3, &QPushButton::clicked, this, &Tkereso_form::SCButton3Click);
    SCButton4 = new QPushButton(QStringLiteral("Mégsem <ESC>"), this);
    SCButton4->setObjectName(QStringLiteral("SCButton4"));
    ui::styleButton(SCButton4);
    connect(SCButton4, &QPushButton::clicked, this, &Tkereso_form::SCButton4Click);

    setTabOrder(Edit2, SCRadioButton1);
    setTabOrder(SCRadioButton1, SCRadioButton2);
    setTabOrder(SCRadioButton2, DBGrid2);
    setTabOrder(DBGrid2, SCButton3);
    setTabOrder(SCButton3, SCButton4);

    layOut();
    ui::installKeyPreview(this, [this](QKeyEvent* event) { return FormKeyDown(event); });
}

AddresseeSearch::Match Tkereso_form::match() const
{
    return SCRadioButton1->isChecked() ? AddresseeSearch::Match::Contains
                                       : AddresseeSearch::Match::StartsWith;
}

Tkereso_form::~Tkereso_form()
{
    searchQuery().removeChangeListener(m_queryListener);
}

void Tkereso_form::layOut()
{
    const int left = (width() - kButtonWidth) / 2;
    const int buttonTop = height() - kButtonHeight - kButtonGap;
    SCButton3->setGeometry(left, buttonTop, kButtonWidth, kButtonHeight);
    SCButton4->setGeometry(left + 240, buttonTop, kButtonWidth, kButtonHeight);
    DBGrid2->setGeometry(1, kGridTop, width() - 2, buttonTop - kButtonGap - kGridTop);
}

void Tkereso_form::runOwnQuery(const std::function<void()>& statement)
{
    m_ownQuery = true;
    try {
        statement();
    } catch (...) {
        m_ownQuery = false;
        throw;
    }
    m_ownQuery = false;
}

void Tkereso_form::setColumnWidths()
{
    // The last column takes the rest of the grid's width.
    static const int widths[] = {150, 390, 200, 60};
    for (int column = 0; column < 4; ++column)
        DBGrid2->setColumnWidth(column, widths[column]);
}

void Tkereso_form::selectCurrentRow()
{
    const int row = searchQuery().currentRow();
    if (row < 0 || row >= m_model->rowCount())
        return;
    const QModelIndex index = m_model->index(row, 0);
    DBGrid2->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                          QItemSelectionModel::Rows);
    DBGrid2->scrollTo(index);
}

void Tkereso_form::openFor(QWidget* opener)
{
    m_opener = opener;
    if (opener)
        opener->setEnabled(false);
    layOut();
    {
        const QSignalBlocker blocker(Edit2);
        Edit2->clear();
    }
    bool loaded = false;
    ui::guarded([&] {
        runOwnQuery([] { AddresseeSearch::loadAll(searchQuery()); });
        loaded = true;
    });
    if (!loaded) {
        // Without the register there is nothing to choose from; the opener goes on.
        backToOpener();
        return;
    }
    setColumnWidths();
    selectCurrentRow();
    if (QScreen* screen = (opener ? opener->screen() : this->screen())) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    show();
    raise();
    activateWindow();
    Edit2->setFocus();
}

void Tkereso_form::Edit2Change()
{
    ui::guarded([&] {
        runOwnQuery([&] { AddresseeSearch::search(searchQuery(), Edit2->text(), match()); });
        setColumnWidths();
        selectCurrentRow();
    });
}

bool Tkereso_form::FormKeyDown(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        backToOpener();
        return true;
    case Qt::Key_Down:
        if (!DBGrid2->hasFocus()) {
            DBGrid2->setFocus();
            if (m_model->rowCount() == 0)
                Edit2->setFocus();
            return true;
        }
        if (m_model->rowCount() == 0) {
            Edit2->setFocus();
            return true;
        }
        return false; // the grid moves down
    case Qt::Key_Up:
        if (m_model->rowCount() > 0 && searchQuery().currentRow() == 0) {
            Edit2->setFocus();
            return true;
        }
        return false; // the grid moves up
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_model->rowCount() == 0)
            return false;
        SCButton3Click();
        return true;
    default:
        return false;
    }
}

void Tkereso_form::SCButton3Click()
{
    ui::guarded([&] {
        store::Query& q = searchQuery();
        if (!q.isOpen() || q.isEmpty() || q.eof())
            return;
        if (AddresseeSearch::classifiedOnly(q))
            app::messages().inform(AddresseeSearch::kClassifiedOnlyWarning);
        const QString name = q.value(QStringLiteral("SZERVNEV")).toString();
        QWidget* opener = m_opener;
        hide();
        if (opener)
            opener->setEnabled(true);
        emit addresseeChosen(name);
        if (opener)
            opener->activateWindow();
    });
}

void Tkereso_form::DBGrid2DblClick()
{
    SCButton3Click();
}

void Tkereso_form::SCButton4Click()
{
    backToOpener();
}

void Tkereso_form::backToOpener()
{
    hide();
    if (m_opener) {
        m_opener->setEnabled(true);
        m_opener->activateWindow();
    }
}

void Tkereso_form::closeEvent(QCloseEvent* event)
{
    backToOpener();
    event->accept();
}
