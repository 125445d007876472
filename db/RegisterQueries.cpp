#include "db/RegisterQueries.h"

#include "base/Clock.h"
#include "db/CheckNumbering.h"
#include "db/CheckQueries.h"
#include "db/CheckRecord.h"
#include "db/Connection.h"
#include "db/DatabaseProperties.h"
#include "db/ErrorText.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

namespace velmora::db {

namespace {

namespace state = register_state;

// More numbers than the register can hold in a row: a search for a free number that goes on this
// long has gone round the whole range.
constexpr int kMostNumbersTried = 1'000'000;

template <class Record> std::string columnsOf(const RecordTable<Record>& table) {
    std::string columns;
    for (const auto& row : table.rows())
        columns += (columns.empty() ? "" : ", ") + quoteIdentifier(row.def.name);
    return columns;
}

// A row read with the columns of columnsOf(table), from column 0: money as whole cents, and a
// stored number beyond its field's bounds refused as damage, as the record sets refuse it.
template <class Record>
Record readRecord(Connection& database, const RecordTable<Record>& table, const Statement& row) {
    Record record{};
    int column = 0;
    for (const auto& field : table.rows()) {
        Value stored = row.column(column++);
        if (field.def.kind == FieldKind::Money && stored.isInteger())
            stored = Money::fromCents(*stored.integer());
        if (field.def.bounds && !stored.isNull()) {
            const std::optional<std::int64_t> number =
                stored.isMoney() ? std::optional(stored.money()->cents()) : stored.integer();
            if (!number || *number < field.def.bounds->lowest || *number > field.def.bounds->highest)
                throw DamagedError(database.path().filename().string() + " is damaged: the table " +
                                       std::string(table.name()) + " holds " + stored.textOrEmpty() +
                                       " in the field " + std::string(field.def.name) + ". " +
                                       restoreAdvice(database.path()),
                                   0, database.path());
        }
        table.assign(record, field, stored);
    }
    return record;
}

// INSERT of every field but the counter, and the values of a record in that order.
template <class Record> std::string insertSql(const RecordTable<Record>& table) {
    std::string columns;
    std::string values;
    for (const auto& row : table.rows()) {
        if (row.def.kind == FieldKind::Counter)
            continue;
        columns += (columns.empty() ? "" : ", ") + quoteIdentifier(row.def.name);
        values += values.empty() ? "?" : ", ?";
    }
    return "INSERT INTO " + quoteIdentifier(table.name()) + " (" + columns + ") VALUES (" + values + ")";
}
template <class Record>
void insert(Statement& statement, const RecordTable<Record>& table, const Record& record) {
    statement.reset();
    int index = 1;
    for (const auto& row : table.rows()) {
        if (row.def.kind != FieldKind::Counter)
            statement.bind(index++, table.value(record, row));
    }
    statement.run();
}

// A file of a version before the register was read as it is (opened to read only): it has none.
bool hasRegister(Connection& database) {
    return database.hasTable(schema::checkRegister().name());
}

// The condition of a view on the register's columns, its values bound in order.
Filter viewFilter(const RegisterView& view) {
    Filter filter{"1 = 1", {}}; // a condition on both stores: the server takes no bare number for one
    const auto within = [&](const char* column) {
        std::string range;
        if (view.from) {
            range += std::string("\"") + column + "\" >= ?";
            filter.parameters.emplace_back(*view.from);
        }
        if (view.to) {
            range += std::string(range.empty() ? "" : " AND ") + "\"" + column + "\" <= ?";
            filter.parameters.emplace_back(*view.to);
        }
        return range;
    };
    if (view.from || view.to) {
        const std::string printed = within(field::kPrinted);
        filter.where = view.dates == RegisterView::Dates::Printed
                           ? printed
                           : "(" + printed + ") OR (" + within(field::kVoided) + ")";
    }
    if (view.states != RegisterView::States::All) {
        filter.where = "(" + filter.where + ") AND \"Status\" = ?";
        filter.parameters.emplace_back(view.states == RegisterView::States::Issued ? state::kIssued
                                                                                   : state::kVoid);
    }
    return filter;
}

void bindAll(Statement& statement, const std::vector<Value>& values, int first = 1) {
    for (const Value& value : values)
        statement.bind(first++, value);
}

std::string shownDate(const std::string& iso) {
    const std::optional<Date> date = parseIsoDate(iso);
    return date ? formatDateText(*date) : iso;
}

std::string failureOf(const Error& error) {
    return userMessage(error);
}

// Makes an issued entry void and puts the history line on its check record, inside the caller's
// transaction.
RegisterEntry makeVoid(Connection& database, RegisterEntry entry, const std::string& reason) {
    const Date today = Clock::today();
    entry.state = state::kVoid;
    entry.voided = isoDateText(today);
    entry.reason = reason.empty() ? std::nullopt : std::optional<std::string>(reason);
    Statement update(database, "UPDATE \"Register\" SET \"Status\" = ?1, \"Voided\" = ?2, \"Reason\" = ?3 "
                               "WHERE \"ID\" = ?4");
    update.bind(1, state::kVoid).bind(2, *entry.voided);
    update.bind(3, entry.reason ? Value(*entry.reason) : Value()).bind(4, entry.id);
    update.run();
    Statement comments(database, "SELECT \"Comments\" FROM \"Account\" WHERE \"ID\" = ?1");
    comments.bind(1, entry.recordId);
    if (comments.step()) {
        const std::optional<std::string> old =
            comments.isNull(0) ? std::nullopt : std::optional<std::string>(comments.columnText(0));
        comments.reset();
        Statement history(database, "UPDATE \"Account\" SET \"Comments\" = ?1 WHERE \"ID\" = ?2");
        history.bind(1, withHistoryLine(voidHistoryLine(entry, formatDateText(today), reason), old));
        history.bind(2, entry.recordId);
        history.run();
    }
    return entry;
}

std::vector<RegisterEntry> entriesWhere(Connection& database, const std::string& where,
                                        const std::vector<Value>& values) {
    const auto& table = schema::checkRegister();
    Statement query(database,
                    "SELECT " + columnsOf(table) + " FROM \"Register\" WHERE " + where + " ORDER BY \"ID\"");
    bindAll(query, values);
    std::vector<RegisterEntry> entries;
    while (query.step())
        entries.push_back(readRecord(database, table, query));
    return entries;
}

} // namespace

std::string digitsOf(const std::optional<std::string>& text) {
    std::string digits;
    for (char c : text.value_or(std::string())) {
        if (std::isdigit(static_cast<unsigned char>(c)))
            digits += c;
    }
    return digits;
}

DrawnOn DrawnOn::of(const std::optional<std::string>& aba, const std::optional<std::string>& account) {
    return {digitsOf(aba), digitsOf(account)};
}

namespace {

// Looks numbers up in the register and the runs of blank stock, with statements prepared once.
class NumberLookup {
public:
    explicit NumberLookup(Connection& database)
        : present_(hasRegister(database)) {
        if (!present_)
            return;
        entries_.emplace(database, "SELECT \"RecordID\", \"Printed\", \"ABA\", \"Account\", \"Status\", "
                                   "\"Voided\" FROM \"Register\" WHERE \"Check\" = ?1 ORDER BY \"ID\"");
        // A run of blank stock is a row per run, not per check: few enough to read once, rather than
        // ask the file about every number looked up.
        Statement runs(database, "SELECT \"Product\", \"Printed\", \"FirstCheck\", \"LastCheck\", \"ABA\", "
                                 "\"Account\" FROM \"BlankStock\" ORDER BY \"ID\"");
        while (runs.step())
            runs_.push_back({text(runs, 0).value_or(""), text(runs, 1).value_or(""), runs.columnInt(2),
                             runs.columnInt(3), DrawnOn::of(text(runs, 4), text(runs, 5))});
    }

