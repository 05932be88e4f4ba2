// The search index's tokenizer: case-folded trigrams that do not hold white space, and the ends
// of words.

#include "store/WordTrigramTokenizer.h"

#include <algorithm>
#include <cstring>
#include <sqlite3.h>
#include <string>

namespace {

// One tokenizer made for a table: the engine's trigram tokenizer made with the other arguments.
struct WordTrigrams {
    fts5_tokenizer trigram;
    Fts5Tokenizer* instance = nullptr;
    bool wordEnds = false;
};

// Where the runs the trigram tokenizer finds go when they are kept.
struct TokenSink {
    void* context;
    int (*token)(void* context, int flags, const char* text, int length, int start, int end);
    // The length of the text before it was padded; the ends of the pieces stay within it.
    int length;
    bool wordEnds;
    // A query for fewer than three characters: its one piece, the first run's start, is taken.
    bool shortQuery;
    bool taken = false;
};

fts5_api* Fts5Api(sqlite3* db) {
    fts5_api* api = nullptr;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT fts5(?1)", -1, &statement, nullptr) != SQLITE_OK)
        return nullptr;
    sqlite3_bind_pointer(statement, 1, &api, "fts5_api_ptr", nullptr);
    sqlite3_step(statement);
    sqlite3_finalize(statement);
    return api;
}

int Create(void* context, const char** arguments, int count, Fts5Tokenizer** made) {
    fts5_api* api = static_cast<fts5_api*>(context);
    auto* tokenizer = new WordTrigrams{};
    if (count > 0 && std::strcmp(arguments[0], CWordTrigramTokenizer::WordEnds) == 0) {
        tokenizer->wordEnds = true;
        ++arguments;
        --count;
    }
    void* trigramContext = nullptr;
    int result = api->xFindTokenizer(api, "trigram", &trigramContext, &tokenizer->trigram);
    if (result == SQLITE_OK)
        result = tokenizer->trigram.xCreate(trigramContext, arguments, count, &tokenizer->instance);
    if (result != SQLITE_OK) {
        delete tokenizer;
        return result;
    }
    *made = reinterpret_cast<Fts5Tokenizer*>(tokenizer);
    return SQLITE_OK;
}

void Delete(Fts5Tokenizer* made) {
    auto* tokenizer = reinterpret_cast<WordTrigrams*>(made);
    tokenizer->trigram.xDelete(tokenizer->instance);
    delete tokenizer;
}

// White space is one byte in UTF-8 and no byte of a longer character is one of those.
bool IsBreak(char byte) {
    return CWordTrigramTokenizer::BreaksRuns(char32_t(static_cast<unsigned char>(byte)));
}

int CharacterCount(const char* text, int length) {
    return int(std::count_if(text, text + length, [](char byte) {
        return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
    }));
}

// A run within a word is kept as it is. A run that starts within a word and then breaks holds
// the word's end: its last two characters, or its last one, which are kept when asked for.
int KeepRunWithinWord(void* context, int flags, const char* text, int length, int start, int end) {
    auto* sink = static_cast<TokenSink*>(context);
    const int within = int(std::find_if(text, text + length, IsBreak) - text);
    if (sink->shortQuery) {
        if (sink->taken || within == 0)
            return SQLITE_OK;
        sink->taken = true;
        return sink->token(sink->context, flags, text, within, start, sink->length);
    }
    if (within == length)
        return sink->token(sink->context, flags, text, length, start, end);
    if (!sink->wordEnds || within == 0)
        return SQLITE_OK;
    return sink->token(sink->context, flags, text, within, start, std::min(end, sink->length));
}

// A document is tokenized with two blanks after it, so that the last word's end is met like any
// other's; a query of one or two characters likewise, to have them folded as the document's are.
int Tokenize(Fts5Tokenizer* made, void* context, int flags, const char* text, int length,
             int (*token)(void*, int, const char*, int, int, int)) {
    auto* tokenizer = reinterpret_cast<WordTrigrams*>(made);
    const bool query = (flags & FTS5_TOKENIZE_QUERY) != 0;
    // A query names the ends of words only as the prefix of one or two characters.
    TokenSink sink{context, token, length, tokenizer->wordEnds && !query,
                   query && tokenizer->wordEnds && CharacterCount(text, length) < 3};
    if (!tokenizer->wordEnds || (query && !sink.shortQuery))
        return tokenizer->trigram.xTokenize(tokenizer->instance, &sink, flags, text, length,
                                            KeepRunWithinWord);
    std::string padded(text, size_t(length));
    padded += "  ";
    return tokenizer->trigram.xTokenize(tokenizer->instance, &sink, flags, padded.data(),
                                        int(padded.size()), KeepRunWithinWord);
}

} // namespace

bool CWordTrigramTokenizer::Register(sqlite3* db) {
    fts5_api* api = Fts5Api(db);
    if (!api)
        return false;
    fts5_tokenizer tokenizer{Create, Delete, Tokenize};
    return api->xCreateTokenizer(api, Name, api, &tokenizer, nullptr) == SQLITE_OK;
}
