#include "db/RecordSet.h"

#include "base/Text.h"
#include "db/ErrorText.h"
#include "db/Postgres.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace velmora::db {

RecordSet::RecordSet(Connection& db, const TableDef& table, std::optional<Filter> filter)
    : RecordSet(db, std::string(table.name()), std::move(filter)) {
    def_ = &table;
}

RecordSet::RecordSet(Connection& db, std::string table, std::optional<Filter> filter)
    : db_(db)
    , table_(std::move(table))
    , filter_(std::move(filter)) {
    fields_ = db_.columns(table_);
    if (fields_.empty())
        throw Error(db_.path().filename().string() + " has no table " + table_ + ".");
    rowKey_ = db_.rowKey(table_);
    for (const auto& name : fields_)
        columns_ += (columns_.empty() ? "" : ", ") + quoteIdentifier(name);
    moveFirst();
}

bool RecordSet::hasField(std::string_view name) const {
    return std::find(fields_.begin(), fields_.end(), name) != fields_.end();
}

void RecordSet::checkField(std::string_view name) const {
    if (!hasField(name))
        throw Error(db_.path().filename().string() + ": the table " + table_ + " has no field " +
                    std::string(name) + ".");
}

Filter RecordSet::effectiveFilter() const {
    // Rows added through this set belong to it whatever the filter says.
    Filter effective{"(" + filter_->where + ")", filter_->parameters};
    if (!addedOutsideFilter_.empty()) {
        effective.where += " OR " + rowKey_ + " IN (";
        for (std::size_t i = 0; i < addedOutsideFilter_.size(); ++i) {
            effective.where += i ? ", ?" : "?";
            effective.parameters.emplace_back(addedOutsideFilter_[i]);
        }
        effective.where += ")";
    }
    return effective;
}

Statement& RecordSet::prepared(const std::string& sql) {
    auto& statement = statements_[sql];
    if (!statement)
        statement = std::make_unique<Statement>(db_, sql);
    else
        statement->reset();
    return *statement;
}

std::optional<std::int64_t> RecordSet::seek(const char* comparison, std::optional<std::int64_t> key,
                                            bool descending) {
    // The server reads the row a move forward lands on with it (and those after it, on a walk).
    if (db_.server() && !descending) {
        if (!key)
            return seekAhead(std::nullopt);
        if (std::string_view(comparison) == ">=")
            return seekAhead(*key);
        if (*key == std::numeric_limits<std::int64_t>::max())
            return std::nullopt;
        return seekAhead(*key + 1);
    }
    std::string sql = "SELECT " + rowKey_ + " FROM " + quoteIdentifier(table_) + " WHERE TRUE";
    if (key)
        sql += " AND " + rowKey_ + " " + comparison + " ?";
    std::optional<Filter> filter;
    if (filter_) {
        filter = effectiveFilter();
        sql += " AND (" + filter->where + ")";
    }
    sql += " ORDER BY " + rowKey_ + (descending ? " DESC LIMIT 1" : " LIMIT 1");
    Statement& query = prepared(sql);
    int index = 1;
    if (key)
        query.bind(index++, *key);
    if (filter) {
        for (const auto& parameter : filter->parameters)
            query.bind(index++, parameter);
    }
    std::optional<std::int64_t> found;
    if (query.step())
        found = query.columnInt(0);
    query.reset();
    return found;
}

void RecordSet::setPosition(std::optional<std::int64_t> id, Position ifNone) {
    mode_ = Mode::None;
    changes_.clear();
    rowLoaded_ = false;
    deleted_ = false;
    if (id) {
        position_ = Position::At;
        key_ = *id;
    } else {
        position_ = ifNone;
    }
}

void RecordSet::moveFirst() {
    const auto first = seek("", std::nullopt, false);
    setPosition(first, Position::AfterLast); // an empty set is at both ends
    if (!first)
        position_ = Position::AfterLast;
}

void RecordSet::moveLast() {
    setPosition(seek("", std::nullopt, true), Position::AfterLast);
}