    // Reads at once the entries of every number the records of `among` carry, instead of asking
    // about each number in turn: one query rather than one per check, which on the server is a
    // round trip each. A number not among them (one given since) is still asked about.
    void readNumbersOf(Connection& database, const Filter& among) {
        if (!present_)
            return;
        Statement query(
            database,
            "SELECT a.\"Check\", r.\"RecordID\", r.\"Printed\", r.\"ABA\", r.\"Account\", "
            "r.\"Status\", r.\"Voided\" FROM (SELECT DISTINCT \"Check\" FROM \"Account\" WHERE (" +
                among.where +
                ") AND \"Check\" IS NOT NULL) a LEFT JOIN \"Register\" r ON r.\"Check\" = a.\"Check\" "
                "ORDER BY a.\"Check\", r.\"ID\"");
        bindAll(query, among.parameters);
        while (query.step()) {
            if (query.storedKind(0) != Statement::Stored::Integer)
                continue; // a number no check carries (the damage scan tells of it)
            auto& entries = known_[query.columnInt(0)];
            if (!query.isNull(1))
                entries.push_back(entryOf(query, 1));
        }
    }

    std::optional<NumberHeld> held(std::int64_t number, const DrawnOn& account,
                                   std::optional<std::int64_t> own) {
        if (!present_ || !account.known())
            return std::nullopt;
        std::optional<NumberHeld> found = heldByCheck(number, account, own);
        return found ? found : heldByBlankStock(number, account);
    }

private:
    static std::optional<std::string> text(const Statement& row, int column) {
        return row.isNull(column) ? std::nullopt : std::optional<std::string>(row.columnText(column));
    }

