#pragma once

#include <QWidget>

class ListWorkspace;

// The group entry dialog "Csoportos felvitel".
class Tcsoportos_form : public QWidget
{
    Q_OBJECT
public:
    explicit Tcsoportos_form(QWidget* parent = nullptr);

    // Opens the dialog for the parent item that is the item view's current row; the
    // workspace has already refused empty lists, number-less rows and members.
    void openFor(ListWorkspace* opener);
};
