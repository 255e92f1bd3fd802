#include "Keyboard.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QPointer>

namespace ui {

namespace {

class EnterPressesButtons : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            return false;
        auto* button = qobject_cast<QAbstractButton*>(watched);
        if (!button || !button->hasFocus() || !button->isEnabled())
            return false;
        button->click();
        return true;
    }
};

class KeyPreview : public QObject
{
public:
    KeyPreview(QWidget* window, std::function<bool(QKeyEvent*)> handler)
        : QObject(window), m_window(window), m_handler(std::move(handler))
    {
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || !m_window)
            return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || widget->window() != m_window || !m_window->isVisible() || !m_window->isEnabled())
            return false;
        // A key that a control ignores travels on to its parents; preview it only once,
        // at the control that had the focus.
        QWidget* focus = QApplication::focusWidget();
        if (focus ? widget != focus : widget != m_window)
            return false;
        return m_handler(static_cast<QKeyEvent*>(event));
    }

private:
    QPointer<QWidget> m_window;
    std::function<bool(QKeyEvent*)> m_handler;
};

} // namespace

void installKeyboardConventions(QApplication& app)
{
    static EnterPressesButtons* filter = nullptr;
    if (!filter) {
        filter = new EnterPressesButtons(&app);
        app.installEventFilter(filter);
    }
}

void installKeyPreview(QWidget* window, std::function<bool(QKeyEvent*)> handler)
{
    // Installed after the program-wide filter, so it is asked first.
    qApp->installEventFilter(new KeyPreview(window, std::move(handler)));
}

} // namespace ui
