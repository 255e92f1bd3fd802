#include "Ttetelek_felvetele_form.h"

#include "app/AppState.h"
#include "app/Services.h"
#include "app/ui/Guard.h"
#include "app/ui/Keyboard.h"
#include "app/ui/Look.h"
#include "items/ItemEntry.h"
#include "items/ui/Tkereso_form.h"
#include "lists/ListKind.h"
#include "lists/Renumbering.h"
#include "store/DataModule.h"
#include "store/DisplayColumns.h"

#include <QAbstractItemView>
#include <QCloseEvent>
#include <QComboBox>
#include <QCompleter>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QStringListModel>
#include <QStyle>
#include <QTimer>

namespace {

constexpr int kNumberless = 6;
constexpr int kDetailsLabelLeft = 16;
constexpr int kCountLeft = 144; // the count field of the numbered layout
constexpr int kCountTop = 96;
constexpr int kCountWidth = 50;

const QString kCountMissing = QStringLiteral("Küldemény darabszáma nincs megadva!");
const QString kCountZero = QStringLiteral("Küldemény darabszáma nem lehet nulla!");
const QString kRegistrationMissing = QStringLiteral("Iktatószám nincs megadva!");
const QString kAddresseeMissing = QStringLiteral("Küldemény címzettje nincs megadva!");
const QString kClassifiedOnly =
    QStringLiteral("FIGYELEM!! A kiválasztott szerv csak minősített küldeményt fogadhat!");

store::TDM1& dm()
{
    return store::TDM1::instance();
}

const lists::ListKindInfo& currentKind()
{
    return lists::listKind(app::appState().currentListKind);
}

bool isEnter(const QKeyEvent* event)
{
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

// A key that would put a character into an edit (Tab, arrows and the like do not).
bool typesCharacter(const QKeyEvent* event)
{
    return !event->text().isEmpty() && (event->text().at(0).isPrint() || isEnter(event));
}

QLabel* makeLabel(const QString& text, const QString& name, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

} // namespace

Ttetelek_felvetele_form::Ttetelek_felvetele_form(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Ttetelek_felvetele_form"));
    setWindowTitle(QStringLiteral("Tételek felvétele"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(866, 270);
    ui::setSkyBlueBackground(this);

    // The level step: the digit on the left, the six levels to choose from beside it.
    // The caption stays on show for the NATO kinds, naming their foreign classification.
    Label4 = makeLabel(QStringLiteral("Minősítési szint"), QStringLiteral("Label4"), this);
    Label4->setGeometry(16, 38, 200, Label4->sizeHint().height());
    Edit3 = new QLineEdit(this);
    Edit3->setObjectName(QStringLiteral("Edit3"));
    Edit3->setMaxLength(1);
    Edit3->setAlignment(Qt::AlignCenter);
    Edit3->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[1-6]?")), Edit3));
    Edit3->setGeometry(160, 34, 30, Edit3->sizeHint().height());
    SCGroupBox1 = new QGroupBox(QStringLiteral("Küldemény minősítése"), this);
    SCGroupBox1->setObjectName(QStringLiteral("SCGroupBox1"));
    ui::styleGroupBox(SCGroupBox1);
    SCGroupBox1->setGeometry(220, 4, 638, 80);
    QRadioButton** radios[] = {&SCRadioButton3, &SCRadioButton4, &SCRadioButton5,
                               &SCRadioButton6, &SCRadioButton7, &SCRadioButton8};
    int columnWidth = 0;
    for (int level = 1; level <= kNumberless; ++level) {
        auto* radio = new QRadioButton(store::classification(level)->choiceCaption, SCGroupBox1);
        radio->setObjectName(QStringLiteral("SCRadioButton%1").arg(level + 2));
        radio->adjustSize();
        columnWidth = std::max(columnWidth, radio->width() + 24);
        connect(radio, &QRadioButton::toggled, this,
                [this, level](bool checked) { SCRadioButtonChange(level, checked); });
        *radios[level - 1] = radio;
    }
    for (int level = 1; level <= kNumberless; ++level)
        radioOfLevel(level)->move(14 + ((level - 1) % 3) * columnWidth, 22 + ((level - 1) / 3) * 27);
    connect(Edit3, &QLineEdit::textChanged, this, &Ttetelek_felvetele_form::Edit3Change);

    // The details.
    SCGroupBox2 = new QGroupBox(this);
    SCGroupBox2->setObjectName(QStringLiteral("SCGroupBox2"));
    ui::styleGroupBox(SCGroupBox2);
    SCGroupBox2->setGeometry(8, 90, 850, 130);
    Label5 = makeLabel(QStringLiteral("Küldemény címzettje"), QStringLiteral("Label5"), SCGroupBox2);
    Label6 = makeLabel(QStringLiteral("Iktatószám+pédánysorszám"), QStringLiteral("Label6"), SCGroupBox2);
    Label7 = makeLabel(QStringLiteral("Darabszám"), QStringLiteral("Label7"), SCGroupBox2);
    Label5->adjustSize();
    Label6->adjustSize();
    Label5->move(kDetailsLabelLeft, 34);
    Label6->move(kDetailsLabelLeft, 68);

    m_names = new QStringListModel(this);
    Edit4 = new QComboBox(SCGroupBox2);
    Edit4->setObjectName(QStringLiteral("Edit4"));
    Edit4->setEditable(true);
    Edit4->setInsertPolicy(QComboBox::NoInsert);
    Edit4->setModel(m_names);
    Edit4->setMaxVisibleItems(5);
    QPalette infoTip = Edit4->palette();
    infoTip.setColor(QPalette::Base, ui::kInfoTip);
    Edit4->setPalette(infoTip);
    Edit4->lineEdit()->setPalette(infoTip);
    // Typing drops the matching names down; Enter takes the highlighted one.
    m_completer = new QCompleter(m_names, this);
    m_completer->setCaseSensitivity(Qt::CaseInsensitive);
    m_completer->setCompletionMode(QCompleter::PopupCompletion);
    m_completer->setFilterMode(Qt::MatchStartsWith);
    m_completer->setMaxVisibleItems(5);
    Edit4->setCompleter(m_completer);
    m_completer->popup()->installEventFilter(this);
    connect(Edit4->lineEdit(), &QLineEdit::textEdited, this,
            [this] { QTimer::singleShot(0, this, [this] { highlightFirstCompletion(); }); });
    // The combo box has the focus and hands keys to its edit; double clicks land on the edit.
    Edit4->installEventFilter(this);
    Edit4->lineEdit()->installEventFilter(this);

    BitBtn6 = ui::makeButton(QStringLiteral("Keresés"), QStringLiteral("BitBtn6"), SCGroupBox2);
    BitBtn6->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    connect(BitBtn6, &QPushButton::clicked, this, &Ttetelek_felvetele_form::BitBtn6Click);

    Edit5 = new QLineEdit(SCGroupBox2);
    Edit5->setObjectName(QStringLiteral("Edit5"));
    Edit5->setMaxLength(30);
    Edit5->installEventFilter(this);

    const int editLeft = detailsEditLeft();
    const int editHeight = Edit5->sizeHint().height();
    BitBtn6->ensurePolished();
    const int searchWidth = std::max(110, BitBtn6->sizeHint().width());
    const int searchLeft = SCGroupBox2->width() - 16 - searchWidth;
    BitBtn6->setGeometry(searchLeft, 28, searchWidth, editHeight);
    Edit4->setGeometry(editLeft, 28, searchLeft - 12 - editLeft, editHeight);
    Edit5->setGeometry(editLeft, 62, 250, editHeight);

    Edit6 = new QLineEdit(SCGroupBox2);
    Edit6->setObjectName(QStringLiteral("Edit6"));
    // Only digits, and no more than a whole number holds.
    Edit6->setMaxLength(9);
    Edit6->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), Edit6));
    Edit6->installEventFilter(this);

    SCButton1 = ui::makeButton(QStringLiteral("Vissza"), QStringLiteral("SCButton1"), SCGroupBox2);
    SCButton1->setGeometry(850 - 16 - 110, 96, 110, 25);
    connect(SCButton1, &QPushButton::clicked, this, &Ttetelek_felvetele_form::SCButton1Click);

    SCButton3 = ui::makeButton(QStringLiteral("Mentés <ENTER>"), QStringLiteral("SCButton3"), this);
    SCButton4 = ui::makeButton(QStringLiteral("Mégse <ESC>"), QStringLiteral("SCButton4"), this);
    SCButton3->setGeometry(866 / 2 - 8 - 170, 232, 170, 28);
    SCButton4->setGeometry(866 / 2 + 8, 232, 170, 28);
    connect(SCButton3, &QPushButton::clicked, this, &Ttetelek_felvetele_form::SCButton3Click);
    connect(SCButton4, &QPushButton::clicked, this, &Ttetelek_felvetele_form::SCButton4Click);

    setTabOrder(Edit4, Edit5);
    setTabOrder(Edit5, Edit6);
    setTabOrder(Edit6, SCButton3);
    setTabOrder(SCButton3, SCButton4);
    setTabOrder(SCButton4, SCButton1);
    setTabOrder(SCButton1, BitBtn6);

    Edit3->installEventFilter(this);
    showNumberedLayout();
    SCGroupBox2->hide();

    // The query outlives the windows, which are destroyed before the store at the end.
    dm().MyQuery4.addChangeListener([self = QPointer<Ttetelek_felvetele_form>(this)] {
        if (self)
            self->loadAddresseeNames();
    });
    ui::installKeyPreview(this, [this](QKeyEvent* event) { return FormKeyDown(event); });
}

int Ttetelek_felvetele_form::detailsEditLeft() const
{
    // The addressee and number fields line up with the count field unless their
    // captions need more room in the font in use.
    const int captions = std::max(Label5->sizeHint().width(), Label6->sizeHint().width());
    return std::max(kCountLeft, kDetailsLabelLeft + captions + 10);
}

bool Ttetelek_felvetele_form::isNato() const
{
    return !currentKind().hasClassificationChoice;
}

void Ttetelek_felvetele_form::setAddresseeSearch(Tkereso_form* search)
{
    if (m_search)
        disconnect(m_search, nullptr, this, nullptr);
    m_search = search;
    if (search)
        connect(search, &Tkereso_form::addresseeChosen, this, &Ttetelek_felvetele_form::takeAddressee);
}

void Ttetelek_felvetele_form::takeAddressee(const QString& name)
{
    Edit4->setCurrentText(name);
    // Focused before the dialog is active again, so the addressee field is not left (and
    // checked) a second time on the way.
    Edit5->setFocus();
}

QRadioButton* Ttetelek_felvetele_form::radioOfLevel(int level) const
{
    QRadioButton* const radios[] = {SCRadioButton3, SCRadioButton4, SCRadioButton5,
                                    SCRadioButton6, SCRadioButton7, SCRadioButton8};
    return (level >= 1 && level <= kNumberless) ? radios[level - 1] : nullptr;
}

void Ttetelek_felvetele_form::loadAddresseeNames()
{
    store::Query& names = dm().MyQuery4;
    if (!names.isOpen())
        return;
    QStringList list;
    list.reserve(names.rowCount());
    for (int row = 0; row < names.rowCount(); ++row)
        list << names.value(row, QStringLiteral("SZERVNEV")).toString();
    const QString typed = Edit4->currentText();
    m_names->setStringList(list);
    Edit4->setCurrentIndex(-1);
    Edit4->setEditText(typed);
}

void Ttetelek_felvetele_form::enable_list_workspaces()
{
    emit listWorkspacesEnabled();
}

void Ttetelek_felvetele_form::showNumberedLayout()
{
    for (QWidget* w :
         {static_cast<QWidget*>(Label5), static_cast<QWidget*>(Edit4), static_cast<QWidget*>(BitBtn6),
          static_cast<QWidget*>(Label6), static_cast<QWidget*>(Edit5), static_cast<QWidget*>(Label7),
          static_cast<QWidget*>(Edit6)})
        w->show();
    Edit6->setGeometry(kCountLeft, kCountTop, kCountWidth, Edit6->sizeHint().height());
    Label7->setText(QStringLiteral("Darabszám"));
    Label7->adjustSize();
    Label7->move(kDetailsLabelLeft, 102);
    Edit4->setCurrentIndex(-1);
    Edit4->clearEditText();
    Edit5->clear();
    Edit6->clear();
}

void Ttetelek_felvetele_form::showNumberlessLayout()
{
    for (QWidget* w :
         {static_cast<QWidget*>(Label5), static_cast<QWidget*>(Edit4), static_cast<QWidget*>(BitBtn6),
          static_cast<QWidget*>(Label6), static_cast<QWidget*>(Edit5)})
        w->hide();
    Edit6->show();
    Label7->show();
    Edit6->setGeometry(24, 32, kCountWidth, Edit6->sizeHint().height());
    Label7->setText(QStringLiteral("db számnélküli küldemény"));
    Label7->adjustSize();
    Label7->move(84, 34);
    Edit6->clear();
}

void Ttetelek_felvetele_form::configure_for_list_kind()
{
    if (isNato()) {
        SCGroupBox1->hide();
        Label4->setText(QStringLiteral("Külföldi minősítésű küldemény"));
        Label4->adjustSize();
        Edit3->clear();
        Edit3->hide();
        for (int level = 1; level <= kNumberless; ++level)
            radioOfLevel(level)->hide();
        SCButton1->hide();
        showNumberedLayout();
        Label7->setText(QStringLiteral("Darabszám:"));
        Label7->adjustSize();
        SCGroupBox2->show();
    } else {
        SCGroupBox1->show();
        Label4->setText(QStringLiteral("Küldemény jelzése:"));
        Label4->adjustSize();
        Edit3->show();
        for (int level = 1; level <= kNumberless; ++level)
            radioOfLevel(level)->show();
        SCButton1->show();
    }
}

void Ttetelek_felvetele_form::open_for_entry(const items::ItemEntry::AddresseeReader& addressees)
{
    m_listAddressees = addressees;
    Edit3->clear();
    Edit6->clear();
    SCGroupBox2->setTitle(QString());
    if (isNato()) {
        Edit4->setCurrentIndex(-1);
        Edit4->clearEditText();
        Edit5->clear();
        SCGroupBox2->show();
    } else {
        for (QWidget* w :
             {static_cast<QWidget*>(Label5), static_cast<QWidget*>(Label6), static_cast<QWidget*>(Label7),
              static_cast<QWidget*>(Edit4), static_cast<QWidget*>(Edit5), static_cast<QWidget*>(Edit6),
              static_cast<QWidget*>(BitBtn6), static_cast<QWidget*>(SCGroupBox2)})
            w->hide();
    }
    if (!isVisible())
        ui::centreOnScreen(this);
    setEnabled(true);
    show();
    activateWindow();
    if (isNato())
        Edit4->setFocus();
    else
        Edit3->setFocus();
}

void Ttetelek_felvetele_form::uncheckLevels()
{
    for (int level = 1; level <= kNumberless; ++level) {
        QRadioButton* radio = radioOfLevel(level);
        const QSignalBlocker blocker(radio);
        radio->setAutoExclusive(false);
        radio->setChecked(false);
        radio->setAutoExclusive(true);
    }
}

void Ttetelek_felvetele_form::SCRadioButtonChange(int level, bool checked)
{
    if (checked)
        Edit3->setText(QString::number(level));
}

void Ttetelek_felvetele_form::Edit3Change(const QString& text)
{
    if (text.isEmpty()) {
        uncheckLevels();
        return;
    }
    const int level = text.toInt();
    if (level < 1 || level > kNumberless)
        return;
    SCGroupBox2->setTitle(store::classification(level)->detailCaption);
    if (level == kNumberless) {
        showNumberlessLayout();
        SCGroupBox2->show();
        Edit6->setFocus();
    } else {
        showNumberedLayout();
        SCGroupBox2->show();
        Edit4->setFocus();
    }
}

bool Ttetelek_felvetele_form::Edit3KeyPress(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Backspace)
        return false;
    const QString text = event->text();
    if (text.size() == 1 && text.at(0) >= u'1' && text.at(0) <= u'6') {
        // A new digit replaces the old one.
        Edit3->setText(text);
        radioOfLevel(text.toInt())->setChecked(true);
        return true;
    }
    return typesCharacter(event);
}

