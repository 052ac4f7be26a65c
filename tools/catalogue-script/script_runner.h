// Plays the script from inside the program's event loop: one step per tick of a
// zero-interval timer. The catalogue and zoom windows run their own modal loops, so the
// next tick is armed before a step runs and fires inside the loop that step opened.
#pragma once

#include "tools/catalogue-script/actions.h"
#include "tools/catalogue-script/script.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <vector>

class ScriptRunner : public QObject {
    Q_OBJECT
public:
    ScriptRunner(std::vector<ScriptStep> steps, RecordingMessages &messages);

    // Arms the first tick; the steps run once the event loop runs.
    void Start();
    // After the event loop ended: 0 when every step ran, 1 after a failure or when the
    // program ended before the script did (reported on stderr).
    int Result();

private:
    // A step that has not returned yet: either it waits in the modal loop of a window it
    // opened, or the program is dispatching events inside one of its handlers.
    struct RunningStep {
        QPointer<QWidget> modalAtStart;
        QPointer<QWidget> waitingIn;
        bool waiting = false;
    };

    void Tick();
    // Whether the next step may run now: only while every running step waits in a modal
    // window that is still open.
    bool Settled();
    // "line N: the program ended after line M, before this step" for the next step.
    QString EndedEarly() const;
    void Fail(const QString &message);
    void End(int exitCode);

    std::vector<ScriptStep> m_steps;
    ScriptContext m_context;
    std::size_t m_next = 0;
    std::vector<RunningStep> m_running;
    QTimer m_timer;
    bool m_ended = false;
    int m_exitCode = 0;
};
