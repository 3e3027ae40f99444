#include "platform/Spooler.h"

#include <cups/cups.h>

namespace zev {

namespace {

// Long enough for a busy spooler, short enough that a dead one does not
// freeze the program for long.
constexpr int ConnectTimeoutMs = 30000;

struct TDestsReleaser
{
    int count = 0;
    cups_dest_t* dests = nullptr;
    ~TDestsReleaser() { cupsFreeDests(count, dests); }
};

bool Failed(ipp_status_t status)
{
    return status > IPP_STATUS_OK_CONFLICTING;
}

} // namespace

std::vector<std::string> SpoolerPrinters()
{
    TDestsReleaser list;
    list.count = cupsGetDests2(CUPS_HTTP_DEFAULT, &list.dests);
    std::vector<std::string> names;
    for (int i = 0; i < list.count; ++i)
        // An instance (lpoptions' "printer/instance") is the same queue again.
        if (list.dests[i].instance == nullptr)
            names.emplace_back(list.dests[i].name);
    return names;
}

std::string SpoolerErrorText()
{
    const char* text = cupsLastErrorString();
    return text != nullptr ? std::string(text) : std::string();
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
    return THttpConnection(httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC,
                                        cupsEncryption(), 1, ConnectTimeoutMs, nullptr));
}

bool TSpoolerPrinter::Open(const std::string& printerName)
{
    Close();
    THttpConnection http = Connect();
    if (!http)
        return false;
    cups_dest_t* const dest = cupsGetNamedDest(http.get(), printerName.c_str(), nullptr);
    if (dest == nullptr)
        return false;
    cupsFreeDests(1, dest);
    m_http = std::move(http);
    m_printerName = printerName;
    return true;
}

// On failure the job is left to Close, so that SpoolerErrorText still holds
// this failure and not the outcome of the cancellation.
bool TSpoolerPrinter::StartDocument(const std::string& title)
{
    if (!m_http || m_jobId != 0)
        return false;
    m_jobId = cupsCreateJob(m_http.get(), m_printerName.c_str(), title.c_str(), 0, nullptr);
    if (m_jobId == 0)
        return false;
    return cupsStartDocument(m_http.get(), m_printerName.c_str(), m_jobId, title.c_str(),
                             CUPS_FORMAT_RAW, 1) == HTTP_STATUS_CONTINUE;
}

bool TSpoolerPrinter::Write(std::string_view bytes)
{
    if (!m_http || m_jobId == 0)
        return false;
    // A zero-length write ends the chunked upload: whatever came after it
    // would be lost.
    if (bytes.empty())
        return true;
    return cupsWriteRequestData(m_http.get(), bytes.data(), bytes.size()) == HTTP_STATUS_CONTINUE;
}

bool TSpoolerPrinter::FinishDocument()
{
    if (!m_http || m_jobId == 0)
        return false;
    if (Failed(cupsFinishDocument(m_http.get(), m_printerName.c_str())))
        return false;
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
