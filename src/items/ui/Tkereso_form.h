#pragma once

#include "items/AddresseeSearch.h"

#include <QPointer>
#include <QWidget>
#include <functional>

class Ttetelek_felvetele_form;
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

    // Opened by the entry dialog; the chosen name goes into its Edit4.
    void openFor(Ttetelek_felvetele_form* entryDialog);

    items::AddresseeSearch::Match match() const;

    QLabel* Label3;
    QLineEdit* Edit2;
    QRadioButton* SCRadioButton1;
    QRadioButton* SCRadioButton2;
    QTableView* DBGrid2;
    QPushButton* SCButton3;
    QPushButton* SCButton4;

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
    void backToEntryDialog();

    void runOwnQuery(const std::function<void()>& statement);

    items::QueryGridModel* m_model;
    QPointer<Ttetelek_felvetele_form> m_entryDialog;
    bool m_ownQuery = false;
    bool m_reloadPending = false;
    int m_queryListener = 0;
};
