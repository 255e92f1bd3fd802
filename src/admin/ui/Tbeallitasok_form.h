#pragma once

#include <QWidget>

class Tbeallitasok_form : public QWidget
{
    Q_OBJECT
public:
    explicit Tbeallitasok_form(QWidget* parent = nullptr);
};