// SQLite trusts the order of the rows on a page; when a damaged page breaks it, a seek past one row
// can land on the same row or an earlier one, and a walk would never end.
void RecordSet::throwOutOfOrder(std::int64_t from, std::int64_t to) const {
    throw DamagedError(db_.path().filename().string() +
                           " is damaged: its records are out of order on the disk (record " +
                           std::to_string(to) + " comes after record " + std::to_string(from) + "). " +
                           restoreAdvice(db_.path()),
                       0, db_.path());
}

void RecordSet::moveNext() {
    if (position_ == Position::AfterLast)
        return;
    if (position_ == Position::BeforeFirst) {
        moveFirst();
        return;
    }
    const auto next = seek(">", key_, false);
    if (next && *next <= key_)
        throwOutOfOrder(key_, *next);
    setPosition(next, Position::AfterLast);
}

void RecordSet::movePrevious() {
    if (position_ == Position::BeforeFirst)
        return;
    if (position_ == Position::AfterLast) {
        setPosition(seek("", std::nullopt, true), Position::BeforeFirst);
        return;
    }
    const auto previous = seek("<", key_, true);
    if (previous && *previous >= key_)
        throwOutOfOrder(key_, *previous);
    setPosition(previous, Position::BeforeFirst);
}

bool RecordSet::moveTo(std::int64_t id) {
    const auto found = seek(">=", id, false);
    if (!found || *found != id)
        return false;
    setPosition(found, Position::AfterLast);
    return true;
}

std::int64_t RecordSet::recordCount() {
    if (!count_) {
        std::string sql = "SELECT count(*) FROM " + quoteIdentifier(table_);
        std::optional<Filter> filter;
        if (filter_) {
            filter = effectiveFilter();
            sql += " WHERE " + filter->where;
        }
        Statement query(db_, sql);
        int index = 1;
        if (filter) {
            for (const auto& parameter : filter->parameters)
                query.bind(index++, parameter);
        }
        query.step();
        count_ = query.columnInt(0);
    }
    return *count_;
}

std::optional<std::int64_t> RecordSet::currentId() const {
    if (!hasCurrent())
        return std::nullopt;
    return key_;
}

void RecordSet::requireCurrent() const {
    if (!hasCurrent())
        throw Error("No current record.");
}

std::string RecordSet::recordName() const {
    if (def_ && def_->numbered())
        return "record " + std::to_string(key_);
    return "the " + table_ + " record";
}

std::optional<Value> RecordSet::fromStorage(const std::string& name, const Value& stored) {
    const FieldDef* field = def_ ? def_->find(name) : nullptr;
    if (!field)
        return stored;
    const auto within = [&](std::int64_t number) {
        return !field->bounds || (number >= field->bounds->lowest && number <= field->bounds->highest);
    };
    bool sane = true;
    Value read = stored;
    if (field->kind == FieldKind::Money) {
        if (stored.isInteger()) {
            const std::int64_t cents = *stored.integer();
            sane = within(cents);
            read = Money::fromCents(cents);
        } else if (const auto* real = std::get_if<double>(&stored.data())) {
            sane = std::isfinite(*real) &&
                   (!field->bounds || (*real * 100 >= static_cast<double>(field->bounds->lowest) &&
                                       *real * 100 <= static_cast<double>(field->bounds->highest)));
        }
    } else if (field->bounds) {
        const auto number = stored.integer();
        sane = !number || within(*number);
    }
    if (sane)
        return read;
    damaged_[name] = db_.path().filename().string() + " is damaged: " + recordName() + " holds " +
                     stored.textOrEmpty() + " in the field " + name + ", which no check can carry. " +
                     restoreAdvice(db_.path());
    return std::nullopt;
}

Statement& RecordSet::selectCurrentRow() {
    Statement& query =
        prepared("SELECT " + columns_ + " FROM " + quoteIdentifier(table_) + " WHERE " + rowKey_ + " = ?1");
    query.bind(1, key_);
    if (!query.step())
        throw Error(db_.path().filename().string() + ": the record was deleted by someone else.", 0,
                    db_.path());
    return query;
}

