// The shape every layer's one error type takes: a family code saying what kind of failure
// it is, so tests and callers can tell families apart without matching prose, and a
// message a person can act on, which what() returns and the general error report shows.
#pragma once

#include <QString>
#include <stdexcept>

namespace platform {

// A layer derives its own class, `class DbError : public LayerError<DbErrc>`, so that
// catch clauses of one layer never catch another's.
template <typename Errc>
class LayerError : public std::runtime_error {
public:
    LayerError(Errc code, const QString &message) : std::runtime_error(message.toStdString()), m_code(code) {}
    Errc code() const { return m_code; }

private:
    Errc m_code;
};

} // namespace platform
