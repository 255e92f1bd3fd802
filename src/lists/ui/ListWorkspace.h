#pragma once

#include "app/ui/MinimiseTogether.h"
#include "items/ItemEntry.h"
#include "lists/ListPrinting.h"

#include <QList>
#include <QPointer>
#include <QWidget>
#include <array>

class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTimer;

// The list workspace: one class serving the five windows Tb2f_form, Tbzs3_form,
// Tb2zsak_form, Tb2nato_form and Tbzs3nato_form. The item dialogs it opens answer its
// signals; it knows them only as windows on screen or not.
class ListWorkspace : public QWidget
{
    Q_OBJECT
public:
    explicit ListWorkspace(int kind, QWidget* parent = nullptr);
    int kind() const { return m_kind; }

    // The main menu's opening of this workspace, after it has set currentListKind:
    // start screen, placement, entry dialog set-up, show, hide the menu, load names.
    void openFromMenu();

    // Both panels hidden, the two choice buttons shown, the focus on "Aktív lista".
    void showStartScreen();
    bool activePanelShown() const;
    bool previousPanelShown() const;

    // The entry dialog: F2 and F4 do nothing while it is on screen.
    void setEntryWindow(QWidget* entryDialog);

signals:
    // Opening from the menu, before the workspace shows: the entry dialog sets itself up
    // for the current list kind.
    void openingFromMenu();
    // "Tétel hozzáadása": the entry dialog opens; it reads this workspace's list
    // addressees through `addressees`.
    void itemEntryRequested(const items::ItemEntry::AddresseeReader& addressees);
    // "Csoportos felvitel" for the item view's current row, which the workspace has
    // checked; the group entry dialog opens.
    void groupEntryRequested();
    // "Korábbi listák": the window of every list of this kind opens.
    void pastListsRequested(int kind);
    // "Nyomtatási kép": the laid-out pages of the list on show, to be previewed.
    void previewRequested(const lists::ListCopies& copies);

public slots:
    // The item dialogs are done: the workspace and the four action buttons of both
    // panels, which opening them disabled, are usable again.
    void enableAfterItemDialog();
    // A list was printed from the preview: a panel showing that list returns to the
    // start screen, as after printing from the panel.
    void listPrinted(int kind, int listNumber);
    // The window of the past lists is closed: the start screen takes over again.
    void returnFromPastLists();

    void SCButton1Click();
    void SCButton2Click();
    void SCButton3Click();
    void SCButton7Click();
    void SCButton5Click();
    void SCButton9Click();
    void SCButton4Click();
    void SCButton8Click();
    void SCButton6Click();
    void SCButton10Click();
    void SCButton11Click();
    void SCButton12Click();
    void SCButton13Click();
    void JvThreadTimer1Timer();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct Panel
    {
        QGroupBox* box;
        QLabel* number;
        QLabel* caption;
        QLineEdit* addressee;
        QTableView* grid;
        QPushButton* add;
        QPushButton* group;
        QPushButton* remove;
        QPushButton* print;
        QPushButton* preview;
    };

    // buttons: the numbers of the add, group, delete, print and preview buttons.
    Panel createPanel(const QString& title, int index, std::array<int, 5> buttons);
    void createGrid(Panel& panel);
    void layOutPanel(const Panel& panel);
    void centreChoiceButtons();
    void fitToWorkArea();
    void preparePanel(const Panel& panel);
    void showPanel(const Panel& panel);
    const Panel* visiblePanel() const;
    void setPanelButtonsEnabled(const Panel& panel, bool enabled);
    void selectCurrentItem(QTableView* grid);

    items::ItemEntry::ListAddressees listAddressees() const;
    void addItem(const Panel& panel);
    void groupEntry();
    void deleteSelected();
    void print(const Panel& panel);
    void preview(const Panel& panel);
    bool FormKeyDown(QKeyEvent* event);

    // Start screen
    QPushButton* SCButton1;  // "Aktív lista"
    QPushButton* SCButton2;  // "Előző lista"
    QPushButton* SCButton11; // "Korábbi listák"

    // Active-list panel
    QGroupBox* SCGroupBox1;
    QLabel* Label1; // list number
    QLabel* Label2; // "Jegyzék címzettje:"
    QLineEdit* Edit1;
    QTableView* DBGrid1;
    QPushButton* SCButton3;  // add item
    QPushButton* SCButton5;  // group entry
    QPushButton* SCButton4;  // delete
    QPushButton* SCButton6;  // print
    QPushButton* SCButton12; // preview

    // Previous-list panel
    QGroupBox* SCGroupBox2;
    QLabel* Label3;
    QLabel* Label4;
    QLineEdit* Edit2;
    QTableView* DBGrid2;
    QPushButton* SCButton7;
    QPushButton* SCButton9;
    QPushButton* SCButton8;
    QPushButton* SCButton10;
    QPushButton* SCButton13;

    QTimer* JvThreadTimer1; // starts item entry shortly after a panel opens

    int m_kind;
    Panel m_active;
    Panel m_previous;
    ui::MinimiseTogether m_minimise;
    QPointer<QWidget> m_entryWindow;
};
