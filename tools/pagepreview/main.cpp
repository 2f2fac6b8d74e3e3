// verazidedaze-pagepreview IN.html OUT.png OUT.pdf [WIDTHxHEIGHT]
//
// Loads IN.html into a QWebEngineView, saves a screenshot of the view and prints the page to PDF
// with an A4 portrait layout and zero margins, the way the viewer prints, so that only the page's
// own CSS decides paper size and margins. A developer tool for checking layouts and print behaviour.
#include <QApplication>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QRegularExpression>
#include <QTextStream>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <optional>

namespace {

struct Options
{
    QString input;
    QString png;
    QString pdf;
    QSize size{1280, 1024};
};

std::optional<Options> parseArguments(const QStringList& args)
{
    if (args.size() != 4 && args.size() != 5) {
        return std::nullopt;
    }
    Options options{args[1], args[2], QFileInfo(args[3]).absoluteFilePath()};
    if (args.size() == 5) {
        const auto match = QRegularExpression(QStringLiteral("^(\\d+)x(\\d+)$")).match(args[4]);
        if (!match.hasMatch()) {
            return std::nullopt;
        }
        options.size = QSize(match.captured(1).toInt(), match.captured(2).toInt());
    }
    return options;
}

void report(const QString& message)
{
    QTextStream(stderr) << "verazidedaze-pagepreview: " << message << Qt::endl;
}

// Drives one page through load, screenshot and print, then quits the application with the result.
class PagePreview : public QObject
{
public:
    explicit PagePreview(const Options& options) : m_options(options)
    {
        m_view.resize(options.size);
        connect(&m_view, &QWebEngineView::loadFinished, this, &PagePreview::loaded);
        connect(m_view.page(), &QWebEnginePage::pdfPrintingFinished, this, &PagePreview::printed);
    }

    void start()
    {
        m_view.show();
        m_view.load(QUrl::fromLocalFile(QFileInfo(m_options.input).absoluteFilePath()));
    }

private:
    void loaded(bool ok)
    {
        if (!ok) {
            report(QStringLiteral("could not load %1").arg(m_options.input));
            QCoreApplication::exit(1);
            return;
        }
        // loadFinished comes before the first frame is on screen; give the compositor a moment.
        QTimer::singleShot(500, this, &PagePreview::grabAndPrint);
    }

    void grabAndPrint()
    {
        if (!m_view.grab().save(m_options.png)) {
            report(QStringLiteral("could not write %1").arg(m_options.png));
            m_exitCode = 1;
        }
        const QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
        m_view.page()->printToPdf(m_options.pdf, layout);
    }

    void printed(const QString&, bool ok)
    {
        if (!ok) {
            report(QStringLiteral("could not write %1").arg(m_options.pdf));
            m_exitCode = 1;
        }
        QCoreApplication::exit(m_exitCode);
    }

    Options m_options;
    QWebEngineView m_view;
    int m_exitCode = 0;
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const auto options = parseArguments(app.arguments());
    if (!options) {
        report(QStringLiteral("usage: verazidedaze-pagepreview IN.html OUT.png OUT.pdf [WIDTHxHEIGHT]"));
        return 2;
    }
    if (!QFileInfo::exists(options->input)) {
        report(QStringLiteral("no such file: %1").arg(options->input));
        return 2;
    }
    PagePreview preview(*options);
    preview.start();
    return app.exec();
}
