// The layer's one error type and the one function that raises it.
#include "widgets/widget_error.h"

WidgetError::WidgetError(WidgetErrc code, const QString &message)
    : std::runtime_error(message.toStdString()), m_code(code)
{}

void raiseWidgetError(WidgetErrc code, const QString &message) { throw WidgetError(code, message); }
