#include "feeds/FeedLinks.h"

#include <vector>

namespace {

bool StartsWithWebScheme(QStringView text) {
    return text.startsWith(u"http://", Qt::CaseInsensitive) ||
           text.startsWith(u"https://", Qt::CaseInsensitive);
}

QUrl Refined(const QUrl& base, const QString& reference) {
    const QUrl url(reference.trimmed());
    if (!url.isRelative())
        return url;
    return base.isEmpty() ? QUrl() : base.resolved(url);
}

} // namespace

QUrl LinkBase(const CXmlNode* node, const QString& documentAddress) {
    std::vector<const CXmlNode*> path;
    for (; node; node = node->Parent)
        path.push_back(node);
    QUrl base = StartsWithWebScheme(documentAddress) ? QUrl(documentAddress) : QUrl();
    for (auto it = path.rbegin(); it != path.rend(); ++it)
        if (const QString xmlBase = CXmlDocument::GetAttribute(*it, QStringLiteral("xml:base"));
            !xmlBase.isEmpty())
            base = Refined(base, xmlBase);
    return base;
}

QString ResolveLink(const QString& href, const QUrl& base) {
    // Most links are absolute already; they stay exactly as written.
    if (href.isEmpty() || StartsWithWebScheme(href.trimmed()) || base.isEmpty() ||
        base.isRelative())
        return href;
    const QUrl url(href.trimmed());
    return url.isRelative() ? base.resolved(url).toString() : href;
}

bool IsWebAddress(const QString& text) {
    return StartsWithWebScheme(text.trimmed());
}

bool IsAlternateLink(const CXmlNode* link) {
    const QString rel = CXmlDocument::GetAttribute(link, QStringLiteral("rel"));
    return rel.isEmpty() || rel == u"alternate";
}
