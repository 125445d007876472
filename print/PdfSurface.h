#pragma once

#include "print/PainterSurface.h"

#include <QPdfWriter>
#include <memory>
#include <string>

namespace velmora::print {

// A print surface that writes each job to a PDF file, as a laser printer would print it.
class PdfSurface : public PainterSurface {
public:
    explicit PdfSurface(std::string outputFile = {});
    ~PdfSurface() override;

    // The file the next job is written to; a job already started keeps its file.
    void setOutputFile(std::string path) { outputFile_ = std::move(path); }
    const std::string& outputFile() const { return outputFile_; }

protected:
    QPagedPaintDevice* openJob(Status& failure) override;
    QPointF printableOrigin(const QPagedPaintDevice& device) const override;
    double linePixelsPerInch(const QPagedPaintDevice& device) const override;
    std::string jobStartFailure() const override;
    void jobClosed() override;

private:
    std::string outputFile_;
    std::string jobFile_;
    std::unique_ptr<QPdfWriter> writer_;
};

} // namespace velmora::print
