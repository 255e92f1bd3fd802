#pragma once

#include <QWidget>

class QPushButton;

// The main menu: opens the five list workspaces, the settings, the database operations
// and the about box, and ends the program.
class TForm1 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);

    // The five list buttons wait for the first saved settings.
    void setListButtonsEnabled(bool enabled);
    void focusFirstList();
    // The settings window filled from the store, the menu hidden ("Beállítások").
    void openSettings();

    // The column of buttons centred on the window (also run at the hand-over).
    void layoutButtons();
    // Whether the program is minimised from the menu and waits to be restored.
    bool isMinimisedToTaskbar() const { return m_minimised; }

public slots:
    void SCButton1Click();
    void SCButton2Click();
    void SCButton3Click();
    void SCButton4Click();
    void SCButton5Click();
    void SCButton6Click();
    void SCButton7Click();
    void SCButton8Click();
    void SCButton9Click();

    // Minimising the menu minimises the program; restoring it brings back the menu.
    void minimiseProgram();
    void restoreProgram();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QPushButton* SCButton1; // "B-2 Futárjegyzék"
    QPushButton* SCButton2; // "BZS-3 Futárjegyzék"
    QPushButton* SCButton3; // "B-2 Zsákjegyzék"
    QPushButton* SCButton4; // "B-2 Futárjegyzék (NATO)"
    QPushButton* SCButton5; // "BZS-3 Futárjegyzék (NATO)"
    QPushButton* SCButton6; // "Beállítások"
    QPushButton* SCButton7; // "Kilépés"
    QPushButton* SCButton8; // "Adatbázis műveletek"
    QPushButton* SCButton9; // "Névjegy"

    void openWorkspace(int kind);
    QPushButton* makeButton(const char* name, const QString& caption);

    bool m_minimised = false;
};
