// The search index's tokenizer.

#pragma once

struct sqlite3;

// The search index's tokenizer: the engine's trigram tokenizer (every run of three characters,
// case folded) less the runs that hold white space. A run across a word break names the pair of
// neighbouring words rather than the text searched for, and there are as many of them as of all
// others, so leaving them out makes the index much smaller; a search that holds a run within a
// word still reads only the rows that hold it, and one without such a run is answered by Like
// alone. Every connection that may write an indexed table needs it registered, since the
// index's triggers tokenize what they write.
class CWordTrigramTokenizer {
public:
    static constexpr const char* Name = "wordtrigram";

    // Whether the index leaves out the runs that hold this character.
    static constexpr bool BreaksRuns(char32_t character) {
        return character == U' ' || (character >= U'\t' && character <= U'\r');
    }

    // Makes the tokenizer known to the connection; false when the engine lacks the trigram one.
    static bool Register(sqlite3* db);
};
