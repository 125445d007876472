#pragma once

#include "print/FontMetrics.h"
#include "print/PrintSurface.h"

#include <string>
#include <vector>

namespace velmora::print {

// A print surface that keeps what it is asked to print instead of printing it, so that layouts and
// runs can be checked to the twip. It measures text with the same font metrics as the printing back
// ends, so the positions it records are those that reach the paper.
class RecordingSurface : public PrintSurface {
public:
    struct Text {
        double x = 0;
        double y = 0;
        std::string text;
        FontState font;
    };
    struct Line {
        double x1 = 0;
        double y1 = 0;
        double x2 = 0;
        double y2 = 0;
        int width = 1;
    };
    struct Page {
        std::vector<Text> texts;
        std::vector<Line> lines;
    };
    struct Job {
        std::vector<Page> pages;
        bool sent = false; // ended by EndDocument
    };

    // Offers the faces installed on this machine.
    RecordingSurface();
    // Offers exactly these faces, in this order.
    explicit RecordingSurface(std::vector<std::string> faces);

    // Every job started so far; the last one may still be open.
    const std::vector<Job>& jobs() const { return jobs_; }
    // Jobs ended by EndDocument.
    int sentJobCount() const;
    // Every text of every job, in the order printed.
    std::vector<Text> texts() const;
    // The first text printed exactly as `text`, or null.
    const Text* findText(const std::string& text) const;
    // Jobs started from now on fail to start (as a printer that is not available), until reset.
    void setFailJobStart(bool fail) { failJobStart_ = fail; }
    // Forgets what was recorded; the surface state (font, position) stays.
    void clearRecording() { jobs_.clear(); }

    const FontMetrics& metrics() const { return metrics_; }

protected:
    Status beginDocument() override;
    Status beginPage() override;
    Status finishDocument() override;
    Status drawText(double x, double y, const std::string& text, const FontState& font) override;
    Status drawLine(double x1, double y1, double x2, double y2, int width) override;
    double textWidth(const std::string& text, const FontState& font) const override;
    double lineHeight(const FontState& font) const override;
    const std::vector<std::string>& offeredFaces() const override { return faces_; }

private:
    Status openPage(Page*& page);

    std::vector<std::string> faces_;
    FontMetrics metrics_;
    std::vector<Job> jobs_;
    bool failJobStart_ = false;
    bool jobFailed_ = false;
};

} // namespace velmora::print
