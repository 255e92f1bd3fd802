#pragma once

#include <QColor>

class QWidget;
class QPushButton;
class QGroupBox;
class QString;

namespace ui {

// Colours of the program's windows.
inline const QColor kActiveCaption(0x0A, 0x50, 0xA0);
inline const QColor kSkyBlue(0xA6, 0xCA, 0xF0);
inline const QColor kInfoTip(0xFF, 0xFF, 0xE1);

// Background running from the active-caption colour (top) to sky blue (bottom).
void setCaptionGradientBackground(QWidget* window);
void setSkyBlueBackground(QWidget* window);
// Rounded, bold button with a sky-blue edge.
void styleButton(QPushButton* button);
// Captioned panel with a bold title.
void styleGroupBox(QGroupBox* box);

// A styled button or panel with its control name, as every window builds them.
QPushButton* makeButton(const QString& caption, const QString& name, QWidget* parent);
QGroupBox* makeGroupBox(const QString& caption, const QString& name, QWidget* parent);
// Puts the window in the middle of the desktop's available area.
void centreOnScreen(QWidget* window);

} // namespace ui