void Ttetelek_felvetele_form::highlightFirstCompletion()
{
    QAbstractItemView* popup = m_completer->popup();
    if (!popup->isVisible() || popup->currentIndex().isValid())
        return;
    // Shown as highlighted without writing the name into the box, so typing goes on.
    const QSignalBlocker blocker(popup->selectionModel());
    popup->setCurrentIndex(m_completer->completionModel()->index(0, 0));
    popup->viewport()->update();
}

void Ttetelek_felvetele_form::takeHighlightedCompletion()
{
    QAbstractItemView* popup = m_completer->popup();
    if (!popup->isVisible())
        return;
    QModelIndex chosen = popup->currentIndex();
    if (!chosen.isValid())
        chosen = m_completer->completionModel()->index(0, 0);
    popup->hide();
    if (chosen.isValid())
        Edit4->setEditText(chosen.data(m_completer->completionRole()).toString());
}

bool Ttetelek_felvetele_form::Edit4KeyPress(QKeyEvent* event)
{
    if (!isEnter(event))
        return false;
    takeHighlightedCompletion();
    if (Edit4->currentText().isEmpty())
        BitBtn6Click();
    else
        Edit5->setFocus();
    return true;
}

void Ttetelek_felvetele_form::Edit4DblClick()
{
    BitBtn6Click();
}

