// CException: the base of the framework's exceptions. They are thrown by
// value here (catch (const COleException&) or a catch-all), not as heap
// pointers, so that the catch-all handlers of the system leak nothing.
#pragma once

#include "win32/Types.h"

#include <exception>

class CException : public std::exception {
public:
    ~CException() override = default;
    const char* what() const noexcept override { return "framework exception"; }
};

// An operation the framework does not support: a program's fault, such as a
// data exchange with a control its template lacks.
class CNotSupportedException : public CException {
public:
    const char* what() const noexcept override { return "operation not supported"; }
};
