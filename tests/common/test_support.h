// Small helpers every layer's tests use: where the fixtures and the built program folder
// are, scratch folders, and checking an exception's type and text in one step.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace testsupport {

// ../shared/fixtures of the checkout (CATALOG_FIXTURES in the test environment).
QString fixturesDir();
// A file under the fixtures folder, e.g. fixture("catalogue-small/vc_korva.mdb").
QString fixture(const QString &relative);
// The program folder the build produced (img/, foto/, db/ with the demo catalogue).
QString appDir();
// The build folder (tools are in <build>/tools/...).
QString binDir();
// The tests' source folder (tests/), where data files kept beside the tests lie. Not
// __FILE__: a compiler cache may hand the compiler relative paths.
QString testsDir();
// Where the catalogue copies of this test's opens and of the tools it runs go:
// CATALOG_CACHE_DIR as ctest sets it (the layer's folder in the build folder, which
// outlives each test's process, so a catalogue is copied once, not once per test), else
// one temporary folder for the whole process, never the user's cache.
QString copyCacheDir();

// Sets the environment variable `name` for the length of a scope; a null `value` unsets
// it. The value before is put back at the end.
class ScopedEnv {
public:
    ScopedEnv(const char *name, const QByteArray &value) : m_name(name), m_old(qgetenv(name))
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (m_old.isNull())
            qunsetenv(m_name);
        else
            qputenv(m_name, m_old);
    }
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    const char *m_name;
    QByteArray m_old;
};

// Runs f and checks that it throws E whose what() contains `text`.
template <class E>
void expectThrowText(const std::function<void()> &f, const std::string &text)
{
    try {
        f();
        ADD_FAILURE() << "expected an exception containing \"" << text << "\"";
    } catch (const E &e) {
        EXPECT_NE(std::string(e.what()).find(text), std::string::npos)
            << "message was: " << e.what() << "\nexpected to contain: " << text;
    }
}

// Runs f and checks that it throws E of the family `code` (a layer's error with its code)
// whose what() contains `text`.
template <class E, class Code>
void expectThrowCode(const std::function<void()> &f, Code code, const std::string &text)
{
    try {
        f();
        ADD_FAILURE() << "expected an exception containing \"" << text << "\"";
    } catch (const E &e) {
        EXPECT_EQ(e.code(), code) << "message was: " << e.what();
        EXPECT_NE(std::string(e.what()).find(text), std::string::npos)
            << "message was: " << e.what() << "\nexpected to contain: " << text;
    }
}

} // namespace testsupport
