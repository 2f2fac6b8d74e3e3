#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

struct _xmlDoc;
struct _xmlNode;

namespace htmlcheck {

// An XML or HTML document that answers XPath questions. XML documents know the e-Defter
// namespaces under the prefixes e, xbrli, cor, bus, muc, ds and xades.
class Document
{
public:
    static Document xml(const QByteArray& text);
    static Document html(const QByteArray& text);

    [[nodiscard]] bool isValid() const { return m_doc != nullptr; }
    [[nodiscard]] std::vector<_xmlNode*> nodes(const QString& xpath, _xmlNode* context = nullptr) const;
    [[nodiscard]] int count(const QString& xpath, _xmlNode* context = nullptr) const;
    // The XPath string() of the expression, whitespace-normalised.
    [[nodiscard]] QString text(const QString& xpath, _xmlNode* context = nullptr) const;

private:
    std::shared_ptr<_xmlDoc> m_doc;
};

struct Transform
{
    QByteArray html;
    QString errors; // everything the engine reported; empty on a clean run
};

// Applies the stylesheet with plain libxslt, no extension modules, no network.
Transform transform(const QString& stylesheetPath, const QByteArray& ledger);

// 1234567.891 -> "1.234.567,89"
QString turkishAmount(double value);
// "2024-03-05" -> "05.03.2024"
QString turkishDate(const QString& isoDate);

} // namespace htmlcheck
