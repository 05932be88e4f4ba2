// Text helpers: entities, escaping, tags, CDATA, control characters and links in feed text.

#include "text/MarkupText.h"

#include "text/HtmlReferences.h"
#include "text/NumberText.h"

#include <algorithm>
#include <array>
#include <optional>

namespace {

// A named reference longer than this is never decoded.
constexpr qsizetype LongestNamedReference = 8;
// A numeric reference with more digits than this is never decoded; eight hold every code point
// in either base.
constexpr qsizetype MostReferenceDigits = 8;

struct NamedReference {
    const char16_t* name;
    char16_t character;
};

// Matched after lower-casing the reference, in this order.
constexpr NamedReference BasicReferences[] = {
    {u"&amp;", u'&'},    {u"&nbsp;", u' '},   {u"&gt;", u'>'},     {u"&lt;", u'<'},
    {u"&quot;", u'"'},   {u"&apos;", u'\''},  {u"&sp;", u' '},     {u"&excl;", u'!'},
    {u"&num;", u'#'},    {u"&dollar;", u'$'}, {u"&percnt;", u'%'}, {u"&lpar;", u'('},
    {u"&rpar;", u')'},   {u"&ast;", u'*'},    {u"&plus;", u'+'},   {u"&comma;", u','},
    {u"&hyphen;", u'-'}, {u"&period;", u'.'}, {u"&sol;", u'/'},    {u"&colon;", u':'},
    {u"&semi;", u';'},   {u"&equals;", u'='}, {u"&quest;", u'?'},  {u"&lsqb;", u'['},
    {u"&rsqb;", u']'},   {u"&bsol;", u'\\'},
};

// The HTML 4 names of U+00A1 to U+00FF in code point order; matched exactly as written.
constexpr std::array<const char16_t*, 95> Latin1Names = {
    u"iexcl",  u"cent",   u"pound",  u"curren", u"yen",    u"brvbar", u"sect",   u"uml",
    u"copy",   u"ordf",   u"laquo",  u"not",    u"shy",    u"reg",    u"macr",   u"deg",
    u"plusmn", u"sup2",   u"sup3",   u"acute",  u"micro",  u"para",   u"middot", u"cedil",
    u"sup1",   u"ordm",   u"raquo",  u"frac14", u"frac12", u"frac34", u"iquest", u"Agrave",
    u"Aacute", u"Acirc",  u"Atilde", u"Auml",   u"Aring",  u"AElig",  u"Ccedil", u"Egrave",
    u"Eacute", u"Ecirc",  u"Euml",   u"Igrave", u"Iacute", u"Icirc",  u"Iuml",   u"ETH",
    u"Ntilde", u"Ograve", u"Oacute", u"Ocirc",  u"Otilde", u"Ouml",   u"times",  u"Oslash",
    u"Ugrave", u"Uacute", u"Ucirc",  u"Uuml",   u"Yacute", u"THORN",  u"szlig",  u"agrave",
    u"aacute", u"acirc",  u"atilde", u"auml",   u"aring",  u"aelig",  u"ccedil", u"egrave",
    u"eacute", u"ecirc",  u"euml",   u"igrave", u"iacute", u"icirc",  u"iuml",   u"eth",
    u"ntilde", u"ograve", u"oacute", u"ocirc",  u"otilde", u"ouml",   u"divide", u"oslash",
    u"ugrave", u"uacute", u"ucirc",  u"uuml",   u"yacute", u"thorn",  u"yuml",
};

// NUL and the other C0 controls but tab, line feed and carriage return: no XML file may hold
// them, so no stored text does either.
bool IsForbiddenControl(char32_t c) {
    return c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r';
}

// A code point above U+FFFF becomes its surrogate pair. What is no character a text may hold
// (a forbidden control, half a surrogate pair, a number beyond Unicode, a negative one) becomes
// U+FFFD.
QString CodePointText(int code) {
    const bool character = code >= 0 && code <= 0x10FFFF && !IsForbiddenControl(char32_t(code)) &&
                           !QChar::isSurrogate(char32_t(code));
    const char32_t codePoint = character ? char32_t(code) : char32_t(QChar::ReplacementCharacter);
    return QString::fromUcs4(&codePoint, 1);
}

// "&#8217;" and "&#x2019;" (or "&#X2019;"); digits read as far as they go.
std::optional<QString> NumericReferenceText(QStringView reference) {
    const bool hexadecimal = reference.startsWith(u"&#x", Qt::CaseInsensitive);
    const QStringView digits = reference.mid(hexadecimal ? 3 : 2).chopped(1);
    if (digits.size() > MostReferenceDigits)
        return std::nullopt;
    return CodePointText(ReadLeadingInt(digits, INT_MAX, hexadecimal ? 16 : 10));
}

std::optional<QChar> NamedReferenceCharacter(QStringView reference) {
    const QString lowered = reference.toString().toLower();
    for (const auto& [name, character] : BasicReferences)
        if (lowered == QStringView(name))
            return QChar(character);
    const QStringView name = reference.mid(1, reference.size() - 2);
    for (std::size_t i = 0; i < Latin1Names.size(); ++i)
        if (name == QStringView(Latin1Names[i]))
            return QChar(char16_t(0xA1 + i));
    return std::nullopt;
}

std::optional<QString> ReferenceText(QStringView reference) {
    if (reference.startsWith(u"&#"))
        return NumericReferenceText(reference);
    // Only HTML's names run past the length of the references the program always read.
    if (reference.size() > LongestNamedReference)
        return HtmlNamedReferenceText(reference);
    // A short reference with a '#' anywhere else reads as a number all the same.
    if (reference.contains(u'#'))
        return NumericReferenceText(reference);
    if (const auto character = NamedReferenceCharacter(reference))
        return QString(*character);
    return HtmlNamedReferenceText(reference);
}

void ChopTrailingSpace(QString& text) {
    qsizetype end = text.size();
    while (end > 0 && text[end - 1].isSpace())
        --end;
    text.truncate(end);
}

// What EscapeXml writes for a character; empty for one kept as it is.
QStringView XmlEscape(QChar c) {
    switch (c.unicode()) {
    case u'&':
        return u"&amp;";
    case u'<':
        return u"&lt;";
    case u'>':
        return u"&gt;";
    case u'"':
        return u"&quot;";
    case u'\'':
        return u"&#039;";
    default:
        return {};
    }
}

// Characters checked together for forbidden controls: a whole feed is checked on every load,
// and a check without an early exit inside a block lets the compiler test many characters at
// once.
constexpr qsizetype ControlCheckBlock = 64;

// IsForbiddenControl spelled with & instead of &&: without branches, and with the flag as wide as
// a character, g++ -O2 vectorizes the loop.
template <typename Char> bool BlockHoldsForbiddenControl(const Char* block) {
    Char found = 0;
    for (qsizetype i = 0; i < ControlCheckBlock; ++i) {
        const Char c = block[i];
        found |= (c < 0x20) & (c != u'\t') & (c != u'\n') & (c != u'\r');
    }
    return found;
}

template <typename Char> qsizetype FirstForbiddenControlOf(const Char* chars, qsizetype size) {
    qsizetype from = 0;
    while (from + ControlCheckBlock <= size && !BlockHoldsForbiddenControl(chars + from))
        from += ControlCheckBlock;
    for (qsizetype i = from; i < size; ++i)
        if (IsForbiddenControl(chars[i]))
            return i;
    return -1;
}

} // namespace

