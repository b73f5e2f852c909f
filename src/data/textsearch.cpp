#include "data/textsearch.h"

#include "data/collation.h"
#include "data/errors.h"
#include "data/storage.h"
#include "data/textindex.h"

#include <QElapsedTimer>

#include <sqlite3.h>

#include <algorithm>
#include <deque>

// ---- The word splitter ----------------------------------------------------------------------

struct TextTokenizer::Engine
{
    fts5_tokenizer methods{};
    Fts5Tokenizer *tokenizer = nullptr;
};

TextTokenizer::TextTokenizer(sqlite3 *db) : m_engine(std::make_unique<Engine>())
{
    fts5_api *api = nullptr;
    sqlite3_stmt *s = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT fts5(?1)", -1, &s, nullptr) == SQLITE_OK) {
        sqlite3_bind_pointer(s, 1, &api, "fts5_api_ptr", nullptr);
        sqlite3_step(s);
    }
    sqlite3_finalize(s);
    void *userData = nullptr;
    const char *options[] = {"remove_diacritics", "2"}; // as the index is made
    if (!api || api->xFindTokenizer(api, "unicode61", &userData, &m_engine->methods) != SQLITE_OK ||
        m_engine->methods.xCreate(userData, options, 2, &m_engine->tokenizer) != SQLITE_OK)
        throw EngineError(QStringLiteral("El motor de tablas de este sistema no sabe buscar "
                                         "palabras en los textos (le falta FTS5)"));
}

TextTokenizer::~TextTokenizer()
{
    if (m_engine->tokenizer)
        m_engine->methods.xDelete(m_engine->tokenizer);
}

namespace {

struct SplitContext
{
    void *context;
    void (*found)(void *, std::string_view, int, int);
};

int splitToken(void *context, int, const char *token, int length, int start, int end)
{
    const auto *c = static_cast<SplitContext *>(context);
    c->found(c->context, std::string_view(token, size_t(length)), start, end);
    return SQLITE_OK;
}

} // namespace

void TextTokenizer::splitWith(const QByteArray &utf8, Found found, void *context) const
{
    SplitContext c{context, found};
    m_engine->methods.xTokenize(m_engine->tokenizer, &c, FTS5_TOKENIZE_DOCUMENT, utf8.constData(),
                                utf8.size(), splitToken);
}

// ---- The query ------------------------------------------------------------------------------

