#include "render/urlmapping.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

namespace render {

namespace {

const QString kFileScheme = QStringLiteral("file://");

bool startsWithDrive(const QString& text)
{
    return text.size() >= 2 && text[1] == u':' && text[0].isLetter() && text[0].unicode() < 128;
}

// Show joins a folder and a name with '/', so a root folder ("/", "C:/") yields a doubled
// separator; every run of separators means one to the file system anyway.
QString collapseSeparators(const QString& path, qsizetype from)
{
    QString out = path.left(from);
    out.reserve(path.size());
    for (qsizetype i = from; i < path.size(); ++i) {
        if (path[i] == u'/' && !out.isEmpty() && out.back() == u'/') {
            continue;
        }
        out += path[i];
    }
    return out;
}

std::optional<QString> windowsPath(QString rest)
{
    rest.replace(u'\\', u'/');
    if (rest.startsWith(u'/') && startsWithDrive(rest.mid(1)) && !rest.startsWith(QStringLiteral("//"))) {
        rest.remove(0, 1); // file:///C:/… is the standard spelling of file://C:/…
    }
    QString path;
    if (startsWithDrive(rest)) {
        path = collapseSeparators(rest, 2);
        if (path.size() == 2) {
            path += u'/';
        }
    } else if (rest.startsWith(QStringLiteral("//"))) {
        path = QStringLiteral("//") + collapseSeparators(rest.mid(2), 0); // a UNC share: \\server\share
    } else if (rest.startsWith(QStringLiteral("localhost/"), Qt::CaseInsensitive)) {
        return windowsPath(rest.mid(9));
    } else if (!rest.isEmpty() && !rest.startsWith(u'/')) {
        path = QStringLiteral("//") + collapseSeparators(rest, 0); // file://server/share/…
    } else {
        return std::nullopt;
    }
    path.replace(u'/', u'\\');
    return path;
}

std::optional<QString> posixPath(const QString& rest)
{
    if (rest.startsWith(u'/')) {
        return collapseSeparators(rest, 0);
    }
    if (rest.startsWith(QStringLiteral("localhost/"), Qt::CaseInsensitive)) {
        return collapseSeparators(rest.mid(9), 0);
    }
    return std::nullopt;
}

bool hasPercentEscape(const QString& text)
{
    static const QRegularExpression escape(QStringLiteral("%[0-9A-Fa-f]{2}"));
    return text.contains(escape);
}

} // namespace

bool startsWithUrlScheme(const QString& text)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    return text.contains(scheme);
}

std::optional<QString> localPathFromUrlTextFor(const QString& urlText, PathStyle style)
{
    if (!urlText.startsWith(kFileScheme, Qt::CaseInsensitive)) {
        return std::nullopt;
    }
    const QString rest = urlText.mid(kFileScheme.size());
    return style == PathStyle::Windows ? windowsPath(rest) : posixPath(rest);
}

std::optional<QString> localPathFromUrlText(const QString& urlText)
{
    return localPathFromUrlTextFor(urlText, nativePathStyle());
}

std::optional<QString> resourcePathInFolder(const QString& folder, const QString& relativePath)
{
    const QString decoded = QUrl::fromPercentEncoding(relativePath.toUtf8());
    // Whatever still looks encoded after one decoding was encoded twice to slip past this check.
    if (decoded.isEmpty() || hasPercentEscape(decoded) || decoded.contains(QChar(0)) || decoded.contains(u'\\') ||
        decoded.contains(u':') || decoded.startsWith(u'/')) {
        return std::nullopt;
    }
    const QStringList segments = decoded.split(u'/');
    for (const QString& segment : segments) {
        if (segment == QStringLiteral("..")) {
            return std::nullopt;
        }
    }

    const QString root = QFileInfo(folder).canonicalFilePath();
    if (root.isEmpty()) {
        return std::nullopt;
    }
    const QFileInfo target(root + u'/' + decoded);
    const QString canonical = target.canonicalFilePath(); // resolves symlinks; empty when missing
    if (canonical.isEmpty() || !QFileInfo(canonical).isFile()) {
        return std::nullopt;
    }
    const Qt::CaseSensitivity cs = nativePathStyle() == PathStyle::Windows ? Qt::CaseInsensitive : Qt::CaseSensitive;
    const QString prefix = root.endsWith(u'/') ? root : root + u'/';
    if (!canonical.startsWith(prefix, cs)) {
        return std::nullopt;
    }
    return canonical;
}

} // namespace render
