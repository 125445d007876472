#pragma once

#include "base/Result.h"
#include "db/RegisterQueries.h"

#include <QAbstractTableModel>
#include <cstdint>
#include <list>
#include <optional>
#include <string>
#include <vector>

namespace velmora::db {
class Connection;
}

namespace velmora::exporting {

// The register of printed checks as a table of the register screen: number, date printed, payee,
// amount and status, in the order of the register (by number), for one view (a range of dates and
// the issued or void checks or both).
//
// It reads only what is shown: the count and the totals of the view with one query when the view is
// set, then the entries a page at a time as the table asks for them, each page found from the end of
// the page before it (the index on the number) or, for a jump, by its place; a few pages are kept. So
// it opens on a register of a million entries as fast as on ten. Dates are shown in the user's
// locale, amounts as whole cents in the locale's digits.
class RegisterModel : public QAbstractTableModel {
public:
    enum Column { NumberColumn, DateColumn, PayToColumn, AmountColumn, StatusColumn, ColumnCount };
    static constexpr int kPageRows = 200;

    RegisterModel(db::Connection& database, QObject* parent = nullptr);

    // Reads the count and totals of `view` and forgets the pages read; a failure says why, and the
    // table is then empty.
    Status setView(const db::RegisterView& view);
    // The same view read again, after an entry changed (a check voided).
    Status refresh() { return setView(view_); }
    const db::RegisterView& view() const { return view_; }
    const db::RegisterTotals& totals() const { return totals_; }

    // The entry shown in `row`; std::nullopt when it cannot be read (the reason in readFailure()).
    std::optional<db::RegisterEntry> entryAt(int row) const;
    // Why the last page could not be read; "" when every page was.
    const std::string& readFailure() const { return readFailure_; }
    // How many pages were read from the file since the view was set (for the tests of what is read).
    int pagesRead() const { return pagesRead_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // "$1,234.56" as the locale writes numbers, from whole cents.
    static QString amountText(std::int64_t cents);
    // An ISO date in the locale's short form; the text as it is when it is no date.
    static QString dateText(const std::string& isoDate);

private:
    struct Page {
        std::int64_t number = 0;
        std::vector<db::RegisterEntry> entries;
    };
    const Page* page(std::int64_t number) const;

    db::Connection& database_;
    db::RegisterView view_;
    db::RegisterTotals totals_;
    // The pages read, the one used last in front.
    mutable std::list<Page> pages_;
    mutable std::string readFailure_;
    mutable int pagesRead_ = 0;
};

} // namespace velmora::exporting
