// Carrying out one script step against the running program.
#pragma once

#include <QString>
#include <cstddef>

struct ScriptStep;
class RecordingMessages;

// What the steps share: the recorded messages and how many of them a dump already
// printed.
struct ScriptContext {
    RecordingMessages *messages = nullptr;
    std::size_t messagesDumped = 0;
    // The file the next file dialog is answered with (`save-as`); empty when none is due.
    QString saveAs;
};

// Answers a file dialog in front with the `save-as` file due, as a user typing the name
// and pressing Save; true when it did.
bool AnswerFileDialog(ScriptContext &context);

// Runs the step; a step that opens a modal window returns only when that window closes.
// Throws ScriptError (without the line number) when the step cannot be done.
void RunStep(const ScriptStep &step, ScriptContext &context);
