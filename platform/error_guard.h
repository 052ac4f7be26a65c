// The one guard every entry point from Qt goes through (slots, event overrides, the
// start-up steps): an exception ends the handler and its text goes to the general error
// report. Nothing throws through Qt's event loop.
#pragma once

#include "platform/messages.h"

#include <exception>
#include <utility>

// Runs f; an exception that escapes it is shown by the general error report. Returns
// false when f was ended by an exception.
template <class F>
bool Guarded(F &&f)
{
    try {
        std::forward<F>(f)();
        return true;
    } catch (const std::exception &e) {
        messages().ShowException(QString::fromUtf8(e.what()));
    } catch (...) {
        messages().ShowException(QStringLiteral("Unknown error"));
    }
    return false;
}
