// A second user of the machine for the tests that need one: when the tests run as the
// superuser, programs run as "nobody" through runuser, on copies of the built programs
// and catalogues in a scratch folder every user may read (the checkout may sit under a
// folder only its owner enters). Without the superuser or runuser the test is skipped,
// saying why.
#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

class SecondUserTest : public ::testing::Test {
public:
    static constexpr unsigned kNobody = 65534; // the user and group "nobody"

protected:
    // Skips without the superuser or runuser; makes bin/ and shared/, a folder all users
    // may write, sticky as /tmp is.
    void SetUp() override;

    // `relative` under the scratch folder.
    QString path(const QString &relative) const;
    // Copies the built program `relative` (under the build folder, or an absolute path) to
    // bin/, runnable by all, and returns its new path.
    QString program(const QString &relative) const;
    // A folder of the user `uid`'s own, private to them.
    QString ownFolder(const QString &relative, unsigned uid) const;
    // Everything under `folder` readable by all, its folders and programs entered by all.
    static void openToAll(const QString &folder);

    struct Run {
        int exitCode = -1; // -1 when the program did not end normally
        QString out, err;
    };
    // Runs `program` as the superuser, or as nobody, in the scratch folder, offscreen,
    // with TEMP, TMPDIR, HOME, XDG_RUNTIME_DIR, XDG_CACHE_HOME and CATALOG_CACHE_DIR unset
    // unless `env` ("NAME=value" each) sets them.
    Run run(bool asNobody, const QStringList &env, const QString &program, const QStringList &args) const;

    QTemporaryDir scratch;

private:
    QString m_runuser;
};