void Ttetelek_felvetele_form::BitBtn6Click()
{
    m_completer->popup()->hide();
    Edit4->hidePopup();
    if (m_search)
        m_search->openFor(this);
}

void Ttetelek_felvetele_form::Edit4Exit(const QString& name)
{
    if (name.isEmpty())
        return;
    ui::guarded([&] {
        if (items::ItemEntry(dm(), currentKind()).takesClassifiedOnly(name))
            app::messages().inform(kClassifiedOnly);
    });
}

bool Ttetelek_felvetele_form::Edit5KeyPress(QKeyEvent* event)
{
    if (!isEnter(event))
        return false;
    if (Edit4->currentText().isEmpty())
        Edit4->setFocus();
    else
        Edit6->setFocus();
    return true;
}

void Ttetelek_felvetele_form::Edit6Enter()
{
    if (Edit6->text().isEmpty())
        Edit6->setText(QStringLiteral("1"));
    // Entering the field selects its text, so the digits typed next replace the "1".
    Edit6->selectAll();
}

bool Ttetelek_felvetele_form::Edit6KeyPress(QKeyEvent* event)
{
    if (isEnter(event)) {
        SCButton3Click();
        return true;
    }
    if (event->key() == Qt::Key_Backspace)
        return false;
    const QString text = event->text();
    if (text.size() == 1 && text.at(0).isDigit() && text.at(0).unicode() < 128)
        return false;
    return typesCharacter(event);
}

