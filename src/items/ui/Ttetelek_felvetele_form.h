#pragma once

#include "items/ItemEntry.h"

#include <QPointer>
#include <QWidget>

class QComboBox;
class QCompleter;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStringListModel;
class Tkereso_form;

// The item entry dialog "Tételek felvétele".
class Ttetelek_felvetele_form : public QWidget
{
    Q_OBJECT
public:
    explicit Ttetelek_felvetele_form(QWidget* parent = nullptr);

    // The search that "Keresés" opens; the name taken there becomes the addressee.
    void setAddresseeSearch(Tkereso_form* search);

    // Makes the five list workspaces and their eight panel buttons usable again, through
    // listWorkspacesEnabled().
    void enable_list_workspaces();

    // Adapts the dialog to currentListKind: the national kinds choose a level first,
    // the NATO kinds go straight to the addressee and registration number.
    void configure_for_list_kind();

    // Prepares the dialog for a new consignment, shows it and focuses its first field.
    // Each save reads the list addressees of the opening workspace through `addressees`
    // (none when it is empty).
    void open_for_entry(const items::ItemEntry::AddresseeReader& addressees);

    // Stores one save into the list on show and writes its header (see items::ItemEntry).
    // Returns false, after a message and with the focus in the field to mend, when the
    // entry cannot be stored; nothing is written then.
    bool add_items(int listNumber, int mjel, int count, const QString& iktszam, const QString& name,
                   const QString& code);
    QString lookup_short_name(const QString& code);

    // Renumbers a list of the current kind; rebuilds a kind's item table.
    void sorszam_rendezo(int listNumber);
    void rebuild_item_table(int kind);

signals:
    void listWorkspacesEnabled();

public slots:
    void Edit3Change(const QString& text);
    void Edit4DblClick();
    void BitBtn6Click();
    void Edit6Enter();
    void SCButton1Click();
    void SCButton3Click();
    void SCButton4Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool isNato() const;
    void takeAddressee(const QString& name);
    QRadioButton* radioOfLevel(int level) const;
    void SCRadioButtonChange(int level, bool checked);
    void uncheckLevels();
    void showNumberedLayout();
    void showNumberlessLayout();
    int detailsEditLeft() const;

    void Edit4Exit(const QString& name);
    bool Edit3KeyPress(QKeyEvent* event);
    bool Edit4KeyPress(QKeyEvent* event);
    bool Edit5KeyPress(QKeyEvent* event);
    bool Edit6KeyPress(QKeyEvent* event);
    bool FormKeyDown(QKeyEvent* event);
    void FormCloseQuery();
    void takeHighlightedCompletion();
    void highlightFirstCompletion();
    void loadAddresseeNames();

    bool checkCount();
    bool checkRegistration();
    bool checkAddressee();
    void saveNational(int level);
    void saveNato();

    QGroupBox* SCGroupBox1; // the level step
    QLabel* Label4;
    QLineEdit* Edit3; // level digit
    QRadioButton* SCRadioButton3;
    QRadioButton* SCRadioButton4;
    QRadioButton* SCRadioButton5;
    QRadioButton* SCRadioButton6;
    QRadioButton* SCRadioButton7;
    QRadioButton* SCRadioButton8;

    QGroupBox* SCGroupBox2; // the details
    QLabel* Label5;
    QComboBox* Edit4; // addressee name
    QPushButton* BitBtn6;
    QLabel* Label6;
    QLineEdit* Edit5; // registration number
    QLabel* Label7;
    QLineEdit* Edit6; // piece count
    QPushButton* SCButton1;

    QPushButton* SCButton3; // save
    QPushButton* SCButton4; // close

    QStringListModel* m_names;
    QCompleter* m_completer;
    QPointer<Tkereso_form> m_search;
    items::ItemEntry::AddresseeReader m_listAddressees;
};
