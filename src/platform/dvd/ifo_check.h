// Checks a disc's information files for the damage that makes libdvdread or libdvdnav
// write or read through a null pointer instead of giving the disc up. It looks at the
// raw bytes of each IFO and its BUP, as libdvdread reads them, before anything parses
// them; a disc that fails is refused like an unreadable one.
#pragma once

#include <string>
#include <vector>

struct dvd_reader_s;

namespace dvd {

// One title set's information files (0: the video manager). False with the fault.
bool IfoFilesSafe(dvd_reader_s *reader, int titleSet, std::string *fault);

// The video manager and every title set it lists.
bool DiscIfoFilesSafe(dvd_reader_s *reader, std::string *fault);

// Per title (index 0 is title 1): whether its chapters lead through the title set's
// tables to program chains, programs and cells that exist, so that their times can be
// summed. Only for a disc that passed the checks above.
std::vector<bool> TitlesWithSoundChapters(dvd_reader_s *reader);

} // namespace dvd
