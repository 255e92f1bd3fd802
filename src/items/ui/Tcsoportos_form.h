#pragma once

#include <QWidget>

class Tcsoportos_form : public QWidget
{
    Q_OBJECT
public:
    explicit Tcsoportos_form(QWidget* parent = nullptr);
};
