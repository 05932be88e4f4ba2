// The search index's tokenizer: case-folded trigrams that do not hold white space.

#include "store/WordTrigramTokenizer.h"

#include <algorithm>
#include <sqlite3.h>

namespace {

// One tokenizer made for a table: the engine's trigram tokenizer made with the same arguments.
struct WordTrigrams {
    fts5_tokenizer trigram;
    Fts5Tokenizer* instance = nullptr;
};

// Where the runs the trigram tokenizer finds go when they are kept.
struct TokenSink {
    void* context;
    int (*token)(void* context, int flags, const char* text, int length, int start, int end);
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
int KeepRunWithinWord(void* context, int flags, const char* text, int length, int start, int end) {
    const bool breaks = std::any_of(text, text + length, [](char byte) {
        return CWordTrigramTokenizer::BreaksRuns(char32_t(static_cast<unsigned char>(byte)));
    });
    if (breaks)
        return SQLITE_OK;
    const auto* sink = static_cast<const TokenSink*>(context);
    return sink->token(sink->context, flags, text, length, start, end);
}

int Tokenize(Fts5Tokenizer* made, void* context, int flags, const char* text, int length,
             int (*token)(void*, int, const char*, int, int, int)) {
    auto* tokenizer = reinterpret_cast<WordTrigrams*>(made);
    TokenSink sink{context, token};
    return tokenizer->trigram.xTokenize(tokenizer->instance, &sink, flags, text, length,
                                        KeepRunWithinWord);
}

} // namespace

bool CWordTrigramTokenizer::Register(sqlite3* db) {
    fts5_api* api = Fts5Api(db);
    if (!api)
        return false;
    fts5_tokenizer tokenizer{Create, Delete, Tokenize};
    return api->xCreateTokenizer(api, Name, api, &tokenizer, nullptr) == SQLITE_OK;
}
