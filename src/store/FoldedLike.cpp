// A Like pattern matched with Unicode case folding.

#include "store/FoldedLike.h"

#include <algorithm>
#include <sqlite3.h>
#include <string_view>
#include <utility>

CFoldedLike::CFoldedLike(QStringView pattern) {
    const QString folded = pattern.toString().toCaseFolded();
    pieces_ = folded.split(u'%');
    anchoredStart_ = !folded.startsWith(u'%');
    anchoredEnd_ = !folded.endsWith(u'%');
    const QString raw = pattern.toString();
    ascii_ = !raw.contains(u'_') &&
             std::all_of(raw.cbegin(), raw.cend(), [](QChar c) { return c.unicode() < 0x80; });
    if (ascii_)
        for (const QString& piece : raw.toLower().split(u'%'))
            asciiPieces_.push_back(piece.toStdString());
}

namespace {

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool AsciiEqual(std::string_view text, std::string_view lowerPiece) {
    return std::equal(text.cbegin(), text.cend(), lowerPiece.cbegin(), lowerPiece.cend(),
                      [](char a, char b) { return AsciiLower(a) == b; });
}

// Where the lower-case piece starts in the text from `from` on, ASCII letters of either case
// alike; npos when nowhere.
std::size_t AsciiFind(std::string_view text, std::size_t from, std::string_view lowerPiece) {
    if (lowerPiece.empty())
        return from;
    const char first = lowerPiece.front();
    const char upper = first >= 'a' && first <= 'z' ? char(first - 'a' + 'A') : first;
    for (std::size_t at = from; at + lowerPiece.size() <= text.size(); ++at) {
        const char c = text[at];
        if ((c == first || c == upper) &&
            AsciiEqual(text.substr(at, lowerPiece.size()), lowerPiece))
            return at;
    }
    return std::string_view::npos;
}

} // namespace

bool CFoldedLike::MatchesUtf8(const char* text, int bytes) const {
    if (!ascii_)
        return Matches(QString::fromUtf8(text, bytes));
    const std::string_view subject(text, std::size_t(bytes));
    std::size_t position = 0;
    for (std::size_t i = 0; i < asciiPieces_.size(); ++i) {
        const std::string_view piece(asciiPieces_[i]);
        const bool first = i == 0;
        const bool last = i == asciiPieces_.size() - 1;
        if (last && anchoredEnd_)
            return subject.size() >= position + piece.size() &&
                   (!first || !anchoredStart_ || subject.size() == piece.size()) &&
                   AsciiEqual(subject.substr(subject.size() - piece.size()), piece);
        if (first && anchoredStart_) {
            if (subject.size() < piece.size() ||
                !AsciiEqual(subject.substr(0, piece.size()), piece))
                return false;
            position = piece.size();
            continue;
        }
        const std::size_t found = AsciiFind(subject, position, piece);
        if (found == std::string_view::npos)
            return false;
        position = found + piece.size();
    }
    return true;
}

// "_" is one character: a surrogate pair counts as one.
bool CFoldedLike::MatchesAt(QStringView text, qsizetype at, QStringView piece, qsizetype& end) {
    qsizetype position = at;
    for (QChar wanted : piece) {
        if (position >= text.size())
            return false;
        if (wanted == u'_') {
            position += text[position].isHighSurrogate() && position + 1 < text.size() &&
                                text[position + 1].isLowSurrogate()
                            ? 2
                            : 1;
        } else if (text[position++] != wanted) {
            return false;
        }
    }
    end = position;
    return true;
}

qsizetype CFoldedLike::Find(QStringView text, qsizetype from, QStringView piece, qsizetype& end) {
    if (!piece.contains(u'_')) {
        const qsizetype found = text.indexOf(piece, from);
        end = found + piece.size();
        return found;
    }
    for (qsizetype at = from; at <= text.size(); ++at)
        if (MatchesAt(text, at, piece, end))
            return at;
    return -1;
}

// The pieces are taken in order, each at the first place it fits after the one before: a
// later piece can only fit the better for an earlier one ending sooner.
bool CFoldedLike::Matches(QString text) const {
    const QString folded = std::move(text).toCaseFolded();
    const QStringView subject(folded);
    qsizetype position = 0;
    qsizetype end = 0;
    for (qsizetype i = 0; i < pieces_.size(); ++i) {
        const QStringView piece(pieces_[i]);
        const bool first = i == 0;
        const bool last = i == pieces_.size() - 1;
        if (last && anchoredEnd_) {
            // The last piece ends the text: it fits at the end or not at all.
            const qsizetype at = subject.size() - piece.size();
            if (piece.contains(u'_')) {
                // Surrogate pairs make the length of "_" vary: try each place from here.
                for (qsizetype from = position; from <= subject.size(); ++from)
                    if ((!first || !anchoredStart_ || from == 0) &&
                        MatchesAt(subject, from, piece, end) && end == subject.size())
                        return true;
                return false;
            }
            return at >= position && (!first || !anchoredStart_ || at == 0) &&
                   subject.sliced(at) == piece;
        }
        if (first && anchoredStart_) {
            if (!MatchesAt(subject, 0, piece, end))
                return false;
            position = end;
            continue;
        }
        if (piece.isEmpty())
            continue;
        if (Find(subject, position, piece, end) < 0)
            return false;
        position = end;
    }
    return true;
}

namespace {

void DeletePattern(void* pattern) {
    delete static_cast<CFoldedLike*>(pattern);
}

QString Text(sqlite3_value* value) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    return QString::fromUtf8(text, sqlite3_value_bytes(value));
}

// like(pattern, text), as the engine calls it for "text Like pattern". The pattern of a statement
// is the same on every row: it is folded once and kept with the statement.
void Like(sqlite3_context* context, int, sqlite3_value** arguments) {
    if (sqlite3_value_type(arguments[0]) == SQLITE_NULL ||
        sqlite3_value_type(arguments[1]) == SQLITE_NULL)
        return;
    auto* pattern = static_cast<CFoldedLike*>(sqlite3_get_auxdata(context, 0));
    if (!pattern) {
        pattern = new CFoldedLike(Text(arguments[0]));
        sqlite3_set_auxdata(context, 0, pattern, DeletePattern);
        pattern = static_cast<CFoldedLike*>(sqlite3_get_auxdata(context, 0));
        if (!pattern) {
            sqlite3_result_error_nomem(context);
            return;
        }
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(arguments[1]));
    sqlite3_result_int(context,
                       pattern->MatchesUtf8(text, sqlite3_value_bytes(arguments[1])) ? 1 : 0);
}

} // namespace

bool CFoldedLike::Register(sqlite3* db) {
    return sqlite3_create_function_v2(db, "like", 2,
                                      SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
                                      nullptr, Like, nullptr, nullptr, nullptr) == SQLITE_OK;
}