bool Ttetelek_felvetele_form::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (watched == m_completer->popup()) {
        // The open name list gets the keys first; Enter there takes the highlighted name.
        if (type == QEvent::KeyPress && isEnter(static_cast<QKeyEvent*>(event)))
            return Edit4KeyPress(static_cast<QKeyEvent*>(event));
        return false;
    }
    if (type == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched == Edit3)
            return Edit3KeyPress(key);
        if (watched == Edit4)
            return Edit4KeyPress(key);
        if (watched == Edit5)
            return Edit5KeyPress(key);
        if (watched == Edit6)
            return Edit6KeyPress(key);
    } else if (type == QEvent::MouseButtonDblClick && watched == Edit4->lineEdit()) {
        Edit4DblClick();
        return true;
    } else if (type == QEvent::FocusOut && watched == Edit4) {
        // Leaving the field for another one of this dialog, not for a popup or another
        // window. The warning waits until the focus has settled in the next field.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason && isVisible())
            QTimer::singleShot(0, this, [this, name = Edit4->currentText()] { Edit4Exit(name); });
    } else if (type == QEvent::FocusIn && watched == Edit6) {
        Edit6Enter();
    }
    return QWidget::eventFilter(watched, event);
}

bool Ttetelek_felvetele_form::FormKeyDown(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Escape)
        return false;
    if (!SCGroupBox2->isHidden() && !isNato()) {
        // Back to the level step; the digit stays.
        SCGroupBox2->hide();
        Edit3->setFocus();
        return true;
    }
    enable_list_workspaces();
    if (m_search)
        m_search->hide();
    hide();
    return true;
}

