// Resolving a feed's relative links against the document address and xml:base.

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
        base = ChildLinkBase(*it, base);
    return base;
}

QUrl ChildLinkBase(const CXmlNode* node, const QUrl& parentBase) {
    const QString xmlBase = CXmlDocument::GetAttribute(node, QStringLiteral("xml:base"));
    return xmlBase.isEmpty() ? parentBase : Refined(parentBase, xmlBase);
}

QString ResolveLink(const QString& href, const QUrl& base) {
    // Most links are absolute already; they stay exactly as written.
    if (href.isEmpty() || StartsWithWebScheme(href.trimmed()) || base.isEmpty() ||
        base.isRelative())
        return href;
    const QUrl url(href.trimmed());
    return url.isRelative() ? base.resolved(url).toString() : href;
}

namespace {

bool HasScheme(QStringView reference) {
    const qsizetype colon = reference.indexOf(u':');
    if (colon < 1 || !reference.front().isLetter())
        return false;
    for (const QChar c : reference.first(colon))
        if (!c.isLetterOrNumber() && c != u'+' && c != u'.' && c != u'-')
            return false;
    return true;
}

// A reference with a scheme of its own, or one into the page itself, stays as written.
bool IsRelativeReference(QStringView value) {
    const QStringView trimmed = value.trimmed();
    return !trimmed.isEmpty() && !trimmed.startsWith(u'#') && !HasScheme(trimmed);
}

// Markup may be raw or escaped once, so its angle brackets and quotes come in two spellings.
constexpr QStringView Quotes[] = {u"\"", u"'", u"&quot;", u"&#34;", u"&apos;", u"&#39;"};

// How far back a tag may have opened, and how long a value may run: bounded, so that hostile
// markup costs no more than a scan.
constexpr qsizetype MaxTagReach = 1024;
constexpr qsizetype MaxValueLength = 4096;

bool EndsWithAny(QStringView text, std::initializer_list<QStringView> endings) {
    for (const QStringView ending : endings)
        if (text.endsWith(ending))
            return true;
    return false;
}

// Whether the attribute name ending at `end` lies inside a tag: a tag opener comes before it
// with no closer in between.
bool InsideTag(QStringView markup, qsizetype end) {
    const qsizetype from = qMax<qsizetype>(0, end - MaxTagReach);
    for (qsizetype at = end; at > from; --at) {
        const QStringView before = markup.mid(from, at - from);
        if (EndsWithAny(before, {u">", u"&gt;"}))
            return false;
        if (EndsWithAny(before, {u"<", u"&lt;"}))
            return true;
    }
    return false;
}

// The attribute name that ends just before the "=" at `equals` (blanks allowed between), when
// it is href or src and stands on its own.
bool IsLinkAttribute(QStringView markup, qsizetype equals) {
    qsizetype end = equals;
    while (end > 0 && markup[end - 1].isSpace())
        --end;
    for (const QStringView name : {QStringView(u"href"), QStringView(u"src")}) {
        const qsizetype start = end - name.size();
        if (start > 0 && markup[start - 1].isSpace() &&
            markup.mid(start, name.size()).compare(name, Qt::CaseInsensitive) == 0)
            return InsideTag(markup, start);
    }
    return false;
}

// The quoted value after the "=" at `equals`: its start and length, or a negative start.
std::pair<qsizetype, qsizetype> QuotedValue(QStringView markup, qsizetype equals) {
    qsizetype at = equals + 1;
    while (at < markup.size() && markup[at].isSpace())
        ++at;
    for (const QStringView quote : Quotes) {
        if (!markup.mid(at).startsWith(quote))
            continue;
        const qsizetype start = at + quote.size();
        const qsizetype close = markup.mid(start, MaxValueLength).indexOf(quote);
        return close < 0 ? std::pair<qsizetype, qsizetype>{-1, 0} : std::pair{start, close};
    }
    return {-1, 0};
}

} // namespace

QString ResolveContentLinks(const QString& markup, const QUrl& base) {
    if (base.isEmpty() || base.isRelative())
        return markup;
    QString resolved;
    qsizetype copied = 0;
    for (qsizetype equals = markup.indexOf(u'='); equals >= 0;
         equals = markup.indexOf(u'=', equals + 1)) {
        if (!IsLinkAttribute(markup, equals))
            continue;
        const auto [start, length] = QuotedValue(markup, equals);
        if (start < 0 || !IsRelativeReference(QStringView(markup).mid(start, length)))
            continue;
        resolved += QStringView(markup).mid(copied, start - copied);
        const QUrl reference(QStringView(markup).mid(start, length).trimmed().toString());
        resolved += base.resolved(reference).toString(QUrl::FullyEncoded);
        copied = start + length;
        equals = copied;
    }
    if (copied == 0)
        return markup;
    resolved += QStringView(markup).mid(copied);
    return resolved;
}

bool IsWebAddress(const QString& text) {
    return StartsWithWebScheme(text.trimmed());
}

bool IsAlternateLink(const CXmlNode* link) {
    const QString rel = CXmlDocument::GetAttribute(link, QStringLiteral("rel"));
    return rel.isEmpty() || rel == u"alternate";
}
