#include "support/PdfProbe.h"

#include <gtest/gtest.h>
#include <poppler-document.h>
#include <poppler-font.h>
#include <poppler-image.h>
#include <poppler-page-renderer.h>
#include <poppler-page.h>

namespace velmora::testing {

PdfProbe::PdfProbe(const std::filesystem::path& file)
    : document_(poppler::document::load_from_file(file.string())) {}

PdfProbe::~PdfProbe() = default;

int PdfProbe::pageCount() const {
    return document_ ? document_->pages() : 0;
}

std::pair<double, double> PdfProbe::pageSize(int page) const {
    std::unique_ptr<poppler::page> p(document_->create_page(page));
    const poppler::rectf rect = p->page_rect();
    return {rect.width(), rect.height()};
}

std::vector<PdfProbe::Word> PdfProbe::words(int page) const {
    std::vector<Word> words;
    std::unique_ptr<poppler::page> p(document_->create_page(page));
    if (!p)
        return words;
    for (const poppler::text_box& box : p->text_list(poppler::page::text_list_include_font)) {
        const poppler::rectf r = box.bbox();
        const poppler::byte_array utf8 = box.text().to_utf8();
        words.push_back(Word{std::string(utf8.begin(), utf8.end()), box.get_font_name(), r.left(), r.top(),
                             r.right(), r.bottom()});
    }
    return words;
}

PdfProbe::Word PdfProbe::word(int page, const std::string& text) const {
    if (!document_) {
        ADD_FAILURE() << "no PDF to find \"" << text << "\" in";
        return {};
    }
    for (const Word& found : words(page))
        if (found.text == text)
            return found;
    ADD_FAILURE() << "no word \"" << text << "\" on page " << page;
    return {};
}

std::vector<PdfProbe::Font> PdfProbe::fonts() const {
    std::vector<Font> fonts;
    for (const poppler::font_info& info : document_->fonts())
        fonts.push_back(Font{info.name(), info.is_embedded()});
    return fonts;
}

const poppler::image& PdfProbe::rendered(int page, double dpi) const {
    auto found = images_.find({page, dpi});
    if (found == images_.end()) {
        std::unique_ptr<poppler::page> p(document_->create_page(page));
        poppler::page_renderer renderer;
        renderer.set_image_format(poppler::image::format_gray8);
        found = images_.emplace(std::pair(page, dpi), renderer.render_page(p.get(), dpi, dpi)).first;
    }
    return found->second;
}

std::optional<PdfProbe::Box> PdfProbe::inkBox(int page, const Box& window, double dpi) const {
    const poppler::image& image = rendered(page, dpi);
    const double scale = dpi / 72.0;
    const int x0 = std::max(0, static_cast<int>(window.left * scale));
    const int y0 = std::max(0, static_cast<int>(window.top * scale));
    const int x1 = std::min(image.width(), static_cast<int>(window.right * scale + 1));
    const int y1 = std::min(image.height(), static_cast<int>(window.bottom * scale + 1));
    std::optional<Box> ink;
    for (int y = y0; y < y1; ++y) {
        const auto* row =
            reinterpret_cast<const unsigned char*>(image.const_data()) + y * image.bytes_per_row();
        for (int x = x0; x < x1; ++x) {
            if (row[x] >= 128)
                continue;
            const Box pixel{x / scale, y / scale, (x + 1) / scale, (y + 1) / scale};
            if (!ink)
                ink = pixel;
            ink->left = std::min(ink->left, pixel.left);
            ink->top = std::min(ink->top, pixel.top);
            ink->right = std::max(ink->right, pixel.right);
            ink->bottom = std::max(ink->bottom, pixel.bottom);
        }
    }
    return ink;
}

void PdfProbe::expectLineAt(int page, double left, double top) const {
    constexpr double lineHeight = 14;
    const std::optional<Box> ink = inkBox(page, {left - 3, top - 3, left + 200, top + lineHeight});
    ASSERT_TRUE(ink) << "no ink at " << left << ", " << top << " on page " << page;
    EXPECT_NEAR(ink->left, left, 1.5);
    EXPECT_GT(ink->top, top);
    EXPECT_LT(ink->bottom, top + lineHeight);
}

int PdfProbe::darkPixels(int page, double left, double top, double right, double bottom, double dpi) const {
    const poppler::image& image = rendered(page, dpi);
    const double scale = dpi / 72.0;
    const int x0 = std::max(0, static_cast<int>(left * scale));
    const int y0 = std::max(0, static_cast<int>(top * scale));
    const int x1 = std::min(image.width(), static_cast<int>(right * scale + 1));
    const int y1 = std::min(image.height(), static_cast<int>(bottom * scale + 1));
    int dark = 0;
    for (int y = y0; y < y1; ++y) {
        const auto* row =
            reinterpret_cast<const unsigned char*>(image.const_data()) + y * image.bytes_per_row();
        for (int x = x0; x < x1; ++x)
            dark += row[x] < 128 ? 1 : 0;
    }
    return dark;
}

} // namespace velmora::testing
