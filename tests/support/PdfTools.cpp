#include "PdfTools.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace testsupport {

QString runTool(const QString& tool, const QStringList& arguments)
{
    const QString path = QStandardPaths::findExecutable(tool);
    if (path.isEmpty())
        qFatal("%s is missing: install poppler-utils and zbar-tools", qPrintable(tool));
    QProcess process;
    process.start(path, arguments);
    if (!process.waitForFinished(60000))
        qFatal("%s did not finish", qPrintable(tool));
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString pdfPageText(const QString& pdf, int page, bool keepLayout)
{
    QStringList arguments;
    if (keepLayout)
        arguments << QStringLiteral("-layout");
    arguments << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l")
              << QString::number(page) << pdf << QStringLiteral("-");
    return runTool(QStringLiteral("pdftotext"), arguments);
}

QString renderPdfPage(const QString& pdf, int page, int dpi, const QString& stem)
{
    runTool(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"),
                                         QString::number(page), QStringLiteral("-l"), QString::number(page),
                                         QStringLiteral("-singlefile"), QStringLiteral("-png"), pdf, stem});
    return stem + QStringLiteral(".png");
}

int pdfPageCount(const QString& pdf)
{
    static const QRegularExpression pages(QStringLiteral("Pages:\\s+(\\d+)"));
    const QRegularExpressionMatch m = pages.match(runTool(QStringLiteral("pdfinfo"), {pdf}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

QString readBarcodes(const QString& image)
{
    return runTool(QStringLiteral("zbarimg"), {QStringLiteral("--quiet"), image});
}

} // namespace testsupport
