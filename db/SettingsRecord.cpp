#include "db/SettingsRecord.h"

namespace velmora::db::schema {

const RecordTable<SettingsRecord>& settings() {
    using R = SettingsRecord;
    namespace s = setting;
    // clang-format off
    static const RecordTable<SettingsRecord> table("Properties", {
        {{s::kTranCode,          FieldKind::Text,    "bank tran code for deposit tickets"},          &R::tranCode,          ""},
        {{s::kHorizontalStart,   FieldKind::Integer, "horizontal start, twips"},                     &R::horizontalStart,   525},
        {{s::kVerticalStart,     FieldKind::Integer, "vertical start, twips"},                       &R::verticalStart,     200},
        {{s::kBackupOnExit,      FieldKind::YesNo,   "back up the database on exit, 0 or 1"},        &R::backupOnExit,      false},
        {{s::kQuickenCheckStock, FieldKind::YesNo,   "1: 88mm stock, 0: 92mm stock or plain paper"}, &R::quickenCheckStock, true},
        {{s::kPrint2Checks,      FieldKind::YesNo},                                                  &R::print2Checks,      false},
        {{s::kPlainPaper,        FieldKind::YesNo},                                                  &R::plainPaper,        false},
        {{s::kAboutLine1,        FieldKind::Text},                                                   &R::aboutLine1,        "Velmora check and draft printing"},
        {{s::kAboutLine2,        FieldKind::Text},                                                   &R::aboutLine2,        "Prints checks, drafts, labels and blank stock"},
        {{s::kAboutLine3,        FieldKind::Text},                                                   &R::aboutLine3,        "with an E-13B MICR line."},
        {{s::kPrinter,           FieldKind::Text,    "the printer chosen in Printer Setup; Null: the system's default printer", {}, 3}, &R::printer},
        {{s::kAmountInWords,     FieldKind::YesNo,   "print the amount in words on entered checks, 0 or 1", {}, 4},           &R::amountInWords,     false},
        {{s::kAmountWithCents,   FieldKind::YesNo,   "print amounts as $1,234.56 on entered checks, 0 or 1", {}, 4},          &R::amountWithCents,   false},
        {{s::kDatabaseServer,    FieldKind::Text,    "the office's database server: a libpq service name or connection string; Null: none", {}, 6}, &R::databaseServer},
        {{s::kServerRequiresTls, FieldKind::YesNo,   "refuse a connection to the database server without TLS, 0 or 1", {}, 6}, &R::serverRequiresTls, false},
    });
    // clang-format on
    return table;
}

const RecordTable<PasswordRecord>& password() {
    static const RecordTable<PasswordRecord> table(
        "A", {{{setting::kPassword, FieldKind::Text, "the program password's salted hash"},
               &PasswordRecord::hash}});
    return table;
}

const RecordTable<ProductTypeRecord>& businessTypes() {
    static const RecordTable<ProductTypeRecord> table(
        "BusinessType",
        {{{setting::kProductTypeId, FieldKind::Counter}, &ProductTypeRecord::id},
         {{setting::kProductType, FieldKind::Text}, &ProductTypeRecord::name}},
        {{.name = "Checks"},
         {.name = "Drafts"},
         {.name = "Payroll"},
         {.name = "Rent"},
         {.name = "Utilities"}});
    return table;
}

} // namespace velmora::db::schema