void Ttetelek_felvetele_form::SCButton1Click()
{
    if (isNato())
        return;
    SCGroupBox2->hide();
    Edit3->clear();
    Edit3->setFocus();
}

void Ttetelek_felvetele_form::SCButton4Click()
{
    close();
}

void Ttetelek_felvetele_form::closeEvent(QCloseEvent* event)
{
    FormCloseQuery();
    event->accept();
}

void Ttetelek_felvetele_form::FormCloseQuery()
{
    enable_list_workspaces();
    hide();
}

bool Ttetelek_felvetele_form::checkCount()
{
    if (Edit6->text().isEmpty()) {
        app::messages().inform(kCountMissing);
        Edit6->setFocus();
        return false;
    }
    if (Edit6->text().toInt() == 0) {
        app::messages().inform(kCountZero);
        Edit6->setFocus();
        return false;
    }
    return true;
}

bool Ttetelek_felvetele_form::checkRegistration()
{
    if (!Edit5->text().isEmpty())
        return true;
    app::messages().inform(kRegistrationMissing);
    if (Edit4->currentText().isEmpty())
        Edit4->setFocus();
    else
        Edit5->setFocus();
    return false;
}

bool Ttetelek_felvetele_form::checkAddressee()
{
    if (!Edit4->currentText().isEmpty())
        return true;
    app::messages().inform(kAddresseeMissing);
    Edit4->setFocus();
    return false;
}

