#include "Tadatbazis_form.h"

#include "admin/DatabaseBackup.h"
#include "admin/RegisterRefresh.h"
#include "admin/ui/Tbeallitasok_form.h"
#include "app/AppState.h"
#include "app/ProgramEnd.h"
#include "app/Services.h"
#include "app/ui/ConfirmDialog.h"
#include "app/ui/Guard.h"
#include "app/ui/Look.h"
#include "app/ui/TForm1.h"
#include "app/ui/Windows.h"
#include "store/DataModule.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
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

    connect(SCButton1, &QPushButton::clicked, this, &Tadatbazis_form::SCButton1Click);
    connect(SCButton2, &QPushButton::clicked, this, &Tadatbazis_form::SCButton2Click);
    connect(SCButton3, &QPushButton::clicked, this, &Tadatbazis_form::SCButton3Click);
    connect(SCButton4, &QPushButton::clicked, this, &Tadatbazis_form::SCButton4Click);
    connect(SCButton5, &QPushButton::clicked, this, &Tadatbazis_form::SCButton5Click);

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

void Tadatbazis_form::prepareRefreshGroup()
{
    Edit1->clear();
    Edit2->clear();
    SCButton2->setEnabled(false);
    JvGradientProgressBar1->hide();
    Label3->clear();
    Edit1->setText(admin::registerVersionText(store::TDM1::instance().MyQuery3));
}

void Tadatbazis_form::openFromMenu(const QString& programFolder)
{
    m_programFolder = programFolder;
    if (m_importStartFolder.isEmpty())
        m_importStartFolder = programFolder;
    setZipLibraryFolder(programFolder);
    showAllGroups();
    prepareRefreshGroup();
    show();
}

void Tadatbazis_form::openFromSettings()
{
    m_programFolder = app::appState().programFolder;
    prepareRefreshGroup();
    showRefreshGroupOnly();
    show();
}

void Tadatbazis_form::SCButton1Click()
{
    const QString path =
        app::fileDialogs().openFileName(QStringLiteral("Ms Excel (*.xls)"), QFileInfo(Edit2->text()).path());
    if (path.isEmpty())
        return;
    Edit2->setText(path);
    QApplication::processEvents();
    const admin::RegisterFileCheck check = admin::checkRegisterFile(path, app::messages());
    // A file that failed its check is never refreshed from, even after an earlier good one.
    SCButton2->setEnabled(check.passed);
    if (check.passed)
        m_newVersion = check.version;
    QApplication::processEvents();
}

void Tadatbazis_form::SCButton2Click()
{
    const std::optional<QString> question = admin::refreshQuestion(Edit1->text(), m_newVersion);
    bool go = true;
    if (question) {
        ConfirmDialog* confirm = ui::windows().frissites_kerdezo_form;
        confirm->setWindowTitle(QStringLiteral("Frissítés megerősítése"));
        confirm->setFirstButtonCaption(QStringLiteral("Igen"));
        confirm->setQuestion(*question);
        go = confirm->ask() == ConfirmDialog::Yes;
        if (!go)
            SCButton2->setEnabled(true);
    }
    if (go)
        ui::guarded([&] { refresh(); });
    ui::windows().beallitasok_form->setEnabled(true);
}

void Tadatbazis_form::showProgress(int written, int total)
{
    if (JvGradientProgressBar1->isHidden()) {
        JvGradientProgressBar1->setRange(0, total);
        JvGradientProgressBar1->show();
    }
    JvGradientProgressBar1->setValue(written);
    Label3->setText(QString::number(written) + u'/' + QString::number(total));
    QApplication::processEvents();
}

void Tadatbazis_form::refresh()
{
    SCButton1->setEnabled(false);
    SCButton2->setEnabled(false);
    JvGradientProgressBar1->hide();
    store::Query& q = store::TDM1::instance().MyQuery3;
    try {
        admin::refreshRegister(
            q, Edit2->text(), m_newVersion, app::messages(),
            [this](int written, int total) { showProgress(written, total); },
            [this] {
                SCButton2->setEnabled(true);
                QApplication::processEvents();
            });
        Edit1->setText(admin::registerVersionText(q));
    } catch (...) {
        SCButton1->setEnabled(true);
        SCButton2->setEnabled(true);
        q.close();
        throw;
    }
    SCButton1->setEnabled(true);
    SCButton2->setEnabled(true);
    q.close();
}

