// The three message windows of the program behind one interface: the plain message, the
// message box with a caller's caption and style, and the general error report. The GUI
// shows them with QMessageBox; tests and the script driver install a recording one so
// nothing ever blocks on a dialog.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// Message box styles as the callers pass them (the Windows MB_* values).
enum MessageStyle : int {
    kMbOk = 0,
    kMbYesNo = 4, // a question: "Sì" and "No"
    kMbIconHand = 16,
    kMbIconQuestion = 32,
    kMbIconExclamation = 48,
    kMbIconAsterisk = 64,
};

// The button a message box was closed with (the Windows ID* values).
enum MessageAnswer : int { kIdOk = 1, kIdYes = 6, kIdNo = 7 };

class Messages {
public:
    virtual ~Messages() = default;
    // Text, one OK button, the application title as caption.
    virtual void ShowMessage(const QString &text) = 0;
    // Caller's caption and style; returns the button pressed (kIdOk, or kIdYes / kIdNo
    // for kMbYesNo).
    virtual int MessageBox(const QString &text, const QString &caption, int style) = 0;
    // The general error report for an error that ended a handler.
    virtual void ShowException(const QString &text) = 0;
};

// The messages in use; the GUI implementation unless one was installed.
Messages &messages();
// Installs `m` (not owned) and returns the previous one; nullptr restores the GUI one.
Messages *setMessages(Messages *m);

// One shown message as the recording implementation keeps it.
struct RecordedMessage {
    QString kind; // "message", "box" or "error"
    QString caption;
    QString text;
    int style = 0;
};

// Keeps every message instead of showing it; acknowledges each with OK, a question with
// its first button (Yes), as a user who reads and goes on would.
class RecordingMessages : public Messages {
public:
    void ShowMessage(const QString &text) override;
    int MessageBox(const QString &text, const QString &caption, int style) override;
    void ShowException(const QString &text) override;

    std::vector<RecordedMessage> shown;
    // Texts of every message shown, in order.
    QStringList texts() const;
    void clear() { shown.clear(); }
};

// Installs a recording implementation for the lifetime of the object.
class ScopedRecordingMessages : public RecordingMessages {
public:
    ScopedRecordingMessages() : m_previous(setMessages(this)) {}
    ~ScopedRecordingMessages() override { setMessages(m_previous); }
    ScopedRecordingMessages(const ScopedRecordingMessages &) = delete;
    ScopedRecordingMessages &operator=(const ScopedRecordingMessages &) = delete;

private:
    Messages *m_previous;
};
