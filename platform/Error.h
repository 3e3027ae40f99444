#pragma once

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

} // namespace zev
