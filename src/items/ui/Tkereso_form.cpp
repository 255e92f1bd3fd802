#include "Tkereso_form.h"

Tkereso_form::Tkereso_form(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Tkereso_form"));
    setWindowTitle(QStringLiteral("Címzett keresése"));
}

void Tkereso_form::openFor(Ttetelek_felvetele_form*) {}
