#pragma once

// Finding dream entries by the words of their texts and by their numbers.
//
// What the user types is split into words the way the table's index of words splits the
// texts: without case and accents ("corazon" finds "Corazón", "ÑANDÚ" finds "ñandú"). Every
// word must be found, each as the beginning of a word of the entry; a word of digits is a
// whole number, whatever zeros lead it ("7" finds "7" and "07", not "17" or "70"). A text
// made only of numbers searches the notes and the two number fields; any other searches the
// name, the meaning, the notes and the two number fields.
//
// The entries come best first: those whose name holds every word, then the others, each group
// in name order. So the results come in their final order as they are found, the first ones
// at once however many follow, and a table without the index (one that this user cannot
// write and nobody has searched yet) gives the same results by reading its rows.

#include <QByteArray>
#include <QPair>
#include <QString>
#include <QVector>

#include <memory>
#include <string_view>
#include <type_traits>
#include <vector>

struct sqlite3;
class Storage;

// The engine's word splitter, the one the index uses.
class TextTokenizer
{
public:
    // Throws EngineError when the engine has no index of words.
    explicit TextTokenizer(sqlite3 *db);
    ~TextTokenizer();
    TextTokenizer(const TextTokenizer &) = delete;
    TextTokenizer &operator=(const TextTokenizer &) = delete;

    // Calls found(word, start, end) for every word of a UTF-8 text, in order: the word as the
    // index keeps it (small letters without accents) and its place in the text, in bytes.
    template <typename F> void split(const QByteArray &utf8, F &&found) const
    {
        splitWith(utf8, &call<F>, &found);
    }

private:
    using Found = void (*)(void *context, std::string_view word, int start, int end);
    template <typename F> static void call(void *context, std::string_view word, int start, int end)
    {
        (*static_cast<std::remove_reference_t<F> *>(context))(word, start, end);
    }
    void splitWith(const QByteArray &utf8, Found found, void *context) const;

    struct Engine;
    std::unique_ptr<Engine> m_engine;
};

// One word of a query: a word matches the words it begins; a number matches the same number.
struct SearchTerm
{
    QByteArray text; // as the index keeps it; a number without leading zeros
    bool number = false;

    bool operator==(const SearchTerm &o) const { return text == o.text && number == o.number; }
};

// What the user typed, as words of the index (at most MaxTerms different ones).
class SearchQuery
{
public:
    static constexpr int MaxTerms = 32;

    SearchQuery(const TextTokenizer &tokenizer, const QString &text);

    bool isEmpty() const { return m_terms.isEmpty(); }
    // Only numbers: the notes and the two number fields are searched, not the name or meaning.
    bool numbersOnly() const { return m_numbersOnly; }
    const QVector<SearchTerm> &terms() const { return m_terms; }
    quint64 allTerms() const { return (quint64(1) << m_terms.size()) - 1; }

    // Whether a word of a text (as the tokenizer gives it) matches a term.
    bool matches(int term, std::string_view word) const;
    // The terms (one bit each) that a UTF-8 text holds.
    quint64 termsIn(const QByteArray &utf8) const;

    const TextTokenizer &tokenizer() const { return *m_tokenizer; }

private:
    const TextTokenizer *m_tokenizer;
    QVector<SearchTerm> m_terms;
    bool m_numbersOnly = false;
};

// A short piece of a text around its first match, the matching words marked.
struct TextPiece
{
    QString text;
    QVector<QPair<int, int>> marks; // start and length in text, in order
};

struct FoundEntry
{
    qint64 id = 0;
    QString name;
    TextPiece piece; // of the meaning (or the notes, where only they hold the match)
};

// One search's results, read in steps so that a caller can stay responsive. The storage must
// stay open while the search is used.
class TextSearch
{
public:
    // Uses the table's index of words when it has one.
    TextSearch(Storage &storage, const QString &text);
    ~TextSearch();
    TextSearch(const TextSearch &) = delete;
    TextSearch &operator=(const TextSearch &) = delete;

    const SearchQuery &query() const;
    bool usesIndex() const;
    bool atEnd() const;
    // The next results, in order: up to wanted of them; fewer at the end, or when about
    // budgetMs milliseconds have gone (then possibly none: call again until atEnd).
    QVector<FoundEntry> next(int wanted, int budgetMs);

private:
    struct State;
    std::unique_ptr<State> d;
};

// The piece of a text around the first word that matches a term of the query (the start of
// the text, without marks, when none does); about maxChars characters.
TextPiece pieceOf(const SearchQuery &query, const QString &text, int maxChars = 70);
