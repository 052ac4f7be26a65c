// pdfinfo gives the page count and size, pdftotext the text.
#include "tests/common/pdf_text.h"

#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace testsupport {

namespace {

bool run(const QString &tool, const QStringList &args, QString &out)
{
    QProcess p;
    p.start(tool, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        ADD_FAILURE() << tool.toStdString() << " failed on " << args.join(' ').toStdString() << ": "
                      << p.errorString().toStdString() << " " << p.readAllStandardError().toStdString();
        return false;
    }
    out = QString::fromUtf8(p.readAllStandardOutput());
    return true;
}

} // namespace

PdfFacts readPdf(const QString &path)
{
    PdfFacts facts;
    QString info;
    if (!run(QStringLiteral("pdfinfo"), {path}, info)
        || !run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")}, facts.text))
        return facts;
    const auto pages = QRegularExpression(QStringLiteral(R"(Pages:\s+(\d+))")).match(info);
    const auto size = QRegularExpression(QStringLiteral(R"(Page size:\s+([\d.]+) x ([\d.]+) pts)")).match(info);
    // Viewers find "fi" where the font set a ligature; so does the test.
    facts.text.replace(QChar(0xFB01), QStringLiteral("fi")).replace(QChar(0xFB02), QStringLiteral("fl"));
    facts.pages = pages.captured(1).toInt();
    facts.pageSize = QSizeF(size.captured(1).toDouble(), size.captured(2).toDouble());
    return facts;
}

} // namespace testsupport
