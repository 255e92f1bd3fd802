// Helpers for tests and benchmarks that run the real program on an X display of their own.
#pragma once

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QThread>
#include <csignal>
#include <functional>
#include <sys/prctl.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace testsupport {

// A child that a killed test would leave behind goes with it.
inline void endWithTheTest(QProcess& process)
{
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

// Polls the condition every pollMs until it holds or the time is up.
inline bool waitUntil(const std::function<bool()>& condition, int timeoutMs, int pollMs = 50)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(static_cast<unsigned long>(pollMs));
    }
    return true;
}

// An X server of the test's own, with nothing but the program on it (no window manager).
class VirtualScreen
{
public:
    ~VirtualScreen() { stop(); }

    // Tries displays from a number taken from the process id until one is free. The server
    // must not reset when its last client leaves, as it would each time a copy of the
    // program ends or xdotool disconnects: a copy connecting just then would be refused.
    bool start(const QString& server)
    {
        const int base = 100 + int(::getpid() % 400) * 2;
        const QDeadlineTimer deadline(20000);
        for (int n = base; n < base + 40 && !deadline.hasExpired(); ++n) {
            if (QFile::exists(QString("/tmp/.X%1-lock").arg(n)) ||
                QFile::exists(QString("/tmp/.X11-unix/X%1").arg(n)))
                continue;
            m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            m_server.setStandardOutputFile(QProcess::nullDevice());
            endWithTheTest(m_server);
            m_server.start(server, {QString(":%1").arg(n), "-nolisten", "tcp", "-noreset", "-screen", "0",
                                    "1280x1024x24"});
            if (!m_server.waitForStarted(5000))
                return false;
            m_display = QString(":%1").arg(n);
            const QString socket = QString("/tmp/.X11-unix/X%1").arg(n);
            // Another server may have taken the number meanwhile: ours then ends at once.
            const bool up = waitUntil(
                [&] {
                    return m_server.state() != QProcess::Running ||
                           (QFile::exists(socket) && xdotool({"getdisplaygeometry"}).first == 0);
                },
                int(std::max<qint64>(deadline.remainingTime(), 0)));
            if (up && m_server.state() == QProcess::Running)
                return true;
            stop();
        }
        return false;
    }

    void stop()
    {
        if (m_server.state() != QProcess::NotRunning) {
            m_server.terminate();
            if (!m_server.waitForFinished(5000)) {
                m_server.kill();
                m_server.waitForFinished(5000);
            }
        }
        m_display.clear();
    }

    QString display() const { return m_display; }

    // Runs xdotool on this screen; the exit code (-1 when it did not end in time) and its output.
    std::pair<int, QString> xdotool(const QStringList& arguments, int timeoutMs = 10000) const
    {
        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", m_display);
        tool.setProcessEnvironment(env);
        tool.start("xdotool", arguments);
        if (!tool.waitForStarted(5000))
            return {-1, QString()};
        if (!tool.waitForFinished(timeoutMs)) {
            tool.kill();
            tool.waitForFinished(5000);
            return {-1, QString()};
        }
        return {tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1,
                QString::fromUtf8(tool.readAllStandardOutput()).trimmed()};
    }

    struct Window
    {
        QString id;
        QString name;
        QSize size;
    };

    // The windows of a process that are shown now.
    std::vector<Window> windows(qint64 pid) const
    {
        std::vector<Window> found;
        const auto [code, ids] =
            xdotool({"search", "--onlyvisible", "--pid", QString::number(pid), "--name", ""});
        if (code != 0)
            return found;
        static const QRegularExpression geometry("Geometry: (\\d+)x(\\d+)");
        for (const QString& id : ids.split('\n', Qt::SkipEmptyParts)) {
            // The search also answers the root window, which belongs to no process.
            if (xdotool({"getwindowpid", id}).second != QString::number(pid))
                continue;
            Window window{id, xdotool({"getwindowname", id}).second, QSize()};
            const QRegularExpressionMatch size = geometry.match(xdotool({"getwindowgeometry", id}).second);
            if (size.hasMatch())
                window.size = QSize(size.captured(1).toInt(), size.captured(2).toInt());
            found.push_back(window);
        }
        return found;
    }

    // Waits for a shown window of the process that the test accepts.
    Window waitForWindow(qint64 pid, const std::function<bool(const Window&)>& wanted,
                         int timeoutMs = 20000) const
    {
        Window result;
        waitUntil(
            [&] {
                for (const Window& window : windows(pid)) {
                    if (wanted(window)) {
                        result = window;
                        return true;
                    }
                }
                return false;
            },
            timeoutMs);
        return result;
    }

    // Gives a window the keyboard, then presses the keys on it as a keyboard would.
    bool keys(const QString& window, const QStringList& keys) const
    {
        return xdotool({"windowfocus", "--sync", window}).first == 0 &&
               xdotool(QStringList{"key", "--delay", "80"} + keys).first == 0;
    }
    bool type(const QString& window, const QString& text) const
    {
        return xdotool({"windowfocus", "--sync", window}).first == 0 &&
               xdotool({"type", "--delay", "30", text}, 30000).first == 0;
    }

    QString describe(qint64 pid) const
    {
        QStringList names;
        for (const Window& window : windows(pid))
            names << QString("%1 \"%2\" %3x%4")
                         .arg(window.id, window.name)
                         .arg(window.size.width())
                         .arg(window.size.height());
        return names.join(", ");
    }

private:
    QProcess m_server;
    QString m_display;
};

} // namespace testsupport
