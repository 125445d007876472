#pragma once

#include "db/CheckDatabase.h"
#include "print/CheckLayout.h"
#include "print/LabelLayout.h"
#include "print/PageSource.h"
#include "print/PrintSelection.h"

#include <memory>

namespace velmora::print {

// The records of a selection read a page at a time (RunPages.cpp).
class PagedRecords;

// The pages of the checks of a run, as the run places them. Recurring checks show today's date,
// which is not saved: drawing a page changes no record.
class CheckPages : public PageSource {
public:
    // The database type picks the draft texts or the signature line; `textFont` is the run's. Fails,
    // with the database's reason, when the records of the selection cannot be counted.
    static Result<std::unique_ptr<CheckPages>> open(db::CheckDatabase& database,
                                                    const PrintSelection& selection,
                                                    const CheckPageSetup& setup, db::DatabaseType type,
                                                    const std::string& textFont);
    ~CheckPages() override;

    std::int64_t checkCount() const;
    std::int64_t pageCount() override;
    Status drawPage(std::int64_t page, PrintSurface& surface) override;
    std::string ownerAt(std::int64_t page, double x, double y) override;

private:
    CheckPages(std::unique_ptr<PagedRecords> records, const CheckPageSetup& setup, db::DatabaseType type,
               const std::string& textFont);

    std::unique_ptr<PagedRecords> records_;
    CheckPageSetup setup_;
    CheckLayout layout_;
    int perPage_;
    std::string today_;
};

// The pages of the labels of a run, from the label the run starts on: the first sheet takes the
// labels from that one on, every later sheet thirty.
class LabelPages : public PageSource {
public:
    // Fails, with the database's reason, when the records of the selection cannot be counted.
    static Result<std::unique_ptr<LabelPages>> open(db::CheckDatabase& database,
                                                    const PrintSelection& selection,
                                                    const std::string& textFont, int startLabel = 1);
    ~LabelPages() override;

    std::int64_t labelCount() const;
    std::int64_t pageCount() override;
    Status drawPage(std::int64_t page, PrintSurface& surface) override;
    std::string ownerAt(std::int64_t page, double x, double y) override;

private:
    LabelPages(std::unique_ptr<PagedRecords> records, const std::string& textFont, int startLabel);
    // The first label's number on `page`, and the index of its record in the selection.
    std::pair<int, std::int64_t> firstOn(std::int64_t page) const;

    std::unique_ptr<PagedRecords> records_;
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
