#pragma once

// The print spooler: CUPS through libcups, on the server that CUPS_SERVER
// (or the client configuration) names.
//
// A spooler job here is one CUPS job holding one raw document
// (application/vnd.cups-raw), so the bytes reach the printer unchanged.
// Failures are reported as false; SpoolerErrorText then says why, in CUPS's
// own words.
//
// Not synchronised: CUPS keeps its last error per thread, so a failure must
// be read on the thread that met it.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// libcups's connection, without its headers.
typedef struct _http_s http_t;

namespace zev {

// The spooler's own queues by name, in the order it lists them (not the
// printers it only sees on the network);
// a spooler that cannot be reached lists none.
std::vector<std::string> SpoolerPrinters();

// CUPS's text for the last failure of this thread; empty when it has none.
std::string SpoolerErrorText();

// One printer and the raw document being sent to it. Whatever it holds is
// released by Close or the destructor; a job not finished by then is
// cancelled, so no half-sent job stays waiting on the queue. After a failure,
// read SpoolerErrorText before closing: cancelling talks to the spooler too.
class TSpoolerPrinter
{
public:
    TSpoolerPrinter();
    ~TSpoolerPrinter();
    TSpoolerPrinter(const TSpoolerPrinter&) = delete;
    TSpoolerPrinter& operator=(const TSpoolerPrinter&) = delete;

    // Connects to the spooler and checks that the destination exists.
    bool Open(const std::string& printerName);
    // Creates a job titled `title` and starts its only document, raw.
    bool StartDocument(const std::string& title);
    // Appends bytes to the document, unchanged.
    bool Write(std::string_view bytes);
    // Ends the document; the job then belongs to the spooler.
    bool FinishDocument();
    void Close();

private:
    struct THttpCloser
    {
        void operator()(http_t* http) const;
    };
    using THttpConnection = std::unique_ptr<http_t, THttpCloser>;

    static THttpConnection Connect();
    void CancelUnfinishedJob();

    THttpConnection m_http;
    std::string m_printerName;
    int m_jobId = 0; // the job being sent; 0 when none is unfinished
};

} // namespace zev