    // The register's entries of a number, in the order they were added.
    struct Entry {
        std::int64_t recordId = 0;
        std::optional<std::string> printed, aba, account, status, voided;
    };

    static Entry entryOf(const Statement& row, int first) {
        return {row.columnInt(first), text(row, first + 1), text(row, first + 2),
                text(row, first + 3), text(row, first + 4), text(row, first + 5)};
    }

    std::vector<Entry> entriesOf(std::int64_t number) {
        if (const auto known = known_.find(number); known != known_.end())
            return known->second;
        Statement& entries = *entries_;
        entries.reset();
        entries.bind(1, number);
        std::vector<Entry> found;
        while (entries.step())
            found.push_back(entryOf(entries, 0));
        return found;
    }

    std::optional<NumberHeld> heldByCheck(std::int64_t number, const DrawnOn& account,
                                          std::optional<std::int64_t> own) {
        for (const Entry& entry : entriesOf(number)) {
            if (!(DrawnOn::of(entry.aba, entry.account) == account))
                continue;
            if (entry.status == state::kVoid)
                return NumberHeld{
                    NumberHeld::By::VoidedCheck, entry.recordId, entry.voided.value_or(""), {}, 0};
            if (own && *own == entry.recordId)
                continue;
            return NumberHeld{NumberHeld::By::IssuedCheck, entry.recordId, entry.printed.value_or(""), {}, 0};
        }
        return std::nullopt;
    }

    std::optional<NumberHeld> heldByBlankStock(std::int64_t number, const DrawnOn& account) const {
        for (const Run& run : runs_) {
            if (run.first <= number && number <= run.last && run.account == account)
                return NumberHeld{NumberHeld::By::BlankStock, 0, run.printed, run.product, run.last};
        }
        return std::nullopt;
    }

    struct Run {
        std::string product, printed;
        std::int64_t first = 0, last = 0;
        DrawnOn account;
    };

