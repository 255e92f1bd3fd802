#include "Tbeallitasok_form.h"

#include "admin/ui/Tadatbazis_form.h"
#include "app/AppState.h"
#include "app/Services.h"
#include "app/StoredSettings.h"
#include "app/ui/ConfirmDialog.h"
#include "app/ui/Guard.h"
#include "app/ui/Look.h"
#include "app/ui/TForm1.h"
#include "app/ui/Windows.h"
#include "store/DataModule.h"
#include "store/Organisations.h"
#include "store/SettingsRow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {

QLineEdit* makeEdit(QWidget* parent, const char* name, int maxLength, bool readOnly = false)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    if (maxLength > 0)
        edit->setMaxLength(maxLength);
    edit->setReadOnly(readOnly);
    return edit;
}

QGroupBox* makeGroup(QWidget* parent, const char* name, const QString& caption)
{
    return ui::makeGroupBox(caption, QLatin1String(name), parent);
}

// Codes and margins take digits only.
void digitsOnly(QLineEdit* edit)
{
    static const QRegularExpression digits(QStringLiteral("[0-9]*"));
    edit->setValidator(new QRegularExpressionValidator(digits, edit));
}

} // namespace

Tbeallitasok_form::Tbeallitasok_form(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Tbeallitasok_form"));
    setWindowTitle(QStringLiteral("Dispora - Beállítások"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    ui::setSkyBlueBackground(this);

    // Own organisation.
    SCGroupBox1 = makeGroup(this, "SCGroupBox1", QStringLiteral("Saját adatok"));
    Edit2 = makeEdit(SCGroupBox1, "Edit2", 6);
    Edit1 = makeEdit(SCGroupBox1, "Edit1", 0, true);
    {
        auto* grid = new QGridLayout(SCGroupBox1);
        grid->addWidget(new QLabel(QStringLiteral("Szervkód"), SCGroupBox1), 0, 0);
        grid->addWidget(Edit2, 0, 1);
        grid->addWidget(
            new QLabel(QStringLiteral("ORVD-től kapott 6 számjegyű egyedi azonosító"), SCGroupBox1), 0, 2);
        grid->addWidget(new QLabel(QStringLiteral("A mi nevünk"), SCGroupBox1), 1, 0);
        grid->addWidget(Edit1, 1, 1, 1, 2);
        grid->setColumnStretch(2, 1);
        Edit2->setFixedWidth(80);
    }

    // Default addressee of the lists.
    SCGroupBox2 = makeGroup(this, "SCGroupBox2", QStringLiteral("Alapértelmezett címzett beállítása"));
    Edit4 = makeEdit(SCGroupBox2, "Edit4", 6);
    Edit3 = makeEdit(SCGroupBox2, "Edit3", 0, true);
    {
        auto* grid = new QGridLayout(SCGroupBox2);
        grid->addWidget(new QLabel(QStringLiteral("Alapértelmezett címzett kódja"), SCGroupBox2), 0, 0);
        grid->addWidget(Edit4, 0, 1, Qt::AlignLeft);
        grid->addWidget(new QLabel(QStringLiteral("Alapértelmezett címzett neve"), SCGroupBox2), 1, 0);
        grid->addWidget(Edit3, 1, 1);
        grid->setColumnStretch(1, 1);
        Edit4->setFixedWidth(80);
    }

    // Printer and margins.
    SCGroupBox3 = makeGroup(this, "SCGroupBox3", QStringLiteral("Nyomtató beállítások"));
    SCGroupBox4 = makeGroup(SCGroupBox3, "SCGroupBox4", QStringLiteral("Margó beállítások"));
    Edit5 = makeEdit(SCGroupBox4, "Edit5", 2);
    Edit6 = makeEdit(SCGroupBox4, "Edit6", 2);
    Edit7 = makeEdit(SCGroupBox4, "Edit7", 2);
    Edit8 = makeEdit(SCGroupBox4, "Edit8", 2);
    {
        // The four margins sit like the four sides of a page.
        auto* grid = new QGridLayout(SCGroupBox4);
        auto place = [&](QLineEdit* edit, const QString& caption, int row, int column) {
            auto* cell = new QVBoxLayout;
            auto* label = new QLabel(caption, SCGroupBox4);
            label->setAlignment(Qt::AlignHCenter);
            cell->addWidget(label);
            cell->addWidget(edit, 0, Qt::AlignHCenter);
            edit->setFixedWidth(36);
            edit->setAlignment(Qt::AlignCenter);
            grid->addLayout(cell, row, column);
        };
        place(Edit5, QStringLiteral("felső"), 0, 1);
        place(Edit7, QStringLiteral("bal"), 1, 0);
        place(Edit8, QStringLiteral("jobb"), 1, 2);
        place(Edit6, QStringLiteral("alsó"), 2, 1);
    }
    SCGroupBox5 = makeGroup(SCGroupBox3, "SCGroupBox5", QStringLiteral("Nyomtató kiválasztása"));
    ComboBox1 = new QComboBox(SCGroupBox5);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    RadioButton1 = new QRadioButton(QStringLiteral("Ez legyen használva"), SCGroupBox5);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton2 = new QRadioButton(QStringLiteral("A windows alapértelmezett nyomtatója legyen használva"),
                                    SCGroupBox5);
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    Edit13 = makeEdit(SCGroupBox5, "Edit13", 0, true);
    {
        auto* grid = new QGridLayout(SCGroupBox5);
        grid->addWidget(ComboBox1, 0, 0, 1, 2);
        grid->addWidget(RadioButton1, 1, 0, 1, 2);
        grid->addWidget(RadioButton2, 2, 0);
        grid->addWidget(Edit13, 2, 1);
        grid->setColumnStretch(1, 1);
        ComboBox1->setMinimumWidth(280);
        Edit13->setMinimumWidth(160);
    }
    {
        auto* row = new QHBoxLayout(SCGroupBox3);
        row->addWidget(SCGroupBox4);
        row->addWidget(SCGroupBox5, 1);
    }

    for (QLineEdit* edit : {Edit2, Edit4, Edit5, Edit6, Edit7, Edit8}) {
        digitsOnly(edit);
        edit->installEventFilter(this);
    }

    SCButton1 = new QPushButton(QStringLiteral("Mentés"), this);
    SCButton1->setObjectName(QStringLiteral("SCButton1"));
    SCButton2 = new QPushButton(QStringLiteral("Mégsem"), this);
    SCButton2->setObjectName(QStringLiteral("SCButton2"));
    for (QPushButton* b : {SCButton1, SCButton2}) {
        ui::styleButton(b);
        b->setFixedSize(120, 25);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(SCButton1);
    buttons->addSpacing(20);
    buttons->addWidget(SCButton2);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(SCGroupBox1);
    layout->addWidget(SCGroupBox2);
    layout->addWidget(SCGroupBox3);
    layout->addLayout(buttons);
    resize(720, 430);

    connect(Edit2, &QLineEdit::textChanged, this, &Tbeallitasok_form::Edit2Change);
    connect(Edit4, &QLineEdit::textChanged, this, &Tbeallitasok_form::Edit4Change);
    for (QLineEdit* margin : {Edit5, Edit6, Edit7, Edit8})
        connect(margin, &QLineEdit::textChanged, this, &Tbeallitasok_form::Edit4Change);
    connect(SCButton1, &QPushButton::clicked, this, &Tbeallitasok_form::SCButton1Click);
    connect(SCButton2, &QPushButton::clicked, this, &Tbeallitasok_form::SCButton2Click);
}

void Tbeallitasok_form::clearTextBoxes()
{
    for (QLineEdit* edit : {Edit1, Edit2, Edit3, Edit4, Edit5, Edit6, Edit7, Edit8, Edit13})
        edit->clear();
}

QString Tbeallitasok_form::current_printer_name()
{
    const QStringList names = app::printers().printerNames();
    if (names.isEmpty())
        return QString();
    const int position = app::printers().currentPrinterIndex();
    return position > 0 && position < names.size() ? names.at(position) : names.first();
}

void Tbeallitasok_form::openFromMenu()
{
    app::AppState& state = app::appState();
    state.useDefaultPrinter = true;
    clearTextBoxes();

    const QStringList printers = app::printers().printerNames();
    ComboBox1->clear();
    ComboBox1->addItems(printers);
    // An index outside the list (the first start asks for 5000) selects no printer.
    ComboBox1->setCurrentIndex(
        state.printerIndex >= 0 && state.printerIndex < printers.size() ? state.printerIndex : -1);
    Edit13->setText(current_printer_name());

    const std::optional<store::SettingsRow> row = store::readSettingsRow(store::TDM1::instance().MyQuery3);
    if (!row) {
        for (QLineEdit* margin : {Edit5, Edit6, Edit7, Edit8})
            margin->setText(QStringLiteral("10"));
    } else {
        Edit2->setText(row->code);
        Edit4->setText(row->defaultAddresseeCode);
        Edit5->setText(QString::number(row->marginTop));
        Edit6->setText(QString::number(row->marginBottom));
        Edit7->setText(QString::number(row->marginLeft));
        Edit8->setText(QString::number(row->marginRight));
        state.useDefaultPrinter = app::defaultPrinterOptionChosen(row->defaultPrinterValue);
    }
    if (state.useDefaultPrinter)
        RadioButton2->setChecked(true);
    else
        RadioButton1->setChecked(true);

    // The names always come from the register, looked up from the codes, never the stored ones.
    Edit1->clear();
    Edit3->clear();

    show();
    QApplication::processEvents();
    Edit2Change();
    QApplication::processEvents();
    Edit4Change();
}

void Tbeallitasok_form::refreshNames()
{
    ui::guarded([&] {
        store::Query& q = store::TDM1::instance().MyQuery3;
        for (const auto& [code, name] : {std::pair{Edit2, Edit1}, std::pair{Edit4, Edit3}}) {
            if (code->text().size() != 6)
                continue;
            if (const std::optional<QString> found = store::organisationName(q, code->text()))
                name->setText(*found);
        }
    });
    setEnabled(true);
}

void Tbeallitasok_form::lookUpCode(QLineEdit* code, QLineEdit* name)
{
    if (!isVisible())
        return;
    ui::guarded([&] {
        if (code->text().size() < 6) {
            name->clear();
            return;
        }
        if (const std::optional<QString> found =
                store::organisationName(store::TDM1::instance().MyQuery3, code->text())) {
            name->setText(*found);
            return;
        }
        offerRegisterRefresh(code->text());
    });
}

void Tbeallitasok_form::offerRegisterRefresh(const QString& code)
{
    ConfirmDialog* question = ui::windows().frissites_rakerdezo_form;
    question->setQuestion(QStringLiteral("A szervek táblában nincs ") + code +
                          QStringLiteral(" szervkódú tétel! Akarja most frissíteni a szervek adatbázisát?"));
    setEnabled(false);
    app::appState().refreshFromSettings = true;
    if (question->ask() != ConfirmDialog::Yes) {
        app::appState().refreshFromSettings = false;
        setEnabled(true);
        return;
    }
    // The settings stay disabled until the refresh window is done with them.
    ui::guarded([&] { ui::windows().adatbazis_form->openFromSettings(); });
    if (!ui::windows().adatbazis_form->isVisible()) {
        app::appState().refreshFromSettings = false;
        setEnabled(true);
    }
}

void Tbeallitasok_form::Edit2Change()
{
    lookUpCode(Edit2, Edit1);
}

void Tbeallitasok_form::Edit4Change()
{
    lookUpCode(Edit4, Edit3);
}

bool Tbeallitasok_form::checkBeforeSave()
{
    // Every check runs and shows its message; the focus ends at the last failing one.
    bool ok = true;
    for (QLineEdit* margin : {Edit5, Edit6, Edit7, Edit8}) {
        if (margin->text().isEmpty()) {
            app::messages().inform(QStringLiteral("Hibás margóérték!"));
            margin->setFocus();
            ok = false;
            break;
        }
    }
    if (ComboBox1->count() == 0 || ComboBox1->currentIndex() < 0) {
        app::messages().inform(QStringLiteral("Nincs kiválasztva nyomtató, vagy nincs telepített nyomtató!"));
        ComboBox1->setFocus();
        ok = false;
    }
    if (Edit3->text().isEmpty()) {
        app::messages().inform(QStringLiteral("Nincs megadva alapértelmezett címzett!"));
        Edit4->setFocus();
        ok = false;
    }
    if (Edit1->text().isEmpty()) {
        app::messages().inform(QStringLiteral("Nincs megadva név!"));
        Edit2->setFocus();
        ok = false;
    }
    return ok;
}

void Tbeallitasok_form::save()
{
    store::SettingsRow row;
    row.name = Edit1->text();
    row.code = Edit2->text();
    row.printerIndex = ComboBox1->currentIndex();
    row.defaultPrinterValue = RadioButton2->isChecked() ? 1 : 0;
    row.defaultAddresseeName = Edit3->text();
    row.defaultAddresseeCode = Edit4->text();
    row.marginTop = Edit5->text().toInt();
    row.marginBottom = Edit6->text().toInt();
    row.marginLeft = Edit7->text().toInt();
    row.marginRight = Edit8->text().toInt();
    store::saveSettingsRow(store::TDM1::instance().MyQuery3, row);

    app::AppState& state = app::appState();
    state.ownName = row.name;
    state.ownCode = row.code;
    state.printerIndex = row.printerIndex;
    state.useDefaultPrinter = row.defaultPrinterValue == 1;
    state.defaultAddresseeName = row.defaultAddresseeName;
    state.defaultAddresseeCode = row.defaultAddresseeCode;
    state.marginTop = row.marginTop;
    state.marginBottom = row.marginBottom;
    state.marginLeft = row.marginLeft;
    state.marginRight = row.marginRight;

    ui::windows().form1->setListButtonsEnabled(true);
    setWindowTitle(QStringLiteral("Dispora - Beállítások"));
    backToMenu();
}

void Tbeallitasok_form::backToMenu()
{
    ui::windows().form1->show();
    hide();
}

void Tbeallitasok_form::SCButton1Click()
{
    if (!checkBeforeSave())
        return;
    ui::guarded([&] { save(); });
}

void Tbeallitasok_form::SCButton2Click()
{
    backToMenu();
}

void Tbeallitasok_form::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    ui::centreOnScreen(this);
}

void Tbeallitasok_form::closeEvent(QCloseEvent* event)
{
    ui::windows().form1->show();
    QWidget::closeEvent(event);
}

void Tbeallitasok_form::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    m_minimise.follow(this, event);
}

bool Tbeallitasok_form::eventFilter(QObject* watched, QEvent* event)
{
    // Codes and margins take digits, Backspace and Enter; any other typed character is
    // dropped. Keys without a character (arrows, Delete) and shortcuts keep working.
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        const bool shortcut = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
        const bool allowed = key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Return ||
                             key->key() == Qt::Key_Enter ||
                             (text.size() == 1 && text.at(0) >= u'0' && text.at(0) <= u'9');
        if (!text.isEmpty() && !shortcut && !allowed)
            return true;
    }
    return QWidget::eventFilter(watched, event);
}
