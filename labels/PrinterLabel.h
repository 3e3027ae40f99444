#pragma once

// A kind of shelf label: its identity (name, description, version, the
// printer it is written for, a preview picture) and the printer data of one
// label for a product. Print paths know labels only through TPrinterLabel.
//
// Texts are Windows-1252 bytes and are never converted: a template's bytes
// reach the printer as written.

#include "preview/LabelPreview.h"

#include <QImage>

#include <string>

namespace zev {

class TProduto;

class TPrinterLabel
{
public:
    virtual ~TPrinterLabel() = default;

    // Key in the label registry and in section "Labels" of zev.ini.
    virtual std::string GetName() const = 0;
    // What label lists show; the registry's list is sorted by it.
    virtual std::string GetDescription() const = 0;
    virtual std::string GetPrinter() const = 0;
    // May be a null image.
    virtual const QImage& GetImage() const = 0;
    virtual std::string GetVersion() const = 0;
    // Sent once after the port starts, before the first label.
    virtual std::string GetHeader() const = 0;
    // How the label's printer data is previewed; by default its language is
    // recognised from the data.
    virtual TPreviewHints PreviewHints() const { return {}; }

    // The printer data of one label, replacing `text`. `date` (a day number)
    // decides offers and prices and is the printed date. An empty result
    // carries no data and is sent like any other block.
    // First and Next: more labels follow. Single and Last: none does.
    virtual void RenderFirst(const TProduto& produto, std::string& text, double date) const = 0;
    virtual void RenderNext(const TProduto& produto, std::string& text, double date) const = 0;
    virtual void RenderSingle(const TProduto& produto, std::string& text, double date) const = 0;
    virtual void RenderLast(const TProduto& produto, std::string& text, double date) const = 0;
};

// Identity fixed once by the derived label's constructor.
class TBaseLabel : public TPrinterLabel
{
public:
    std::string GetName() const override { return m_name; }
    std::string GetDescription() const override { return m_description; }
    std::string GetPrinter() const override { return m_printer; }
    const QImage& GetImage() const override { return m_image; }
    std::string GetVersion() const override { return m_version; }
    std::string GetHeader() const override { return m_header; }

protected:
    TBaseLabel(std::string name, std::string printer, QImage image, std::string header,
               std::string description, std::string version)
        : m_name(std::move(name))
        , m_printer(std::move(printer))
        , m_image(std::move(image))
        , m_header(std::move(header))
        , m_description(std::move(description))
        , m_version(std::move(version))
    {
    }

private:
    const std::string m_name;
    const std::string m_printer;
    const QImage m_image;
    const std::string m_header;
    const std::string m_description;
    const std::string m_version;
};

} // namespace zev
