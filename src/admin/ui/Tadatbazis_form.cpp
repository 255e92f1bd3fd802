#include "Tadatbazis_form.h"

Tadatbazis_form::Tadatbazis_form(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Tadatbazis_form"));
}
