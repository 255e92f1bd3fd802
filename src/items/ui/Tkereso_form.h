#pragma once

#include "items/AddresseeSearch.h"

#include <QPointer>
#include <QWidget>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableView;

namespace items {
class QueryGridModel;
}

// The addressee search "Címzett keresése".
class Tkereso_form : public QWidget
{
    Q_OBJECT
public:
    explicit Tkereso_form(QWidget* parent = nullptr);
    ~Tkereso_form() override;

    // Opened for a window that waits for the choice (the entry dialog): it stays disabled
    // while the search is on screen and gets the name taken through addresseeChosen().
    void openFor(QWidget* opener);

    items::AddresseeSearch::Match match() const;

signals:
    // The organisation taken. The opener is enabled again, but not yet active, so it can
    // move its focus on without leaving a field on the way.
    void addresseeChosen(const QString& name);

public slots:
    void Edit2Change();
    void SCButton3Click();
    void SCButton4Click();
    void DBGrid2DblClick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool FormKeyDown(QKeyEvent* event);
    void layOut();
    void setColumnWidths();
    void selectCurrentRow();
    void backToOpener();

    void runOwnQuery(const std::function<void()>& statement);

    QLabel* Label3;
    QLineEdit* Edit2;
    QRadioButton* SCRadioButton1;
    QRadioButton* SCRadioButton2;
    QTableView* DBGrid2;
    QPushButton* SCButton3;
    QPushButton* SCButton4;

    items::QueryGridModel* m_model;
    QPointer<QWidget> m_opener;
    bool m_ownQuery = false;
    bool m_reloadPending = false;
    int m_queryListener = 0;
};