void Ttetelek_felvetele_form::saveNational(int level)
{
    const int listNumber = app::appState().currentListNumber;
    if (level == kNumberless) {
        if (!checkCount())
            return;
        if (!add_items(listNumber, kNumberless, Edit6->text().toInt(), QString(), QString(), QString()))
            return;
        Edit6->clear();
        SCButton1Click();
        return;
    }
    // Every check runs, so the operator learns of every missing field at once.
    const bool countOk = checkCount();
    const bool registrationOk = checkRegistration();
    const bool addresseeOk = checkAddressee();
    if (!countOk || !registrationOk || !addresseeOk)
        return;
    const QString name = Edit4->currentText();
    const QString code = items::ItemEntry(dm(), currentKind()).addresseeCode(name);
    if (!add_items(listNumber, level, Edit6->text().toInt(), Edit5->text(), name, code))
        return;
    Edit6->clear();
    Edit5->clear();
    Edit4->setCurrentIndex(-1);
    Edit4->clearEditText();
    Edit4->setFocus();
}

void Ttetelek_felvetele_form::saveNato()
{
    const bool addresseeOk = checkAddressee();
    const bool registrationOk = checkRegistration();
    const bool countOk = checkCount();
    if (!countOk || !registrationOk || !addresseeOk)
        return;
    const QString name = Edit4->currentText();
    const QString code = items::ItemEntry(dm(), currentKind()).addresseeCode(name);
    if (!add_items(app::appState().currentListNumber, 0, Edit6->text().toInt(), Edit5->text(), name, code))
        return;
    Edit4->setCurrentIndex(-1);
    Edit4->clearEditText();
    Edit5->clear();
    Edit6->clear();
    Edit4->setFocus();
}

void Ttetelek_felvetele_form::SCButton3Click()
{
    ui::guarded([this] {
        if (isNato()) {
            saveNato();
        } else {
            const int level = Edit3->text().toInt();
            if (level >= 1 && level <= kNumberless)
                saveNational(level);
        }
        // Also after a refused save: the list is renumbered every time.
        sorszam_rendezo(app::appState().currentListNumber);
    });
}

bool Ttetelek_felvetele_form::add_items(int listNumber, int mjel, int count, const QString& iktszam,
                                        const QString& name, const QString& code)
{
    items::ItemEntry::Consignment consignment;
    consignment.listNumber = listNumber;
    consignment.mjel = mjel;
    consignment.count = count;
    consignment.registration = iktszam;
    consignment.addresseeName = name;
    consignment.addresseeCode = code;
    items::ItemEntry entry(dm(), currentKind());
    if (const auto refused = entry.refusal(consignment)) {
        // Nothing is stored; the fields keep what was typed, the cursor goes to the one to mend.
        app::messages().inform(refused->message);
        switch (refused->field) {
        case items::ItemEntry::Field::Registration:
            Edit5->setFocus();
            break;
        case items::ItemEntry::Field::Addressee:
            Edit4->setFocus();
            break;
        case items::ItemEntry::Field::Count:
            Edit6->setFocus();
            break;
        }
        return false;
    }
    const items::ItemEntry::ListAddressees addressees =
        m_listAddressees ? m_listAddressees() : items::ItemEntry::ListAddressees{};
    entry.add_items(consignment, addressees, app::messages());
    return true;
}

QString Ttetelek_felvetele_form::lookup_short_name(const QString& code)
{
    return items::ItemEntry(dm(), currentKind()).lookup_short_name(code);
}

void Ttetelek_felvetele_form::sorszam_rendezo(int listNumber)
{
    lists::Renumbering(dm(), currentKind()).sorszam_rendezo(listNumber);
}

void Ttetelek_felvetele_form::rebuild_item_table(int kind)
{
    lists::Renumbering(dm(), lists::listKind(kind)).rebuild_item_table();
}
