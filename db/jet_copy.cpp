// Where the copies live and how they are made. A copy is two files written side by side
// by two children: the largest table, and all the others. Each child receives the file's
// bytes that the parent already read and hashed (fork shares them), so the copy always
// matches the key recorded with it even if the file changes meanwhile. Each writes to a
// temporary name that the parent renames into place only after both left cleanly: a
// half-written copy is never found by a later open. Copies live in $CATALOG_CACHE_DIR,
// else the user's cache folder, else the temporary folder.
#include "db/jet_copy_p.h"
#include "db/db_error.h"
#include "db/mdb_loader_p.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace db::detail {

namespace {

uint64_t rotl(uint64_t x, int r) { return (x << r) | (x >> (64 - r)); }

// A fast 64-bit hash with four independent lanes (the whole file is hashed at every open,
// so this must run at memory speed); not cryptographic, it only detects changed content.
uint64_t hash64(const char *data, size_t n)
{
    constexpr uint64_t P1 = 0x9E3779B185EBCA87ULL, P2 = 0xC2B2AE3D27D4EB4FULL;
    uint64_t lane[4] = {P1 + P2, P2, 0, 0 - P1};
    size_t i = 0;
    for (; i + 32 <= n; i += 32) {
        for (int k = 0; k < 4; ++k) {
            uint64_t w;
            std::memcpy(&w, data + i + 8 * k, 8);
            lane[k] = rotl(lane[k] + w * P2, 31) * P1;
        }
    }
    uint64_t h = rotl(lane[0], 1) + rotl(lane[1], 7) + rotl(lane[2], 12) + rotl(lane[3], 18) + n;
    for (; i < n; ++i)
        h = rotl(h ^ (uint8_t(data[i]) * P1), 11) * P2;
    h ^= h >> 33;
    h *= P2;
    h ^= h >> 29;
    return h;
}

QString hex(uint64_t v) { return QString::number(qulonglong(v), 16).rightJustified(16, u'0'); }

QString cacheDir()
{
    QString dir = QString::fromLocal8Bit(qgetenv("CATALOG_CACHE_DIR"));
    if (dir.isEmpty()) {
        const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
        if (!base.isEmpty())
            dir = base + QStringLiteral("/dazozizizavuv/catalogue-copies");
    }
    if (dir.isEmpty() || !QDir().mkpath(dir) || !QFileInfo(dir).isWritable()) {
        dir = QDir::tempPath() + QStringLiteral("/dazozizizavuv-catalogue-copies");
        QDir().mkpath(dir);
    }
    return dir;
}

SourceKey keyOf(const QString &path, const QByteArray &file)
{
    SourceKey key;
    key.path = QFileInfo(path).canonicalFilePath();
    if (key.path.isEmpty())
        key.path = QFileInfo(path).absoluteFilePath();
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) == 0)
        key.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    key.size = file.size();
    key.hash = contentHash(file);
    return key;
}

// Whether the copy at `copy` was made from exactly the file `key` describes.
bool copyMatches(const QString &copy, const SourceKey &key)
{
    if (!QFileInfo::exists(copy))
        return false;
    sqlite3 *db = nullptr;
    bool match = false;
    if (sqlite3_open_v2(QFile::encodeName(copy).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(db,
                               "SELECT path, size, mtime, hash, (SELECT user_version FROM pragma_user_version) "
                               "FROM __jet_source",
                               -1, &st, nullptr)
                == SQLITE_OK
            && sqlite3_step(st) == SQLITE_ROW) {
            match = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0))) == key.path
                    && sqlite3_column_int64(st, 1) == key.size && sqlite3_column_int64(st, 2) == key.mtimeNs
                    && QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 3))) == key.hash
                    && sqlite3_column_int(st, 4) == kCopyFormat;
        }
        sqlite3_finalize(st);
    }
    sqlite3_close_v2(db);
    return match;
}

// One copy file: where it is kept, where it is written first, and which tables it holds.
struct Share {
    QString copy;
    QString tmp;
    TableShare tables = TableShare::All;
};

[[noreturn]] void damagedFile(const QString &path, const QString &why)
{
    raiseDbError(DbErrc::Format, QStringLiteral("The catalogue file \"%1\" is damaged: %2.").arg(path, why));
}

// The child: copy, report a DbError's text through the pipe, and leave with _exit so that
// nothing of the parent's (atexit handlers, Qt, buffered output) runs twice.
[[noreturn]] void runChild(int reportFd, const QByteArray &file, const QString &tmp, const SourceKey &key,
                           TableShare share)
{
    const int devnull = ::open("/dev/null", O_WRONLY);
    if (devnull >= 0) {
        ::dup2(devnull, STDOUT_FILENO);
        ::dup2(devnull, STDERR_FILENO); // libmdb prints its warnings there
    }
    int status = 0;
    try {
        copyJetTables(file, tmp, key, share);
    } catch (const std::exception &e) {
        const size_t len = std::strlen(e.what());
        [[maybe_unused]] ssize_t w = ::write(reportFd, e.what(), len);
        status = 2;
    } catch (...) {
        status = 3;
    }
    ::_exit(status);
}

struct Child {
    pid_t pid = -1;
    int reportFd = -1;
    QByteArray report;
    int status = 0;
};

[[noreturn]] void cannotRead()
{
    raiseDbError(DbErrc::Open, QStringLiteral("The catalogue cannot be read: %1.").arg(QString::fromLocal8Bit(std::strerror(errno))));
}

