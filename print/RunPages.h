#pragma once

#include "db/CheckDatabase.h"
#include "db/RecordSet.h"
#include "print/CheckLayout.h"
#include "print/LabelLayout.h"
#include "print/PageSource.h"
#include "print/PrintSelection.h"

#include <memory>
#include <optional>
#include <vector>

namespace velmora::print {

// The records of a selection read a page at a time. Page N starts at the record N × per page of the
// selection in table order; the page after the one read last goes on from where that one stopped,
// so drawing the pages in order costs one keyed move per page, and a jump costs one counted query.
class PagedRecords {
public:
    PagedRecords(db::Connection& connection, db::Filter filter);

    std::int64_t count() const { return count_; }
    // Up to `size` records from the `first`-th (from 0). Throws db::Error.
    std::vector<db::CheckRecord> read(std::int64_t first, std::int64_t size);

private:
    db::Connection& connection_;
    db::Filter filter_;
    db::RecordSet records_;
    std::int64_t count_ = 0;
    // Where the previous read stopped: the index and ID of the record after it.
    std::optional<std::pair<std::int64_t, std::int64_t>> next_;
};

// The pages of the checks of a run, as the run places them. Recurring checks show today's date,
// which is not saved: drawing a page changes no record.
class CheckPages : public PageSource {
public:
    // The database type picks the draft texts or the signature line; `textFont` is the run's.
    CheckPages(db::CheckDatabase& database, const PrintSelection& selection, const CheckPageSetup& setup,
               db::DatabaseType type, const std::string& textFont);

    std::int64_t checkCount() const { return records_.count(); }
    std::int64_t pageCount() override;
    Status drawPage(std::int64_t page, PrintSurface& surface) override;
    std::string ownerAt(std::int64_t page, double x, double y) override;

private:
    PagedRecords records_;
    CheckPageSetup setup_;
    CheckLayout layout_;
    int perPage_;
    std::string today_;
};

// The pages of the labels of a run, from the label the run starts on: the first sheet takes the
// labels from that one on, every later sheet thirty.
class LabelPages : public PageSource {
public:
    LabelPages(db::CheckDatabase& database, const PrintSelection& selection, const std::string& textFont,
               int startLabel = 1);

    std::int64_t labelCount() const { return records_.count(); }
    std::int64_t pageCount() override;
    Status drawPage(std::int64_t page, PrintSurface& surface) override;
    std::string ownerAt(std::int64_t page, double x, double y) override;

private:
    // The first label's number on `page`, and the index of its record in the selection.
    std::pair<int, std::int64_t> firstOn(std::int64_t page) const;

    PagedRecords records_;
    LabelLayout layout_;
    int startLabel_;
};

// What the Print button would print, page by page: the checks, then the labels from label 1 on a
// sheet of their own (the run sends them as a second job). Either part may be absent.
class RunPages : public PageSource {
public:
    RunPages(std::unique_ptr<CheckPages> checks, std::unique_ptr<LabelPages> labels);

    CheckPages* checks() { return checks_.get(); }
    LabelPages* labels() { return labels_.get(); }
    std::int64_t pageCount() override;
    Status drawPage(std::int64_t page, PrintSurface& surface) override;
    std::string ownerAt(std::int64_t page, double x, double y) override;

private:
    std::int64_t checkPages();

    std::unique_ptr<CheckPages> checks_;
    std::unique_ptr<LabelPages> labels_;
};

} // namespace velmora::print
