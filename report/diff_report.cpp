// Writing the diff. The CSV names subjects and changes in English for programs; the text
// and the page are in Italian for the counters and the catalogue makers who read them.
#include "report/diff_report.h"
#include "report/report_format.h"

#include <map>

namespace catalog::report {

namespace {

const char *subjectName(Subject s)
{
    switch (s) {
    case Subject::Vehicle: return "vehicle";
    case Subject::Fitment: return "fitment";
    case Subject::Battery: return "battery";
    case Subject::OldCode: return "old-code";
    }
    return "";
}

const char *changeName(ChangeKind c)
{
    switch (c) {
    case ChangeKind::Added: return "added";
    case ChangeKind::Removed: return "removed";
    case ChangeKind::Changed: return "changed";
    }
    return "";
}

// Italian words of each subject: singular and plural noun, and whether it is feminine.
struct Words {
    const char *one;
    const char *many;
    bool feminine;
};

Words wordsOf(Subject s)
{
    switch (s) {
    case Subject::Vehicle: return {"veicolo", "veicoli", false};
    case Subject::Fitment: return {"abbinamento", "abbinamenti", false};
    case Subject::Battery: return {"batteria", "batterie", true};
    case Subject::OldCode: return {"vecchio codice", "vecchi codici", false};
    }
    return {"", "", false};
}

// "aggiunto", "tolte", ...: the participle agreeing with the count and the subject.
QString participle(ChangeKind c, int n, bool feminine)
{
    const char *stem = c == ChangeKind::Added ? "aggiunt" : c == ChangeKind::Removed ? "tolt" : "modificat";
    const char *ending = n == 1 ? (feminine ? "a" : "o") : (feminine ? "e" : "i");
    return QString::fromLatin1(stem) + QString::fromLatin1(ending);
}

QString sectionTitle(Subject s, ChangeKind c)
{
    const Words w = wordsOf(s);
    return (QString::fromUtf8(w.many) + u' ' + participle(c, 2, w.feminine)).toUpper();
}

QString shown(const Value &v) { return v ? *v : QStringLiteral("(Null)"); }

constexpr Subject kSubjects[] = {Subject::Vehicle, Subject::Fitment, Subject::Battery, Subject::OldCode};
constexpr ChangeKind kKinds[] = {ChangeKind::Added, ChangeKind::Removed, ChangeKind::Changed};

bool hasChanges(Subject s) { return s != Subject::Fitment; }

// The changes of one subject and kind, grouped by key (a changed row has one per column).
std::vector<std::vector<const Change *>> groups(const CatalogueDiff &diff, Subject s, ChangeKind c)
{
    std::vector<std::vector<const Change *>> out;
    for (const Change &ch : diff.changes) {
        if (ch.subject != s || ch.change != c)
            continue;
        if (out.empty() || out.back().front()->key != ch.key)
            out.emplace_back();
        out.back().push_back(&ch);
    }
    return out;
}

// An old code's change as a counter reads it: the successor it now points to.
QString oldCodeNote(const Change &c)
{
    if (c.field.compare(QStringLiteral("CODICE"), Qt::CaseInsensitive) != 0)
        return {};
    if (c.newValue && c.newValue->trimmed() == QStringLiteral("ESAURIMENTO"))
        return QStringLiteral(" (in esaurimento)");
    return QStringLiteral(" (nuovo successore)");
}

} // namespace

QString DiffSummary(const CatalogueDiff &diff)
{
    QStringList parts;
    for (Subject s : kSubjects) {
        const Words w = wordsOf(s);
        QStringList ofSubject;
        for (ChangeKind c : kKinds) {
            if (c == ChangeKind::Changed && !hasChanges(s))
                continue;
            const int n = diff.count(s, c);
            // "12 veicoli aggiunti, 3 tolti": the noun only once per subject.
            QString part = QString::number(n);
            if (ofSubject.isEmpty())
                part += u' ' + QString::fromUtf8(n == 1 ? w.one : w.many);
            ofSubject << part + u' ' + participle(c, n, w.feminine);
        }
        parts << ofSubject.join(QStringLiteral(", "));
    }
    return parts.join(QStringLiteral("; ")) + u'.';
}

QString DiffCsv(const CatalogueDiff &diff)
{
    QString out = CsvRecord({"change", "subject", "key", "field", "old", "new"});
    for (const Change &c : diff.changes) {
        const bool changed = c.change == ChangeKind::Changed;
        out += CsvRecord({QString::fromLatin1(changeName(c.change)), QString::fromLatin1(subjectName(c.subject)),
                          c.keyText(), c.field, changed && c.oldValue ? *c.oldValue : QString(),
                          changed && c.newValue ? *c.newValue : QString()});
    }
    return out;
}

QString DiffText(const CatalogueDiff &diff)
{
    QString out = QStringLiteral("Catalogo precedente: %1\nCatalogo nuovo: %2\n\n%3\n")
                      .arg(diff.oldPath, diff.newPath, DiffSummary(diff));
    for (const QString &note : diff.notes)
        out += QStringLiteral("Nota: %1\n").arg(note);
    for (Subject s : kSubjects) {
        for (ChangeKind c : kKinds) {
            const auto list = groups(diff, s, c);
            if (list.empty())
                continue;
            out += u'\n' + sectionTitle(s, c) + u'\n';
            for (const auto &group : list) {
                const Change &first = *group.front();
                out += QStringLiteral("  %1").arg(first.keyText());
                if (!first.label.isEmpty())
                    out += QStringLiteral("  %1").arg(first.label);
                out += u'\n';
                for (const Change *ch : group) {
                    if (ch->change == ChangeKind::Changed)
                        out += QStringLiteral("      %1: %2 -> %3%4\n")
                                   .arg(ch->field, shown(ch->oldValue), shown(ch->newValue),
                                        s == Subject::OldCode ? oldCodeNote(*ch) : QString());
                }
            }
        }
        if (s == Subject::Fitment && !diff.vehicleCodes.empty()) {
            out += QStringLiteral("\nBATTERIE PER VEICOLO\n");
            for (const VehicleCodes &v : diff.vehicleCodes) {
                out += QStringLiteral("  %1  %2\n").arg(v.idVeicolo, v.name);
                if (!v.gained.isEmpty())
                    out += QStringLiteral("      nuove: %1\n").arg(v.gained.join(QStringLiteral(", ")));
                if (!v.lost.isEmpty())
                    out += QStringLiteral("      tolte: %1\n").arg(v.lost.join(QStringLiteral(", ")));
            }
        }
    }
    return out;
}

QString DiffHtml(const CatalogueDiff &diff)
{
    auto cell = [](const Value &v) {
        return v ? QStringLiteral("<td>%1</td>").arg(HtmlEscaped(*v)) : QStringLiteral("<td class=\"null\">Null</td>");
    };
    QString out = HtmlPageStart(QStringLiteral("Novità del catalogo"));
    out += QStringLiteral(
               "<h1>Novità del catalogo</h1>\n<p>Catalogo precedente: %1<br>Catalogo nuovo: %2</p>\n<p>%3</p>\n")
               .arg(HtmlEscaped(diff.oldPath), HtmlEscaped(diff.newPath), HtmlEscaped(DiffSummary(diff)));
    for (const QString &note : diff.notes)
        out += QStringLiteral("<p>Nota: %1</p>\n").arg(HtmlEscaped(note));
    for (Subject s : kSubjects) {
        for (ChangeKind c : kKinds) {
            const auto list = groups(diff, s, c);
            if (list.empty())
                continue;
            const bool changed = c == ChangeKind::Changed;
            out += QStringLiteral(
                       "<h2>%1 "
                       "(%2)</h2>\n<table>\n<thead><tr><th>chiave</th><th>descrizione</th>%3</tr></thead>\n<tbody>\n")
                       .arg(HtmlEscaped(sectionTitle(s, c).toLower()))
                       .arg(list.size())
                       .arg(changed ? QStringLiteral("<th>campo</th><th>prima</th><th>dopo</th>") : QString());
            for (const auto &group : list) {
                for (const Change *ch : group) {
                    out += QStringLiteral("<tr><td>%1</td><td>%2</td>")
                               .arg(HtmlEscaped(ch->keyText()), HtmlEscaped(ch->label));
                    if (changed)
                        out += QStringLiteral("<td>%1</td>").arg(HtmlEscaped(ch->field)) + cell(ch->oldValue)
                               + cell(ch->newValue);
                    out += QStringLiteral("</tr>\n");
                }
            }
            out += QStringLiteral("</tbody>\n</table>\n");
        }
        if (s == Subject::Fitment && !diff.vehicleCodes.empty()) {
            out += QStringLiteral(
                       "<h2>batterie per veicolo (%1)</h2>\n<table>\n<thead><tr><th>idVeicolo</th><th>veicolo</th>"
                       "<th>nuove</th><th>tolte</th></tr></thead>\n<tbody>\n")
                       .arg(diff.vehicleCodes.size());
            for (const VehicleCodes &v : diff.vehicleCodes)
                out += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td>%4</td></tr>\n")
                           .arg(HtmlEscaped(v.idVeicolo), HtmlEscaped(v.name),
                                HtmlEscaped(v.gained.join(QStringLiteral(", "))),
                                HtmlEscaped(v.lost.join(QStringLiteral(", "))));
            out += QStringLiteral("</tbody>\n</table>\n");
        }
    }
    return out + HtmlPageEnd();
}

} // namespace catalog::report
