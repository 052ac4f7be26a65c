// The GUI and recording implementations of the message windows.
#include "platform/messages.h"

#include "platform/settings.h"

#include <QAbstractButton>
#include <QMessageBox>

namespace {

class GuiMessages : public Messages {
public:
    void ShowMessage(const QString &text) override
    {
        QMessageBox box(QMessageBox::NoIcon, kApplicationTitle, text, QMessageBox::Ok);
        box.exec();
    }
    int MessageBox(const QString &text, const QString &caption, int style) override
    {
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        switch (style & 0xF0) {
        case kMbIconHand: icon = QMessageBox::Critical; break;
        case kMbIconQuestion: icon = QMessageBox::Question; break;
        case kMbIconExclamation: icon = QMessageBox::Warning; break;
        case kMbIconAsterisk: icon = QMessageBox::Information; break;
        default: break;
        }
        if ((style & 0x0F) == kMbYesNo) {
            QMessageBox box(icon, caption, text, QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton(QMessageBox::No);
            box.button(QMessageBox::Yes)->setText(QStringLiteral("&Sì"));
            box.button(QMessageBox::No)->setText(QStringLiteral("&No"));
            return box.exec() == QMessageBox::Yes ? kIdYes : kIdNo;
        }
        QMessageBox box(icon, caption, text, QMessageBox::Ok);
        box.exec();
        return kIdOk;
    }
    void ShowException(const QString &text) override
    {
        QMessageBox box(QMessageBox::Critical, kApplicationTitle, text, QMessageBox::Ok);
        box.exec();
    }
};

GuiMessages g_gui;
Messages *g_current = nullptr;

} // namespace

Messages &messages() { return g_current ? *g_current : static_cast<Messages &>(g_gui); }

Messages *setMessages(Messages *m)
{
    Messages *previous = g_current;
    g_current = m;
    return previous;
}

void RecordingMessages::ShowMessage(const QString &text) { shown.push_back({"message", kApplicationTitle, text, 0}); }

int RecordingMessages::MessageBox(const QString &text, const QString &caption, int style)
{
    shown.push_back({"box", caption, text, style});
    return (style & 0x0F) == kMbYesNo ? kIdYes : kIdOk;
}

void RecordingMessages::ShowException(const QString &text) { shown.push_back({"error", kApplicationTitle, text, 0}); }

QStringList RecordingMessages::texts() const
{
    QStringList out;
    for (const auto &m : shown)
        out << m.text;
    return out;
}
