// Result checking for platform calls.
#pragma once

#include "com/types.h"
#include "framework/application.h"

#include <QString>

// A failing platform call: the platform's error text, " ($XXXXXXXX).", and the code.
class EDirectShowException : public Exception {
public:
  EDirectShowException(const QString &message, HRESULT errorCode) : Exception(message), ErrorCode(errorCode) {}
  HRESULT ErrorCode;
};

// The platform's error text for a code (at most 255 characters).
QString GetErrorText(HRESULT code);
// "<error text> ($<code in upper-case hexadecimal, no leading zeros>)."
QString ErrorMessage(HRESULT code);
// Raises EDirectShowException for a failure code; returns any other code unchanged.
HRESULT CheckResult(HRESULT code);
