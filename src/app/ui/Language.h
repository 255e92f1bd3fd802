#pragma once

class QApplication;

namespace ui {

// The program speaks Hungarian whatever the machine's locale: numbers and dates in the
// Hungarian form, and Qt's own dialogs and standard buttons from Qt's Hungarian
// translations. Returns false when those translations are not installed (the dialogs then
// stay in English; everything of the program's own is Hungarian anyway).
bool installHungarian(QApplication& app);

} // namespace ui
