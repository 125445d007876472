#include "print/RecordingSurface.h"

#include "print/FontCatalog.h"

namespace velmora::print {

RecordingSurface::RecordingSurface()
    : faces_(offeredFaceNames()) {}

RecordingSurface::RecordingSurface(std::vector<std::string> faces)
    : faces_(std::move(faces)) {}

int RecordingSurface::sentJobCount() const {
    int count = 0;
    for (const Job& job : jobs_)
        count += job.sent ? 1 : 0;
    return count;
}

std::vector<RecordingSurface::Text> RecordingSurface::texts() const {
    std::vector<Text> all;
    for (const Job& job : jobs_)
        for (const Page& page : job.pages)
            all.insert(all.end(), page.texts.begin(), page.texts.end());
    return all;
}

const RecordingSurface::Text* RecordingSurface::findText(const std::string& text) const {
    for (const Job& job : jobs_)
        for (const Page& page : job.pages)
            for (const Text& printed : page.texts)
                if (printed.text == text)
                    return &printed;
    return nullptr;
}

Status RecordingSurface::beginDocument() {
    jobFailed_ = failJobStart_;
    if (jobFailed_)
        return Status::failure("The print job could not be started");
    jobs_.push_back(Job{{Page{}}, false});
    return {};
}

Status RecordingSurface::beginPage() {
    if (jobFailed_)
        return Status::failure("The print job could not be started");
    jobs_.back().pages.emplace_back();
    return {};
}

Status RecordingSurface::finishDocument() {
    if (jobFailed_) {
        jobFailed_ = false;
        return Status::failure("The print job could not be started");
    }
    jobs_.back().sent = true;
    return {};
}

Status RecordingSurface::openPage(Page*& page) {
    if (jobFailed_ || jobs_.empty())
        return Status::failure("The print job could not be started");
    page = &jobs_.back().pages.back();
    return {};
}

Status RecordingSurface::drawText(double x, double y, const std::string& text, const FontState& font) {
    Page* page = nullptr;
    Status status = openPage(page);
    if (page)
        page->texts.push_back(Text{x, y, text, font});
    return status;
}

Status RecordingSurface::drawLine(double x1, double y1, double x2, double y2, int width) {
    Page* page = nullptr;
    Status status = openPage(page);
    if (page)
        page->lines.push_back(Line{x1, y1, x2, y2, width});
    return status;
}

double RecordingSurface::textWidth(const std::string& text, const FontState& font) const {
    return metrics_.textWidth(text, font);
}

double RecordingSurface::lineHeight(const FontState& font) const {
    return metrics_.lineHeight(font);
}

} // namespace velmora::print
