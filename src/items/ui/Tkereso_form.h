#pragma once

#include <QWidget>

class Ttetelek_felvetele_form;

// The addressee search "Címzett keresése".
class Tkereso_form : public QWidget
{
    Q_OBJECT
public:
    explicit Tkereso_form(QWidget* parent = nullptr);

    // Opened by the entry dialog; the chosen name goes into its Edit4.
    void openFor(Ttetelek_felvetele_form* entryDialog);
};
