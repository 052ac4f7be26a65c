// The widgets layer's one error type: a family code (what kind of failure) and a message
// a person can act on, raised through one function, as the database layer does. what()
// is the text the general error report shows.
#pragma once

#include <QString>
#include <stdexcept>

enum class WidgetErrc {
    Index,        // a row, column or item outside a grid's table or a list's items
    ExchangeFile, // a grid's exchange file cannot be created, written or opened
    Picture,      // a picture file cannot be opened or decoded
};

class WidgetError : public std::runtime_error {
public:
    WidgetError(WidgetErrc code, const QString &message);
    WidgetErrc code() const { return m_code; }

private:
    WidgetErrc m_code;
};

[[noreturn]] void raiseWidgetError(WidgetErrc code, const QString &message);
