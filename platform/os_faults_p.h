// What the system-call wrappers of platform/ ask before each call: whether a test has
// armed a failure for it (os_faults.h). Private to platform/.
#pragma once

#include "platform/os_faults.h"

namespace platform::os::detail {

// True, with the error number in `error`, when this call of `op` on `path` is to fail.
bool injectedFault(Op op, const QString &path, int &error);

} // namespace platform::os::detail
