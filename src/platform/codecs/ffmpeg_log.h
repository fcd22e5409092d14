// FFmpeg's own messages go to the qdvd.decode category instead of stderr: warnings and
// errors as warnings, informational lines as debug lines. Errors a decoder reports are
// counted per decoder context (one per stream) and the count shows in a debug line.
#pragma once

struct AVCodecContext;

namespace codecs {

// Installs the routing (once; later calls do nothing).
void RouteFfmpegLog();
// The errors the library reported so far for a decoder context.
int DecodeErrors(const AVCodecContext *ctx);
// Forgets a context that is being freed; a debug line tells its total if it had errors.
void ForgetDecodeErrors(const AVCodecContext *ctx);

} // namespace codecs
