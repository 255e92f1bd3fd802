#include "Ttetelek_felvetele_form.h"

#include "app/ui/Windows.h"
#include "lists/ui/ListWorkspace.h"

Ttetelek_felvetele_form::Ttetelek_felvetele_form(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Ttetelek_felvetele_form"));
    setWindowTitle(QStringLiteral("Tételek felvétele"));
}

void Ttetelek_felvetele_form::enable_list_workspaces()
{
    for (ListWorkspace* w : ui::windows().workspaces()) {
        if (w)
            w->setEnabled(true);
    }
}
