#include "db/CheckRegister.h"

#include "db/CheckRecord.h"
#include "db/DatabaseProperties.h"

namespace velmora::db {

namespace schema {

namespace {
// The schema version that brought the register and the runs of blank stock.
constexpr int kRegisterVersion = 5;
constexpr Bounds kCheckNumbers{0, kMaxCheckNumber};
} // namespace

const RecordTable<RegisterEntry>& checkRegister() {
    using R = RegisterEntry;
    constexpr Bounds kAmounts{-kMaxAmountCents, kMaxAmountCents};
    // The register screen pages through the entries by number, and its filter takes those printed in
    // a range of dates. The few void ones are found without an index of their own: each index costs
    // every confirmed check a write.
    constexpr FieldIndex kByNumber{"RegisterCheckNumber", kRegisterVersion};
    constexpr FieldIndex kByPrinted{"RegisterPrinted", kRegisterVersion};
    // clang-format off
    static const RecordTable<RegisterEntry> table("Register", {
        {{field::kId,        FieldKind::Counter},                                              &R::id},
        {{field::kRun,       FieldKind::Integer, "the print run that confirmed it"},           &R::run},
        {{field::kRecordId,  FieldKind::Integer, "ID of the check record"},                    &R::recordId},
        {{field::kCheck,     FieldKind::Integer, {}, kCheckNumbers, 0, kByNumber},             &R::check},
        {{field::kPrinted,   FieldKind::Text,    "yyyy-mm-dd", {}, 0, kByPrinted},             &R::printed},
        {{field::kPayTo,     FieldKind::Text},                                                 &R::payTo},
        {{field::kAmount,    FieldKind::Money,   "whole cents", kAmounts},                     &R::amount},
        {{field::kAba,       FieldKind::Text},                                                 &R::aba},
        {{field::kAccount,   FieldKind::Text},                                                 &R::account},
        {{field::kStatus,    FieldKind::Text,    "Issued or Void"},                            &R::state},
        {{field::kVoided,    FieldKind::Text,    "yyyy-mm-dd"},                                    &R::voided},
        {{field::kReason,    FieldKind::Text,    "why it was voided"},                         &R::reason},
    }, {}, kRegisterVersion);
    // clang-format on
    return table;
}

const RecordTable<BlankStockRun>& blankStockRuns() {
    using R = BlankStockRun;
    // clang-format off
    static const RecordTable<BlankStockRun> table("BlankStock", {
        {{field::kId,               FieldKind::Counter},                                   &R::id},
        {{field::kRun,              FieldKind::Integer, "the print run"},                  &R::run},
        {{field::kPrinted,          FieldKind::Text,    "yyyy-mm-dd"},                     &R::printed},
        {{field::kProduct,          FieldKind::Text},                                      &R::product},
        {{field::kFirstCheck,       FieldKind::Integer, {}, kCheckNumbers},                &R::firstCheck},
        {{field::kLastCheck,        FieldKind::Integer, {}, kCheckNumbers},                &R::lastCheck},
        {{field::kAba,              FieldKind::Text},                                      &R::aba},
        {{field::kAccount,          FieldKind::Text},                                      &R::account},
    }, {}, kRegisterVersion);
    // clang-format on
    return table;
}

} // namespace schema
} // namespace velmora::db
