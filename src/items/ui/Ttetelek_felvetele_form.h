#pragma once

#include <QWidget>

class QComboBox;
class QLineEdit;

// The item entry dialog "Tételek felvétele".
class Ttetelek_felvetele_form : public QWidget
{
    Q_OBJECT
public:
    explicit Ttetelek_felvetele_form(QWidget* parent = nullptr);

    // Enables the five list workspaces and their eight panel buttons.
    void enable_list_workspaces();

    QComboBox* Edit4 = nullptr; // addressee name
    QLineEdit* Edit5 = nullptr; // registration number
};
