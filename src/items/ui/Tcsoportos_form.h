#pragma once

#include "items/GroupEntry.h"

#include <QPointer>
#include <QWidget>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace items {
class QueryGridModel;
}

// The group entry dialog "Csoportos felvitel".
class Tcsoportos_form : public QWidget
{
    Q_OBJECT
public:
    explicit Tcsoportos_form(QWidget* parent = nullptr);

    // Opens the dialog for the parent item that is the item view's current row; the
    // workspace has already refused empty lists, number-less rows and members. The opener
    // stays disabled while the dialog is open.
    void openFor(QWidget* opener);

    const items::GroupEntry& groupEntry() const { return m_entry; }

signals:
    // The dialog is closing: the list workspaces become usable again.
    void closing();

public slots:
    void SCButton1Click();
    void SCButton2Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool FormKeyDown(QKeyEvent* event);
    void FormCloseQuery();
    void selectCurrentScratchRow();

    QGroupBox* SCGroupBox1;
    QLabel* Label1;
    QLineEdit* Edit1;
    QLabel* Label2;
    QLineEdit* Edit2;
    QLabel* Label3;
    QLineEdit* Edit3;
    QGroupBox* SCGroupBox2;
    QTableView* DBGrid1;
    QLabel* Label4;
    QLineEdit* Edit4;
    QPushButton* SCButton1;
    QPushButton* SCButton2;

    items::GroupEntry m_entry;
    items::QueryGridModel* m_model;
    QPointer<QWidget> m_opener;
};
