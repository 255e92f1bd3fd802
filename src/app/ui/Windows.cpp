#include "Windows.h"

#include "ConfirmDialog.h"
#include "TForm1.h"
#include "Tnevjegy_form.h"
#include "Tny_form.h"
#include "admin/ui/Tadatbazis_form.h"
#include "admin/ui/Tbeallitasok_form.h"
#include "items/ui/Tcsoportos_form.h"
#include "items/ui/Tkereso_form.h"
#include "items/ui/Ttetelek_felvetele_form.h"
#include "lists/ui/ListWorkspace.h"
#include "lists/ui/Telonezet_form.h"
#include "lists/ui/Tkorabbi_listak_form.h"

namespace ui {

Windows& windows()
{
    static Windows w;
    return w;
}

ListWorkspace* Windows::workspace(int kind) const
{
    switch (kind) {
    case 1:
        return b2f_form;
    case 2:
        return bzs3_form;
    case 3:
        return b2zsak_form;
    case 4:
        return b2nato_form;
    case 5:
        return bzs3nato_form;
    default:
        return nullptr;
    }
}

std::array<ListWorkspace*, 5> Windows::workspaces() const
{
    return {b2f_form, bzs3_form, b2zsak_form, b2nato_form, bzs3nato_form};
}

namespace {

// The list workspaces and the item dialogs reach each other only through these calls and
// signals; neither includes the other.
void connectWindows(Windows& w)
{
    Ttetelek_felvetele_form* entry = w.tetelek_felvetele_form;
    Tcsoportos_form* group = w.csoportos_form;
    entry->setAddresseeSearch(w.kereso_form);
    QObject::connect(group, &Tcsoportos_form::closing, entry,
                     &Ttetelek_felvetele_form::enable_list_workspaces);
    for (ListWorkspace* workspace : w.workspaces()) {
        workspace->setEntryWindow(entry);
        QObject::connect(workspace, &ListWorkspace::openingFromMenu, entry,
                         &Ttetelek_felvetele_form::configure_for_list_kind);
        QObject::connect(workspace, &ListWorkspace::itemEntryRequested, entry,
                         &Ttetelek_felvetele_form::open_for_entry);
        QObject::connect(workspace, &ListWorkspace::groupEntryRequested, group,
                         [group, workspace] { group->openFor(workspace); });
        QObject::connect(entry, &Ttetelek_felvetele_form::listWorkspacesEnabled, workspace,
                         &ListWorkspace::enableAfterItemDialog);
        QObject::connect(workspace, &ListWorkspace::pastListsRequested, w.korabbi_listak_form,
                         &Tkorabbi_listak_form::openForKind);
        QObject::connect(workspace, &ListWorkspace::previewRequested, w.elonezet_form,
                         &Telonezet_form::openFor);
        QObject::connect(w.elonezet_form, &Telonezet_form::printed, workspace, &ListWorkspace::listPrinted);
    }
    // The past lists and the preview: the preview serves the workspaces and the past lists
    // alike, and whoever shows the printed list follows the printing.
    QObject::connect(w.korabbi_listak_form, &Tkorabbi_listak_form::previewRequested, w.elonezet_form,
                     &Telonezet_form::openFor);
    QObject::connect(w.elonezet_form, &Telonezet_form::printed, w.korabbi_listak_form,
                     &Tkorabbi_listak_form::listPrinted);
    QObject::connect(w.korabbi_listak_form, &Tkorabbi_listak_form::closed, w.korabbi_listak_form,
                     [&w](int kind) {
                         if (ListWorkspace* workspace = w.workspace(kind))
                             workspace->returnFromPastLists();
                     });
}

} // namespace

void createWindows()
{
    Windows& w = windows();
    if (w.ny_form)
        return;
    w.ny_form = new Tny_form;
    w.form1 = new TForm1;
    w.b2f_form = new ListWorkspace(1);
    w.beallitasok_form = new Tbeallitasok_form;
    w.torles_form = ConfirmDialog::createTorles();
    w.kereso_form = new Tkereso_form;
    w.tetelek_felvetele_form = new Ttetelek_felvetele_form;
    w.bzs3_form = new ListWorkspace(2);
    w.b2zsak_form = new ListWorkspace(3);
    w.b2nato_form = new ListWorkspace(4);
    w.bzs3nato_form = new ListWorkspace(5);
    w.adatbazis_form = new Tadatbazis_form;
    w.frissites_kerdezo_form = ConfirmDialog::createFrissitesKerdezo();
    w.import_form = ConfirmDialog::createImport();
    w.frissites_rakerdezo_form = ConfirmDialog::createFrissitesRakerdezo();
    w.nevjegy_form = new Tnevjegy_form;
    w.csoportos_form = new Tcsoportos_form;
    w.korabbi_listak_form = new Tkorabbi_listak_form;
    w.elonezet_form = new Telonezet_form;
    connectWindows(w);
}

void destroyWindows()
{
    Windows& w = windows();
    delete w.elonezet_form;
    delete w.korabbi_listak_form;
    delete w.csoportos_form;
    delete w.nevjegy_form;
    delete w.frissites_rakerdezo_form;
    delete w.import_form;
    delete w.frissites_kerdezo_form;
    delete w.adatbazis_form;
    delete w.bzs3nato_form;
    delete w.b2nato_form;
    delete w.b2zsak_form;
    delete w.bzs3_form;
    delete w.tetelek_felvetele_form;
    delete w.kereso_form;
    delete w.torles_form;
    delete w.beallitasok_form;
    delete w.b2f_form;
    delete w.form1;
    delete w.ny_form;
    w = Windows{};
}

} // namespace ui
