#include "Tcsoportos_form.h"

Tcsoportos_form::Tcsoportos_form(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Tcsoportos_form"));
    setWindowTitle(QStringLiteral("Csoportos felvitel"));
}

void Tcsoportos_form::openFor(ListWorkspace*) {}
