#pragma once

#include "lists/ListPrinting.h"

#include <QWidget>

class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace lists {
class ItemViewModel;
class PastListsModel;
} // namespace lists

// "Korábbi listák": every list of one kind, newest first, with a filter; Enter opens the
// chosen list read-only, from where it can be printed again or previewed.
class Tkorabbi_listak_form : public QWidget
{
    Q_OBJECT
public:
    explicit Tkorabbi_listak_form(QWidget* parent = nullptr);

    // Reads the lists of the kind afresh and shows them with an empty filter.
    void openForKind(int kind);
    int kind() const { return m_kind; }
    bool listShown() const; // the read-only view of one list is up
    int shownListNumber() const { return m_shownList; }

signals:
    // The pages of a list, laid out, to be previewed.
    void previewRequested(const lists::ListCopies& copies);
    // The window is closed; the workspace of `kind` takes over again.
    void closed(int kind);

public slots:
    // A list was printed somewhere (the preview): the counts and dates shown follow.
    void listPrinted(int kind, int listNumber);

    void Edit1Change(const QString& text);
    void DBGrid1DblClick();
    void SCButton1Click(); // print again
    void SCButton2Click(); // preview
    void SCButton3Click(); // back to the lists

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void reload(const QString& filter);
    void openList(int listNumber);
    void showLists();
    void layOut();
    bool FormKeyDown(QKeyEvent* event);

    // The lists
    QGroupBox* SCGroupBox1;
    QLabel* Label1; // "Keresés ..."
    QLineEdit* Edit1;
    QTableView* DBGrid1;
    QLabel* Label2; // keys

    // One list, read-only
    QGroupBox* SCGroupBox2;
    QLabel* Label3; // list number
    QLabel* Label4; // "Jegyzék címzettje:"
    QLineEdit* Edit2;
    QLabel* Label5; // print date and count
    QTableView* DBGrid2;
    QPushButton* SCButton1; // "Újranyomtatás <F8>"
    QPushButton* SCButton2; // "Nyomtatási kép <F7>"
    QPushButton* SCButton3; // "Vissza a listákhoz <Esc>"

    lists::PastListsModel* m_lists;
    lists::ItemViewModel* m_items;
    int m_kind = 1;
    int m_shownList = 0;
};
