#include "selection/foldermemory.h"

#include "common/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace selection {

namespace {

// The system's 8-bit code page on Windows, UTF-8 elsewhere.
constexpr auto kEncoding = QStringConverter::System;

QString defaultPlace(const QString& programFolder, const QList<Volume>& volumes)
{
    const std::optional<Volume> volume = volumeOf(volumes, programFolder);
    if (!volume)
        return {};
    return driveText(*volume) + QLatin1Char('\t') + programFolder;
}

// The first line, or nothing when the file cannot be read or holds no usable line.
std::optional<QString> readFirstLine(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray line = file.readLine(64 * 1024);
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    QStringDecoder decode(kEncoding);
    const QString text = decode(line);
    if (decode.hasError() || !text.contains(QLatin1Char('\t')))
        return std::nullopt;
    return text;
}

} // namespace

FolderMemory::FolderMemory(QString filePath) : m_filePath(std::move(filePath)) {}

QString FolderMemory::locate(const QString& programFolder, const QString& configFolder)
{
    const QString beside = app::pathJoin(programFolder, QString::fromLatin1(kFileName));
    const QFileInfo file(beside);
    const bool usable = file.exists() ? file.isWritable() && QFileInfo(programFolder).isWritable()
                                      : QFileInfo(programFolder).isWritable();
    if (usable || configFolder.isEmpty())
        return beside;
    return app::pathJoin(QDir::toNativeSeparators(configFolder), QString::fromLatin1(kFileName));
}

QString FolderMemory::save(const QString& drive, const QString& folder) const
{
    const QString folderOfFile = QFileInfo(m_filePath).absolutePath();
    if (!QDir().mkpath(folderOfFile))
        return QStringLiteral("Klasör hafıza dosyası “%1” yazılamadı: “%2” klasörü oluşturulamadı.")
            .arg(m_filePath, QDir::toNativeSeparators(folderOfFile));
    QStringEncoder encode(kEncoding);
    const QByteArray bytes = encode(drive + QLatin1Char('\t') + folder + QStringLiteral("\r\n"));
    // Written beside and renamed over, so a failed write never leaves a half-written line.
    QSaveFile file(m_filePath);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return QStringLiteral("Klasör hafıza dosyası “%1” yazılamadı: %2").arg(m_filePath, file.errorString());
    return {};
}

QString FolderMemory::restore(const QString& programFolder, const QList<Volume>& volumes) const
{
    if (!app::fileExists(m_filePath))
        return defaultPlace(programFolder, volumes);
    const std::optional<QString> line = readFirstLine(m_filePath);
    if (!line)
        return defaultPlace(programFolder, volumes);
    const QStringList fields = line->split(QLatin1Char('\t'));
    if (!app::folderExists(fields.at(1)) || !volumeForDriveText(volumes, fields.at(0)))
        return {};
    return *line;
}

} // namespace selection
