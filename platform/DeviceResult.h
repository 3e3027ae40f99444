#pragma once

// How the units of platform/ fail. There are two ways, one for each kind of
// unit, so that a back end for another operating system has one shape to
// copy and every caller reads failures the same way:
//
// - A device (the serial line, the network connection, the output file, the
//   spooler's printer) is opened into a TOpened: the device, or the failure
//   with the system's reason. Every operation on an open device returns its
//   result (a bool or a TWriteResult) and the device keeps the system's
//   reason for its last failure, read with LastError(). Nothing is thrown
//   and nothing is kept per thread: the port above turns the reason into the
//   operator's message, or raises EInOutError(failure) where its own callers
//   expect an exception.
// - A parser (numbers, dates, versions, a line's settings text) returns an
//   std::optional, with the reason beside it where there is one to tell.
//   The raising conversions (StrToInt, EncodeDate) are wrappers over those
//   for callers whose every failure is the operator's message.
//
// A whole file read or replaced (FileContents, Profile) is neither: its one
// call either succeeds or raises EInOutError naming the file, since each of
// its callers reports that as it stands.

#include <memory>
#include <string>

namespace zev {

// Why a device failed: the system's error number and its reason, in
// Portuguese, naming the device.
struct TDeviceFailure
{
    int code = 0;
    std::string reason;
};

// A device, or why it could not be opened.
template <class TDevice>
struct TOpened
{
    std::unique_ptr<TDevice> device;
    TDeviceFailure failure;

    explicit operator bool() const { return device != nullptr; }
};

template <class TDevice>
TOpened<TDevice> OpenFailed(int code, std::string reason)
{
    return TOpened<TDevice>{nullptr, TDeviceFailure{code, std::move(reason)}};
}

} // namespace zev