    bool present_;
    std::optional<Statement> entries_;
    std::vector<Run> runs_;
    std::map<std::int64_t, std::vector<Entry>> known_; // read at once by readNumbersOf()
};

} // namespace

std::optional<NumberHeld> numberHeld(Connection& database, std::int64_t number, const DrawnOn& account,
                                     std::optional<std::int64_t> own) {
    return NumberLookup(database).held(number, account, own);
}

Result<NumberConflicts> findNumberConflicts(Connection& database, const Filter& among, std::size_t named) {
    try {
        NumberLookup lookup(database);
        lookup.readNumbersOf(database, among);
        Statement checks(database, "SELECT \"ID\", \"Check\", \"ABA\", \"Account\" FROM \"Account\" WHERE (" +
                                       among.where + ") ORDER BY \"ID\"");
        bindAll(checks, among.parameters);
        NumberConflicts found;
        const auto add = [&](std::int64_t id, std::int64_t number, std::string why) {
            if (++found.total <= named)
                found.first.push_back({id, number, std::move(why)});
        };
        // The numbers of the run so far, on their accounts, with the record that carries each.
        std::map<std::pair<std::int64_t, std::string>, std::int64_t> seen;
        while (checks.step()) {
            if (checks.storedKind(1) != Statement::Stored::Integer)
                continue; // no number, or none a check can carry (the damage scan tells that)
            const std::int64_t id = checks.columnInt(0);
            const std::int64_t number = checks.columnInt(1);
            const auto text = [&](int column) {
                return checks.isNull(column) ? std::nullopt
                                             : std::optional<std::string>(checks.columnText(column));
            };
            const DrawnOn account = DrawnOn::of(text(2), text(3));
            if (const auto held = lookup.held(number, account, id)) {
                add(id, number, describeHeld(number, *held));
                continue;
            }
            if (!account.known())
                continue;
            const auto [other, first] =
                seen.try_emplace({number, account.routing + "/" + account.account}, id);
            if (!first)
                add(id, number,
                    "Record " + std::to_string(other->second) + " prints check #" + std::to_string(number) +
                        " on the same account in this run.");
        }
        return found;
    } catch (const Error& error) {
        return Result<NumberConflicts>::failure(failureOf(error));
    }
}

std::string describeHeld(std::int64_t number, const NumberHeld& held) {
    const std::string check = "Check #" + std::to_string(number);
    const std::string record = " (record " + std::to_string(held.recordId) + ")";
    switch (held.by) {
    case NumberHeld::By::IssuedCheck:
        return check + " was printed on " + shownDate(held.date) + record + " and is in the register.";
    case NumberHeld::By::VoidedCheck:
        return check + " was voided on " + shownDate(held.date) + record + " and is never used again.";
    case NumberHeld::By::BlankStock:
        return check + " was printed on " + held.product + " on " + shownDate(held.date) + ".";
    }
    return check + " is in the register.";
}

std::int64_t firstFreeNumber(Connection& database, std::int64_t number, const DrawnOn& account) {
    NumberLookup lookup(database);
    std::int64_t candidate = number;
    for (int tried = 0; tried < kMostNumbersTried; ++tried) {
        const std::optional<NumberHeld> held = lookup.held(candidate, account, std::nullopt);
        if (!held)
            return candidate;
        candidate = renumbered(held->by == NumberHeld::By::BlankStock ? held->lastOfRun : candidate);
    }
    return number; // every number is held: the numbering's own is as good as any
}

std::int64_t nextRunNumber(Connection& database) {
    // Runs are numbered as they are recorded, so the last row of each table holds its highest run:
    // read by the row order, without a walk through a register of a million entries.
    // The larger of the two is taken here: SQLite's two-argument max() is not the server's.
    Statement query(database,
                    "SELECT coalesce((SELECT \"Run\" FROM \"Register\" ORDER BY \"ID\" DESC LIMIT 1), 0), "
                    "coalesce((SELECT \"Run\" FROM \"BlankStock\" ORDER BY \"ID\" DESC LIMIT 1), 0)");
    return (query.step() ? std::max(query.columnInt(0), query.columnInt(1)) : 0) + 1;
}

RegisterWriter::RegisterWriter(Connection& database)
    : database_(database) {}

RegisterWriter::~RegisterWriter() = default;

void RegisterWriter::add(const RegisterEntry& entry) {
    if (!entry_)
        entry_ = std::make_unique<Statement>(database_, insertSql(schema::checkRegister()));
    insert(*entry_, schema::checkRegister(), entry);
}

void RegisterWriter::add(const BlankStockRun& run) {
    if (!run_)
        run_ = std::make_unique<Statement>(database_, insertSql(schema::blankStockRuns()));
    insert(*run_, schema::blankStockRuns(), run);
}

bool RegisterWriter::holdsIssued(std::int64_t recordId, std::int64_t number, const DrawnOn& account) {
    if (!issued_)
        issued_ = std::make_unique<Statement>(database_, "SELECT \"ABA\", \"Account\" FROM \"Register\" "
                                                         "WHERE \"Check\" = ?1 AND \"RecordID\" = ?2 "
                                                         "AND \"Status\" = ?3");
    Statement& query = *issued_;
    query.reset();
    query.bind(1, number).bind(2, recordId).bind(3, state::kIssued);
    while (query.step()) {
        const auto text = [&](int column) {
            return query.isNull(column) ? std::nullopt : std::optional<std::string>(query.columnText(column));
        };
        if (DrawnOn::of(text(0), text(1)) == account)
            return true;
    }
    return false;
}

Result<RegisterTotals> registerTotals(Connection& database, const RegisterView& view) {
    try {
        if (!hasRegister(database))
            return RegisterTotals{};
        const Filter filter = viewFilter(view);
        Statement query(database, "SELECT count(*), coalesce(sum(\"Amount\"), 0), "
                                  "coalesce(sum(CASE WHEN \"Status\" = ? THEN \"Amount\" END), 0) "
                                  "FROM \"Register\" WHERE " +
                                      filter.where);
        query.bind(1, state::kIssued);
        bindAll(query, filter.parameters, 2);
        RegisterTotals totals;
        if (query.step())
            totals = {query.columnInt(0), query.columnInt(1), query.columnInt(2)};
        return totals;
    } catch (const Error& error) {
        return Result<RegisterTotals>::failure(failureOf(error));
    }
}

std::vector<RegisterEntry> registerPage(Connection& database, const RegisterView& view,
                                        std::optional<RegisterKey> after, std::int64_t skip, int limit) {
    if (!hasRegister(database))
        return {};
    const auto& table = schema::checkRegister();
    const Filter filter = viewFilter(view);
    // The index on the number gives the order; the ID breaks ties between equal numbers.
    std::string sql = "SELECT " + columnsOf(table) + " FROM \"Register\" WHERE (" + filter.where + ")";
    if (after)
        sql += " AND \"Check\" >= ? AND (\"Check\" > ? OR \"ID\" > ?)";
    sql += " ORDER BY \"Check\", \"ID\" LIMIT ? OFFSET ?";
    Statement query(database, sql);
    bindAll(query, filter.parameters);
    int index = static_cast<int>(filter.parameters.size()) + 1;
    if (after) {
        query.bind(index, after->check);
        query.bind(index + 1, after->check);
        query.bind(index + 2, after->id);
        index += 3;
    }
    query.bind(index, std::int64_t{limit});
    query.bind(index + 1, after ? std::int64_t{0} : skip);
    std::vector<RegisterEntry> entries;
    while (query.step())
        entries.push_back(readRecord(database, table, query));
    return entries;
}

Status forEachRegisterEntry(Connection& database, const RegisterView& view,
                            const std::function<void(const RegisterEntry&)>& entry) {
    try {
        if (!hasRegister(database))
            return {};
        const auto& table = schema::checkRegister();
        const Filter filter = viewFilter(view);
        Statement query(database, "SELECT " + columnsOf(table) + " FROM \"Register\" WHERE " + filter.where +
                                      " ORDER BY \"Check\", \"ID\"");
        bindAll(query, filter.parameters);
        while (query.step())
            entry(readRecord(database, table, query));
    } catch (const Error& error) {
        return Status::failure(failureOf(error));
    }
    return {};
}

std::string voidHistoryLine(const RegisterEntry& entry, const std::string& today, const std::string& reason) {
    return "Voided check #" + std::to_string(entry.check) + " For $" +
           (entry.amount ? entry.amount->toShortestText() : std::string()) + " on " + today +
           (reason.empty() ? "" : ": " + reason) + "  ";
}

Result<RegisterEntry> findIssuedCheck(Connection& database, std::int64_t number,
                                      const std::optional<std::string>& account) {
    const std::string check = "check #" + std::to_string(number);
    const std::string onAccount = account ? " on the account " + *account : "";
    try {
        std::vector<RegisterEntry> issued;
        std::optional<RegisterEntry> voided;
        if (hasRegister(database)) {
            for (RegisterEntry& entry : entriesWhere(database, "\"Check\" = ?", {number})) {
                if (account && digitsOf(entry.account) != *account)
                    continue;
                if (entry.isVoid())
                    voided = entry;
                else
                    issued.push_back(std::move(entry));
            }
        }
        if (issued.empty() && voided)
            return Result<RegisterEntry>::failure("The " + check + onAccount + " was voided already, on " +
                                                  shownDate(voided->voided.value_or("")) + ".");
        if (issued.empty())
            return Result<RegisterEntry>::failure(
                "The register holds no printed " + check + onAccount +
                ": only a check that was printed and confirmed can be voided.");
        std::set<std::string> accounts;
        for (const RegisterEntry& entry : issued)
            accounts.insert(digitsOf(entry.account));
        if (accounts.size() > 1) {
            std::string named;
            for (const std::string& digits : accounts)
                named += (named.empty() ? "" : ", ") + (digits.empty() ? std::string("none") : digits);
            return Result<RegisterEntry>::failure(
                "The register holds " + check + " on " + std::to_string(accounts.size()) + " accounts (" +
                named +
                "). Void it on the register screen, where each is listed, or name its account number.");
        }
        return std::move(issued.front());
    } catch (const Error& error) {
        return Result<RegisterEntry>::failure(failureOf(error));
    }
}

Result<RegisterEntry> voidEntry(Connection& database, std::int64_t entryId, const std::string& reason) {
    try {
        Transaction transaction(database);
        std::vector<RegisterEntry> found = entriesWhere(database, "\"ID\" = ?", {entryId});
        if (found.empty())
            return Result<RegisterEntry>::failure("That check is no longer in the register.");
        if (found.front().isVoid())
            return Result<RegisterEntry>::failure("Check #" + std::to_string(found.front().check) +
                                                  " was voided already, on " +
                                                  shownDate(found.front().voided.value_or("")) + ".");
        RegisterEntry done = makeVoid(database, std::move(found.front()), reason);
        transaction.commit();
        return done;
    } catch (const Error& error) {
        return Result<RegisterEntry>::failure(failureOf(error));
    }
}

} // namespace velmora::db
