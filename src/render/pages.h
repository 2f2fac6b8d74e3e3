#pragma once

#include <QByteArray>
#include <QString>

#include <libxml/tree.h>

namespace render::detail {

// A document without a stylesheet, shown as an indented, escaped XML tree. Linear in the
// document's size; long texts (base64 attachments) are shortened with a note.
QByteArray xmlTreePage(xmlDocPtr doc, const QString& path);

} // namespace render::detail