namespace {

bool isNumber(std::string_view word)
{
    return !word.empty() &&
           std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A number without the zeros that lead it ("0" stays).
std::string_view numberValue(std::string_view digits)
{
    const size_t first = digits.find_first_not_of('0');
    return first == std::string_view::npos ? digits.substr(digits.size() - 1)
                                           : digits.substr(first);
}

std::string_view view(const QByteArray &b)
{
    return std::string_view(b.constData(), size_t(b.size()));
}

} // namespace

SearchQuery::SearchQuery(const TextTokenizer &tokenizer, const QString &text)
    : m_tokenizer(&tokenizer)
{
    bool numbers = true;
    tokenizer.split(text.toUtf8(), [&](std::string_view word, int, int) {
        SearchTerm term;
        term.number = isNumber(word);
        const std::string_view kept = term.number ? numberValue(word) : word;
        term.text = QByteArray(kept.data(), int(kept.size()));
        if (m_terms.size() < MaxTerms && !m_terms.contains(term)) {
            m_terms.append(term);
            numbers &= term.number;
        }
    });
    m_numbersOnly = numbers && !m_terms.isEmpty();
}

bool SearchQuery::matches(int term, std::string_view word) const
{
    const SearchTerm &t = m_terms.at(term);
    if (t.number)
        return isNumber(word) && numberValue(word) == view(t.text);
    return word.size() >= size_t(t.text.size()) &&
           word.compare(0, size_t(t.text.size()), view(t.text)) == 0;
}

quint64 SearchQuery::termsIn(const QByteArray &utf8) const
{
    quint64 found = 0;
    if (utf8.isEmpty())
        return found;
    const quint64 all = allTerms();
    m_tokenizer->split(utf8, [&](std::string_view word, int, int) {
        for (int t = 0; t < m_terms.size() && found != all; ++t) {
            if (!(found & (quint64(1) << t)) && matches(t, word))
                found |= quint64(1) << t;
        }
    });
    return found;
}

// ---- The piece of text around a match -------------------------------------------------------

namespace {

struct Span
{
    int start; // in UTF-16 units
    int end;
};

// The words of a text as spans of its characters, and which of them match the query.
void wordsOf(const SearchQuery &query, const QString &text, QVector<Span> *words,
             QVector<Span> *hits)
{
    const QByteArray utf8 = text.toUtf8();
    // Where each byte's character starts in the text's UTF-16 units.
    QVector<int> unit(utf8.size() + 1);
    int u = 0;
    for (int i = 0; i < utf8.size(); ++i) {
        const auto b = quint8(utf8.at(i));
        unit[i] = u;
        if ((b & 0xC0) != 0x80)
            u += b >= 0xF0 ? 2 : 1;
    }
    unit[utf8.size()] = u;
    query.tokenizer().split(utf8, [&](std::string_view word, int start, int end) {
        const Span span{unit.at(start), unit.at(end)};
        words->append(span);
        for (int t = 0; t < query.terms().size(); ++t) {
            if (query.matches(t, word)) {
                hits->append(span);
                break;
            }
        }
    });
}

} // namespace

TextPiece pieceOf(const SearchQuery &query, const QString &text, int maxChars)
{
    QVector<Span> words, hits;
    wordsOf(query, text, &words, &hits);
    // From the start of a word a little before the first match to the end of the last word
    // that fits.
    int start = 0;
    if (!hits.isEmpty()) {
        const int from = hits.first().start - maxChars / 4;
        for (const Span &w : std::as_const(words)) {
            if (w.start >= from) {
                start = w.start;
                break;
            }
        }
    }
    int end = qMin(int(text.size()), start + maxChars);
    if (end < text.size()) {
        int lastEnd = -1;
        for (const Span &w : std::as_const(words)) {
            if (w.start >= start && w.end <= end)
                lastEnd = w.end;
        }
        if (lastEnd > start)
            end = lastEnd;
    }
    // The piece on one line, its blanks made single.
    TextPiece piece;
    const QChar ellipsis(0x2026);
    if (start > 0)
        piece.text += ellipsis;
    QVector<int> at(end - start + 1);
    for (int i = start; i < end; ++i) {
        at[i - start] = int(piece.text.size());
        const QChar c = text.at(i);
        if (!c.isSpace())
            piece.text += c;
        else if (!piece.text.isEmpty() && !piece.text.endsWith(QLatin1Char(' ')) &&
                 piece.text != ellipsis)
            piece.text += QLatin1Char(' ');
    }
    at[end - start] = int(piece.text.size());
    for (const Span &h : std::as_const(hits)) {
        if (h.start >= start && h.end <= end)
            piece.marks.append({at[h.start - start], at[h.end - start] - at[h.start - start]});
    }
    if (piece.text.endsWith(QLatin1Char(' ')))
        piece.text.chop(1);
    if (end < text.size())
        piece.text += ellipsis;
    return piece;
}

// ---- The search -----------------------------------------------------------------------------

namespace {

// With the index, a group first asks it how often each word is there: when one is there at
// most SortedCandidates times, the entries that hold every word are put in name order at
// once. Otherwise the rows are read in name order, where the first results come soonest,
// but only while they come often enough: when none of the first ProbeRows rows belongs to
// the group, or fewer than one in four of the first WalkRows, the engine reads on in name
// order only the entries that the index says hold every word.
constexpr int SortedCandidates = 1000;
constexpr int ProbeRows = 200;
constexpr int WalkRows = 2000;
// Rows read from the table at a time.
constexpr int Batch = 64;
constexpr int MaxBatch = 4096;

// The groups of results, best first.
enum class Group {
    NameHoldsAll, // the name holds every word
    ElsewhereToo, // the entry holds every word, the name not all of them
    Numbers,      // the notes and number fields hold every number
};

enum class Phase { Walk, Sorted, Matched, Done };

struct GroupState
{
    explicit GroupState(Group g) : group(g) {}

