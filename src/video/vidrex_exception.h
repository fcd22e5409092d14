// The video window's own configuration error: a message and a result code, shaped
// like the engine's EDirectShowException so one handler shows either.
#pragma once

#include "com/types.h"
#include "framework/application.h"

class EVidrexException : public Exception {
public:
  EVidrexException(const QString &message, HRESULT errorCode) : Exception(message), ErrorCode(errorCode) {}
  HRESULT ErrorCode;
};
