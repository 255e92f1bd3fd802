#pragma once

#include "app/Services.h"
#include "store/SqlError.h"

#include <exception>

namespace ui {

// Runs a command the way the program's standard error box expects: an error that the
// command does not handle ends it and is shown with its own text; the program goes on.
template <class Command> void guarded(Command&& command)
{
    try {
        command();
    } catch (const store::SqlError& e) {
        app::messages().inform(e.message());
    } catch (const std::exception& e) {
        app::messages().inform(QString::fromUtf8(e.what()));
    }
}

} // namespace ui
