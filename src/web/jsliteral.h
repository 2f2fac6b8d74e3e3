#pragma once

#include <QJsonDocument>
#include <QString>
#include <QVariant>
#include <QVariantList>

namespace web {

// `value` written as a JavaScript literal, for a script the program runs in a page.
inline QString jsLiteral(const QVariant& value)
{
    // JSON is JavaScript; a one-element array, brackets cut off, takes any value.
    return QString::fromUtf8(QJsonDocument::fromVariant(QVariantList{value}).toJson(QJsonDocument::Compact))
        .mid(1)
        .chopped(1);
}

} // namespace web
