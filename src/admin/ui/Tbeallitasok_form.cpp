#include "Tbeallitasok_form.h"

Tbeallitasok_form::Tbeallitasok_form(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Tbeallitasok_form"));
}
