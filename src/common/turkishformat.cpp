#include "common/turkishformat.h"

#include <QLocale>

namespace common {

namespace {

constexpr double kMiB = 1024.0 * 1024.0;

const QLocale& turkish()
{
    static const QLocale locale(QLocale::Turkish, QLocale::Turkey);
    return locale;
}

} // namespace

QString number(qint64 value)
{
    return turkish().toString(value);
}

QString decimal(double value, int decimals)
{
    return turkish().toString(value, 'f', decimals);
}

QString megabytes(qint64 bytes, int decimals)
{
    return decimal(double(bytes) / kMiB, decimals);
}

QString sizeText(qint64 bytes)
{
    if (bytes < qint64(1024) * 1024 * 1024) {
        return QStringLiteral("%1 MB").arg(qRound64(double(bytes) / kMiB));
    }
    return QStringLiteral("%1 GB").arg(decimal(double(bytes) / (kMiB * 1024.0), 1));
}

} // namespace common
