#include "Tny_form.h"

#include "Guard.h"
#include "Look.h"
#include "TForm1.h"
#include "Windows.h"
#include "app/AppState.h"
#include "app/ProgramEnd.h"
#include "app/Services.h"
#include "app/StartSequence.h"
#include "app/StoredSettings.h"
#include "store/DataModule.h"
#include "store/FolderLock.h"
#include "store/LegacyMigration.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>
#include <utility>

Tny_form::Tny_form(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Tny_form"));
    // A dialog frame with a caption but neither system menu nor close box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    ui::setCaptionGradientBackground(this);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(QPixmap(QStringLiteral(":/logo.png")));
    Image1->setAlignment(Qt::AlignCenter);

    Label1 = new QLabel(QStringLiteral("Orvand"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    QFont font = Label1->font();
    font.setPointSize(16);
    font.setBold(true);
    Label1->setFont(font);
    QPalette white = Label1->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    Label1->setPalette(white);

    JvGradientProgressBar1 = new QProgressBar(this);
    JvGradientProgressBar1->setObjectName(QStringLiteral("JvGradientProgressBar1"));
    JvGradientProgressBar1->setRange(0, 100);
    JvGradientProgressBar1->setValue(50);
    JvGradientProgressBar1->setTextVisible(false);
    JvGradientProgressBar1->setFixedHeight(18);
    JvGradientProgressBar1->setStyleSheet(
        QStringLiteral("QProgressBar { border: 1px solid #0A50A0; border-radius: 3px; background: white; }"
                       "QProgressBar::chunk { background: qlineargradient(x1:0, y1:0, x2:1, y2:0,"
                       " stop:0 #A6CAF0, stop:1 #0A50A0); }"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(30, 20, 30, 20);
    layout->addWidget(Image1, 1);
    layout->addWidget(Label1);
    layout->addSpacing(10);
    layout->addWidget(JvGradientProgressBar1);
    setFixedSize(400, 240);

    JvThreadTimer1 = new QTimer(this);
    JvThreadTimer1->setObjectName(QStringLiteral("JvThreadTimer1"));
    JvThreadTimer1->setInterval(20);
    connect(JvThreadTimer1, &QTimer::timeout, this, &Tny_form::JvThreadTimer1Timer);
    JvThreadTimer2 = new QTimer(this);
    JvThreadTimer2->setObjectName(QStringLiteral("JvThreadTimer2"));
    JvThreadTimer2->setInterval(100);
    connect(JvThreadTimer2, &QTimer::timeout, this, &Tny_form::JvThreadTimer2Timer);
}

Tny_form::~Tny_form() = default;

store::LegacyMigration& Tny_form::migration()
{
    if (!m_migration)
        m_migration = std::make_unique<store::LegacyMigration>(store::TDM1::instance().MyQuery1);
    return *m_migration;
}

void Tny_form::FormCreate(const QString& programFolder)
{
    app::AppState& state = app::appState();
    state.useDefaultPrinter = false;
    QString folder = programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : programFolder;
    if (!folder.endsWith(u'/'))
        folder += u'/';
    state.programFolder = folder;

    // A restore requested in the last run is applied before the store is opened.
    admin::PendingRestore restore(folder, app::clock().now());
    // A copy of another logon works on these table files now: it is left alone, and the
    // start tells this copy that the folder is in use.
    const bool inUse = !store::TDM1::instance().ADOConnection2.isOpen() &&
                       store::FolderLock::heldElsewhere(folder + QStringLiteral("used.uld"));
    m_restore = inUse ? admin::PendingRestore::Outcome::NoRequest : restore.apply();
    if (m_restore == admin::PendingRestore::Outcome::Applied)
        QApplication::processEvents();
    // The request stays for the next start; the operator hears once per start why it failed.
    m_restoreFailure = m_restore == admin::PendingRestore::Outcome::Failed ? restore.errorText() : QString();

    state.programVersion = app::kProgramVersion;
    setWindowTitle(QStringLiteral("Dispora   -   ") + state.programVersion + QStringLiteral(" verzió"));
    JvThreadTimer1->start();
    state.refreshFromSettings = false;
}

void Tny_form::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    ui::centreOnScreen(this);
}

void Tny_form::JvThreadTimer1Timer()
{
    JvGradientProgressBar1->setValue(JvGradientProgressBar1->value() + 2);
    if (JvGradientProgressBar1->value() < 100)
        return;
    JvThreadTimer1->stop();

    if (!m_restoreFailure.isEmpty())
        app::messages().inform(std::exchange(m_restoreFailure, QString()));
    app::StartSequence sequence(store::TDM1::instance(), migration(), app::appState().programFolder,
                                app::messages());
    if (sequence.run() == app::StartSequence::Outcome::Fatal) {
        // The message has been read; nothing more of the start runs.
        app::endProgram();
        return;
    }
    JvThreadTimer2->start();
    QApplication::processEvents();
}

void Tny_form::JvThreadTimer2Timer()
{
    JvThreadTimer2->stop();
    Image1->hide();
    JvGradientProgressBar1->hide();
    Label1->hide();
    TForm1* menu = ui::windows().form1;
    menu->layoutButtons();
    QApplication::processEvents();
    menu->setWindowTitle(windowTitle());
    menu->show();
    ui::centreOnScreen(menu);
    hide();
    load_stored_settings();
}

void Tny_form::load_stored_settings()
{
    ui::guarded([&] {
        app::AppState& state = app::appState();
        TForm1* menu = ui::windows().form1;
        if (app::loadStoredSettings(store::TDM1::instance().MyQuery1, state)) {
            menu->focusFirstList();
            return;
        }
        // First start: the lists wait until the settings are saved. Without a stored row
        // the settings open with the default-printer option selected; a current printer at
        // the first place leaves the choice box empty, so the operator picks one.
        menu->setListButtonsEnabled(false);
        const int current = app::printers().currentPrinterIndex();
        state.printerIndex = current > 0 ? current : 5000;
        menu->openSettings();
    });
}
