// Composes the page an item is read in: title, link, date and text inside the reading colours.

#include "app/ItemPage.h"

#include "text/MarkupText.h"

#include <QRegularExpression>
#include <QUrlQuery>
#include <algorithm>

QString FontSizeWord(int fontSize) {
    switch (fontSize) {
    case 7:
        return QStringLiteral("smallest");
    case 8:
        return QStringLiteral("smaller");
    case 10:
        return QStringLiteral("larger");
    case 12:
        return QStringLiteral("largest");
    default:
        return QStringLiteral("normal");
    }
}

int ZoomLevel(const QString& sizeWord) {
    static const QString words[] = {QStringLiteral("smallest"), QStringLiteral("smaller"),
                                    QStringLiteral("normal"), QStringLiteral("larger"),
                                    QStringLiteral("largest")};
    for (int i = 0; i < 5; ++i)
        if (words[i] == sizeWord)
            return i - 1;
    return 1;
}

namespace {

QString TitlePart(const CFeedItemRecord& item) {
    if (item.Link.isEmpty())
        return item.Title;
    return QStringLiteral("<a href='") + item.Link + QStringLiteral("'>") + item.Title +
           QStringLiteral("</a>");
}

QString DescriptionPart(const QString& description) {
    QString text = DecodeEntities(description);
    text.replace(u'\n', QStringLiteral("<br>"));
    text.replace(u'\t', QStringLiteral("&nbsp;&nbsp;"));
    return text.isEmpty() ? QStringLiteral("<br> - no description") : QStringLiteral("<br>") + text;
}

} // namespace

QString ComposeItemBody(const QString& feedTitle, const CFeedItemRecord& item,
                        const QString& dateText, const QString& description) {
    // The date and the author share the line under the title; the author is plain text.
    QStringList byline;
    if (!dateText.isEmpty())
        byline << dateText;
    if (!item.Author.isEmpty())
        byline << item.Author.toHtmlEscaped();
    const QString bylinePart = byline.isEmpty() ? QString()
                                                : QStringLiteral("<br><i>") +
                                                      byline.join(QStringLiteral(" \u2014 ")) +
                                                      QStringLiteral("</i>");
    return UnwrapCData(feedTitle + QStringLiteral("<br><br>") + TitlePart(item) + bylinePart +
                       DescriptionPart(description));
}

QString WrapItemPage(const QString& body, const PageColors& colors) {
    return QStringLiteral("<html><body bgcolor='#") + ColorToHex(colors.background) +
           QStringLiteral("' text='#") + ColorToHex(colors.text) + QStringLiteral("' link='#") +
           ColorToHex(colors.link) + QStringLiteral("'>") + body + QStringLiteral("</body></html>");
}

namespace {
// Mail programs attach the file a mail link names: a feed's link would send the reader's files.
bool NamesAttachment(const QUrl& mailLink) {
    const auto items = QUrlQuery(mailLink).queryItems(QUrl::FullyDecoded);
    return std::any_of(items.begin(), items.end(), [](const auto& item) {
        const QString name = item.first.trimmed().toLower();
        return name == u"attach" || name == u"attachment";
    });
}
} // namespace

bool IsOpenableLink(const QUrl& link) {
    const QString scheme = link.scheme().toLower();
    if (!link.isValid())
        return false;
    if (scheme == u"mailto")
        return !NamesAttachment(link);
    return (scheme == u"http" || scheme == u"https") && !link.host().isEmpty();
}

namespace {

constexpr int MaxTableDepth = 4;

QString WithoutScripts(const QString& html) {
    static const QRegularExpression script(QStringLiteral("<script\\b.*?(</script\\s*>|$)"),
                                           QRegularExpression::CaseInsensitiveOption |
                                               QRegularExpression::DotMatchesEverythingOption);
    return QString(html).remove(script);
}

QString WithShallowTables(const QString& html) {
    static const QRegularExpression tableTag(
        QStringLiteral("<\\s*(/?)\\s*(table|tbody|thead|tfoot|tr|td|th)\\b[^>]*>"),
        QRegularExpression::CaseInsensitiveOption);
    QString result;
    result.reserve(html.size());
    int depth = 0;
    qsizetype copied = 0;
    for (auto it = tableTag.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch tag = it.next();
        const bool closing = !tag.captured(1).isEmpty();
        const bool table =
            tag.captured(2).compare(QStringLiteral("table"), Qt::CaseInsensitive) == 0;
        if (table && !closing)
            ++depth;
        const bool dropped = depth > MaxTableDepth;
        if (table && closing && depth > 0)
            --depth;
        if (!dropped)
            continue;
        result += QStringView(html).mid(copied, tag.capturedStart() - copied);
        result += u' ';
        copied = tag.capturedEnd();
    }
    result += QStringView(html).mid(copied);
    return result;
}

} // namespace

QString DisplayableMarkup(const QString& html) {
    return WithShallowTables(WithoutScripts(html));
}
