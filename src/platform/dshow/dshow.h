// Everything the media platform declares for its users.
#pragma once

#include "dshow/control.h"
#include "dshow/dvd.h"
#include "dshow/errors.h"
#include "dshow/evcode.h"
#include "dshow/strmif.h"
#include "dshow/uuids.h"
#include "dshow/vmr9.h"
