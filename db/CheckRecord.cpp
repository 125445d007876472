#include "db/CheckRecord.h"

#include "db/RecordSet.h"

namespace velmora::db {

namespace schema {

const RecordTable<CheckRecord>& account() {
    using R = CheckRecord;
    constexpr Bounds kCheckNumbers{0, kMaxCheckNumber};
    constexpr Bounds kAmounts{-kMaxAmountCents, kMaxAmountCents};
    // Looking a check up by its number (the repeated-number warning) must stay instant on large
    // databases; so must finding the few checks set to print among the many printed long ago.
    constexpr FieldIndex kByNumber{"AccountCheckNumber", 2};
    constexpr FieldIndex kByPrintOption{"AccountPrintOption", 4};
    // The fields the data entry screen's Search menu looks through.
    constexpr bool kSearched = true;
    // clang-format off
    static const RecordTable<CheckRecord> table("Account", {
        {{field::kId,           FieldKind::Counter},                                          &R::id},
        {{field::kBusinessName, FieldKind::Text,    {}, {}, 0, {}, kSearched},                &R::businessName},
        {{field::kFirstName,    FieldKind::Text,    {}, {}, 0, {}, kSearched},                &R::firstName},
        {{field::kLastName,     FieldKind::Text,    {}, {}, 0, {}, kSearched},                &R::lastName},
        {{field::kAddress,      FieldKind::Text},                                             &R::address},
        {{field::kCity,         FieldKind::Text},                                             &R::city},
        {{field::kState,        FieldKind::Text},                                             &R::state},
        {{field::kZip,          FieldKind::Text},                                             &R::zip},
        {{field::kPhone,        FieldKind::Text},                                             &R::phone},
        {{field::kPayTo,        FieldKind::Text},                                             &R::payTo},
        {{field::kAmount,       FieldKind::Money,   "whole cents", kAmounts},                 &R::amount},
        {{field::kDate,         FieldKind::Text,    "m/d/yyyy"},                              &R::date},
        {{field::kCheck,        FieldKind::Integer, {}, kCheckNumbers, 0, kByNumber, kSearched}, &R::check},
        {{field::kFor,          FieldKind::Text,    {}, {}, 0, {}, kSearched},                &R::memo},
        {{field::kBank,         FieldKind::Text},                                             &R::bank},
        {{field::kBankCity,     FieldKind::Text},                                             &R::bankCity},
        {{field::kBankState,    FieldKind::Text},                                             &R::bankState},
        {{field::kAba,          FieldKind::Text},                                             &R::aba},
        {{field::kAccount,      FieldKind::Text,    {}, {}, 0, {}, kSearched},                &R::account},
        {{field::kComments,     FieldKind::Text,    {}, {}, 0, {}, kSearched},                &R::comments},
        {{field::kPrint,        FieldKind::Text,    "Once, Monthly or Never", {}, 0, kByPrintOption}, &R::print},
        {{field::kLabelPrint,   FieldKind::YesNo,   "0 or 1"},                                &R::labelPrint},
        {{field::kBusinessType, FieldKind::Text},                                             &R::businessType},
        {{field::kPrinted,      FieldKind::Text,    "m/d/yyyy"},                              &R::printed},
        {{field::kLabelPrinted, FieldKind::Text,    "m/d/yyyy"},                              &R::labelPrinted},
    });
    // clang-format on
    return table;
}

} // namespace schema

CheckRecord CheckRecord::read(RecordSet& records) {
    return schema::account().read(records);
}

} // namespace velmora::db
