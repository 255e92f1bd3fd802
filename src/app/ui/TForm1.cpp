#include "TForm1.h"

TForm1::TForm1(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TForm1"));
}
