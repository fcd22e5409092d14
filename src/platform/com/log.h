// Diagnostics by subsystem, over Qt's logging categories. Warnings and worse are on by
// default; debug lines are switched on by rules such as
// QT_LOGGING_RULES="qdvd.nav.debug=true" or "qdvd.*.debug=true".
#pragma once

#include <QLoggingCategory>

// Qt's `forever` keyword is not used here and clashes with fields of that name.
#undef forever

Q_DECLARE_LOGGING_CATEGORY(lcNav)    // qdvd.nav: the disc, its navigation, the navigation library
Q_DECLARE_LOGGING_CATEGORY(lcDemux)  // qdvd.demux: packs and their streams
Q_DECLARE_LOGGING_CATEGORY(lcDecode) // qdvd.decode: the decoders and their library
Q_DECLARE_LOGGING_CATEGORY(lcRender) // qdvd.render: pictures and their presentation
Q_DECLARE_LOGGING_CATEGORY(lcAudio)  // qdvd.audio: the sound output
Q_DECLARE_LOGGING_CATEGORY(lcGraph)  // qdvd.graph: the filter graph, its states and events
Q_DECLARE_LOGGING_CATEGORY(lcApp)    // qdvd.app: the player's windows and commands
