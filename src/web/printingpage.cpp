#include "web/printingpage.h"

#include "web/pagescripts.h"

#include <QEventLoop>
#include <QRegularExpression>
#include <QWebEngineScript>

#include <optional>

namespace web {

namespace {

constexpr qreal kDefaultMarginMm = 12;

// An absolute CSS length in millimetres; nullopt for anything else (auto, %, em, garbage).
std::optional<qreal> cssLengthMm(const QString& text)
{
    static const QRegularExpression length(QStringLiteral("^\\s*([0-9]*\\.?[0-9]+)\\s*(mm|cm|in|pt|pc|px|q)?\\s*$"),
                                           QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = length.match(text);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    const qreal value = match.captured(1).toDouble();
    const QString unit = match.captured(2).toLower();
    if (unit.isEmpty()) {
        return value == 0 ? std::optional<qreal>(0) : std::nullopt; // only 0 goes without a unit
    }
    if (unit == QLatin1String("mm")) {
        return value;
    }
    if (unit == QLatin1String("cm")) {
        return value * 10;
    }
    if (unit == QLatin1String("q")) {
        return value / 4;
    }
    if (unit == QLatin1String("in")) {
        return value * 25.4;
    }
    if (unit == QLatin1String("pt")) {
        return value * 25.4 / 72;
    }
    if (unit == QLatin1String("pc")) {
        return value * 25.4 / 6;
    }
    return value * 25.4 / 96; // px
}

} // namespace

QPageLayout printPageLayout(const QStringList& cssMargins)
{
    qreal sides[4] = {kDefaultMarginMm, kDefaultMarginMm, kDefaultMarginMm, kDefaultMarginMm};
    for (int i = 0; i < 4 && i < cssMargins.size(); ++i) {
        if (const std::optional<qreal> mm = cssLengthMm(cssMargins.at(i)); mm && *mm < 100) {
            sides[i] = *mm;
        }
    }
    QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(), QPageLayout::Millimeter);
    layout.setMinimumMargins(QMarginsF());
    layout.setMargins(QMarginsF(sides[3], sides[0], sides[1], sides[2]));
    return layout;
}

PrintingPage::PrintingPage(QWebEngineProfile* profile, QObject* parent) : QWebEnginePage(profile, parent)
{
    connect(this, &QWebEnginePage::pdfPrintingFinished, this, [this] { m_printing = false; });
    connect(this, &QWebEnginePage::renderProcessTerminated, this, [this] { m_printing = false; });
}

PrintingPage::~PrintingPage()
{
    waitForPrint();
    *m_alive = false;
}

void PrintingPage::printWithDocumentMargins(const QString& path)
{
    runJavaScript(pageScript(PageScript::PageMargins), QWebEngineScript::ApplicationWorld,
                  [this, alive = m_alive, path](const QVariant& margins) {
                      if (!*alive) {
                          return;
                      }
                      m_printing = true;
                      printToPdf(path, printPageLayout(margins.toStringList()));
                  });
}

void PrintingPage::deleteWhenPrinted()
{
    *m_alive = false; // a margins answer still to come prints nothing
    if (!m_printing) {
        deleteLater();
        return;
    }
    connect(this, &QWebEnginePage::pdfPrintingFinished, this, &QObject::deleteLater);
    connect(this, &QWebEnginePage::renderProcessTerminated, this, &QObject::deleteLater);
}

void PrintingPage::waitForPrint()
{
    if (!m_printing) {
        return;
    }
    QEventLoop loop;
    connect(this, &QWebEnginePage::pdfPrintingFinished, &loop, &QEventLoop::quit);
    connect(this, &QWebEnginePage::renderProcessTerminated, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

} // namespace web
