// Program entry: the windows' scale, the application title, the data module first, then
// the brand selection screen as main form, then the event loop.
#include "data/data_module.h"
#include "platform/messages.h"
#include "platform/settings.h"
#include "shell/form_select.h"
#include "shell/program_scale.h"
#include "shell/scaled_windows.h"
#include "shell/startup.h"

#include <QApplication>

int main(int argc, char **argv)
{
    if (!DisplayAvailable())
        return ReportNoDisplay();
    const ProgramScale scale = ChooseProgramScale(argc, argv);
    QApplication app(argc, argv);
    const ScaledWindowDrawing scaledWindows(WindowScaleFactor(scale));
    QApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));
    QApplication::setApplicationDisplayName(QString::fromLatin1(kApplicationTitle));
    PrepareApplication();
    TDM dm;
    TFormSelect form;
    PlaceWithinAvailableArea(&form);
    form.show();
    if (!scale.problem.isEmpty())
        messages().ShowMessage(scale.problem);
    return app.exec();
}
