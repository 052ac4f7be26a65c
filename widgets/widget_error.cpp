// The layer's one error type and the one function that raises it.
#include "widgets/widget_error.h"

void raiseWidgetError(WidgetErrc code, const QString &message) { throw WidgetError(code, message); }
