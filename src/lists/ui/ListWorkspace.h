#pragma once

#include <QWidget>

// The list workspace: one class serving the five windows Tb2f_form, Tbzs3_form,
// Tb2zsak_form, Tb2nato_form and Tbzs3nato_form.
class ListWorkspace : public QWidget
{
    Q_OBJECT
public:
    explicit ListWorkspace(int kind, QWidget* parent = nullptr);
    int kind() const { return m_kind; }

    // The main menu's opening of this workspace, after it has set currentListKind:
    // start screen, placement, entry dialog set-up, show, hide the menu, load names.
    void openFromMenu();

private:
    int m_kind;
};
