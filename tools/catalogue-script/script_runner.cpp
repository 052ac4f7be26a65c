// The stepping, the wait for modal loops to settle, and the end of the program.
#include "tools/catalogue-script/script_runner.h"

#include "tools/catalogue-script/widget_lookup.h"

#include <QApplication>
#include <QDialog>
#include <cstdio>

namespace {

// How long a step is held back while the program is still busy (events dispatched inside
// a handler, a modal window closing): long enough not to spin, short enough not to slow
// a script.
constexpr int kSettleRetryMs = 1;

// The program's own way of leaving its windows (reject) may be refused, as the catalogue
// window does for Escape; ending the modal showing directly always works.
void CloseModalWindows()
{
    for (int guard = 0; guard < 16; ++guard) {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->done(QDialog::Rejected);
        else
            modal->close();
    }
}

} // namespace

ScriptRunner::ScriptRunner(std::vector<ScriptStep> steps, RecordingMessages &messages) : m_steps(std::move(steps))
{
    m_context.messages = &messages;
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &ScriptRunner::Tick);
}

void ScriptRunner::Start() { m_timer.start(0); }

int ScriptRunner::Result()
{
    if (!m_ended && m_next < m_steps.size()) {
        std::fprintf(stderr, "%s\n", qPrintable(EndedEarly()));
        return 1;
    }
    return m_exitCode;
}

bool ScriptRunner::Settled()
{
    // A file dialog a step opened is answered before anything else runs: the step then
    // returns once the program has written the file.
    if (AnswerFileDialog(m_context))
        return false;
    if (m_running.empty())
        return true;
    RunningStep &inner = m_running.back();
    if (!inner.waiting) {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || modal == inner.modalAtStart)
            return false;
        inner.waiting = true;
        inner.waitingIn = modal;
    }
    for (const RunningStep &step : m_running) {
        if (step.waiting && (!step.waitingIn || !step.waitingIn->isVisible()))
            return false;
    }
    return true;
}

void ScriptRunner::Tick()
{
    if (m_ended)
        return;
    if (!Settled()) {
        m_timer.start(kSettleRetryMs);
        return;
    }
    // A user acts on a screen that has been shown and painted: window-system events
    // (exposure) and posted repaints go first. Painting also writes cells (the model
    // grid's markers). Our own timer is not armed now, so no step runs in here.
    QCoreApplication::processEvents();
    if (m_ended)
        return;
    if (m_next == m_steps.size()) {
        End(0);
        return;
    }
    // Closing the last window ends the program a moment later; nothing is left to act on.
    if (VisibleWindows().empty()) {
        Fail(EndedEarly());
        return;
    }
    const ScriptStep &step = m_steps[m_next++];
    m_timer.start(step.action == QLatin1String("wait") ? step.args[0].toInt() : 0);
    m_running.push_back({QApplication::activeModalWidget(), {}, false});
    try {
        RunStep(step, m_context);
    } catch (const ScriptError &e) {
        Fail(LineMessage(step.line, QString::fromUtf8(e.what())));
    } catch (const std::exception &e) {
        Fail(LineMessage(step.line,
                         QStringLiteral("an error escaped the program: %1").arg(QString::fromUtf8(e.what()))));
    }
    m_running.pop_back();
}

QString ScriptRunner::EndedEarly() const
{
    const QString after = m_next > 0 ? QStringLiteral(" after line %1").arg(m_steps[m_next - 1].line) : QString();
    return LineMessage(m_steps[m_next].line, QStringLiteral("the program ended%1, before this step").arg(after));
}

void ScriptRunner::Fail(const QString &message)
{
    if (m_ended)
        return;
    std::fprintf(stderr, "%s\n", qPrintable(message));
    End(1);
}

void ScriptRunner::End(int exitCode)
{
    m_ended = true;
    m_exitCode = exitCode;
    m_timer.stop();
    CloseModalWindows();
    QCoreApplication::exit(exitCode);
}
