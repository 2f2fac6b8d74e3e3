#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

// One folder per process, kept for all runs: files are rewritten, not created anew.
inline const QString& workFolder()
{
    static QTemporaryDir dir;
    static const QString path = dir.isValid() ? dir.path() : QString();
    if (path.isEmpty()) {
        std::abort();
    }
    return path;
}

inline QString writeFile(const QString& name, const QByteArray& bytes)
{
    const QString path = workFolder() + u'/' + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        std::abort();
    }
    return path;
}

inline QByteArray bytesOf(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// A property that must hold: a crash libFuzzer records with its input.
inline void require(bool condition, const char* what)
{
    if (condition) {
        return;
    }
    std::fprintf(stderr, "fuzz: does not hold: %s\n", what);
    std::abort();
}

} // namespace fuzz