void Tadatbazis_form::SCButton3Click()
{
    ui::guarded([&] {
        const QString name = admin::proposedBackupName(app::clock().now());
        const admin::BackupFolder folder = admin::prepareBackupFolder(m_programFolder);
        if (folder.creationFailed)
            app::messages().inform(
                QStringLiteral("Nem tudom létrehozni az \"adatbázis mentés\" könyvtárat!"));
        const QString archive =
            app::fileDialogs().saveFileName(QStringLiteral("zip (*.zip)"), folder.startFolder, name);
        if (archive.isEmpty())
            return;
        bool saved = false;
        try {
            saved = admin::backupDatabase(store::TDM1::instance(), m_programFolder, archive);
        } catch (const std::exception&) {
            // The backup reopens the store itself; what failed is told below.
            saved = false;
        }
        app::messages().inform(saved ? QStringLiteral("Adatbázis mentése sikerült!")
                                     : QStringLiteral("Hiba az adatbázis mentése közben!"));
    });
}

void Tadatbazis_form::SCButton4Click()
{
    ConfirmDialog* confirm = ui::windows().import_form;
    confirm->setWindowTitle(QStringLiteral("Importálás megerősítése"));
    confirm->setQuestion(
        QStringLiteral("Valóban importálni szeretné az adatokat? FIGYELEM!!! Az eddigi adatok "
                       "helyreállíthatatlanul felülíródnak!"));
    const QString archive =
        app::fileDialogs().openFileName(QStringLiteral("zip (*.zip)"), m_importStartFolder);
    if (archive.isEmpty())
        return;
    m_importStartFolder = m_programFolder;
    if (confirm->ask() != ConfirmDialog::Yes)
        return;

    store::TDM1& dm = store::TDM1::instance();
    bool requested = false;
    try {
        // An archive that is no backup of this program is refused before anything is written.
        if (admin::writeRestoreRequest(m_programFolder, archive)) {
            admin::closeStoreForRestore(dm);
            QApplication::processEvents();
            app::messages().inform(
                QStringLiteral("Adatbázis importálása sikerült, a program most be fog záródni!"));
            requested = true;
        }
    } catch (const std::exception&) {
        requested = false;
    }
    if (!requested)
        app::messages().inform(QStringLiteral("Hiba az adatbázis visszatöltése közben!"));
    ui::guarded([&] { admin::reopenStore(dm); });
    if (!requested)
        return;
    app::requestRestartAfterEnd(m_programFolder);
    app::endProgram();
}

void Tadatbazis_form::SCButton5Click()
{
    ConfirmDialog* confirm = ui::windows().import_form;
    confirm->setWindowTitle(QStringLiteral("Sorszám nullázás megerősítése"));
    confirm->setQuestion(QStringLiteral(
        "Valóban ki szeretné nullázni a futárjegyzékek sorszámozását? FIGYELEM!!! Az eddigi adatok "
        "helyreállíthatatlanul törlődnek! Ajánlott nullázás előtt mentést készíteni az Adatbázis exportálása "
        "gombra kattintva!"));
    if (confirm->ask() != ConfirmDialog::Yes)
        return;
    ui::guarded([&] {
        const admin::ResetOutcome outcome =
            admin::resetNumbering(store::TDM1::instance(), m_programFolder, app::clock().now());
        if (!outcome.backedUp) {
            app::messages().inform(QStringLiteral(
                "Nem sikerült biztonsági mentést készíteni, ezért a sorszámozás nem lett kinullázva!"));
            return;
        }
        app::messages().inform(outcome.failedStatement < 0
                                   ? QStringLiteral("Futárjegyzékek sorszámozása kinullázva")
                                   : QStringLiteral("Hiba történt!"));
        app::messages().inform(QStringLiteral("A nullázás előtti adatok mentése: ") +
                               QDir::toNativeSeparators(outcome.backupPath));
    });
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
    // Opened from the settings: they look their names up in the register as it is now.
    state.refreshFromSettings = false;
    ui::windows().beallitasok_form->refreshNames();
    QWidget::closeEvent(event);
}
