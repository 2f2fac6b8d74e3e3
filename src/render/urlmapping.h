#pragma once

#include <QString>

#include <optional>

namespace render {

// The local file a Navigate2 URL text names: "file://" + folder with '/' + '/' + name, nothing
// percent-decoded, doubled '/' after a root folder accepted, "file://C:/…" on Windows.
// std::nullopt when the text is not a file:// URL.
std::optional<QString> localPathFromUrlText(const QString& urlText);

// A resource the page asks for by a relative path, resolved inside `folder` and never outside
// it ("..", absolute paths, symlinks leading out, and percent-encoded tricks refused).
// `relativePath` is the request URL's path below the page, still percent-encoded as in the URL
// (QUrl::path(QUrl::FullyEncoded)); it is decoded exactly once here. std::nullopt when refused
// or when no such regular file exists. The result is the file's canonical path.
std::optional<QString> resourcePathInFolder(const QString& folder, const QString& relativePath);

// Whether `text` begins with a URL scheme of two letters or more ("http:", "data:"): a one-letter
// "scheme" is a Windows drive.
bool startsWithUrlScheme(const QString& text);

enum class PathStyle
{
    Posix,
    Windows
};

// The running platform's style (chosen by the build: urlmapping_unix.cpp or urlmapping_win.cpp).
PathStyle nativePathStyle();

// localPathFromUrlText for either platform's paths, so both can be tested anywhere.
std::optional<QString> localPathFromUrlTextFor(const QString& urlText, PathStyle style);

} // namespace render
