#include "db/RecordSet.h"

#include <algorithm>

namespace velmora::db {

RecordSet::RecordSet(Connection& db, const TableDef& table, std::optional<Filter> filter)
    : RecordSet(db, std::string(table.name), std::move(filter)) {
    def_ = &table;
}

RecordSet::RecordSet(Connection& db, std::string table, std::optional<Filter> filter)
    : db_(db)
    , table_(std::move(table))
    , filter_(std::move(filter)) {
    Statement info(db_, "SELECT name FROM pragma_table_info(?1)");
    info.bind(1, table_);
    while (info.step())
        fields_.push_back(info.columnText(0));
    if (fields_.empty())
        throw Error(db_.path().filename().string() + " has no table " + table_ + ".");
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
        effective.where += " OR rowid IN (";
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
    std::string sql = "SELECT rowid FROM " + quoteIdentifier(table_) + " WHERE 1";
    if (key)
        sql += std::string(" AND rowid ") + comparison + " ?";
    std::optional<Filter> filter;
    if (filter_) {
        filter = effectiveFilter();
        sql += " AND (" + filter->where + ")";
    }
    sql += descending ? " ORDER BY rowid DESC LIMIT 1" : " ORDER BY rowid LIMIT 1";
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

void RecordSet::moveNext() {
    if (position_ == Position::AfterLast)
        return;
    if (position_ == Position::BeforeFirst) {
        moveFirst();
        return;
    }
    setPosition(seek(">", key_, false), Position::AfterLast);
}

void RecordSet::movePrevious() {
    if (position_ == Position::BeforeFirst)
        return;
    if (position_ == Position::AfterLast) {
        setPosition(seek("", std::nullopt, true), Position::BeforeFirst);
        return;
    }
    setPosition(seek("<", key_, true), Position::BeforeFirst);
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

Value RecordSet::fromStorage(std::string_view name, Value stored) const {
    if (def_ == &schema::account() && stored.isInteger() &&
        schema::accountFieldKind(name) == FieldKind::Money)
        return Value(Money::fromCents(*stored.integer()));
    return stored;
}

void RecordSet::loadRow() {
    if (rowLoaded_)
        return;
    Statement& query = prepared("SELECT * FROM " + quoteIdentifier(table_) + " WHERE rowid = ?1");
    query.bind(1, key_);
    if (!query.step())
        throw Error(db_.path().filename().string() + ": the record was deleted by someone else.");
    row_.clear();
    for (int i = 0; i < query.columnCount(); ++i) {
        std::string name = query.columnName(i);
        row_[name] = fromStorage(name, query.column(i));
    }
    query.reset();
    rowLoaded_ = true;
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
    if (mode_ == Mode::None)
        edit();
    changes_[std::string(name)] = std::move(value);
}

void RecordSet::cancelUpdate() {
    mode_ = Mode::None;
    changes_.clear();
}

void RecordSet::update() {
    if (mode_ == Mode::None)
        throw Error("Update without AddNew or Edit.");
    if (mode_ == Mode::Edit) {
        requireCurrent();
        if (!changes_.empty()) {
            std::string sql = "UPDATE " + quoteIdentifier(table_) + " SET ";
            bool first = true;
            for (const auto& [name, value] : changes_) {
                sql += (first ? "" : ", ") + quoteIdentifier(name) + " = ?";
                first = false;
            }
            sql += " WHERE rowid = ?";
            Statement statement(db_, sql);
            int index = 1;
            for (const auto& [name, value] : changes_)
                statement.bind(index++, value);
            statement.bind(index, key_);
            statement.run();
            if (db_.changes() == 0)
                throw Error(db_.path().filename().string() + ": the record was deleted by someone else.");
        }
        lastModified_ = key_;
        rowLoaded_ = false;
    } else {
        std::string sql = "INSERT INTO " + quoteIdentifier(table_);
        if (changes_.empty()) {
            sql += " DEFAULT VALUES";
        } else {
            std::string names, marks;
            for (const auto& [name, value] : changes_) {
                names += (names.empty() ? "" : ", ") + quoteIdentifier(name);
                marks += marks.empty() ? "?" : ", ?";
            }
            sql += " (" + names + ") VALUES (" + marks + ")";
        }
        Statement statement(db_, sql);
        int index = 1;
        for (const auto& [name, value] : changes_)
            statement.bind(index++, value);
        statement.run();
        lastModified_ = db_.lastInsertRowId();
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
    Statement statement(db_, "DELETE FROM " + quoteIdentifier(table_) + " WHERE rowid = ?1");
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
