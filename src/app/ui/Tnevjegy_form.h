#pragma once

#include <QWidget>

class QLabel;

// The about box "Dispora program névjegye".
class Tnevjegy_form : public QWidget
{
    Q_OBJECT
public:
    explicit Tnevjegy_form(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* Image1;
    QLabel* Label1; // "Dispora"
    QLabel* Label2; // version and date
};
