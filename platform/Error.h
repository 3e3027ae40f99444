#pragma once

#include "platform/DeviceResult.h"

#include <stdexcept>
#include <string>

namespace zev {

// The program's general error. what() is UTF-8 text meant for the operator:
// byte strings from the store's files (Windows-1252) are converted before
// they are put into a message.
class EZevError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// A text that does not convert to the number or date asked for.
class EConvertError : public EZevError
{
public:
    using EZevError::EZevError;
};

// A file or device that could not be opened, written or closed. The message
// names the port or file and carries the system's own error text; Code() is
// the system's error number (errno).
class EInOutError : public EZevError
{
public:
    EInOutError(int code, const std::string& message) : EZevError(message), m_code(code) {}
    explicit EInOutError(const TDeviceFailure& failure) : EInOutError(failure.code, failure.reason)
    {}
    int Code() const { return m_code; }

private:
    int m_code;
};

} // namespace zev
