#include "engine/check_result.h"

#include "dshow/errors.h"

QString GetErrorText(HRESULT code) {
  char buffer[256] = {};
  AMGetErrorTextA(code, buffer, 255);
  buffer[255] = '\0';
  return QString::fromLocal8Bit(buffer);
}

QString ErrorMessage(HRESULT code) {
  return GetErrorText(code) + QString::asprintf(" ($%X).", static_cast<unsigned>(code));
}

HRESULT CheckResult(HRESULT code) {
  if (FAILED(code)) throw EDirectShowException(ErrorMessage(code), code);
  return code;
}
