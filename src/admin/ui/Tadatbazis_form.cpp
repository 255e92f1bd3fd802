#include "Tadatbazis_form.h"

#include "admin/ui/Tbeallitasok_form.h"
#include "app/AppState.h"
#include "app/DateTimeText.h"
#include "app/ui/Guard.h"
#include "app/ui/Look.h"
#include "app/ui/TForm1.h"
#include "app/ui/Windows.h"
#include "store/DataModule.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

namespace {

QGroupBox* makeGroup(QWidget* parent, const char* name, const QString& caption, const QRect& where)
{
    QGroupBox* box = ui::makeGroupBox(caption, QLatin1String(name), parent);
    box->setGeometry(where);
    return box;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption)
{
    QPushButton* button = ui::makeButton(caption, QLatin1String(name), parent);
    button->setFixedSize(200, 25);
    return button;
}

// A panel with one button in its middle.
void centreButton(QGroupBox* box, QPushButton* button)
{
    auto* row = new QHBoxLayout(box);
    row->addStretch();
    row->addWidget(button);
    row->addStretch();
}

constexpr int kWidth = 560;
constexpr int kMargin = 8;

} // namespace

Tadatbazis_form::Tadatbazis_form(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Tadatbazis_form"));
    setWindowTitle(QStringLiteral("Adatbázis műveletek"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    ui::setSkyBlueBackground(this);

    // The refresh group fits into the short window that the settings open; the other
    // three lie below it and come into view at the full height.
    const int inner = kWidth - 2 * kMargin;
    SCGroupBox1 = makeGroup(this, "SCGroupBox1", QStringLiteral("SZERVEK adatbázis frissítése"),
                            QRect(kMargin, kMargin, inner, kRefreshOnlyHeight - 2 * kMargin));
    SCGroupBox2 =
        makeGroup(this, "SCGroupBox2", QStringLiteral("Adatbázis exportálás (biztonsági másolat készítése)"),
                  QRect(kMargin, kRefreshOnlyHeight + kMargin, inner, 66));
    SCGroupBox3 = makeGroup(this, "SCGroupBox3",
                            QStringLiteral("Adatbázis importálás (visszatöltés biztonsági másolatból)"),
                            QRect(kMargin, kRefreshOnlyHeight + kMargin + 74, inner, 66));
    SCGroupBox4 =
        makeGroup(this, "SCGroupBox4", QStringLiteral("Futárjegyzék sorszámozások év eleji nullázása"),
                  QRect(kMargin, kRefreshOnlyHeight + kMargin + 148, inner, 66));

    Edit1 = new QLineEdit(SCGroupBox1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setReadOnly(true);
    Edit2 = new QLineEdit(SCGroupBox1);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setReadOnly(true);
    SCButton1 = makeButton(SCGroupBox1, "SCButton1", QStringLiteral("Tallózás"));
    SCButton2 = makeButton(SCGroupBox1, "SCButton2", QStringLiteral("Frissítés indítása"));
    JvGradientProgressBar1 = new QProgressBar(SCGroupBox1);
    JvGradientProgressBar1->setObjectName(QStringLiteral("JvGradientProgressBar1"));
    JvGradientProgressBar1->setTextVisible(false);
    JvGradientProgressBar1->hide();
    Label3 = new QLabel(SCGroupBox1);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setAlignment(Qt::AlignCenter);
    {
        auto* grid = new QGridLayout(SCGroupBox1);
        grid->addWidget(new QLabel(QStringLiteral("Jelenlegi adatbázis verzió dátuma:"), SCGroupBox1), 0, 0);
        grid->addWidget(Edit1, 0, 1);
        grid->addWidget(new QLabel(QStringLiteral("Szervek.xls elérési útja:"), SCGroupBox1), 1, 0);
        grid->addWidget(Edit2, 1, 1);
        auto* buttons = new QHBoxLayout;
        buttons->addStretch();
        buttons->addWidget(SCButton1);
        buttons->addSpacing(16);
        buttons->addWidget(SCButton2);
        buttons->addStretch();
        grid->addLayout(buttons, 2, 0, 1, 2);
        grid->addWidget(JvGradientProgressBar1, 3, 0, 1, 2);
        grid->addWidget(Label3, 4, 0, 1, 2);
        grid->setColumnStretch(1, 1);
    }
    SCButton3 = makeButton(SCGroupBox2, "SCButton3", QStringLiteral("Adatbázis exportálása"));
    centreButton(SCGroupBox2, SCButton3);
    SCButton4 = makeButton(SCGroupBox3, "SCButton4", QStringLiteral("Adatbázis importálása"));
    centreButton(SCGroupBox3, SCButton4);
    SCButton5 = makeButton(SCGroupBox4, "SCButton5", QStringLiteral("Sorszám nullázás"));
    centreButton(SCGroupBox4, SCButton5);

    setFixedWidth(kWidth);
    showAllGroups();
}

void Tadatbazis_form::showAllGroups()
{
    setFixedHeight(kFullHeight);
    SCGroupBox2->show();
    SCGroupBox3->show();
    SCGroupBox4->show();
}

void Tadatbazis_form::showRefreshGroupOnly()
{
    setFixedHeight(kRefreshOnlyHeight);
}

void Tadatbazis_form::openForRefreshFromSettings()
{
    Edit1->clear();
    Edit2->clear();
    SCButton2->setEnabled(false);
    JvGradientProgressBar1->hide();
    Label3->clear();
    // The newest version, as the main menu shows it, should the table hold several.
    store::Query& q = store::TDM1::instance().MyQuery3;
    q.close();
    q.setSql(QStringLiteral("SELECT * FROM SZERVEK_VERZIO ORDER BY VERZIO_DATUMIDO DESC"));
    q.open();
    Edit1->setText(q.isEmpty()
                       ? QStringLiteral("Ismeretlen verzió!")
                       : app::dateTimeText(q.value(0, QStringLiteral("VERZIO_DATUMIDO")).toDateTime()));
    q.close();
    showRefreshGroupOnly();
    show();
}

void Tadatbazis_form::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    ui::centreOnScreen(this);
}

void Tadatbazis_form::closeEvent(QCloseEvent* event)
{
    app::AppState& state = app::appState();
    if (!state.refreshFromSettings) {
        ui::windows().form1->show();
        QWidget::closeEvent(event);
        return;
    }
    // Opened from the settings: fill their name fields from the register as it is now.
    state.refreshFromSettings = false;
    Tbeallitasok_form* settings = ui::windows().beallitasok_form;
    ui::guarded([&] {
        store::Query& q = store::TDM1::instance().MyQuery3;
        auto lookUp = [&](QLineEdit* code, QLineEdit* name) {
            if (code->text().size() != 6)
                return;
            q.close();
            q.setSql(QStringLiteral("SELECT SZERVNEV FROM SZERVEK WHERE TKOD=:TKOD"));
            q.setText(QStringLiteral("TKOD"), code->text());
            q.open();
            if (!q.isEmpty())
                name->setText(q.value(0, QStringLiteral("SZERVNEV")).toString());
        };
        lookUp(settings->Edit2, settings->Edit1);
        lookUp(settings->Edit4, settings->Edit3);
    });
    settings->setEnabled(true);
    QWidget::closeEvent(event);
}
