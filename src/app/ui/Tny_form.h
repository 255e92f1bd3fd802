#pragma once

#include "admin/PendingRestore.h"

#include <QWidget>
#include <memory>

class QLabel;
class QProgressBar;
class QTimer;

namespace store {
class LegacyMigration;
}

// The opening window: shows the progress bar while the start sequence waits its turn,
// runs it, then hands over to the main menu and stays hidden.
class Tny_form : public QWidget
{
    Q_OBJECT
public:
    explicit Tny_form(QWidget* parent = nullptr);
    ~Tny_form() override;

    QLabel* Image1;
    QLabel* Label1; // "Orvand"
    QProgressBar* JvGradientProgressBar1;
    QTimer* JvThreadTimer1; // start timer, 20 ms
    QTimer* JvThreadTimer2; // hand-over, 100 ms

    // Creation steps: state defaults, program folder (the executable's folder when
    // empty), pending restore, version and caption, start timer.
    void FormCreate(const QString& programFolder = QString());
    admin::PendingRestore::Outcome restoreOutcome() const { return m_restore; }

    // The legacy migration the start sequence runs (tests give it a reader).
    store::LegacyMigration& migration();

public slots:
    void JvThreadTimer1Timer();
    void JvThreadTimer2Timer();
    void load_stored_settings();

protected:
    void showEvent(QShowEvent* event) override;

private:
    admin::PendingRestore::Outcome m_restore = admin::PendingRestore::Outcome::NoRequest;
    QString m_restoreFailure; // shown once, when the start sequence begins
    std::unique_ptr<store::LegacyMigration> m_migration;
};
