// catalogue-script PROGRAM_FOLDER SCRIPT: the program's own start-up on the offscreen
// platform, with PROGRAM_FOLDER as its program folder and every message window recorded,
// then the script's steps played from inside its event loop.
#include "data/data_module.h"
#include "platform/messages.h"
#include "platform/settings.h"
#include "shell/form_select.h"
#include "shell/startup.h"
#include "tools/catalogue-script/script.h"
#include "tools/catalogue-script/script_runner.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: catalogue-script PROGRAM_FOLDER SCRIPT\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));
    QApplication::setApplicationDisplayName(QString::fromLatin1(kApplicationTitle));

    const QString folder = QString::fromLocal8Bit(argv[1]);
    std::vector<ScriptStep> steps;
    try {
        if (!QFileInfo(folder).isDir())
            throw ScriptError(QStringLiteral("%1 is not a folder").arg(folder).toStdString());
        steps = ParseScript(ReadScriptFile(QString::fromLocal8Bit(argv[2])));
    } catch (const ScriptError &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    OverrideProgramFolder(QDir(folder).absolutePath());

    ScopedRecordingMessages recorded;
    PrepareApplication();
    int result = 0;
    {
        TDM dm;
        TFormSelect form;
        form.show();
        ScriptRunner runner(std::move(steps), recorded);
        runner.Start();
        app.exec();
        result = runner.Result();
        // Windows the program released with deleteLater go before the forms that own
        // the rest.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return result;
}
