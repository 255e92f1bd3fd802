#pragma once

#include "app/ui/MinimiseTogether.h"

#include <QWidget>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The settings window "Dispora - Beállítások": own organisation, default list
// addressee, printer and page margins.
class Tbeallitasok_form : public QWidget
{
    Q_OBJECT
public:
    explicit Tbeallitasok_form(QWidget* parent = nullptr);

    // Fills the window from the settings row and the system's printers and shows it, as
    // the main menu's "Beállítások" does (also at the first start).
    void openFromMenu();
    // Looks both codes up in the register again (the refresh window is done) and enables
    // the window; a code the register still lacks leaves its name as it was.
    void refreshNames();

    // The name of the printer at the system's current position, or of the first printer
    // when that position is 0 or less; empty without printers.
    static QString current_printer_name();

public slots:
    // Look the code up in the register and fill the name beside it (only while shown).
    void Edit2Change();
    void Edit4Change();
    void SCButton1Click(); // "Mentés"
    void SCButton2Click(); // "Mégsem"

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void clearTextBoxes();
    void lookUpCode(QLineEdit* code, QLineEdit* name);
    // Offers a register refresh for a code the register lacks.
    void offerRegisterRefresh(const QString& code);
    bool checkBeforeSave();
    void save();
    void backToMenu();

    QGroupBox* SCGroupBox1;     // "Saját adatok"
    QGroupBox* SCGroupBox2;     // "Alapértelmezett címzett beállítása"
    QGroupBox* SCGroupBox3;     // "Nyomtató beállítások"
    QGroupBox* SCGroupBox4;     // "Margó beállítások"
    QGroupBox* SCGroupBox5;     // "Nyomtató kiválasztása"
    QLineEdit* Edit1;           // our name (read-only)
    QLineEdit* Edit2;           // our code
    QLineEdit* Edit3;           // default addressee name (read-only)
    QLineEdit* Edit4;           // default addressee code
    QLineEdit* Edit5;           // top margin
    QLineEdit* Edit6;           // bottom margin
    QLineEdit* Edit7;           // left margin
    QLineEdit* Edit8;           // right margin
    QLineEdit* Edit13;          // the system printer in use (read-only)
    QComboBox* ComboBox1;       // installed printers
    QRadioButton* RadioButton1; // "Ez legyen használva"
    QRadioButton* RadioButton2; // "A windows alapértelmezett nyomtatója legyen használva"
    QPushButton* SCButton1;     // "Mentés"
    QPushButton* SCButton2;     // "Mégsem"

    ui::MinimiseTogether m_minimise;
};
