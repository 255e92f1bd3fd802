#pragma once

#include <QWidget>

class Tnevjegy_form : public QWidget
{
    Q_OBJECT
public:
    explicit Tnevjegy_form(QWidget* parent = nullptr);
};
