#pragma once

#include <QWidget>

class Tkereso_form : public QWidget
{
    Q_OBJECT
public:
    explicit Tkereso_form(QWidget* parent = nullptr);
};
