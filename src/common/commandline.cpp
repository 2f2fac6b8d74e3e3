#include "common/commandline.h"

#include "common/appinfo.h"
#include "common/translations.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

namespace common {

namespace {

void write(FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

QString optionName(const QString& name)
{
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

// The two errors a user meets are worded as the tools always worded them; Qt's text for the rest.
QString parseProblem(const QCommandLineParser& parser, const QStringList& arguments)
{
    if (const QStringList unknown = parser.unknownOptionNames(); !unknown.isEmpty()) {
        return QStringLiteral("bilinmeyen seçenek: %1").arg(optionName(unknown.constFirst()));
    }
    // Qt takes whatever follows an option as its value, so a value can be missing only at the end.
    if (const QString last = arguments.size() > 1 ? arguments.constLast() : QString();
        last.startsWith(u'-') && !last.contains(u'=')) {
        return QStringLiteral("%1 bir değer bekliyor.").arg(last);
    }
    return parser.errorText();
}

} // namespace

std::optional<int> parseCommandLine(QCommandLineParser& parser, const QStringList& arguments)
{
    // Qt's own words in the help ("Kullanım", "Seçenekler") are Turkish when its catalog is installed.
    (void)installTurkishQtTranslations(*QCoreApplication::instance());
    parser.addHelpOption();
    parser.addVersionOption();
    if (!parser.parse(arguments)) {
        return usageError(parseProblem(parser, arguments));
    }
    if (parser.isSet(QStringLiteral("help"))) {
        write(stdout, parser.helpText());
        return AllDone;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        write(stdout, QStringLiteral("%1 %2\n").arg(QCoreApplication::applicationName(), versionNumber()));
        return AllDone;
    }
    return std::nullopt;
}

int usageError(const QString& problem)
{
    write(stderr,
          QStringLiteral("%1: %2\n--help ile kullanımı görün.\n").arg(QCoreApplication::applicationName(), problem));
    return UsageError;
}

} // namespace common
