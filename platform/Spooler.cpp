#include "platform/Spooler.h"

#include <cups/cups.h>

#include <memory>

namespace zev {

namespace {

// Long enough for a busy spooler, short enough that a dead or hung one does
// not freeze the program for long: for connecting, and for every read and
// write on the connection.
constexpr int TimeoutMs = 30000;

http_t* ConnectToSpooler()
{
    http_t* http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                                TimeoutMs, nullptr);
    if (http != nullptr)
        httpSetTimeout(http, TimeoutMs / 1000.0, nullptr, nullptr);
    return http;
}

struct TIppDeleter
{
    void operator()(ipp_t* ipp) const { ippDelete(ipp); }
};

bool Failed(ipp_status_t status)
{
    return status > IPP_STATUS_OK_CONFLICTING;
}

} // namespace

// The spooler's own queues, asked of it directly: not the printers it only
// sees on the network, nor the client's lpoptions instances of a queue.
std::vector<std::string> SpoolerPrinters()
{
    const std::unique_ptr<http_t, decltype(&httpClose)> http(ConnectToSpooler(), &httpClose);
    if (!http)
        return {};
    ipp_t* const request = ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
                 "printer-name");
    ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_ENUM, "printer-type", 0);
    ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_ENUM, "printer-type-mask",
                  CUPS_PRINTER_DISCOVERED);
    // cupsDoRequest releases the request.
    const std::unique_ptr<ipp_t, TIppDeleter> response(cupsDoRequest(http.get(), request, "/"));
    std::vector<std::string> names;
    for (ipp_attribute_t* name = ippFindAttribute(response.get(), "printer-name", IPP_TAG_NAME);
         name != nullptr; name = ippFindNextAttribute(response.get(), "printer-name", IPP_TAG_NAME))
        names.emplace_back(ippGetString(name, 0, nullptr));
    return names;
}

bool TSpoolerPrinter::NotReady()
{
    m_error = "Impressão não iniciada";
    return false;
}

bool TSpoolerPrinter::Fail()
{
    const char* text = cupsLastErrorString();
    m_error = text != nullptr ? std::string(text) : std::string();
    return false;
}

void TSpoolerPrinter::THttpCloser::operator()(http_t* http) const
{
    httpClose(http);
}

TSpoolerPrinter::TSpoolerPrinter() = default;

TSpoolerPrinter::~TSpoolerPrinter()
{
    Close();
}

TSpoolerPrinter::THttpConnection TSpoolerPrinter::Connect()
{
    return THttpConnection(ConnectToSpooler());
}

bool TSpoolerPrinter::Open(const std::string& printerName)
{
    Close();
    THttpConnection http = Connect();
    if (!http)
        return Fail();
    cups_dest_t* const dest = cupsGetNamedDest(http.get(), printerName.c_str(), nullptr);
    if (dest == nullptr)
        return Fail();
    cupsFreeDests(1, dest);
    m_http = std::move(http);
    m_printerName = printerName;
    return true;
}

// On failure the job is left to Close.
bool TSpoolerPrinter::StartDocument(const std::string& title)
{
    if (!m_http || m_jobId != 0)
        return NotReady();
    m_jobId = cupsCreateJob(m_http.get(), m_printerName.c_str(), title.c_str(), 0, nullptr);
    if (m_jobId == 0)
        return Fail();
    return cupsStartDocument(m_http.get(), m_printerName.c_str(), m_jobId, title.c_str(),
                             CUPS_FORMAT_RAW, 1) == HTTP_STATUS_CONTINUE ||
           Fail();
}

bool TSpoolerPrinter::Write(std::string_view bytes)
{
    if (!m_http || m_jobId == 0)
        return NotReady();
    // A zero-length write ends the chunked upload: whatever came after it
    // would be lost.
    if (bytes.empty())
        return true;
    return cupsWriteRequestData(m_http.get(), bytes.data(), bytes.size()) == HTTP_STATUS_CONTINUE ||
           Fail();
}

bool TSpoolerPrinter::FinishDocument()
{
    if (!m_http || m_jobId == 0)
        return NotReady();
    if (Failed(cupsFinishDocument(m_http.get(), m_printerName.c_str())))
        return Fail();
    m_jobId = 0;
    return true;
}

void TSpoolerPrinter::Close()
{
    CancelUnfinishedJob();
    m_http.reset();
    m_printerName.clear();
}

// The job's connection may be in the middle of an upload, so the cancel
// request goes on a new one; dropping the old one abandons the document.
void TSpoolerPrinter::CancelUnfinishedJob()
{
    if (m_jobId == 0)
        return;
    const int jobId = m_jobId;
    m_jobId = 0;
    m_http.reset();
    if (const THttpConnection http = Connect())
        cupsCancelJob2(http.get(), m_printerName.c_str(), jobId, 0);
}

} // namespace zev
