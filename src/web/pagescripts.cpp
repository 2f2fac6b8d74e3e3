#include "web/pagescripts.h"

#include "web/jsliteral.h"

#include <QFile>

#include <array>

namespace web {

namespace {

constexpr auto kBuiltIn = ":/verazidedaze/js";

constexpr std::array<const char*, 4> kFileNames = {"composer.js", "pagemargins.js", "printprepare.js", "printcarry.js"};

QString readScript(const QString& folder, const QString& name)
{
    QFile file(folder + QLatin1Char('/') + name);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll());
}

} // namespace

QString pageScript(PageScript script)
{
    // Read once: the composer goes into every page, the print scripts into every printed piece.
    static const std::array<QString, kFileNames.size()> sources = [] {
        std::array<QString, kFileNames.size()> all;
        for (size_t i = 0; i < all.size(); ++i) {
            all[i] = readScript(QString::fromLatin1(kBuiltIn), QString::fromLatin1(kFileNames[i]));
        }
        return all;
    }();
    return sources.at(size_t(script));
}

QString pageScriptCall(PageScript script, const QVariantList& arguments)
{
    QString function = pageScript(script).trimmed();
    if (function.endsWith(QLatin1Char(';'))) {
        function.chop(1);
    }
    QStringList literals;
    for (const QVariant& argument : arguments) {
        literals.append(argument.isNull() ? QStringLiteral("null") : jsLiteral(argument));
    }
    return QLatin1Char('(') + function + QLatin1String(")(") + literals.join(QLatin1Char(',')) + QLatin1Char(')');
}

QString composerCall(const char* method, const QVariantList& arguments)
{
    QStringList literals;
    for (const QVariant& argument : arguments) {
        literals.append(argument.isNull() ? QStringLiteral("null") : jsLiteral(argument));
    }
    const QString name = QString::fromLatin1(method);
    return QStringLiteral("window.__vz ? __vz.%1(%2) : null").arg(name, literals.join(QLatin1Char(',')));
}

QStringList missingPageScripts(const QString& folder)
{
    const QString from = folder.isEmpty() ? QString::fromLatin1(kBuiltIn) : folder;
    QStringList missing;
    for (const char* name : kFileNames) {
        if (readScript(from, QString::fromLatin1(name)).trimmed().isEmpty()) {
            missing.append(QString::fromLatin1(name));
        }
    }
    return missing;
}

} // namespace web
