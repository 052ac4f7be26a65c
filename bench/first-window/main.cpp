// bench-first-window PICTURE: the yardstick of the start-up figure, the smallest Qt Widgets
// program showing the brand screen's picture: one fixed-size window holding PICTURE. Once
// its first exposure is painted it prints, as the program does with CATALOG_REPORT_SHOWN
// set, "shown <ns since 1970> <bytes read so far>" on standard error.
#include "platform/os_process.h"

#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <QWindow>
#include <chrono>
#include <cstdio>

namespace {

class FirstExpose : public QObject {
protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *window = qobject_cast<QWindow *>(watched);
        if (event->type() != QEvent::Expose || !window || !window->isExposed())
            return false;
        watched->removeEventFilter(this);
        watched->event(event);
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        std::fprintf(stderr, "shown %lld %lld\n",
                     static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()),
                     static_cast<long long>(platform::os::bytesReadSoFar()));
        std::fflush(stderr);
        return true;
    }
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench-first-window PICTURE\n");
        return 2;
    }
    QLabel screen;
    screen.setPixmap(QPixmap(QString::fromLocal8Bit(argv[1])));
    screen.setFixedSize(1022, 767);
    screen.winId(); // the window exists before it is shown, so its first exposure is seen
    FirstExpose watch;
    screen.windowHandle()->installEventFilter(&watch);
    screen.show();
    return app.exec();
}
