#include "Tnevjegy_form.h"

Tnevjegy_form::Tnevjegy_form(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Tnevjegy_form"));
}
