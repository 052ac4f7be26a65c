// The settings file of the newer features: one INI file in the desktop's usual places,
// the user's (~/.config/dazozizizavuv/dazozizizavuv.conf) before the machine's
// (/etc/xdg/dazozizizavuv/dazozizizavuv.conf). Each group belongs to one feature
// ([display] the windows' scale; [shop] the shop store): a feature reads its keys here and
// gives them meaning itself. Without a file every key has its default.
#pragma once

#include <QString>
#include <QStringList>
#include <stdexcept>

// A setting that is present but cannot be used; the text names the file, the group, the
// key and what it takes.
class SettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class UserSettings {
public:
    // The desktop's places (XDG_CONFIG_HOME and XDG_CONFIG_DIRS are followed).
    UserSettings();
    // Exactly these files, the first found first (tests, a shop's own file).
    explicit UserSettings(const QStringList &files);

    // The key's text from the first file that has it, blanks around it removed;
    // `fallback` when no file has it.
    QString text(const QString &group, const QString &key, const QString &fallback = QString()) const;
    // The file the key was read from, for messages; empty when no file has it.
    QString fileOf(const QString &group, const QString &key) const;
    // Raises SettingsError: `<file>: [group] key=<value>: <what>`.
    [[noreturn]] void reject(const QString &group, const QString &key, const QString &what) const;

    // The files read, the first found first.
    const QStringList &files() const { return m_files; }

private:
    QStringList m_files;
};
