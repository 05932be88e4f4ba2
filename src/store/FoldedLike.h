// A Like pattern matched with Unicode case folding.

#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <string>
#include <vector>

struct sqlite3;

// A Like pattern matched with every letter's case folded the Unicode way: the engine's own Like
// folds ASCII letters only, so "über" would not find "Über". The wildcards are Like's: "%" any
// run of characters, "_" one character; there is no escape character.
class CFoldedLike {
public:
    explicit CFoldedLike(QStringView pattern);

    bool Matches(QString text) const;
    // The same on UTF-8 text; quicker when the pattern is ASCII without "_".
    bool MatchesUtf8(const char* text, int bytes) const;

    // Makes the engine's Like (the two-argument form) this one on the connection.
    static bool Register(sqlite3* db);

private:
    // Where the piece matches in `text` from `from` on; the end of the match in `end`.
    static qsizetype Find(QStringView text, qsizetype from, QStringView piece, qsizetype& end);
    static bool MatchesAt(QStringView text, qsizetype at, QStringView piece, qsizetype& end);

    // The folded pattern's pieces between its "%"; the first must start the text and the last
    // end it unless the pattern starts or ends with "%".
    QStringList pieces_;
    bool anchoredStart_ = true;
    bool anchoredEnd_ = true;
    // The pattern's pieces in lower case when they are ASCII without "_", else empty: then the
    // text's bytes are compared as they are, ASCII letters of either case alike. (The two other
    // characters that fold to ASCII letters, the Kelvin sign and the long s, stay themselves
    // there, as in the engine's Like.)
    std::vector<std::string> asciiPieces_;
    bool ascii_ = false;
};