qsizetype FirstForbiddenControl(QStringView text) {
    return FirstForbiddenControlOf(text.utf16(), text.size());
}

qsizetype FirstForbiddenControl(QByteArrayView bytes) {
    return FirstForbiddenControlOf(reinterpret_cast<const uchar*>(bytes.data()), bytes.size());
}

QString ReplaceForbiddenControls(QString text) {
    const qsizetype first = FirstForbiddenControl(text);
    if (first < 0)
        return text;
    for (qsizetype i = first; i < text.size(); ++i)
        if (IsForbiddenControl(text.at(i).unicode()))
            text[i] = QChar::ReplacementCharacter;
    return text;
}

QString DecodeEntities(const QString& text) {
    QString result;
    result.reserve(text.size());
    qsizetype copied = 0;
    // A replaced character is never the start of another reference: the search goes on past
    // the reference just decoded.
    for (qsizetype amp = text.indexOf(u'&'); amp >= 0;) {
        const qsizetype semicolon = text.indexOf(u';', amp);
        if (semicolon < 0)
            break;
        const auto replacement = ReferenceText(QStringView(text).mid(amp, semicolon - amp + 1));
        if (replacement) {
            result += QStringView(text).mid(copied, amp - copied);
            result += *replacement;
            copied = semicolon + 1;
            amp = text.indexOf(u'&', copied);
        } else {
            amp = text.indexOf(u'&', amp + 1);
        }
    }
    result += QStringView(text).mid(copied);
    return result;
}

namespace {

// Where the text that a tag at `open` hides from a reader ends (its last '>'): the end of a
// comment, or the end tag of a script or style element, whose content is code, not text. -1 for
// other tags, and for such a tag that is never closed.
qsizetype HiddenTextEnd(QStringView markup, qsizetype open) {
    const QStringView tag = markup.mid(open);
    if (tag.startsWith(u"<!--")) {
        const qsizetype end = markup.indexOf(u"-->", open + 4);
        return end < 0 ? -1 : end + 2;
    }
    for (const QStringView element : {QStringView(u"script"), QStringView(u"style")}) {
        const QStringView after = tag.mid(1 + element.size());
        if (!tag.mid(1).startsWith(element, Qt::CaseInsensitive) ||
            (!after.isEmpty() && after.front().isLetterOrNumber()))
            continue;
        const QString endTag = QStringLiteral("</") + element.toString();
        const qsizetype end = markup.indexOf(endTag, open, Qt::CaseInsensitive);
        return end < 0 ? -1 : markup.indexOf(u'>', end);
    }
    return -1;
}

} // namespace