    Group group;
    Phase phase = Phase::Walk;
    QByteArray position; // sort key of the last entry looked at, in name order
    bool askedIndex = false;
    int walked = 0;
    int matched = 0;
    std::vector<qint64> candidates; // Sorted: the ids the index gave, in name order
    size_t nextCandidate = 0;       // Sorted
    QByteArray allTerms;            // Matched: the index's expression for every word
    int batch = Batch;              // Matched: rows read at a time, more each time
};

// Which terms a row holds where the group looks, and whether it belongs to the group.
struct Verdict
{
    quint64 terms = 0;
    bool belongs = false;
};

Verdict judge(const SearchQuery &q, Group group, const TextRow &row)
{
    const quint64 all = q.allTerms();
    Verdict v;
    if (group == Group::Numbers) {
        for (const QByteArray *field : {&row.notes, &row.lucky, &row.affine}) {
            if (v.terms != all)
                v.terms |= q.termsIn(*field);
        }
        v.belongs = v.terms == all;
        return v;
    }
    const quint64 inName = q.termsIn(row.name);
    v.terms = inName;
    if (group == Group::NameHoldsAll) {
        v.belongs = inName == all;
        return v;
    }
    for (const QByteArray *field : {&row.meaning, &row.notes, &row.lucky, &row.affine}) {
        if (v.terms != all)
            v.terms |= q.termsIn(*field);
    }
    v.belongs = v.terms == all && inName != all;
    return v;
}

QByteArray quotedWord(const QByteArray &word)
{
    QByteArray q = word;
    q.replace('"', "\"\"");
    return '"' + q + '"';
}

} // namespace

struct TextSearch::State
{
    State(Storage &s, const QString &text)
        : storage(s), query(s.textTokenizer(), text), index(s.hasTextIndex())
    {
        if (query.isEmpty())
            return;
        if (query.numbersOnly()) {
            groups.emplace_back(Group::Numbers);
        } else {
            groups.emplace_back(Group::NameHoldsAll);
            groups.emplace_back(Group::ElsewhereToo);
        }
    }

    bool atEnd() const { return current >= groups.size() && found.empty(); }
    void step(GroupState &g);
    void walk(GroupState &g);
    void useIndex(GroupState &g);
    void putInOrder(GroupState &g);
    bool hasRareTerm(const GroupState &g);
    int leadingZerosInIndex();
    static bool namesOnly(const GroupState &g) { return g.group == Group::NameHoldsAll; }
    void stepSorted(GroupState &g);
    void stepMatched(GroupState &g);
    void keep(const TextRow &row);
    QByteArray expression(int term);
    QByteArray expression(); // every term

