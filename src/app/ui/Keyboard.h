#pragma once

#include <functional>

class QApplication;
class QKeyEvent;
class QWidget;

namespace ui {

// Program-wide keyboard rules: Enter presses a focused button, as Space does.
void installKeyboardConventions(QApplication& app);

// The window sees every key press meant for itself or one of its controls before the
// control does. The handler returns true when it has consumed the key.
void installKeyPreview(QWidget* window, std::function<bool(QKeyEvent*)> handler);

} // namespace ui
