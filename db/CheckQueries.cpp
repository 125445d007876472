#include "db/CheckQueries.h"

#include "db/Connection.h"
#include "db/DatabaseProperties.h"
#include "db/ErrorText.h"
#include "db/LikePattern.h"

namespace velmora::db {

namespace option = print_option;

Filter checksToPrint(bool once, bool monthly) {
    if (once && monthly)
        return {"\"Print\" IN (?, ?)", {option::kOnce, option::kMonthly}};
    return {"\"Print\" = ?", {once ? option::kOnce : option::kMonthly}};
}

Filter labelsToPrint(Dialect dialect, bool onceLabels, bool monthlyLabels) {
    Filter filter;
    std::string which;
    // The labels take the records in table order, not through the index on the print option ("+"
    // keeps SQLite from it): "Never" is most records of an old database, and a walk through the
    // index would visit every one-time check without a label again at each step. The server has no
    // unary plus for text and weighs the index by its own statistics.
    const std::string print = dialect == Dialect::Sqlite ? "+\"Print\"" : "\"Print\"";
    if (onceLabels) {
        which = print + " IN (?, ?)";
        filter.parameters = {option::kOnce, option::kNever};
    }
    if (monthlyLabels) {
        which += (which.empty() ? "" : " OR ") + print + " = ?";
        filter.parameters.emplace_back(option::kMonthly);
    }
    filter.where = "\"LabelPrint\" <> 0 AND (" + which + ")";
    return filter;
}

Filter fieldContains(Dialect dialect, std::string_view field, std::string_view text) {
    return fieldMatches(dialect, field, "*" + std::string(text) + "*");
}

Filter fieldMatches(Dialect dialect, std::string_view field, const std::string& pattern) {
    const auto& row = schema::account().row(field); // only a field of the table is ever named
    if (dialect == Dialect::Sqlite)
        return {"jet_like(" + quoteIdentifier(row.def.name) + ", ?)", {pattern}};
    // The server matches the pattern as a regular expression, ignoring letter case; a number as its
    // decimal text, and a Null field never.
    const std::optional<std::string> regex = likeRegex(pattern);
    if (!regex)
        return {"FALSE", {}};
    return {searchedText(row.def) + " ~* ?", {*regex}};
}

std::optional<std::int64_t> recordIdAt(Connection& database, const Filter& filter, std::int64_t position) {
    // The filter's placeholders come first; the offset is bound after them.
    Statement query(database, "SELECT \"ID\" FROM \"Account\" WHERE (" + filter.where +
                                  ") ORDER BY \"ID\" LIMIT 1 OFFSET ?");
    int index = 1;
    for (const Value& parameter : filter.parameters)
        query.bind(index++, parameter);
    query.bind(index, position);
    if (!query.step())
        return std::nullopt;
    return query.columnInt(0);
}

std::vector<std::int64_t> recordIds(Connection& database, const Filter& filter) {
    Statement query(database, "SELECT \"ID\" FROM \"Account\" WHERE (" + filter.where + ") ORDER BY \"ID\"");
    int index = 1;
    for (const Value& parameter : filter.parameters)
        query.bind(index++, parameter);
    std::vector<std::int64_t> ids;
    while (query.step())
        ids.push_back(query.columnInt(0));
    return ids;
}

Result<SelectionCounts> countSelections(Connection& database) {
    try {
        Statement query(database,
                        "SELECT count(CASE WHEN \"Print\" = ?1 THEN 1 END), "
                        "count(CASE WHEN \"Print\" = ?2 THEN 1 END), "
                        "count(CASE WHEN \"LabelPrint\" <> 0 AND \"Print\" IN (?1, ?3) THEN 1 END), "
                        "count(CASE WHEN \"LabelPrint\" <> 0 AND \"Print\" = ?2 THEN 1 END) "
                        "FROM \"Account\"");
        query.bind(1, option::kOnce).bind(2, option::kMonthly).bind(3, option::kNever);
        SelectionCounts counts;
        if (query.step()) {
            counts.once = query.columnInt(0);
            counts.monthly = query.columnInt(1);
            counts.onceLabels = query.columnInt(2);
            counts.monthlyLabels = query.columnInt(3);
        }
        return counts;
    } catch (const Error& error) {
        return Result<SelectionCounts>::failure(error.what());
    }
}

namespace {

// Whether a stored number lies past [lowest, highest] as SQLite compares it: a text (which SQLite sorts
// after every number) always does, a Null never.
bool pastBounds(const Value& stored, std::int64_t lowest, std::int64_t highest) {
    if (stored.isNull())
        return false;
    if (const auto* real = std::get_if<double>(&stored.data()))
        return !(*real >= static_cast<double>(lowest) && *real <= static_cast<double>(highest));
    if (!stored.isInteger())
        return true;
    const std::int64_t number = *stored.integer();
    return number < lowest || number > highest;
}

} // namespace

Result<DamagedChecks> findDamagedChecks(Connection& database, const Filter& among, std::size_t named) {
    // Every record the filter selects, with the size of each of its texts (the columns from 3 on, in
    // the order of `texts`): SQLite measures each text once, and the program never copies one.
    std::vector<std::string_view> texts;
    std::string sizes;
    for (const auto& row : schema::account().rows()) {
        if (row.def.kind != FieldKind::Text)
            continue;
        texts.push_back(row.def.name);
        sizes += database.dialect() == Dialect::Sqlite
                     ? ", length(CAST(" + quoteIdentifier(row.def.name) + " AS BLOB))"
                     : ", octet_length(" + quoteIdentifier(row.def.name) + ")";
    }
    try {
        Statement query(database, "SELECT \"ID\", \"Check\", \"Amount\"" + sizes +
                                      " FROM \"Account\" WHERE (" + among.where + ") ORDER BY \"ID\"");
        int index = 1;
        for (const Value& parameter : among.parameters)
            query.bind(index++, parameter);
        DamagedChecks found;
        while (query.step()) {
            DamagedCheck damaged{query.columnInt(0),
                                 pastBounds(query.column(1), 0, kMaxCheckNumber),
                                 query.columnText(1),
                                 query.columnText(2),
                                 {},
                                 0};
            const bool badAmount = pastBounds(query.column(2), -kMaxAmountCents, kMaxAmountCents);
            for (std::size_t i = 0; i < texts.size() && damaged.oversizedField.empty(); ++i) {
                const std::int64_t bytes = query.columnInt(static_cast<int>(i) + 3);
                if (bytes > static_cast<std::int64_t>(kMaxFieldBytes))
                    damaged = {damaged.id, false, {}, {}, std::string(texts[i]), bytes};
            }
            if (!damaged.badNumber && !badAmount && damaged.oversizedField.empty())
                continue;
            if (++found.total <= named)
                found.first.push_back(std::move(damaged));
        }
        return found;
    } catch (const Error& error) {
        return Result<DamagedChecks>::failure(error.what());
    }
}

Result<std::optional<std::int64_t>> lastRecordCheckNumber(Connection& database) {
    try {
        RecordSet records(database, schema::account());
        records.moveLast();
        if (!records.hasCurrent())
            return std::optional<std::int64_t>();
        return records.field(field::kCheck).integer();
    } catch (const Error& error) {
        return Result<std::optional<std::int64_t>>::failure(userMessage(error));
    }
}

Result<bool> otherCheckHasNumber(Connection& database, std::int64_t number, std::int64_t id) {
    try {
        Statement query(database,
                        "SELECT \"Check\" FROM \"Account\" WHERE \"Check\" = ?1 AND \"ID\" <> ?2 LIMIT 1");
        query.bind(1, number).bind(2, id);
        return query.step();
    } catch (const Error& error) {
        return Result<bool>::failure(userMessage(error));
    }
}

Result<std::optional<CheckRecord>> readTemplateCheck(Connection& database) {
    try {
        RecordSet records(database, schema::account());
        if (!records.hasCurrent())
            return std::optional<CheckRecord>();
        return std::optional<CheckRecord>(CheckRecord::read(records));
    } catch (const Error& error) {
        return Result<std::optional<CheckRecord>>::failure(userMessage(error));
    }
}

Status forEachCheck(Connection& database, std::span<const std::string_view> fields,
                    const std::function<void(std::span<const FieldText>)>& row) {
    std::string sql;
    std::vector<FieldKind> kinds;
    for (std::string_view name : fields) {
        const auto& field = schema::account().row(name); // only a field of the table is ever named
        sql += (sql.empty() ? "SELECT " : ", ") + quoteIdentifier(field.def.name);
        kinds.push_back(field.def.kind);
    }
    sql += " FROM \"Account\" ORDER BY \"ID\"";
    std::vector<FieldText> values(fields.size());
    std::vector<std::string> amounts(fields.size()); // the dollars of a money field, kept per row
    try {
        Statement query(database, sql);
        while (query.step()) {
            for (std::size_t i = 0; i < values.size(); ++i) {
                const int column = static_cast<int>(i);
                const Statement::Stored stored = query.storedKind(column);
                FieldText& value = values[i];
                if (stored == Statement::Stored::Null) {
                    value = {};
                } else if (kinds[i] == FieldKind::Text || stored == Statement::Stored::Text) {
                    value = {FieldText::Kind::Text, query.columnView(column)};
                } else if (kinds[i] == FieldKind::Money && stored == Statement::Stored::Integer) {
                    amounts[i] = Money::fromCents(query.columnInt(column)).toShortestText();
                    value = {FieldText::Kind::Number, amounts[i]};
                } else {
                    value = {FieldText::Kind::Number, query.columnView(column)};
                }
            }
            row(values);
        }
    } catch (const Error& error) {
        return Status::failure(userMessage(error));
    }
    return {};
}

std::string withHistoryLine(const std::string& line, const std::optional<std::string>& comments) {
    return line + "\r\n" + comments.value_or(std::string());
}

void datePrinting(RecordSet& checks, const std::string& date) {
    checks.edit();
    checks.setField(field::kDate, date);
    checks.update();
}

void markPrintedOnce(RecordSet& checks, const CheckRecord& record, const std::string& historyLine,
                     const std::string& date) {
    checks.edit();
    checks.setField(field::kComments, withHistoryLine(historyLine, record.comments));
    checks.setField(field::kPrint, option::kNever);
    checks.setField(field::kPrinted, date);
    checks.update();
}

void markPrintedRecurring(RecordSet& checks, const CheckRecord& record, const std::string& historyLine,
                          const std::string& date, std::optional<std::int64_t> newNumber) {
    checks.edit();
    checks.setField(field::kDate, date);
    checks.setField(field::kPrinted, date);
    checks.setField(field::kComments, withHistoryLine(historyLine, record.comments));
    if (newNumber)
        checks.setField(field::kCheck, *newNumber);
    checks.update();
}

void saveLastCheck(Connection& database, std::int64_t number) {
    RecordSet properties(database, schema::databaseProperties());
    if (!properties.hasCurrent())
        throw Error("the database has no properties record");
    properties.edit();
    properties.setField(field::kLastCheck, number);
    properties.update();
}

std::int64_t highestRecordId(Connection& database) {
    Statement query(database, "SELECT max(\"ID\") FROM \"Account\"");
    return query.step() ? query.columnInt(0) : 0;
}

void markOnceLabelsPrinted(Connection& database, const std::string& date, std::int64_t lastId) {
    Statement once(database, "UPDATE \"Account\" SET \"LabelPrint\" = 0, \"LPrinted\" = ?1 "
                             "WHERE \"Print\" IN (?2, ?3) AND \"ID\" <= ?4");
    once.bind(1, date).bind(2, option::kOnce).bind(3, option::kNever).bind(4, lastId);
    once.run();
}

void dateRecurringLabels(Connection& database, const std::string& date, std::int64_t lastId) {
    Statement monthly(database,
                      "UPDATE \"Account\" SET \"LPrinted\" = ?1 WHERE \"Print\" = ?2 AND \"ID\" <= ?3");
    monthly.bind(1, date).bind(2, option::kMonthly).bind(3, lastId);
    monthly.run();
}

void addTemplateHistory(Connection& database, const std::string& line) {
    RecordSet records(database, schema::account());
    if (!records.hasCurrent())
        throw Error("the database has no template check");
    const std::optional<std::string> comments = records.field(field::kComments).text();
    records.edit();
    records.setField(field::kComments, withHistoryLine(line, comments));
    records.update();
}

} // namespace velmora::db
