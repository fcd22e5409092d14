// The navigation and reading libraries' own messages go to the qdvd.nav category
// instead of stderr: their errors and warnings as warnings, the rest as debug lines.
#pragma once

#include <dvdnav/dvdnav.h>
#include <dvdread/dvd_reader.h>

namespace dvd {

const dvdnav_logger_cb *NavLibraryLogger();
const dvd_logger_cb *ReadLibraryLogger();

} // namespace dvd
