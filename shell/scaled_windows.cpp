// The scaled windows: an application event filter that, when one of the program's windows
// is first shown, puts it into a graphics scene drawn by a view at the program's factor.
// Qt then keeps the designed window off the screen, forwards the view's input to it and
// embeds its popups and child dialogs in the same scene.
#include "shell/scaled_windows.h"

#include "shell/program_scale.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QPointer>
#include <QWindow>
#include <QtMath>

namespace {

const char kHostProperty[] = "dazozizizavuvScaledHost";

// Draws one designed window at the factor, in a window the size of the scaled design.
class ScaledHost : public QGraphicsView {
public:
    ScaledHost(QWidget *window, double factor) : m_window(window), m_factor(factor)
    {
        setObjectName(window->objectName() + QStringLiteral("_scaled"));
        setAttribute(Qt::WA_DeleteOnClose, false);
        setScene(&m_scene);
        setFrameShape(QFrame::NoFrame);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setAlignment(Qt::AlignLeft | Qt::AlignTop);
        // Pictures scaled smoothly, texts drawn at the screen's size.
        setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform | QPainter::TextAntialiasing);
        setViewportUpdateMode(QGraphicsView::SmartViewportUpdate);
        setBackgroundBrush(window->palette().window());
        scale(factor, factor);
        m_proxy = m_scene.addWidget(window);
        // The designed window keeps its place on the screen as Qt knows it; the scene is
        // wherever that puts it, and the view shows just it.
        connect(m_proxy, &QGraphicsWidget::geometryChanged, this, &ScaledHost::follow);
        follow();
        setWindowTitle(window->windowTitle());
        setWindowIcon(window->windowIcon());
        window->installEventFilter(this);
    }

    QWidget *designed() const { return m_window; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_window)
            return QGraphicsView::eventFilter(watched, event);
        switch (event->type()) {
        case QEvent::WindowTitleChange:
            setWindowTitle(m_window->windowTitle());
            break;
        case QEvent::WindowIconChange:
            setWindowIcon(m_window->windowIcon());
            break;
        case QEvent::Hide:
            hide();
            break;
        case QEvent::Show:
            showDesigned();
            break;
        default:
            break;
        }
        return false;
    }

    void closeEvent(QCloseEvent *event) override
    {
        // The frame's close button asks the designed window, which may refuse; the view
        // goes when that window hides.
        event->ignore();
        if (m_window)
            m_window->close();
    }

    void focusInEvent(QFocusEvent *event) override
    {
        QGraphicsView::focusInEvent(event);
        focusDesigned();
    }

    bool event(QEvent *event) override
    {
        const bool done = QGraphicsView::event(event);
        // A new window's first activation may come without a focus event for the view.
        if (event->type() == QEvent::WindowActivate) {
            if (!hasFocus())
                setFocus(Qt::ActiveWindowFocusReason);
            focusDesigned();
        }
        return done;
    }

public:
    void showDesigned()
    {
        follow();
        if (isVisible())
            return;
        show();
        raise();
        activateWindow();
        m_proxy->setFocus(Qt::ActiveWindowFocusReason);
    }

private:
    void focusDesigned()
    {
        if (!m_window)
            return;
        if (!m_scene.focusItem())
            m_proxy->setFocus(Qt::ActiveWindowFocusReason);
        // Qt gives an activated window's focus to its first control only when that
        // window is on the screen itself: a dialog drawn here would take no keys.
        if (!m_window->focusWidget()) {
            QWidget *first = m_window->nextInFocusChain();
            while (first != m_window
                   && !(first->isVisibleTo(m_window) && first->isEnabled() && (first->focusPolicy() & Qt::TabFocus)))
                first = first->nextInFocusChain();
            if (first != m_window)
                first->setFocus(Qt::ActiveWindowFocusReason);
        }
    }

    void follow()
    {
        const QRectF shown = m_proxy->geometry();
        setSceneRect(shown);
        const QSize size(qCeil(shown.width() * m_factor - 1e-6), qCeil(shown.height() * m_factor - 1e-6));
        if (size != this->size())
            setFixedSize(size);
    }

    QPointer<QWidget> m_window;
    double m_factor;
    QGraphicsScene m_scene;
    QGraphicsProxyWidget *m_proxy = nullptr;
};

ScaledHost *hostOf(QWidget *window)
{
    return window ? dynamic_cast<ScaledHost *>(window->property(kHostProperty).value<QObject *>()) : nullptr;
}

class ScaledWindows : public QObject {
public:
    explicit ScaledWindows(double factor) : m_factor(factor) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!watched->isWidgetType())
            return false;
        auto *window = static_cast<QWidget *>(watched);
        // A window's flags are set again whenever it is given a parent or new flags.
        const bool flagsSet = event->type() == QEvent::Polish || event->type() == QEvent::ParentChange;
        if (flagsSet && isDesignedWindow(window) && ownerShown(window)
            && !(window->windowFlags() & Qt::BypassGraphicsProxyWidget)) {
            // Qt would draw a scaled window's dialogs inside it, in a frame of its own
            // making and without blocking the window under them: they get a scaled window
            // of their own instead, which the window system frames and keeps on top.
            window->overrideWindowFlags(window->windowFlags() | Qt::BypassGraphicsProxyWidget);
            return false;
        }
        if (event->type() != QEvent::Show || !hostable(window))
            return false;
        auto *host = new ScaledHost(window, m_factor);
        if (ScaledHost *owner = ownerShown(window)) {
            host->winId();
            host->windowHandle()->setTransientParent(owner->windowHandle());
        }
        host->setWindowModality(window->windowModality());
        window->setProperty(kHostProperty, QVariant::fromValue<QObject *>(host));
        // The designed window goes first (its proxy lets go of it), then its view.
        connect(window, &QObject::destroyed, host, [host] { delete host; });
        PlaceWithinAvailableArea(host);
        host->showDesigned();
        return false;
    }

private:
    static bool isDesignedWindow(QWidget *window)
    {
        const Qt::WindowType type = window->windowType();
        return window->isWindow() && (type == Qt::Window || type == Qt::Dialog || type == Qt::Tool)
               && !dynamic_cast<ScaledHost *>(window);
    }
    // The scaled window showing the window `window` belongs to, if any.
    static ScaledHost *ownerShown(QWidget *window)
    {
        QWidget *owner = window->parentWidget() ? window->parentWidget()->window() : nullptr;
        return hostOf(owner);
    }
    static bool hostable(QWidget *window)
    {
        if (!isDesignedWindow(window) || window->property(kHostProperty).isValid())
            return false;
        // Popups, and windows Qt already draws inside a scaled one, are drawn by that one.
        return !window->graphicsProxyWidget();
    }

    double m_factor;
};

ScaledWindows *installed = nullptr;

} // namespace

ScaledWindowDrawing::ScaledWindowDrawing(double factor)
{
    if (installed || factor >= 1.0)
        return;
    installed = new ScaledWindows(factor);
    qApp->installEventFilter(installed);
    m_active = true;
}

ScaledWindowDrawing::~ScaledWindowDrawing()
{
    if (!m_active)
        return;
    delete installed;
    installed = nullptr;
}

QWidget *ShownWidget(QWidget *window)
{
    if (ScaledHost *host = hostOf(window))
        return host;
    return window;
}

QWindow *ShownWindow(QWidget *window)
{
    QWidget *shown = ShownWidget(window);
    return shown ? shown->windowHandle() : nullptr;
}
