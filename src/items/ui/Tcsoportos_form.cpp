#include "Tcsoportos_form.h"

#include "app/AppState.h"
#include "app/Services.h"
#include "app/ui/ConfirmDialog.h"
#include "app/ui/Guard.h"
#include "app/ui/Keyboard.h"
#include "app/ui/Look.h"
#include "app/ui/Windows.h"
#include "items/QueryGridModel.h"
#include "store/DataModule.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableView>

namespace {

void makeWhitePanel(QGroupBox* box)
{
    ui::styleGroupBox(box);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Window, Qt::white);
    box->setPalette(palette);
    box->setAutoFillBackground(true);
}

// The parent panel is disabled only to keep it read-only; its texts stay legible.
void keepLegibleWhenDisabled(QGroupBox* box)
{
    box->setStyleSheet(
        box->styleSheet() +
        QStringLiteral(" QGroupBox:disabled, QLabel:disabled, QLineEdit:disabled { color: palette(text); }"));
}

} // namespace

Tcsoportos_form::Tcsoportos_form(QWidget* parent) : QWidget(parent), m_entry(store::TDM1::instance())
{
    setObjectName(QStringLiteral("Tcsoportos_form"));
    setWindowTitle(QStringLiteral("Csoportos felvitel"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(479, 468);

    SCGroupBox1 = new QGroupBox(QStringLiteral("Csoportos küldemény fő adatai"), this);
    SCGroupBox1->setObjectName(QStringLiteral("SCGroupBox1"));
    SCGroupBox1->setGeometry(8, 8, 463, 124);
    makeWhitePanel(SCGroupBox1);
    keepLegibleWhenDisabled(SCGroupBox1);
    auto addField = [this](QLabel*& label, QLineEdit*& edit, const char* labelName, const char* editName,
                           const QString& caption, int top, int width) {
        label = new QLabel(caption, SCGroupBox1);
        label->setObjectName(QLatin1String(labelName));
        label->setGeometry(16, top + 3, 150, 20);
        edit = new QLineEdit(SCGroupBox1);
        edit->setObjectName(QLatin1String(editName));
        edit->setGeometry(170, top, width, 24);
        edit->setReadOnly(true);
        label->setBuddy(edit);
    };
    addField(Label1, Edit1, "Label1", "Edit1", QStringLiteral("Sorszám:"), 28, 80);
    addField(Label2, Edit2, "Label2", "Edit2", QStringLiteral("Küldemény címzettje:"), 58, 277);
    addField(Label3, Edit3, "Label3", "Edit3", QStringLiteral("Küldemény nyt. száma:"), 88, 277);
    SCGroupBox1->setEnabled(false);

    SCGroupBox2 = new QGroupBox(QStringLiteral("Tételek"), this);
    SCGroupBox2->setObjectName(QStringLiteral("SCGroupBox2"));
    SCGroupBox2->setGeometry(8, 140, 463, 320);
    makeWhitePanel(SCGroupBox2);

    DBGrid1 = new QTableView(SCGroupBox2);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setGeometry(12, 26, 439, 206);
    m_model =
        new items::QueryGridModel(store::TDM1::instance().MyQuery6,
                                  {{QStringLiteral("iktszam"), QStringLiteral("Nyilvántartási szám")}}, this);
    DBGrid1->setModel(m_model);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->verticalHeader()->hide();
    DBGrid1->verticalHeader()->setDefaultSectionSize(22);
    DBGrid1->horizontalHeader()->setStretchLastSection(true);
    DBGrid1->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QFont titleFont = DBGrid1->horizontalHeader()->font();
    titleFont.setBold(true);
    DBGrid1->horizontalHeader()->setFont(titleFont);
    // The selected grid row is the scratch query's current row, the member a removal takes.
    connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [](const QModelIndex& current) {
                if (current.isValid())
                    store::TDM1::instance().MyQuery6.setCurrentRow(current.row());
            });
    connect(m_model, &items::QueryGridModel::reloaded, this, [this] { selectCurrentScratchRow(); });

    Label4 = new QLabel(QStringLiteral("Új nyt.szám:"), SCGroupBox2);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setGeometry(12, 247, 100, 20);
    Edit4 = new QLineEdit(SCGroupBox2);
    Edit4->setObjectName(QStringLiteral("Edit4"));
    Edit4->setGeometry(112, 244, 339, 24);
    Edit4->setMaxLength(30);
    Label4->setBuddy(Edit4);
    connect(Edit4, &QLineEdit::returnPressed, this, &Tcsoportos_form::SCButton1Click);

    SCButton1 = new QPushButton(QStringLiteral("Hozzáadás"), SCGroupBox2);
    SCButton1->setObjectName(QStringLiteral("SCButton1"));
    SCButton1->setGeometry(62, 280, 160, 30);
    ui::styleButton(SCButton1);
    connect(SCButton1, &QPushButton::clicked, this, &Tcsoportos_form::SCButton1Click);
    SCButton2 = new QPushButton(QStringLiteral("Kijelölt törlése"), SCGroupBox2);
    SCButton2->setObjectName(QStringLiteral("SCButton2"));
    SCButton2->setGeometry(242, 280, 160, 30);
    ui::styleButton(SCButton2);
    connect(SCButton2, &QPushButton::clicked, this, &Tcsoportos_form::SCButton2Click);

    setTabOrder(Edit4, SCButton1);
    setTabOrder(SCButton1, SCButton2);
    setTabOrder(SCButton2, DBGrid1);

    ui::installKeyPreview(this, [this](QKeyEvent* event) { return FormKeyDown(event); });
}

void Tcsoportos_form::openFor(QWidget* opener)
{
    ui::guarded([&] {
        store::TDM1& dm = store::TDM1::instance();
        const QString refusal = items::GroupEntry::refusal(dm.MyQuery2);
        if (!refusal.isEmpty()) {
            app::messages().inform(refusal);
            return;
        }
        const items::GroupParent parent = items::GroupEntry::parentOf(dm.MyQuery2);
        Edit1->setText(parent.SORSZAM.toString());
        Edit2->setText(parent.KCIMZETT_SZ);
        Edit3->setText(parent.IKTSZAM.toString());
        Edit4->clear();
        m_entry.open(parent, app::appState().currentListKind, app::appState().currentListNumber);

        m_opener = opener;
        if (QScreen* screen = (opener ? opener->screen() : this->screen())) {
            QRect area = screen->availableGeometry();
            move(area.center() - QPoint(width() / 2, height() / 2));
        }
        show();
        raise();
        activateWindow();
        if (opener)
            opener->setEnabled(false);
        Edit4->setFocus();
    });
}

void Tcsoportos_form::SCButton1Click()
{
    ui::guarded([&] {
        if (Edit4->text().isEmpty()) {
            app::messages().inform(items::GroupEntry::kNoNumber);
            Edit4->setFocus();
            return;
        }
        m_entry.attach(Edit4->text());
        selectCurrentScratchRow();
        Edit4->clear();
        Edit4->setFocus();
    });
}

void Tcsoportos_form::SCButton2Click()
{
    ui::guarded([&] {
        store::Query& scratchView = store::TDM1::instance().MyQuery6;
        if (!scratchView.isOpen() || scratchView.isEmpty())
            return;
        if (ui::windows().torles_form->ask() != ConfirmDialog::Yes)
            return;
        m_entry.removeCurrent();
        selectCurrentScratchRow();
        Edit4->setFocus();
    });
}

bool Tcsoportos_form::FormKeyDown(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return true;
    }
    return false;
}

void Tcsoportos_form::FormCloseQuery()
{
    emit closing();
    if (m_opener)
        m_opener->setEnabled(true);
}

void Tcsoportos_form::closeEvent(QCloseEvent* event)
{
    FormCloseQuery();
    event->accept();
}

void Tcsoportos_form::selectCurrentScratchRow()
{
    const int row = store::TDM1::instance().MyQuery6.currentRow();
    if (row < 0 || row >= m_model->rowCount()) {
        DBGrid1->selectionModel()->clearSelection();
        return;
    }
    const QModelIndex index = m_model->index(row, 0);
    DBGrid1->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                          QItemSelectionModel::Rows);
    DBGrid1->scrollTo(index);
}