QString StripTags(const QString& text) {
    const QString unwrapped = UnwrapCData(text);
    QString result;
    result.reserve(unwrapped.size());
    qsizetype pos = 0;
    for (qsizetype open = unwrapped.indexOf(u'<'); open >= 0; open = unwrapped.indexOf(u'<', pos)) {
        result += QStringView(unwrapped).mid(pos, open - pos);
        const qsizetype hiddenEnd = HiddenTextEnd(unwrapped, open);
        const qsizetype close = hiddenEnd >= 0 ? hiddenEnd : unwrapped.indexOf(u'>', open + 1);
        if (close < 0) {
            pos = open;
            break;
        }
        ChopTrailingSpace(result);
        result += u' ';
        pos = close + 1;
    }
    result += QStringView(unwrapped).mid(pos);
    return result.trimmed().replace(u'\t', u' ');
}

QString PlainText(const QString& markup) {
    return DecodeEntities(StripTags(DecodeEntities(markup)));
}

QString UnwrapCData(const QString& text) {
    static const QString open = QStringLiteral("<![CDATA[");
    static const QString close = QStringLiteral("]]>");
    QString result;
    result.reserve(text.size());
    qsizetype pos = 0;
    // Only the first marker is found whatever its case; later ones must be written exactly.
    for (qsizetype start = text.indexOf(open, 0, Qt::CaseInsensitive); start >= 0;
         start = text.indexOf(open, pos)) {
        result += QStringView(text).mid(pos, start - pos);
        const qsizetype contentStart = start + open.size();
        const qsizetype end = text.indexOf(close, contentStart);
        if (end < 0) {
            pos = start;
            break;
        }
        ChopTrailingSpace(result);
        result += u' ';
        result += QStringView(text).mid(contentStart, end - contentStart).trimmed();
        pos = end + close.size();
    }
    result += QStringView(text).mid(pos);
    return result.trimmed();
}

// Measured first and written in place, runs of plain characters copied whole: feed readers
// escape whole articles with it.
QString EscapeXml(const QString& text) {
    if (FirstForbiddenControl(text) >= 0)
        return EscapeXml(ReplaceForbiddenControls(text));
    // Every character that needs escaping sorts below 64, so one bit mask tells them apart:
    // this loop runs over whole articles.
    constexpr quint64 Specials =
        1ull << u'&' | 1ull << u'<' | 1ull << u'>' | 1ull << u'"' | 1ull << u'\'';
    auto special = [](QChar c) { return c.unicode() < 64 && (Specials >> c.unicode() & 1); };
    qsizetype length = text.size();
    for (const QChar c : text)
        if (special(c))
            length += XmlEscape(c).size() - 1;
    if (length == text.size())
        return text;
    QString result(length, Qt::Uninitialized);
    QChar* out = result.data();
    const QChar* run = text.constData();
    const QChar* const end = run + text.size();
    for (const QChar* c = run; c != end; ++c) {
        if (!special(*c))
            continue;
        out = std::copy(run, c, out);
        const QStringView escape = XmlEscape(*c);
        out = std::copy(escape.begin(), escape.end(), out);
        run = c + 1;
    }
    std::copy(run, end, out);
    return result;
}

QString EscapeMarkup(const QString& text) {
    QString result = text;
    return result.replace(u'<', QStringLiteral("&lt;"))
        .replace(u'>', QStringLiteral("&gt;"))
        .replace(u'\'', QStringLiteral("&#039;"))
        .replace(u'"', QStringLiteral("&quot;"));
}

QString RewriteRelativeLinks(const QString& html, const QString& pageUrl) {
    qsizetype separator = pageUrl.lastIndexOf(u'/');
    if (separator < 0)
        separator = pageUrl.lastIndexOf(u'\\');
    const QString base = separator >= 0 ? pageUrl.left(separator + 1) : pageUrl;

    static const char16_t* const openings[] = {u"href=\"", u"src=\"", u"href='", u"src='"};
    static const char16_t* const absoluteStarts[] = {u"http", u"ftp", u"#"};
    QString page = html;
    for (const char16_t* opening : openings) {
        const QString quoted = QString::fromUtf16(opening);
        // "href~~http": absolute values are hidden while the base goes in front of the rest.
        const QString marker = quoted.left(quoted.size() - 2) + QStringLiteral("~~");
        for (const char16_t* start : absoluteStarts)
            page.replace(quoted + QString::fromUtf16(start), marker + QString::fromUtf16(start));
        page.replace(quoted, quoted + base);
        page.replace(marker, quoted);
    }
    return page;
}

QString BreakLongWords(const QString& text, int maxRun) {
    QString result;
    result.reserve(text.size() + text.size() / qMax(maxRun, 1));
    int run = 0;
    for (const QChar c : text) {
        result += c;
        run = (c == u' ' || c == u'\n' || c == u'\r' || c == u'\t') ? 0 : run + 1;
        if (run > maxRun) {
            result += u' ';
            run = 0;
        }
    }
    return result;
}

QString ColorToHex(quint32 color) {
    auto hexByte = [](quint32 value) {
        return QString::number(value & 0xFF, 16).toUpper().rightJustified(2, u'0');
    };
    return hexByte(color) + hexByte(color >> 8) + hexByte(color >> 16);
}
