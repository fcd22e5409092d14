#include "com/log.h"

Q_LOGGING_CATEGORY(lcNav, "qdvd.nav", QtWarningMsg)
Q_LOGGING_CATEGORY(lcDemux, "qdvd.demux", QtWarningMsg)
Q_LOGGING_CATEGORY(lcDecode, "qdvd.decode", QtWarningMsg)
Q_LOGGING_CATEGORY(lcRender, "qdvd.render", QtWarningMsg)
Q_LOGGING_CATEGORY(lcAudio, "qdvd.audio", QtWarningMsg)
Q_LOGGING_CATEGORY(lcGraph, "qdvd.graph", QtWarningMsg)
Q_LOGGING_CATEGORY(lcApp, "qdvd.app", QtWarningMsg)
