#include "app/InstanceGuard.h"
#include "app/ProgramEnd.h"
#include "app/TerminationSignals.h"
#include "app/ui/GuiServices.h"
#include "app/ui/Keyboard.h"
#include "app/ui/Language.h"
#include "app/ui/Tny_form.h"
#include "app/ui/Windows.h"
#include "store/DataModule.h"

#include <QApplication>
#include <QDir>
#include <optional>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Dispora"));

    // One copy per user logon: a second one leaves at once, silently.
    std::optional<app::InstanceGuard> guard(std::in_place);
    if (!guard->tryAcquire())
        return 0;

    // The store's server paths are relative to the program's own folder.
    QDir::setCurrent(QCoreApplication::applicationDirPath());
    // The program ends only through the main menu, a fatal start message or a restore.
    app.setQuitOnLastWindowClosed(false);
    ui::installHungarian(app);
    ui::installGuiServices();
    ui::installKeyboardConventions(app);
    app::TerminationSignals termination;

    ui::createWindows();
    Tny_form* opening = ui::windows().ny_form;
    opening->FormCreate();
    opening->show();
    app.exec();

    ui::destroyWindows();
    store::TDM1& dm = store::TDM1::instance();
    dm.MyConnection1.close();
    store::Connection::shutdownServer();
    dm.ADOConnection2.close();
    // After a restore request the next copy starts only now, so that it finds the guard and
    // the folder lock free and applies the restore before it opens the store.
    guard.reset();
    app::startRequestedRestart();
    return 0;
}