    Storage &storage;
    SearchQuery query;
    bool index;
    std::vector<GroupState> groups;
    size_t current = 0;
    std::deque<FoundEntry> found; // found and not handed out yet
    int leadingZeros = -1;        // the most zeros that lead a number in the index
};

void TextSearch::State::keep(const TextRow &given)
{
    std::optional<TextRow> full;
    if (given.namesOnly)
        full = storage.textRowById(given.id);
    const TextRow &row = full ? *full : given;
    FoundEntry e;
    e.id = row.id;
    e.name = QString::fromUtf8(row.name);
    // The piece of the first text searched that holds a match; else the meaning's start.
    const QVector<const QByteArray *> searched =
        query.numbersOnly() ? QVector<const QByteArray *>{&row.notes}
                            : QVector<const QByteArray *>{&row.meaning, &row.notes};
    const SearchQuery none(query.tokenizer(), QString());
    const QByteArray *text = &row.meaning;
    const SearchQuery *marking = &none;
    for (const QByteArray *t : searched) {
        if (query.termsIn(*t)) {
            text = t;
            marking = &query;
            break;
        }
    }
    e.piece = pieceOf(*marking, QString::fromUtf8(*text));
    found.push_back(std::move(e));
}

void TextSearch::State::step(GroupState &g)
{
    switch (g.phase) {
    case Phase::Walk:
        walk(g);
        break;
    case Phase::Sorted:
        stepSorted(g);
        break;
    case Phase::Matched:
        stepMatched(g);
        break;
    case Phase::Done:
        break;
    }
}

// Reads the next rows in name order and keeps those that belong to the group; turns to the
// index when it knows few enough entries, or once the rows read show few matches.
void TextSearch::State::walk(GroupState &g)
{
    if (index && !g.askedIndex) {
        g.askedIndex = true;
        if (hasRareTerm(g)) {
            g.candidates = storage.textCandidates(namesOnly(g), expression());
            putInOrder(g);
            return;
        }
    }
    const QVector<TextRow> rows = storage.textRowsAfter(g.position, Batch, namesOnly(g));
    if (rows.isEmpty()) {
        g.phase = Phase::Done;
        return;
    }
    for (const TextRow &row : rows) {
        g.position = row.sortKey;
        const bool belongs = judge(query, g.group, row).belongs;
        if (belongs)
            keep(row);
        ++g.walked;
        g.matched += belongs;
    }
    if (index && ((g.walked >= ProbeRows && g.matched == 0) ||
                  (g.walked >= WalkRows && 4 * g.matched < g.walked)))
        useIndex(g);
}

// Whether the index holds a word of the query at most SortedCandidates times: then the
// entries that hold every word are fewer still.
bool TextSearch::State::hasRareTerm(const GroupState &g)
{
    for (int t = 0; t < query.terms().size(); ++t) {
        const SearchTerm &term = query.terms().at(t);
        int held = 0;
        if (term.number) {
            for (int zeros = 0; zeros <= leadingZerosInIndex(); ++zeros) {
                const QByteArray form = QByteArray(zeros, '0') + term.text;
                held +=
                    storage.indexedWords(namesOnly(g), form, form + '\x01', SortedCandidates + 1);
            }
        } else {
            held = storage.indexedWords(namesOnly(g), term.text, term.text + '\xff',
                                        SortedCandidates + 1);
        }
        if (held <= SortedCandidates)
            return true;
    }
    return false;
}

// The entries the index gives for every word: every entry of the group is among them, met
// while walking the order of the names.
void TextSearch::State::useIndex(GroupState &g)
{
    g.allTerms = expression();
    g.phase = Phase::Matched;
}

// The candidates after the position, in name order.
void TextSearch::State::putInOrder(GroupState &g)
{
    std::vector<std::pair<QByteArray, qint64>> after;
    for (qint64 id : std::as_const(g.candidates)) {
        if (std::optional<TextRow> row = storage.textRowById(id, true)) {
            QByteArray key = Collation::sortKey(QString::fromUtf8(row->name));
            if (key > g.position)
                after.emplace_back(std::move(key), id);
        }
    }
    std::sort(after.begin(), after.end());
    g.candidates.clear();
    for (const auto &k : after)
        g.candidates.push_back(k.second);
    g.nextCandidate = 0;
    g.phase = Phase::Sorted;
}

void TextSearch::State::stepSorted(GroupState &g)
{
    const bool namesOnly = g.group == Group::NameHoldsAll;
    for (int i = 0; i < Batch && g.nextCandidate < g.candidates.size(); ++i) {
        std::optional<TextRow> row =
            storage.textRowById(g.candidates[g.nextCandidate++], namesOnly);
        if (row && judge(query, g.group, *row).belongs)
            keep(*row);
    }
    if (g.nextCandidate >= g.candidates.size()) {
        g.candidates.clear();
        g.phase = Phase::Done;
    }
}

// Walks the order of the names through its index alone, reading only the entries the index
// gave.
void TextSearch::State::stepMatched(GroupState &g)
{
    const QVector<TextRow> rows =
        storage.textRowsAfter(g.position, g.batch, namesOnly(g), g.allTerms);
    for (const TextRow &row : rows) {
        g.position = row.sortKey;
        if (judge(query, g.group, row).belongs)
            keep(row);
    }
    if (rows.size() < g.batch)
        g.phase = Phase::Done;
    g.batch = qMin(2 * g.batch, MaxBatch);
}

// The index's expression for a term: the words it begins, or the number with any zeros the
// index's numbers are led by.
QByteArray TextSearch::State::expression(int term)
{
    const SearchTerm &t = query.terms().at(term);
    if (!t.number)
        return quotedWord(t.text) + '*';
    QByteArrayList forms;
    for (int zeros = 0; zeros <= leadingZerosInIndex(); ++zeros)
        forms << quotedWord(QByteArray(zeros, '0') + t.text);
    return forms.join(" OR ");
}

int TextSearch::State::leadingZerosInIndex()
{
    if (leadingZeros < 0) {
        leadingZeros = 0;
        while (storage.indexedWords(false, QByteArray(leadingZeros + 1, '0'),
                                    QByteArray(leadingZeros, '0') + '1', 1))
            ++leadingZeros;
    }
    return leadingZeros;
}

QByteArray TextSearch::State::expression()
{
    QByteArrayList terms;
    for (int t = 0; t < query.terms().size(); ++t)
        terms << '(' + expression(t) + ')';
    return terms.join(" AND ");
}

TextSearch::TextSearch(Storage &storage, const QString &text)
    : d(std::make_unique<State>(storage, text))
{}

TextSearch::~TextSearch() = default;

const SearchQuery &TextSearch::query() const
{
    return d->query;
}

bool TextSearch::usesIndex() const
{
    return d->index;
}

bool TextSearch::atEnd() const
{
    return d->atEnd();
}

QVector<FoundEntry> TextSearch::next(int wanted, int budgetMs)
{
    QElapsedTimer clock;
    clock.start();
    while (int(d->found.size()) < wanted && d->current < d->groups.size()) {
        GroupState &g = d->groups[d->current];
        d->step(g);
        if (g.phase == Phase::Done)
            ++d->current;
        if (clock.elapsed() >= budgetMs)
            break;
    }
    QVector<FoundEntry> out;
    while (out.size() < wanted && !d->found.empty()) {
        out.append(std::move(d->found.front()));
        d->found.pop_front();
    }
    return out;
}
