#pragma once

// The test label built into the program: it needs no definition file and
// renders nothing, so a print path can be tried end to end (label chooser,
// port, job) without any template. Any product is accepted, even one
// without barcodes.

#include "labels/PrinterLabel.h"

namespace zev {

class TNullLabel : public TPrinterLabel
{
public:
    TNullLabel();

    std::string GetName() const override { return "null"; }
    std::string GetDescription() const override { return "Null Label - For Testing"; }
    std::string GetPrinter() const override { return "Null Printer"; }
    const QImage& GetImage() const override { return m_image; }
    std::string GetVersion() const override { return m_version; }
    std::string GetHeader() const override { return {}; }

    void RenderFirst(const TProduto&, std::string& text, double) const override { text.clear(); }
    void RenderNext(const TProduto&, std::string& text, double) const override { text.clear(); }
    void RenderSingle(const TProduto&, std::string& text, double) const override { text.clear(); }
    void RenderLast(const TProduto&, std::string& text, double) const override { text.clear(); }

private:
    const QImage m_image;
    const std::string m_version;
};

} // namespace zev
