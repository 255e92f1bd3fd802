#pragma once

#include <array>

class Tny_form;
class TForm1;
class ListWorkspace;
class Tbeallitasok_form;
class ConfirmDialog;
class Tkereso_form;
class Ttetelek_felvetele_form;
class Tadatbazis_form;
class Tnevjegy_form;
class Tcsoportos_form;
class Tkorabbi_listak_form;
class Telonezet_form;

namespace ui {

// Every window of the program, each created once and kept for the life of the process.
struct Windows
{
    Tny_form* ny_form = nullptr;
    TForm1* form1 = nullptr;
    ListWorkspace* b2f_form = nullptr;
    Tbeallitasok_form* beallitasok_form = nullptr;
    ConfirmDialog* torles_form = nullptr;
    Tkereso_form* kereso_form = nullptr;
    Ttetelek_felvetele_form* tetelek_felvetele_form = nullptr;
    ListWorkspace* bzs3_form = nullptr;
    ListWorkspace* b2zsak_form = nullptr;
    ListWorkspace* b2nato_form = nullptr;
    ListWorkspace* bzs3nato_form = nullptr;
    Tadatbazis_form* adatbazis_form = nullptr;
    ConfirmDialog* frissites_kerdezo_form = nullptr;
    ConfirmDialog* import_form = nullptr;
    ConfirmDialog* frissites_rakerdezo_form = nullptr;
    Tnevjegy_form* nevjegy_form = nullptr;
    Tcsoportos_form* csoportos_form = nullptr;
    Tkorabbi_listak_form* korabbi_listak_form = nullptr;
    Telonezet_form* elonezet_form = nullptr;

    // The workspace of list kind 1 to 5.
    ListWorkspace* workspace(int kind) const;
    std::array<ListWorkspace*, 5> workspaces() const;
};

Windows& windows();

// Creates every window once, in the program's order; the data module must exist
// already but none of the windows touches the store while being created.
void createWindows();
// Destroys them in reverse order (end of the program, end of a test run).
void destroyWindows();

} // namespace ui
