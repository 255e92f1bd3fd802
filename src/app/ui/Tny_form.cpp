#include "Tny_form.h"

Tny_form::Tny_form(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Tny_form"));
}
