#pragma once

#include <QObject>

class QSocketNotifier;

namespace app {

// Turns SIGTERM and SIGINT into a clean end of the program: the handler only writes to
// a pipe; the event loop reads it and runs endProgram(), so the table files are closed
// as at a normal exit.
class TerminationSignals : public QObject
{
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    void terminationRequested();

private:
    void readSignal();
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace app
