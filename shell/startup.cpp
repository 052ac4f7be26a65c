// Display detection and application preparation (the screens' fonts, the widgets'
// accessibility).
#include "shell/startup.h"

#include "widgets/accessible_widgets.h"
#include "widgets/fonts.h"

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
    // Before the first form, so every control picks up Tahoma (or its stand-in) when built.
    RegisterProgramFonts();
    InstallAccessibleWidgets();
}
