#include "Look.h"

#include <QGroupBox>
#include <QLinearGradient>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

namespace ui {

void setCaptionGradientBackground(QWidget* window)
{
    QLinearGradient gradient(0, 0, 0, 1);
    gradient.setCoordinateMode(QGradient::ObjectMode);
    gradient.setColorAt(0, kActiveCaption);
    gradient.setColorAt(1, kSkyBlue);
    QPalette palette = window->palette();
    palette.setBrush(QPalette::Window, QBrush(gradient));
    window->setPalette(palette);
    window->setAutoFillBackground(true);
}

void setSkyBlueBackground(QWidget* window)
{
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, kSkyBlue);
    window->setPalette(palette);
    window->setAutoFillBackground(true);
}

void styleButton(QPushButton* button)
{
    button->setAutoDefault(false);
    button->setStyleSheet(
        QStringLiteral("QPushButton { font-weight: bold; border: 2px solid #87CEEB; border-radius: 8px;"
                       " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #FFFFFF, stop:1 "
                       "#DCEBFA); padding: 2px 10px; }"
                       "QPushButton:focus { border-color: #0A50A0; }"
                       "QPushButton:pressed { background: #C4DDF7; }"
                       "QPushButton:disabled { color: #8A8A8A; border-color: #C8C8C8; }"));
}

void styleGroupBox(QGroupBox* box)
{
    box->setStyleSheet(QStringLiteral("QGroupBox { font-weight: bold; }"));
}

void centreOnScreen(QWidget* window)
{
    const QScreen* screen = window->screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize size = window->frameGeometry().size();
    window->move(area.x() + (area.width() - size.width()) / 2,
                 area.y() + (area.height() - size.height()) / 2);
}

QPushButton* makeButton(const QString& caption, const QString& name, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    styleButton(button);
    return button;
}

QGroupBox* makeGroupBox(const QString& caption, const QString& name, QWidget* parent)
{
    auto* box = new QGroupBox(caption, parent);
    box->setObjectName(name);
    styleGroupBox(box);
    return box;
}

} // namespace ui
