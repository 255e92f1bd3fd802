#include "app/ui/GuiServices.h"
#include "app/ui/Keyboard.h"
#include "app/ui/Windows.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ui::installGuiServices();
    ui::installKeyboardConventions(app);
    ui::createWindows();
    const int rc = app.exec();
    ui::destroyWindows();
    return rc;
}
