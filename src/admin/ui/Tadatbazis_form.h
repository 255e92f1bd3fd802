#pragma once

#include <QWidget>

class Tadatbazis_form : public QWidget
{
    Q_OBJECT
public:
    explicit Tadatbazis_form(QWidget* parent = nullptr);
};
