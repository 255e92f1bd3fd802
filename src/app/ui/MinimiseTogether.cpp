#include "MinimiseTogether.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <QWindowStateChangeEvent>

namespace ui {

void MinimiseTogether::follow(QWidget* window, QEvent* event)
{
    if (event->type() != QEvent::WindowStateChange || !window->isVisible())
        return;
    const auto* change = static_cast<QWindowStateChangeEvent*>(event);
    const bool wasMinimised = change->oldState() & Qt::WindowMinimized;
    if (window->isMinimized() && !wasMinimised) {
        m_minimisedWithMe.clear();
        for (QWidget* other : QApplication::topLevelWidgets()) {
            const Qt::WindowType type = other->windowType();
            if (other == window || !other->isVisible() || other->isMinimized() ||
                (type != Qt::Window && type != Qt::Dialog))
                continue;
            m_minimisedWithMe << other;
            other->showMinimized();
        }
    } else if (!window->isMinimized() && wasMinimised) {
        for (const QPointer<QWidget>& other : std::as_const(m_minimisedWithMe)) {
            if (other)
                other->showNormal();
        }
        m_minimisedWithMe.clear();
    }
}

} // namespace ui
