#include "TForm1.h"

#include "Guard.h"
#include "Keyboard.h"
#include "Look.h"
#include "Tnevjegy_form.h"
#include "Windows.h"
#include "admin/ui/Tadatbazis_form.h"
#include "admin/ui/Tbeallitasok_form.h"
#include "app/AppState.h"
#include "app/ProgramEnd.h"
#include "app/Services.h"
#include "lists/ui/ListWorkspace.h"
#include "store/DataModule.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWindowStateChangeEvent>

namespace {

constexpr int kButtonWidth = 257;
constexpr int kButtonHeight = 25;

} // namespace

TForm1::TForm1(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TForm1"));
    // Single frame with a close box only; the window keeps its size.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(420, 400);
    ui::setCaptionGradientBackground(this);

    SCButton1 = makeButton("SCButton1", QStringLiteral("B-2 Futárjegyzék"));
    SCButton2 = makeButton("SCButton2", QStringLiteral("BZS-3 Futárjegyzék"));
    SCButton3 = makeButton("SCButton3", QStringLiteral("B-2 Zsákjegyzék"));
    SCButton4 = makeButton("SCButton4", QStringLiteral("B-2 Futárjegyzék (NATO)"));
    SCButton5 = makeButton("SCButton5", QStringLiteral("BZS-3 Futárjegyzék (NATO)"));
    SCButton6 = makeButton("SCButton6", QStringLiteral("Beállítások"));
    SCButton8 = makeButton("SCButton8", QStringLiteral("Adatbázis műveletek"));
    SCButton9 = makeButton("SCButton9", QStringLiteral("Névjegy"));
    SCButton7 = makeButton("SCButton7", QStringLiteral("Kilépés"));

    // Vertical order, except that "Kilépés" comes before "Névjegy".
    setTabOrder(SCButton1, SCButton2);
    setTabOrder(SCButton2, SCButton3);
    setTabOrder(SCButton3, SCButton4);
    setTabOrder(SCButton4, SCButton5);
    setTabOrder(SCButton5, SCButton6);
    setTabOrder(SCButton6, SCButton8);
    setTabOrder(SCButton8, SCButton7);
    setTabOrder(SCButton7, SCButton9);

    connect(SCButton1, &QPushButton::clicked, this, &TForm1::SCButton1Click);
    connect(SCButton2, &QPushButton::clicked, this, &TForm1::SCButton2Click);
    connect(SCButton3, &QPushButton::clicked, this, &TForm1::SCButton3Click);
    connect(SCButton4, &QPushButton::clicked, this, &TForm1::SCButton4Click);
    connect(SCButton5, &QPushButton::clicked, this, &TForm1::SCButton5Click);
    connect(SCButton6, &QPushButton::clicked, this, &TForm1::SCButton6Click);
    connect(SCButton7, &QPushButton::clicked, this, &TForm1::SCButton7Click);
    connect(SCButton8, &QPushButton::clicked, this, &TForm1::SCButton8Click);
    connect(SCButton9, &QPushButton::clicked, this, &TForm1::SCButton9Click);

    // Escape ends the program whatever has the focus.
    ui::installKeyPreview(this, [this](QKeyEvent* key) {
        if (key->key() != Qt::Key_Escape)
            return false;
        close();
        return true;
    });

    layoutButtons();
}

QPushButton* TForm1::makeButton(const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QLatin1String(name));
    button->setFixedSize(kButtonWidth, kButtonHeight);
    ui::styleButton(button);
    return button;
}

void TForm1::layoutButtons()
{
    // Measured on the outer window, as the column was designed; it then sits centred on
    // the client area below the title bar.
    const QRect frame = frameGeometry();
    const int left = frame.width() / 2 - kButtonWidth / 2;
    const int h = frame.height() / 2;
    const std::pair<QPushButton*, int> column[] = {
        {SCButton1, h - 155}, {SCButton2, h - 123}, {SCButton3, h - 91},
        {SCButton4, h - 59},  {SCButton5, h - 27},  {SCButton6, h + 5},
        {SCButton8, h + 37},  {SCButton9, h + 69},  {SCButton7, h + 101},
    };
    for (const auto& [button, top] : column) {
        button->move(left, top);
        button->setVisible(true);
    }
}

void TForm1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (frameGeometry().height() < 300)
        resize(width(), height() + 300 - frameGeometry().height());
    layoutButtons();
}

void TForm1::openWorkspace(int kind)
{
    app::appState().currentListKind = kind;
    ui::guarded([&] { ui::windows().workspace(kind)->openFromMenu(); });
}

void TForm1::SCButton1Click()
{
    openWorkspace(1);
}

void TForm1::SCButton2Click()
{
    openWorkspace(2);
}

void TForm1::SCButton3Click()
{
    openWorkspace(3);
}

void TForm1::SCButton4Click()
{
    openWorkspace(4);
}

void TForm1::SCButton5Click()
{
    openWorkspace(5);
}

void TForm1::SCButton6Click()
{
    openSettings();
}

void TForm1::openSettings()
{
    ui::guarded([&] {
        ui::windows().beallitasok_form->openFromMenu();
        hide();
    });
}

void TForm1::setListButtonsEnabled(bool enabled)
{
    for (QPushButton* b : {SCButton1, SCButton2, SCButton3, SCButton4, SCButton5})
        b->setEnabled(enabled);
}

void TForm1::focusFirstList()
{
    SCButton1->setFocus();
}

void TForm1::SCButton7Click()
{
    close();
}

void TForm1::SCButton8Click()
{
    ui::guarded([&] {
        ui::windows().adatbazis_form->openFromMenu(app::appState().programFolder);
        hide();
    });
}

void TForm1::SCButton9Click()
{
    ui::windows().nevjegy_form->show();
    hide();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    event->accept();
    // Closing the menu, by whatever way, ends the program.
    app::endProgram();
}

void TForm1::minimiseProgram()
{
    m_minimised = true;
    if (!isMinimized())
        showMinimized();
}

void TForm1::restoreProgram()
{
    if (!m_minimised)
        return;
    m_minimised = false;
    showNormal();
    raise();
    activateWindow();
}

void TForm1::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    const auto* change = static_cast<QWindowStateChangeEvent*>(event);
    if (isMinimized() && !(change->oldState() & Qt::WindowMinimized))
        m_minimised = true;
    else if (!isMinimized() && (change->oldState() & Qt::WindowMinimized))
        QTimer::singleShot(0, this, &TForm1::restoreProgram);
}
