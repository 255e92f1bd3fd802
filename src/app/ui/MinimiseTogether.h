#pragma once

#include <QList>
#include <QPointer>

class QEvent;
class QWidget;

namespace ui {

// Minimising one window takes the whole program off the screen with it, and restoring
// that window brings back the windows that went with it. A window calls follow() from
// its changeEvent().
class MinimiseTogether
{
public:
    void follow(QWidget* window, QEvent* event);

private:
    QList<QPointer<QWidget>> m_minimisedWithMe;
};

} // namespace ui