namespace {

// A text or blob larger than a field may hold, as its size and a digest of its bytes: what tells
// whether it changed, without a copy of it.
std::optional<std::pair<std::size_t, std::size_t>> oversizedValue(const Statement& query, int column) {
    if (query.storedKind(column) != Statement::Stored::Text || query.columnBytes(column) <= kMaxFieldBytes)
        return std::nullopt;
    return std::pair{query.columnBytes(column), query.columnDigest(column)};
}

} // namespace

void RecordSet::takeField(std::string name, Value stored,
                          const std::optional<std::pair<std::size_t, std::size_t>>& oversized) {
    if (oversized) {
        damaged_[name] = db_.path().filename().string() + " is damaged: " + recordName() + " holds " +
                         megabytesText(oversized->first) + " in the field " + name +
                         ", more than any field can hold (1 MB). " + restoreAdvice(db_.path());
        oversized_[std::move(name)] = *oversized;
        return;
    }
    if (auto read = fromStorage(name, stored))
        row_[name] = std::move(*read);
    stored_[std::move(name)] = std::move(stored);
}

void RecordSet::loadRow() {
    if (rowLoaded_)
        return;
    const StoredRow* ahead = nullptr;
    if (aheadFresh() && key_ >= ahead_.low && key_ <= ahead_.high) {
        const auto row = std::lower_bound(ahead_.rows.begin(), ahead_.rows.end(), key_,
                                          [](const StoredRow& r, std::int64_t key) { return r.key < key; });
        if (row != ahead_.rows.end() && row->key == key_)
            ahead = &*row;
    }
    Statement* query = ahead ? nullptr : &selectCurrentRow();
    stored_.clear();
    row_.clear();
    damaged_.clear();
    oversized_.clear();
    if (ahead) {
        for (std::size_t i = 0; i < ahead->fields.size() && i < fields_.size(); ++i)
            takeField(fields_[i], ahead->fields[i].first, ahead->fields[i].second);
    } else {
        for (int i = 0; i < query->columnCount(); ++i) {
            const auto oversized = oversizedValue(*query, i);
            takeField(query->columnName(i), oversized ? Value() : query->column(i), oversized);
        }
        query->reset();
    }
    rowLoaded_ = true;
}

namespace {

// Rows read ahead are used for so long after reading them, and no longer: a walk through the rows
// uses them at once, while a user's next click reads the row as it stands then.
constexpr auto kAheadLifetime = std::chrono::milliseconds(100);
// The most rows read ahead at a time, and the most bytes kept of them (at least one row is kept).
constexpr std::int64_t kMostAhead = 1024;
constexpr std::size_t kMostAheadBytes = std::size_t{4} << 20;

} // namespace

bool RecordSet::aheadFresh() const {
    return ahead_.held && ahead_.statementsRun == db_.statementsRun() &&
           std::chrono::steady_clock::now() - ahead_.readAt < kAheadLifetime;
}

