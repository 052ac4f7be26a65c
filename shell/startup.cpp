// Display detection and application preparation (the allocator, the widgets'
// accessibility).
#include "shell/startup.h"

#include "platform/os_process.h"
#include "shell/click_area_p.h"
#include "widgets/accessible_widgets.h"

#include <QtGlobal>
#include <cstdio>

bool DisplayAvailable()
{
    return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY")
           || qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
}

int ReportNoDisplay()
{
    std::fprintf(stderr, "No display found: run it under a desktop session, offscreen with "
                         "QT_QPA_PLATFORM=offscreen, or through the UI script driver (catalogue-script).\n");
    return 2;
}

void PrepareApplication()
{
    // A photo's pixels are a block of hundreds of kilobytes. glibc raises its threshold for
    // giving such blocks their own mapping each time one is freed, and later ones then come
    // from the heap, which they leave in pieces it never returns: over a day of clicks the
    // program kept growing by megabytes with nothing held. A fixed threshold keeps every
    // large block in a mapping of its own, given back when the picture goes.
    platform::os::setHeapMapThreshold(128 * 1024);
    // The program's fonts are registered by the first asking for one (ProgramFont), once
    // the brand screen, which shows no text, is on view: loading the system's font list
    // would take longer than the rest of the start-up.
    InstallAccessibleWidgets();
    InstallAccessibleClickAreas();
}