// Forks the children, each copying its share to its temporary file; the children that
// were started are always reaped, whatever fails.
void makeCopies(const QString &path, const QByteArray &file, const SourceKey &key, const std::vector<Share> &shares,
                int timeoutSeconds)
{
    std::vector<Child> children(shares.size());
    auto reapAll = [&](bool kill) {
        for (Child &c : children) {
            if (c.reportFd >= 0)
                ::close(c.reportFd);
            c.reportFd = -1;
            if (c.pid <= 0)
                continue;
            if (kill)
                ::kill(c.pid, SIGKILL);
            while (::waitpid(c.pid, &c.status, 0) < 0 && errno == EINTR) {
            }
            c.pid = -1;
        }
    };
    for (size_t i = 0; i < shares.size(); ++i) {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) {
            reapAll(true);
            cannotRead();
        }
        const pid_t pid = ::fork();
        if (pid < 0) {
            ::close(fds[0]);
            ::close(fds[1]);
            reapAll(true);
            cannotRead();
        }
        if (pid == 0) {
            ::close(fds[0]);
            runChild(fds[1], file, shares[i].tmp, key, shares[i].tables);
        }
        ::close(fds[1]);
        children[i].pid = pid;
        children[i].reportFd = fds[0];
    }

    bool timedOut = false;
    timespec startTs{};
    clock_gettime(CLOCK_MONOTONIC, &startTs);
    const qint64 limitMs = qint64(timeoutSeconds) * 1000;
    for (;;) {
        std::vector<pollfd> open;
        std::vector<Child *> owners;
        for (Child &c : children)
            if (c.reportFd >= 0) {
                open.push_back({c.reportFd, POLLIN, 0});
                owners.push_back(&c);
            }
        if (open.empty())
            break;
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        const qint64 elapsed = (now.tv_sec - startTs.tv_sec) * 1000 + (now.tv_nsec - startTs.tv_nsec) / 1000000;
        if (elapsed >= limitMs) {
            timedOut = true;
            break;
        }
        const int r = ::poll(open.data(), nfds_t(open.size()), int(limitMs - elapsed));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0) {
            timedOut = r == 0;
            break;
        }
        for (size_t k = 0; k < open.size(); ++k) {
            if (!open[k].revents)
                continue;
            Child &c = *owners[k];
            char buf[512];
            const ssize_t got = ::read(c.reportFd, buf, sizeof buf);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0) { // the child closed its end: it is leaving
                ::close(c.reportFd);
                c.reportFd = -1;
                continue;
            }
            c.report.append(buf, got);
        }
    }
    reapAll(timedOut);

    bool failed = timedOut;
    for (const Child &c : children)
        failed = failed || !WIFEXITED(c.status) || WEXITSTATUS(c.status) != 0;
    if (failed)
        for (const Share &s : shares)
            QFile::remove(s.tmp);
    if (timedOut)
        damagedFile(path, QStringLiteral("reading it did not finish within %1 s").arg(timeoutSeconds));
    for (const Child &c : children) {
        if (WIFSIGNALED(c.status))
            damagedFile(path, QStringLiteral("reading it failed (signal %1)").arg(WTERMSIG(c.status)));
        if (WEXITSTATUS(c.status) == 2 && !c.report.isEmpty())
            raiseDbError(DbErrc::Format, QString::fromUtf8(c.report) + QStringLiteral(" (\"%1\")").arg(path));
        if (WEXITSTATUS(c.status) != 0)
            damagedFile(path, QStringLiteral("reading it failed"));
    }
}

} // namespace

QString contentHash(const QByteArray &bytes) { return hex(hash64(bytes.constData(), size_t(bytes.size()))); }

QStringList sqliteCopyOf(const QString &path, const QByteArray &file, int timeoutSeconds)
{
    const SourceKey key = keyOf(path, file);
    const QByteArray pathBytes = key.path.toUtf8();
    const QString stem = cacheDir() + u'/' + hex(hash64(pathBytes.constData(), size_t(pathBytes.size())));
    // The largest table is copied by a process of its own beside the others: it takes
    // about as long as all the rest together, and the two run on two cores.
    std::vector<Share> shares = {{stem + QStringLiteral(".sqlite"), {}, TableShare::Others},
                                 {stem + QStringLiteral("-largest.sqlite"), {}, TableShare::Largest}};
    QStringList copies;
    for (const Share &s : shares)
        copies << s.copy;
    if (std::all_of(shares.begin(), shares.end(), [&](const Share &s) { return copyMatches(s.copy, key); }))
        return copies;

    static std::atomic<int> serial{0};
    for (Share &s : shares) {
        s.tmp = s.copy + QStringLiteral(".tmp-%1-%2").arg(::getpid()).arg(serial++);
        QFile::remove(s.tmp);
    }
    makeCopies(path, file, key, shares, timeoutSeconds);
    // Each file carries the key, so a pair half replaced by another process is only a
    // mismatch that a later open copies again.
    for (size_t i = 0; i < shares.size(); ++i)
        if (::rename(QFile::encodeName(shares[i].tmp).constData(), QFile::encodeName(shares[i].copy).constData()) != 0)
            copies[qsizetype(i)] = shares[i].tmp; // someone else's copy may stand there; ours still serves
    return copies;
}

} // namespace db::detail
