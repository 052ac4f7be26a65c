// The reports layer's one error type: a family code and a message a person can act on,
// raised through one function. The command-line tools print its text and choose their
// exit status by its family.
#pragma once

#include "platform/layer_error.h"

#include <QString>

namespace catalog::report {

enum class ReportErrc {
    Usage,  // a tool's command line cannot be used
    Output, // a report cannot be written
};

class ReportError : public platform::LayerError<ReportErrc> {
public:
    using LayerError::LayerError;
};

[[noreturn]] inline void raiseReportError(ReportErrc code, const QString &message) { throw ReportError(code, message); }

} // namespace catalog::report