std::optional<std::int64_t> RecordSet::seekAhead(std::optional<std::int64_t> from) {
    constexpr std::int64_t kEnd = std::numeric_limits<std::int64_t>::max();
    const std::int64_t low = from.value_or(std::numeric_limits<std::int64_t>::min());
    const bool fresh = aheadFresh();
    if (fresh && low >= ahead_.low && low <= ahead_.high) {
        const auto row = std::lower_bound(ahead_.rows.begin(), ahead_.rows.end(), low,
                                          [](const StoredRow& r, std::int64_t key) { return r.key < key; });
        if (row != ahead_.rows.end())
            return row->key;
        if (ahead_.high == kEnd)
            return std::nullopt;
    }
    // A walk that goes on past the rows read ahead reads more of them the next time.
    ahead_.batch = fresh && low > ahead_.high ? std::min(ahead_.batch * 4, kMostAhead) : 1;
    std::string sql = "SELECT " + rowKey_ + ", " + columns_ + " FROM " + quoteIdentifier(table_) + " WHERE " +
                      rowKey_ + " >= ?";
    std::optional<Filter> filter;
    if (filter_) {
        filter = effectiveFilter();
        sql += " AND (" + filter->where + ")";
    }
    sql += " ORDER BY " + rowKey_ + " LIMIT ?";
    Statement& query = prepared(sql);
    int index = 1;
    query.bind(index++, low);
    if (filter) {
        for (const auto& parameter : filter->parameters)
            query.bind(index++, parameter);
    }
    query.bind(index, ahead_.batch);
    ahead_.rows.clear();
    ahead_.held = false;
    std::size_t bytes = 0;
    bool cut = false;
    while (query.step()) {
        if (bytes > kMostAheadBytes) {
            cut = true;
            break;
        }
        StoredRow row{query.columnInt(0), {}};
        row.fields.reserve(fields_.size());
        for (int i = 1; i < query.columnCount(); ++i) {
            const auto oversized = oversizedValue(query, i);
            bytes += oversized ? 0 : query.columnBytes(i);
            row.fields.emplace_back(oversized ? Value() : query.column(i), oversized);
        }
        ahead_.rows.push_back(std::move(row));
    }
    query.reset();
    ahead_.held = true;
    ahead_.low = low;
    ahead_.high =
        !cut && static_cast<std::int64_t>(ahead_.rows.size()) < ahead_.batch ? kEnd : ahead_.rows.back().key;
    ahead_.statementsRun = db_.statementsRun();
    ahead_.readAt = std::chrono::steady_clock::now();
    if (ahead_.rows.empty())
        return std::nullopt;
    return ahead_.rows.front().key;
}

Value RecordSet::field(std::string_view name) {
    checkField(name);
    if (mode_ != Mode::None) {
        if (auto changed = changes_.find(name); changed != changes_.end())
            return changed->second;
        if (mode_ == Mode::AddNew)
            return {};
    }
    requireCurrent();
    loadRow();
    if (auto damaged = damaged_.find(name); damaged != damaged_.end())
        throw DamagedError(damaged->second, 0, db_.path());
    auto found = row_.find(name);
    return found == row_.end() ? Value() : found->second;
}

void RecordSet::edit() {
    requireCurrent();
    mode_ = Mode::Edit;
    changes_.clear();
}

void RecordSet::addNew() {
    mode_ = Mode::AddNew;
    changes_.clear();
}

void RecordSet::setField(std::string_view name, Value value) {
    checkField(name);
    if (const auto* text = std::get_if<std::string>(&value.data()); text && text->size() > kMaxFieldBytes)
        throw Error("The text is too long for the field " + std::string(name) +
                    ": a field holds at most 1 MB (" + std::to_string(text->size()) + " bytes were given).");
    if (mode_ == Mode::None)
        edit();
    changes_[std::string(name)] = std::move(value);
}

void RecordSet::cancelUpdate() {
    mode_ = Mode::None;
    changes_.clear();
}

void RecordSet::revertField(std::string_view name) {
    if (auto change = changes_.find(name); change != changes_.end())
        changes_.erase(change);
}

std::vector<std::string> RecordSet::changedFields() {
    std::vector<std::string> changed;
    if (mode_ == Mode::Edit) {
        requireCurrent();
        loadRow();
    }
    for (const auto& name : fields_) {
        const auto change = changes_.find(name);
        if (change == changes_.end())
            continue;
        // A field set to the value it was read with is not a change: writing it back would undo
        // what another program saved there meanwhile.
        const auto read = row_.find(name);
        if (mode_ == Mode::AddNew || read == row_.end() || !(read->second == change->second))
            changed.push_back(name);
    }
    return changed;
}

std::vector<std::string> RecordSet::fieldsChangedOnDisk() {
    Statement& query = selectCurrentRow();
    std::vector<std::string> changed;
    for (int i = 0; i < query.columnCount(); ++i) {
        const std::string name = query.columnName(i);
        if (const auto oversized = oversized_.find(name); oversized != oversized_.end()) {
            if (oversizedValue(query, i) != oversized->second)
                changed.push_back(name);
            continue;
        }
        const auto read = stored_.find(name);
        if (read == stored_.end() || oversizedValue(query, i) || !(read->second == query.column(i)))
            changed.push_back(name);
    }
    query.reset();
    return changed;
}

