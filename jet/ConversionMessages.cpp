#include "jet/ConversionMessages.h"

#include "base/Product.h"

#include <vector>

namespace velmora::jet {

namespace {

// A message box lists this many items of a kind and counts the rest; the original, which is kept,
// still holds every value they speak of.
constexpr std::size_t kItemsListed = 10;

// clang-format off
constexpr const char* kSettingsCarriedOver = "Its settings, product types and program password are carried over; from now on the password is stored only as a hash, no longer as plain text.";
constexpr const char* kNoEndsTheProgram = "No ends the program and changes nothing.";
constexpr const char* kPlainTextOriginal = " It still holds the old password as plain text: keep it where others cannot read it, or delete it once you no longer need it.";
// clang-format on

std::string rows(std::int64_t count) {
    return std::to_string(count) + (count == 1 ? " row" : " rows");
}

std::string itemList(const std::string& heading, const std::vector<std::string>& items) {
    if (items.empty())
        return {};
    std::string text = "\n\n" + heading;
    for (std::size_t i = 0; i < items.size() && i < kItemsListed; ++i)
        text += "\n  " + items[i];
    if (items.size() > kItemsListed)
        text += "\n  ... and " + std::to_string(items.size() - kItemsListed) + " more.";
    return text;
}

} // namespace

std::string conversionQuestion(const std::filesystem::path& file, FileKind kind) {
    const std::string name = file.filename().string();
    const std::string product = product::kName;
    const std::string copy = "A converted copy takes the name " + name +
                             ", and the original is kept beside it, unchanged, as " +
                             keptOriginalName(file).filename().string() + ".";
    if (kind == FileKind::Settings)
        return "The settings file " + name + " is an Access (Jet) file. " + product +
               " keeps its settings in a format of its own and cannot start on this file as it is.\n\n" +
               "Convert it now? " + kSettingsCarriedOver + " " + copy + "\n\n" + kNoEndsTheProgram;
    return name + " is an Access (Jet) database. " + product +
           " keeps its databases in a format of its own and cannot use this file as it is.\n\n" +
           "Convert it now? " + copy;
}

std::string conversionSucceeded(const std::filesystem::path& file, const ConversionResult& result) {
    std::string text =
        file.filename().string() + " has been converted, and every table checked against the original:";
    for (const ConversionReport::Table& table : result.report.tables)
        text += "\n  " + table.name + ": " + rows(table.rows);
    text += "\n\nThe original is kept, unchanged, as " + result.keptOriginal.filename().string() + ".";
    if (fileKindOf(file) == FileKind::Settings)
        text += kPlainTextOriginal;
    text += itemList("Left out:", result.report.leftOut);
    text += itemList("Noticed on the way:", result.report.notices);
    return text;
}

std::string conversionFailed(const std::filesystem::path& file, const Status& status) {
    return status.message() + "\n\nNothing was changed: " + file.filename().string() + " is as it was.";
}

} // namespace velmora::jet
