// The search index's tokenizer.

#pragma once

struct sqlite3;

// The search index's tokenizer: the engine's trigram tokenizer (every run of three characters,
// case folded) less the runs that hold white space. A run across a word break names the pair of
// neighbouring words rather than the text searched for, and there are as many of them as of all
// others, so leaving them out makes the index much smaller; a search that holds a run within a
// word still reads only the rows that hold it.
//
// Made with the argument `WordEnds`, it also keeps each word's last two characters and its last
// one. Then every one or two characters within a word start one of its kept pieces, so that a
// prefix query ("zq"*) names every row that holds them: a search for a letter or two that few
// rows hold reads only those rows instead of every row.
//
// Every connection that may write an indexed table needs it registered, since the index's
// triggers tokenize what they write.
class CWordTrigramTokenizer {
public:
    static constexpr const char* Name = "wordtrigram";
    static constexpr const char* WordEnds = "WordEnds";

    // Whether the index leaves out the runs that hold this character.
    static constexpr bool BreaksRuns(char32_t character) {
        return character == U' ' || (character >= U'\t' && character <= U'\r');
    }

    // Makes the tokenizer known to the connection; false when the engine lacks the trigram one.
    static bool Register(sqlite3* db);
};
