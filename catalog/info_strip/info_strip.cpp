// The information strip's lines: labels that keep their whole text (what screen readers and
// the UI script driver read) and paint only what fits, elided, with the whole text as their
// hint when it does not fit. The visible lines sit one under the other, centred in the
// strip's height, so one line alone stands where the skin's subtitle stood.
#include "catalog/info_strip/info_strip.h"

#include "catalog/catalog_error.h"
#include "widgets/fonts.h"
#include "widgets/picture_palette.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QStyle>

namespace {

class StripLine : public QLabel {
public:
    StripLine(const QString &name, QWidget *parent) : QLabel(parent)
    {
        setObjectName(name);
        // A shelf or a branch name with "<" in it must read as written.
        setTextFormat(Qt::PlainText);
        setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        setFont(ProgramFont(13));
        // The strip's width is fixed by the skin: a long text never widens it.
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        setFocusPolicy(Qt::NoFocus);
        setVisible(false);
    }

    bool elided() const { return fontMetrics().horizontalAdvance(text()) > contentsRect().width(); }

    // The hint says the whole text only when the line cannot show it.
    void refreshHint() { setToolTip(elided() ? text() : QString()); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const QRect room = contentsRect();
        const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, room.width());
        style()->drawItemText(&painter, room, int(alignment()), palette(), isEnabled(), shown, foregroundRole());
    }

    void resizeEvent(QResizeEvent *event) override
    {
        QLabel::resizeEvent(event);
        refreshHint();
    }
};

StripLine *asLine(QLabel *label) { return static_cast<StripLine *>(label); }

} // namespace

InfoStrip::InfoStrip(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("StripInfo"));
    setAccessibleName(QStringLiteral("Informazioni sulla batteria"));
    m_row = new QHBoxLayout(this);
    m_row->setContentsMargins(0, 0, 0, 0);
    m_row->setSpacing(6);
    m_lines = new QVBoxLayout;
    m_lines->setContentsMargins(0, 0, 0, 0);
    m_lines->setSpacing(1);
    m_lines->addStretch(1);
    m_lines->addStretch(1);
    m_row->addLayout(m_lines, 1);
}

InfoStrip::~InfoStrip() = default;

const QStringList &InfoStrip::LineOrder()
{
    static const QStringList order = {QStringLiteral("LabelGiacenza"), QStringLiteral("LabelSegnalazione"),
                                      QStringLiteral("LabelTecnologia")};
    return order;
}

QLabel *InfoStrip::line(const QString &objectName)
{
    if (auto *made = findChild<QLabel *>(objectName, Qt::FindDirectChildrenOnly))
        return made;
    const qsizetype rank = LineOrder().indexOf(objectName);
    if (rank < 0)
        catalog::raiseCatalogError(catalog::CatalogErrc::Window,
                                   "The information strip has no line named " + objectName);
    // After the leading stretch, below every line made already that comes earlier in the order.
    int at = 1;
    for (qsizetype earlier = 0; earlier < rank; ++earlier) {
        if (findChild<QLabel *>(LineOrder()[earlier], Qt::FindDirectChildrenOnly))
            ++at;
    }
    auto *label = new StripLine(objectName, this);
    m_lines->insertWidget(at, label);
    return label;
}

void InfoStrip::setLine(const QString &objectName, const QString &text, bool warning)
{
    StripLine *label = asLine(line(objectName));
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, warning ? palette::kRed : palette::kInk);
    label->setPalette(colours);
    label->setText(text);
    // Set whatever the text, so that a screen reader never reads a mnemonic's "&" away.
    label->setAccessibleName(text);
    label->setVisible(!text.isEmpty());
    // The width is known only once the strip has laid the line out.
    m_lines->activate();
    label->refreshHint();
}

bool InfoStrip::isElided(const QString &objectName) const
{
    const auto *label = findChild<QLabel *>(objectName, Qt::FindDirectChildrenOnly);
    return label && static_cast<const StripLine *>(label)->elided();
}

void InfoStrip::setTrailingButton(QWidget *button)
{
    button->setParent(this);
    m_row->addWidget(button, 0, Qt::AlignRight | Qt::AlignVCenter);
    button->show();
}