void RecordSet::writeChanges(const std::vector<std::string>& fields) {
    std::string sql;
    if (mode_ == Mode::Edit) {
        sql = "UPDATE " + quoteIdentifier(table_) + " SET ";
        for (std::size_t i = 0; i < fields.size(); ++i)
            sql += (i ? ", " : "") + quoteIdentifier(fields[i]) + " = ?";
        sql += " WHERE " + rowKey_ + " = ?";
    } else if (fields.empty()) {
        sql = "INSERT INTO " + quoteIdentifier(table_) + " DEFAULT VALUES";
    } else {
        std::string names, marks;
        for (const auto& name : fields) {
            names += (names.empty() ? "" : ", ") + quoteIdentifier(name);
            marks += marks.empty() ? "?" : ", ?";
        }
        sql = "INSERT INTO " + quoteIdentifier(table_) + " (" + names + ") VALUES (" + marks + ")";
    }
    if (mode_ == Mode::AddNew)
        sql += " RETURNING " + rowKey_;
    Statement statement(db_, sql);
    int index = 1;
    for (const auto& name : fields)
        statement.bind(index++, changes_.find(name)->second);
    if (mode_ == Mode::Edit)
        statement.bind(index, key_);
    if (mode_ == Mode::AddNew && statement.step())
        lastModified_ = statement.columnInt(0);
    statement.run();
    // A server's counter hands out its next number by itself: a row added with its number given (the
    // template check, a copied database) moves the counter past it.
    if (mode_ == Mode::AddNew && db_.server() &&
        std::any_of(fields.begin(), fields.end(),
                    [&](const std::string& name) { return quoteIdentifier(name) == rowKey_; }))
        db_.server()->counterWritten(table_, rowKey_);
}

void RecordSet::update(OnConflict onConflict) {
    if (mode_ == Mode::None)
        throw Error("Update without AddNew or Edit.");
    dropAhead();
    const std::vector<std::string> changed = changedFields();
    if (mode_ == Mode::Edit) {
        if (!changed.empty()) {
            // The comparison and the write are one step: nothing can change the row in between.
            std::optional<Transaction> transaction;
            if (!db_.inTransaction())
                transaction.emplace(db_);
            if (const auto onDisk = fieldsChangedOnDisk();
                !onDisk.empty() && onConflict == OnConflict::Fail) {
                std::string names;
                for (const auto& name : onDisk)
                    names += (names.empty() ? "" : ", ") + name;
                throw ConflictError(db_.path().filename().string() + ": " + recordName() +
                                        " was changed by another screen or program after it was read (" +
                                        names + "). Nothing was saved.",
                                    onDisk, db_.path());
            }
            writeChanges(changed);
            if (transaction)
                transaction->commit();
        }
        lastModified_ = key_;
        rowLoaded_ = false;
    } else {
        writeChanges(changed);
        if (filter_) {
            addedOutsideFilter_.push_back(*lastModified_);
            statements_.clear(); // their text names the added rows
        }
        count_.reset();
    }
    mode_ = Mode::None;
    changes_.clear();
}

void RecordSet::deleteCurrent() {
    requireCurrent();
    dropAhead();
    Statement statement(db_, "DELETE FROM " + quoteIdentifier(table_) + " WHERE " + rowKey_ + " = ?1");
    statement.bind(1, key_);
    statement.run();
    std::erase(addedOutsideFilter_, key_);
    count_.reset();
    mode_ = Mode::None;
    changes_.clear();
    rowLoaded_ = false;
    deleted_ = true;
}

void RecordSet::requery() {
    dropAhead();
    if (!addedOutsideFilter_.empty())
        statements_.clear();
    addedOutsideFilter_.clear();
    count_.reset();
    moveFirst();
}

void RecordSet::requery(std::optional<Filter> filter) {
    filter_ = std::move(filter);
    statements_.clear();
    requery();
}

} // namespace velmora::db
