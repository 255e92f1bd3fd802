#pragma once

#include <QWidget>

class Tny_form : public QWidget
{
    Q_OBJECT
public:
    explicit Tny_form(QWidget* parent = nullptr);
};
