// A small reader for cell markup: enough for the marker tag, forgiving of anything else.
#include "widgets/cell_markup.h"

#include <QRegularExpression>

bool IsCellMarkup(const QString &text)
{
    return text.contains(QLatin1String("</")) || text.contains(QLatin1String("<B"))
           || text.contains(QLatin1String("<I"));
}

namespace {

// Attributes of one tag body ("IMG src=\"...\" width=\"15\""), names in upper case.
struct Tag {
    QString name;
    bool closing = false;
    QList<std::pair<QString, QString>> attributes;
};

Tag parseTag(QStringView body)
{
    Tag tag;
    qsizetype i = 0;
    const auto skipBlanks = [&] {
        while (i < body.size() && body[i].isSpace())
            ++i;
    };
    skipBlanks();
    if (i < body.size() && body[i] == u'/') {
        tag.closing = true;
        ++i;
    }
    const qsizetype nameStart = i;
    while (i < body.size() && !body[i].isSpace() && body[i] != u'/')
        ++i;
    tag.name = body.mid(nameStart, i - nameStart).toString().toUpper();
    while (i < body.size()) {
        skipBlanks();
        const qsizetype keyStart = i;
        while (i < body.size() && body[i] != u'=' && !body[i].isSpace())
            ++i;
        const QString key = body.mid(keyStart, i - keyStart).toString().toUpper();
        skipBlanks();
        QString value;
        if (i < body.size() && body[i] == u'=') {
            ++i;
            skipBlanks();
            if (i < body.size() && body[i] == u'"') {
                const qsizetype close = body.indexOf(u'"', i + 1);
                const qsizetype end = close < 0 ? body.size() : close;
                value = body.mid(i + 1, end - i - 1).toString();
                i = close < 0 ? body.size() : close + 1;
            } else {
                const qsizetype valueStart = i;
                while (i < body.size() && !body[i].isSpace())
                    ++i;
                value = body.mid(valueStart, i - valueStart).toString();
            }
        }
        if (key.isEmpty()) {
            ++i; // a stray character; step over it
            continue;
        }
        tag.attributes.append({key, value});
    }
    return tag;
}

QString attribute(const Tag &tag, const char *name)
{
    for (const auto &[key, value] : tag.attributes) {
        if (key == QLatin1String(name))
            return value;
    }
    return {};
}

} // namespace

std::vector<MarkupPiece> ParseCellMarkup(const QString &text)
{
    std::vector<MarkupPiece> pieces;
    bool bold = false;
    bool italic = false;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype open = text.indexOf(u'<', i);
        const qsizetype runEnd = open < 0 ? text.size() : open;
        if (runEnd > i) {
            MarkupPiece run;
            run.text = text.mid(i, runEnd - i);
            run.bold = bold;
            run.italic = italic;
            pieces.push_back(run);
        }
        if (open < 0)
            break;
        const qsizetype close = text.indexOf(u'>', open);
        if (close < 0)
            break; // an unfinished tag draws nothing
        const Tag tag = parseTag(QStringView(text).mid(open + 1, close - open - 1));
        if (tag.name == QLatin1String("B")) {
            bold = !tag.closing;
        } else if (tag.name == QLatin1String("I")) {
            italic = !tag.closing;
        } else if (tag.name == QLatin1String("IMG") && !tag.closing) {
            MarkupPiece picture;
            picture.imageSource = attribute(tag, "SRC");
            picture.width = attribute(tag, "WIDTH").toInt();
            picture.height = attribute(tag, "HEIGHT").toInt();
            pieces.push_back(picture);
        } else if (tag.name == QLatin1String("BR")) {
            MarkupPiece space;
            space.text = QStringLiteral(" ");
            pieces.push_back(space);
        }
        i = close + 1;
    }
    return pieces;
}

QString MarkupFilePath(const QString &source)
{
    static const QLatin1String kScheme("file://");
    if (!source.startsWith(kScheme, Qt::CaseInsensitive))
        return {};
    QString path = source.mid(kScheme.size());
    path.replace(u'\\', u'/');
    static const QRegularExpression kRepeated(QStringLiteral("/{2,}"));
    path.replace(kRepeated, QStringLiteral("/"));
    return path;
}
